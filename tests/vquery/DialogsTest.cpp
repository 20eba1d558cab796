// The visual query's dialogs driven without a window: each stored form is loaded, shown
// modally through the scripted dialog service and answered there, as the user would.

#include <gtest/gtest.h>

#include "VQueryTestSupport.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "platform/rtl/Registry.h"
#include "platform/ui/Menus.h"
#include "vquery/Dialogs.h"
#include "vquery/Glyphs.h"

#include <algorithm>
#include <functional>

using namespace vquery;
using vqtest::QueryFixture;

namespace {

class SortDialogTest : public ::testing::Test, public QueryFixture {
protected:
    void SetUp() override
    {
        Table("", "A", {{"id"}, {"name"}, {"note"}});
        a = Q().AddTable("A", {10, 10}, true);
        ASSERT_TRUE(Q().AddSortField(F(a, "id"), true));
        ASSERT_TRUE(Q().AddSortField(F(a, "name"), false));
        ASSERT_TRUE(Q().AddSortField(F(a, "note"), true));
    }
    std::vector<std::string> Order()
    {
        std::vector<std::string> out;
        for (int i = 0; i < Q().SortCount(); ++i) out.push_back(Q().SortField(i)->FieldName);
        return out;
    }
    static std::vector<std::string> Texts(ui::TListBox* list)
    {
        std::vector<std::string> out;
        for (int i = 0; i < list->Items()->Count(); ++i) out.push_back(list->Items()->Strings(i));
        return out;
    }
    // Drags the entry of row `from` onto row `to` as the user's press and drop do.
    static void Drag(TfrmVSort& form, int from, int to)
    {
        ui::TListBox* list = form.List();
        const ui::TRect r = list->ItemRect(from), t = list->ItemRect(to);
        list->OnMouseDown(list, ui::mbLeft, ui::TShiftState{}, r.Left + 2, r.Top + 2);
        form.lbVSortsDragDrop(list, list, t.Left + 2, t.Top + 2);
    }

    TmfVQueryTable* a = nullptr;
};

TEST_F(SortDialogTest, ReorderKeptOnOkAndUndoneOnCancel)
{
    struct Case {
        ui::TModalResult answer;
        std::vector<std::string> after;
    };
    for (const Case& c : {Case{ui::mrOk, {"name", "note", "id"}}, Case{ui::mrCancel, {"id", "name", "note"}}}) {
        SCOPED_TRACE(c.answer);
        // Every case starts from the same order.
        Q().RestoreSortOrder({F(a, "id"), F(a, "name"), F(a, "note")});
        std::vector<std::string> seenList, seenModel;
        dialogs.AnswerModal([&](ui::TCustomForm& f) {
            auto& form = dynamic_cast<TfrmVSort&>(f);
            EXPECT_EQ(form.Caption(), "Sort");
            EXPECT_EQ(Texts(form.List()), (std::vector<std::string>{"A.id", "A.name", "A.note"}));
            Drag(form, 0, 2);
            seenList = Texts(form.List());
            seenModel = Order();
            // A drop on the dragged row itself and a drop from elsewhere move nothing.
            Drag(form, 1, 1);
            form.lbVSortsDragDrop(form.List(), a->ListBox(), 2, 2);
            EXPECT_EQ(Order(), seenModel);
            return c.answer;
        });
        TfrmVSort form(&Q());
        EXPECT_EQ(form.Execute(), c.answer);
        // The drag moves the entry at once, in the list and in the query.
        EXPECT_EQ(seenList, (std::vector<std::string>{"A.name", "A.note", "A.id"}));
        EXPECT_EQ(seenModel, (std::vector<std::string>{"name", "note", "id"}));
        EXPECT_EQ(Order(), c.after);
        // The directions travel with their entries.
        EXPECT_EQ(F(a, "name")->SortDirection, 2);
        EXPECT_EQ(F(a, "id")->SortDirection, 1);
    }
    EXPECT_TRUE(dialogs.Unexpected().empty());
}

// The dialog draws its own pair of glyphs, not the pictures the field lists were given.
TEST_F(SortDialogTest, RowsShowTheDialogsOwnGlyphs)
{
    Q().SortASCPic()->LoadFromBytes(GlyphBitmap("FILTER_BMP"));
    Q().SortDESCPic()->Clear();
    TfrmVSort form(&Q());
    const struct {
        int direction;
        const char* resource;
    } cases[] = {{0, "CSSORTASC_BMP"}, {1, "CSSORTASC_BMP"}, {2, "CSSORTDESC_BMP"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.direction);
        const ui::TPicture& glyph = form.Glyph(c.direction);
        EXPECT_EQ(glyph.Bytes(), GlyphBitmap(c.resource));
        EXPECT_EQ(glyph.Width(), 16);
        EXPECT_EQ(glyph.Pixel(0, 0) & 0xFFFFFF, 0x00FF00u);  // transparent corner
    }
    // Their own look: neither is one of the field lists' arrows, and they point opposite ways.
    for (const char* listGlyph : {"SORTASC_BMP", "SORTDESC_BMP"}) {
        EXPECT_NE(form.Glyph(1).Bytes(), GlyphBitmap(listGlyph));
        EXPECT_NE(form.Glyph(2).Bytes(), GlyphBitmap(listGlyph));
    }
    EXPECT_NE(form.Glyph(1).Pixel(7, 4) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(form.Glyph(2).Pixel(7, 4) & 0xFFFFFF, 0x00FF00u);
}

TEST_F(SortDialogTest, FieldPopupSortOrderOpensTheDialog)
{
    dialogs.AnswerModal([](ui::TCustomForm& f) {
        EXPECT_NE(dynamic_cast<TfrmVSort*>(&f), nullptr);
        return ui::mrCancel;
    });
    a->FindComponent<ui::TMenuItem>("mnu_sortorder")->Click();
    EXPECT_EQ(dialogs.Asked().size(), 1u);
}

// ---- Filter and Filter list ------------------------------------------------------------------

class FilterDialogTest : public ::testing::Test, public QueryFixture {
protected:
    void SetUp() override
    {
        Table("", "A", {{"id"}, {"name"}});
        a = Q().AddTable("A", {10, 10}, true);
    }
    // Answers the next Filter dialog with operator item `item` and `literal`, OK.
    void AnswerFilter(int item, const std::string& literal)
    {
        dialogs.AnswerModal([item, literal](ui::TCustomForm& f) {
            f.Get<ui::TRadioGroup>("rdoCompare")->SetItemIndex(item);
            f.Get<ui::TEdit>("edtDestLiteral")->SetText(literal);
            f.Get<ui::TButton>("btnOK")->Click();
            return ui::mrNone;
        });
    }
    std::vector<std::string> Criteria()
    {
        std::vector<std::string> out;
        for (int i = 0; i < Q().Criterias().Count(); ++i) {
            TmfVQueryCriteria* c = Q().Criterias().Items(i);
            out.push_back((c->SourceField() ? c->SourceField()->FieldName : "-") + " " + c->Operator + " " + c->Literal());
        }
        return out;
    }
    static std::vector<std::string> Texts(ui::TListBox* list)
    {
        std::vector<std::string> out;
        for (int i = 0; i < list->Items()->Count(); ++i) out.push_back(list->Items()->Strings(i));
        return out;
    }
    TmfVQueryTable* a = nullptr;
};

TEST_F(FilterDialogTest, EmptyLiteralWarnsAndKeepsTheDialogOpen)
{
    dialogs.AnswerModal([this](ui::TCustomForm& f) {
        EXPECT_EQ(f.Get<ui::TLabel>("lblFieldName")->Caption(), "A.id");
        EXPECT_EQ(f.Get<ui::TRadioGroup>("rdoCompare")->ItemIndex(), 4);  // "<="
        f.Get<ui::TEdit>("edtDestLiteral")->SetText("");
        f.Get<ui::TButton>("btnOK")->Click();
        EXPECT_EQ(f.ModalResult(), ui::mrNone);
        EXPECT_EQ(dialogs.Asked().back().message.text, "No literal value");
        f.Get<ui::TRadioGroup>("rdoCompare")->SetItemIndex(1);
        f.Get<ui::TEdit>("edtDestLiteral")->SetText("7");
        f.Get<ui::TButton>("btnOK")->Click();
        return ui::mrNone;
    });
    dialogs.AnswerMessage(ui::mrOk);
    std::string op = "<=", literal = "3";
    EXPECT_TRUE(ShowFilterDialog("A.id", op, literal));
    EXPECT_EQ(op, "<>");
    EXPECT_EQ(literal, "7");
    EXPECT_TRUE(dialogs.Unexpected().empty());
}

TEST_F(FilterDialogTest, ListAddEditDeleteSwapAndCancelRestoresExactly)
{
    // One criterion of another field, which the list neither shows nor loses.
    TmfVQueryCriteria* other = Q().Criterias().Add(F(a, "name"));
    other->Operator = ">";
    other->SetLiteral("'x'");
    const std::vector<std::string> before = Criteria();
    const std::vector<TmfVQueryCriteria> start = Q().Criterias().Snapshot();

    for (ui::TModalResult answer : {ui::mrCancel, ui::mrOk}) {
        SCOPED_TRACE(answer);
        Q().Criterias().Restore(start);
        std::vector<std::string> inDialog;
        dialogs.AnswerModal([&](ui::TCustomForm& f) {
            auto& form = dynamic_cast<Tfrmcriteria&>(f);
            EXPECT_EQ(f.Caption(), "Filter");
            EXPECT_EQ(f.Get<ui::TLabel>("lblFieldName")->Caption(), "A.id");
            EXPECT_TRUE(form.List()->Items()->Count() == 0);
            EXPECT_FALSE(f.Get<ui::TSpeedButton>("sb_edit")->Enabled());
            form.sb_addClick(nullptr);
            form.sb_addClick(nullptr);
            EXPECT_TRUE(f.Get<ui::TSpeedButton>("sb_delete")->Enabled());
            form.List()->SetItemIndex(0);
            form.sb_editClick(nullptr);
            form.SwapItems(0, 1);
            form.SwapItems(1, 1);  // onto itself: nothing
            inDialog = Texts(form.List());
            form.List()->SetItemIndex(0);
            form.sb_deleteClick(nullptr);
            return answer;
        });
        AnswerFilter(0, "1");
        AnswerFilter(2, "2");
        AnswerFilter(5, "9");  // the edit of the first
        EXPECT_TRUE(Q().ShowCriteriaDialog(F(a, "id")));
        EXPECT_EQ(inDialog, (std::vector<std::string>{"id < 2", "id >= 9"}));
        if (answer == ui::mrCancel)
            EXPECT_EQ(Criteria(), before);
        else
            EXPECT_EQ(Criteria(), (std::vector<std::string>{"name > 'x'", "id >= 9"}));
    }
    EXPECT_TRUE(dialogs.Unexpected().empty());
}

TEST_F(FilterDialogTest, NoFieldIsRefusedWithItsMessage)
{
    dialogs.AnswerMessage(ui::mrOk);
    EXPECT_FALSE(Q().ShowCriteriaDialog(nullptr));
    ASSERT_EQ(dialogs.Asked().size(), 1u);
    EXPECT_EQ(dialogs.Asked()[0].message.text, "No Field Selected");
    EXPECT_EQ(Q().Criterias().Count(), 0);
}

// ---- Join Properties -------------------------------------------------------------------------

class JoinDialogTest : public ::testing::Test, public QueryFixture {
protected:
    void SetUp() override
    {
        Table("", "A", {{"id"}});
        Table("", "B", {{"a_id"}});
        a = Q().AddTable("A", {10, 10}, true);
        b = Q().AddTable("B", {200, 10}, true);
        join = Q().AddJoin(F(a, "id"), F(b, "a_id"), "");
        ASSERT_NE(join, nullptr);
    }
    TmfVQueryTable* a = nullptr;
    TmfVQueryTable* b = nullptr;
    TmfVQueryJoin* join = nullptr;
};

TEST_F(JoinDialogTest, OperatorAndJoinTypeWithAdvanceJoinOnAndOff)
{
    struct Case {
        bool advance;
        std::string opIn;
        int expectItem;
        int pickItem;
        const char* pickType;
        std::string opOut;
        int typeOut;
    };
    const Case cases[] = {
        {true, "<>", 1, 4, "rb_left", "<=", 1},
        {true, "> ", 3, 0, "rb_right", "=", 2},
        {false, "??", 0, 2, "rb_left", "<", 0},  // buttons disabled: always inner
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.opIn);
        Q().AdvanceJoin = c.advance;
        join->CompareOperator = c.opIn;
        join->JoinType = 0;
        dialogs.AnswerModal([&](ui::TCustomForm& f) {
            auto& form = dynamic_cast<TfrmCompare&>(f);
            EXPECT_EQ(f.Caption(), "Join Properties");
            auto* compare = f.Get<ui::TRadioGroup>("rdoCompare");
            EXPECT_EQ(compare->ItemIndex(), c.expectItem);
            EXPECT_EQ(f.Get<ui::TRadioButton>("rb_left")->Enabled(), c.advance);
            EXPECT_TRUE(f.Get<ui::TRadioButton>("rb_inner")->Checked());
            compare->SetItemIndex(c.pickItem);
            form.UpdateTexts();
            f.Get<ui::TRadioButton>(c.pickType)->SetChecked(true);
            EXPECT_EQ(f.Get<ui::TPanel>("Ltable")->Caption(), "A");
            EXPECT_EQ(f.Get<ui::TPanel>("Rfield")->Caption(), "a_id");
            return ui::mrOk;
        });
        EXPECT_TRUE(ShowJoinProperties(*join));
        EXPECT_EQ(join->CompareOperator, c.opOut);
        EXPECT_EQ(join->JoinType, c.typeOut);
    }
    EXPECT_TRUE(dialogs.Unexpected().empty());
}

TEST_F(JoinDialogTest, LabelsExplainTheJoinWithTheChosenOperator)
{
    TfrmCompare form(&Q(), "A", "B", "id", "a_id");
    form.Get<ui::TRadioGroup>("rdoCompare")->SetItemIndex(4);
    form.UpdateTexts();
    EXPECT_EQ(form.Get<ui::TLabel>("lb_inner")->Caption(),
              "Only include rows where the joined columns from both tables are equal.");
    EXPECT_EQ(form.Get<ui::TLabel>("lb_left")->Caption(),
              "Include ALL records from 'A.id' and only those records from 'B.a_id' where 'A.id <= B.a_id'.");
    EXPECT_EQ(form.Get<ui::TLabel>("lb_right")->Caption(),
              "Include ALL records from 'B.a_id' and only those records from 'A.id' where 'A.id <= B.a_id'.");
    form.Get<ui::TRadioGroup>("rdoCompare")->SetItemIndex(0);
    form.UpdateTexts();
    EXPECT_EQ(form.Get<ui::TLabel>("lb_left")->Caption(),
              "Include ALL records from 'A.id' and only those records from 'B.a_id' where 'A.id =  B.a_id'.");
}

// ---- SQL Viewer --------------------------------------------------------------------------------

class SqlViewerTest : public ::testing::Test, public QueryFixture {};

TEST_F(SqlViewerTest, ShowsTheSqlKeepsItsWidthAndCentresOk)
{
    Table("", "A", {{"id"}});
    Q().AddTable("A", {10, 10}, true);
    Q().ShowSqlViewer();
    TFrmSqlviewer* viewer = TFrmSqlviewer::Current();
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->Caption(), "SQL Viewer");
    EXPECT_EQ(viewer->Get<ui::TMemo>("Sql_memo")->Text(), Q().SQL()->Text());
    EXPECT_FALSE(viewer->Get<ui::TMemo>("Sql_memo")->Text().empty());
    struct Case {
        int width, expectWidth, okLeft;
    };
    for (const Case& c : {Case{300, 300, 111}, Case{301, 301, 112}, Case{50, 90, 6}, Case{90, 90, 6}}) {
        SCOPED_TRACE(c.width);
        viewer->SetWidth(c.width);
        EXPECT_EQ(viewer->Width(), c.expectWidth);
        EXPECT_EQ(viewer->Get<ui::TButton>("okbtn")->Left(), c.okLeft);
    }
    // A second viewer replaces the first; OK closes it.
    Q().ShowSqlViewer();
    EXPECT_NE(TFrmSqlviewer::Current(), nullptr);
    TFrmSqlviewer::Current()->Get<ui::TButton>("okbtn")->Click();
    EXPECT_EQ(TFrmSqlviewer::Current(), nullptr);
    EXPECT_TRUE(dialogs.Unexpected().empty());
}

}  // namespace

namespace {

using namespace vquery;
using vqtest::QueryFixture;

// ---- Add Table and the canvas popup --------------------------------------------------------

class AddTableTest : public ::testing::Test, public QueryFixture {
protected:
    void SetUp() override
    {
        Table("", "Customers", {{"id"}, {"name"}});
        Table("", "Orders", {{"id"}, {"total"}});
        Table("", "Items", {{"order_id"}, {"amount"}});
    }
    std::vector<std::string> Boxes()
    {
        std::vector<std::string> out;
        for (int i = 0; i < Q().GetTableCount(); ++i) {
            TmfVQueryTable* box = Q().GetTable(i);
            out.push_back(box->TableName() + "@" + std::to_string(box->Left()) + "," + std::to_string(box->Top()));
        }
        return out;
    }
};

TEST_F(AddTableTest, ChosenTablesGetBoxesAtTheirListPlaces)
{
    struct Case {
        const char* name;
        std::function<ui::TModalResult(TfrmAddTable&)> answer;
        std::vector<std::string> boxes;
    };
    const std::vector<Case> cases = {
        {"two chosen, Add",
         [](TfrmAddTable& f) {
             f.List()->SetSelected(0, true);
             f.List()->SetSelected(2, true);
             return ui::mrOk;
         },
         {"Customers@10,12", "Items@14,12"}},
        {"chosen, then Close", [](TfrmAddTable& f) {
             f.List()->SetSelected(1, true);
             return ui::mrCancel;
         }, {}},
        {"a double click adds what is chosen",
         [](TfrmAddTable& f) {
             f.List()->SetSelected(1, true);
             f.List()->DblClick();
             return f.ModalResult();
         },
         {"Orders@12,12"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        while (Q().GetTableCount() > 0) Q().RemoveTable(Q().GetTable(0));
        std::vector<std::string> offered;
        dialogs.AnswerModal([&](ui::TCustomForm& f) {
            auto& form = dynamic_cast<TfrmAddTable&>(f);
            EXPECT_EQ(form.Caption(), "Add Table");
            for (int i = 0; i < form.List()->Items()->Count(); ++i) offered.push_back(form.List()->Items()->Strings(i));
            return c.answer(form);
        });
        Q().AddTableMenuClick();
        EXPECT_EQ(offered, (std::vector<std::string>{"CUSTOMERS", "ORDERS", "ITEMS"}));
        EXPECT_EQ(Boxes(), c.boxes);
    }
    EXPECT_TRUE(dialogs.Unexpected().empty());
}

TEST_F(AddTableTest, TheCanvasPopupAddsTablesShowsTheSqlAndTogglesDistinct)
{
    ui::TPopupMenu* popup = Q().MainPopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->Name(), "popup_main");
    std::vector<std::string> captions;
    for (int i = 0; i < popup->Items()->Count(); ++i) captions.push_back(popup->Items()->Items(i)->Caption());
    EXPECT_EQ(captions, (std::vector<std::string>{"Add Table...", "SQL Viewer...", "Distinct"}));
    // A right click on the canvas opens it with Distinct's mark as the query has it.
    Q().SelectDistinct = true;
    Q().Perform(ui::WM_RBUTTONUP, 0, ui::MakeLParam(200, 150));
    EXPECT_TRUE(popup->Items()->Items(2)->Checked());
    popup->Items()->Items(2)->Click();
    EXPECT_FALSE(Q().SelectDistinct);
    EXPECT_FALSE(popup->Items()->Items(2)->Checked());
    dialogs.AnswerModal([](ui::TCustomForm& f) {
        dynamic_cast<TfrmAddTable&>(f).List()->SetSelected(0, true);
        return ui::mrOk;
    });
    popup->Items()->Items(0)->Click();
    EXPECT_EQ(Boxes(), (std::vector<std::string>{"Customers@10,12"}));
    popup->Items()->Items(1)->Click();
    ASSERT_NE(TFrmSqlviewer::Current(), nullptr);
    EXPECT_NE(TFrmSqlviewer::Current()->Get<ui::TMemo>("Sql_memo")->Text().find("Customers"), std::string::npos);
    TFrmSqlviewer::Current()->Close();
}

// ---- SQL Settings ------------------------------------------------------------------------------

class SettingsDialogTest : public ::testing::Test, public QueryFixture {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean() { vqtest::ClearSqlSettings(); }
    static std::string Read(const std::string& section, const std::string& ident)
    {
        return rtl::TRegIniFile("SQL Generator Global").ReadString(section, ident, "(none)");
    }
};

TEST_F(SettingsDialogTest, DriversSwitchAskingToSaveAndOkWritesTheRegistry)
{
    rtl::TRegIniFile("SQL Generator Global").WriteString("SQLOLEDB", "QuoteChar", "[");
    TfrmSettings form(nullptr, "MSDASQL");
    // The data layer's providers, less a final ".1", sorted (letter case aside).
    EXPECT_EQ(form.Get<ui::TComboBox>("cboDrivers")->Items()->CommaText(),
              "Microsoft.Jet.OLEDB.4.0,MSDAORA,MSDASQL,SQLOLEDB");
    struct Case {
        ui::TModalResult save;
        std::string savedBegin;  // what the registry holds of MSDASQL afterwards
    };
    for (const Case& c : {Case{ui::mrNo, "(none)"}, Case{ui::mrYes, "--"}}) {
        SCOPED_TRACE(c.save);
        dialogs.AnswerModal([&](ui::TCustomForm& f) {
            auto& s = dynamic_cast<TfrmSettings&>(f);
            EXPECT_EQ(s.Caption(), "SQL Settings");
            EXPECT_EQ(s.Get<ui::TComboBox>("cboDrivers")->Text(), "MSDASQL");
            EXPECT_EQ(s.Get<ui::TEdit>("edtCommentBegin")->Text(), "/*");
            // Nothing stored: no quote character, which is the third choice.
            EXPECT_EQ(s.Get<ui::TRadioGroup>("rdoSchemaQuote")->ItemIndex(), 2);
            s.Get<ui::TEdit>("edtCommentBegin")->SetText("--");
            EXPECT_TRUE(s.Modified());
            dialogs.AnswerMessage(c.save);
            auto* drivers = s.Get<ui::TComboBox>("cboDrivers");
            drivers->SelectByUser(drivers->Items()->IndexOf("SQLOLEDB"));
            // The other driver's own settings: the third quote choice, its edit enabled.
            EXPECT_EQ(s.Get<ui::TRadioGroup>("rdoSchemaQuote")->ItemIndex(), 2);
            EXPECT_TRUE(s.Get<ui::TEdit>("edtQuoteChar")->Enabled());
            EXPECT_EQ(s.Get<ui::TEdit>("edtQuoteChar")->Text(), "[");
            EXPECT_FALSE(s.Modified());
            return ui::mrCancel;
        });
        TfrmSettings dialog(nullptr, "MSDASQL");
        EXPECT_FALSE(dialog.Execute().has_value());
        EXPECT_EQ(Read("MSDASQL", "CommentStart"), c.savedBegin);
        Clean();
        rtl::TRegIniFile("SQL Generator Global").WriteString("SQLOLEDB", "QuoteChar", "[");
    }
    const auto question = std::find_if(dialogs.Asked().begin(), dialogs.Asked().end(),
                                       [](const auto& q) { return q.kind == ui::TScriptedDialogs::TKind::Message; });
    ASSERT_NE(question, dialogs.Asked().end());
    EXPECT_EQ(question->message.text, "Save changes to MSDASQL?");

    // OK: the driver remembered, its three settings written, the results given.
    dialogs.AnswerModal([](ui::TCustomForm& f) {
        auto& s = dynamic_cast<TfrmSettings&>(f);
        s.Get<ui::TRadioGroup>("rdoSchemaQuote")->SetItemIndex(1);
        s.Get<ui::TButton>("btnOK")->Click();
        return f.ModalResult();
    });
    TfrmSettings ok(nullptr, "MSDASQL");
    const std::optional<TSQLSettings> result = ok.Execute();
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->quoteChars, "\"");
    EXPECT_EQ(result->commentStart, "/*");
    EXPECT_EQ(Read("DriverName", "Last"), "MSDASQL");
    EXPECT_EQ(Read("MSDASQL", "QuoteChar"), "\"");
    EXPECT_EQ(Read("MSDASQL", "CommentEnd"), "*/");
    EXPECT_TRUE(dialogs.Unexpected().empty());
}

}  // namespace
