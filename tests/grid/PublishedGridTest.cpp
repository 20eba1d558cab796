// The published grid TgkDBGrid on the fake window system: its registration and published
// defaults, the column list applied to the SQLite sample's orders through the ADO query, fixed
// columns, the date-time picker (through a stand-in control), the memo dialog, multi-record
// selection and sizing a fixed column by the mouse.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "grid/GridRoutines.h"
#include "grid/Intl.h"
#include "grid/PublishedDBGrid.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Streaming.h"
#include "platform/db/AdoDataSet.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Exceptions.h"
#include "platform/ui/Messages.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/testing/TestDialogs.h"
#include "tests/grid/GridTestSupport.h"
#include "tests/grid/SampleQuery.h"

namespace publishedgridtest {

// What the grid needs of a date-time picker, and nothing more.
class TStandInPicker : public ui::TWinControl {
    GW_CLASS(TStandInPicker)

public:
    using ui::TWinControl::TWinControl;
    bool ReadOnly() const { return readOnly; }
    void SetReadOnly(bool v) { readOnly = v; }
    db::TDataSource* DataSource() const { return source; }
    void SetDataSource(db::TDataSource* s) { source = s; }
    std::string DataField() const { return field; }
    void SetDataField(const std::string& f) { field = f; }
    int sizeMessages = 0;
    bool readOnly = false;
    db::TDataSource* source = nullptr;
    std::string field;

protected:
    void Dispatch(ui::TMessage& m) override
    {
        if (m.Msg == ui::WM_SIZE) ++sizeMessages;
        ui::TWinControl::Dispatch(m);
    }
};
GW_IMPLEMENT_CLASS(TStandInPicker, ui::TWinControl)
{
    p.Boolean("ReadOnly", &TStandInPicker::ReadOnly, &TStandInPicker::SetReadOnly, false);
    p.Component<db::TDataSource>("DataSource", &TStandInPicker::DataSource, &TStandInPicker::SetDataSource);
    p.String("DataField", &TStandInPicker::DataField, &TStandInPicker::SetDataField);
}

// A windowed control that is no picker: it publishes none of the picker's properties.
class TNotAPicker : public ui::TWinControl {
public:
    using ui::TWinControl::TWinControl;
};

}  // namespace publishedgridtest

namespace {

using namespace grid;
using publishedgridtest::TStandInPicker;

// Installs a creator of stand-in pickers for one test and counts what it made.
struct TPickerCreatorScope {
    TPickerCreatorScope()
    {
        previous = SetDateTimePickerCreator([this](TgkDBGrid& grid) -> ui::TWinControl* {
            ++made;
            last = new TStandInPicker(&grid);
            return last;
        });
    }
    ~TPickerCreatorScope() { SetDateTimePickerCreator(std::move(previous)); }
    TgkDateTimePickerCreator previous;
    int made = 0;
    TStandInPicker* last = nullptr;
};

void SetDesigning(classes::TComponent& c, bool on) { classes::detail::TStreamAccess::SetState(c, classes::csDesigning, on); }

TEST(PublishedGrid, IsRegisteredWithItsPublishedDefaults)
{
    RegisterPublishedGridClasses();
    const classes::TClassInfo* info = classes::FindClassInfo("TgkDBGrid");
    ASSERT_NE(info, nullptr);
    // A stored form may hold the indicator button over the grid's corner.
    EXPECT_NE(classes::FindClassInfo("TgkIButton"), nullptr);
    gridtest::TFakeWindowSystem ws;
    std::unique_ptr<classes::TComponent> made(classes::CreateComponent("TgkDBGrid", nullptr));
    auto* grid = dynamic_cast<TgkDBGrid*>(made.get());
    ASSERT_NE(grid, nullptr);
    struct Case {
        const char* path;
        classes::TPropValue value;
    } cases[] = {
        {"FixedCols", classes::TPropValue(std::int64_t{0})},
        {"IniAttributes.Delimiter", classes::TPropValue(std::string(";;"))},
        {"IniAttributes.Enabled", classes::TPropValue(false)},
        {"IniAttributes.FileName", classes::TPropValue(std::string())},
        {"IniAttributes.SectionName", classes::TPropValue(std::string())},
        {"IniAttributes.CheckNewFields", classes::TPropValue(false)},
        {"ExportOptions.Delimiter", classes::TPropValue(std::string(","))},
        {"ExportOptions.HTMLBorderWidth", classes::TPropValue(std::int64_t{1})},
        {"ExportOptions.ExportType", classes::TPropValue(std::int64_t{gkgetTxt})},
        {"ReadOnly", classes::TPropValue(false)},
        {"UseTFields", classes::TPropValue(true)},
        {"ShowVertScrollBar", classes::TPropValue(true)},
    };
    for (const Case& c : cases) {
        const auto value = classes::GetPropValue(*grid, c.path);
        ASSERT_TRUE(value.has_value()) << c.path;
        EXPECT_TRUE(classes::SamePropValue(*value, c.value)) << c.path;
    }
    EXPECT_EQ(grid->MemoAttributes(), (TgkMemoAttributes{mSizeable, mWordWrap}));
    EXPECT_EQ(grid->ExportOptions()->Options().Bits(), 1049u);  // header, title, quotes, alternating
    for (const char* event : {"OnExportField", "OnMemoOpen", "OnMemoClose", "OnMultiSelectAllRecords",
                              "OnMultiSelectRecord", "OnCreateDateTimePicker", "OnURLOpen", "OnDblClick"})
        EXPECT_NE(classes::FindProperty(*grid, event), nullptr) << event;
    EXPECT_TRUE(gkIsClass(grid, "TCustomGrid"));
    EXPECT_EQ(grid->IniAttributes()->Grid(), grid);
    EXPECT_EQ(grid->ExportOptions()->Grid(), grid);
    for (const db::TVariant& v : grid->ChangedFlags()) EXPECT_FALSE(v.AsBoolean());
}

// Every property the published grid lists, its own and the control's, so stored forms keep
// them all.
TEST(PublishedGrid, PublishesEveryListedProperty)
{
    RegisterPublishedGridClasses();
    gridtest::TFakeWindowSystem ws;
    TgkDBGrid grid(nullptr);
    for (const char* name :
         {"LineStyle", "ControlInfoInDataset", "ControlType", "PictureMaskFromDataSet", "PictureMasks", "Selected",
          "MemoAttributes", "IniAttributes", "ExportOptions", "TitleColor", "FixedCols", "ShowHorzScrollBar",
          "ShowVertScrollBar", "EditControlOptions", "KeyOptions", "MultiSelectOptions", "Options", "ReadOnly",
          "UseTFields", "EditCalculated", "DefaultDrawing", "RowHeightPercent", "DragVertOffset", "PadColumnStyle",
          "HideAllLines", "LoadAllRTF", "IndicatorColor", "IndicatorIconColor", "FooterColor", "FooterCellColor",
          "FooterHeight", "IndicatorButton", "ImageList", "TitleImageList", "LineColors", "PaintOptions",
          "TitleAlignment", "TitleFont", "TitleLines", "TitleButtons", "Align", "Anchors", "BiDiMode",
          "BorderStyle", "Color", "Constraints", "Ctl3D", "DataSource", "DragCursor", "DragMode", "Enabled", "Font",
          "ImeMode", "ImeName", "ParentBiDiMode", "ParentColor", "ParentCtl3D", "ParentFont", "ParentShowHint",
          "PopupMenu", "ShowHint", "TabOrder", "TabStop", "Visible", "OnCalcCellColors", "OnCalcTitleAttributes",
          "OnColWidthChanged", "OnDrawGroupHeaderCell", "OnTitleButtonClick", "OnColEnter", "OnColExit",
          "OnDrawDataCell", "OnCreateHintWindow", "OnCheckValue", "OnColumnMoved", "OnTopRowChanged",
          "OnCalcTitleImage", "OnDrawFooterCell", "OnDrawTitleCell", "OnFieldChanged", "OnUpdateFooter",
          "OnBeforePaint", "OnLeftColChanged", "OnRowChanged", "OnCellChanged", "OnDblClick", "OnDragDrop",
          "OnDragOver", "OnEndDrag", "OnStartDrag", "OnEnter", "OnExit", "OnKeyDown", "OnKeyPress", "OnKeyUp",
          "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnURLOpen"})
        EXPECT_NE(classes::FindProperty(grid, name), nullptr) << name;
}

// Properties without meaning here still go through the text form unchanged.
TEST(PublishedGrid, StoredOnlyPropertiesSurviveTheTextForm)
{
    RegisterPublishedGridClasses();
    gridtest::TFakeWindowSystem ws;
    const char* lines[] = {"BiDiMode = bdRightToLeft", "ParentBiDiMode = False", "Ctl3D = False",
                           "ParentCtl3D = False", "ImeMode = imClose", "ImeName = 'Pinyin'",
                           "Constraints.MinWidth = 40", "Constraints.MaxHeight = 300", "DragCursor = -13",
                           "BorderStyle = bsSingle", "LoadAllRTF = True"};
    std::string body;
    for (const char* l : lines) body += std::string("    ") + l + "\n";
    ui::TForm form(nullptr);
    classes::ReadComponentText(form, "object Design: TForm\n  object g: TgkDBGrid\n" + body + "  end\nend\n");
    auto* grid = dynamic_cast<TgkDBGrid*>(form.FindComponent("g"));
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->StoredProps().biDiMode, ui::bdRightToLeft);
    EXPECT_EQ(grid->StoredProps().constraints.MinWidth, 40);
    EXPECT_EQ(grid->BorderStyle(), ui::bsSingle);
    EXPECT_TRUE(grid->LoadAllRTF());
    const std::string text = classes::WriteComponentText(form);
    for (const char* l : lines) EXPECT_NE(text.find(l), std::string::npos) << l << "\n" << text;
    // At their defaults none is written.
    TgkDBGrid plain(nullptr);
    plain.SetName("plain");
    const std::string defaults = classes::WriteComponentText(plain);
    for (const char* name : {"BiDiMode", "Ctl3D", "ImeMode", "ImeName", "Constraints", "DragCursor", "BorderStyle",
                             "LoadAllRTF"})
        EXPECT_EQ(defaults.find(name), std::string::npos) << name << "\n" << defaults;
}

// The indicator button is written nested in the grid and, read back, becomes the grid's
// button again; controls placed into the grid over its cells are not the grid's to write.
TEST(PublishedGrid, TheIndicatorButtonGoesWithTheGridInTheStoredForm)
{
    RegisterPublishedGridClasses();
    gridtest::TFakeWindowSystem ws;
    ui::TForm form(nullptr);
    classes::ReadComponentText(form, R"(object Design: TForm
  object data_grid: TgkDBGrid
    object corner: TgkIButton
      Width = 17
      Height = 20
    end
  end
end
)");
    auto* grid = dynamic_cast<TgkDBGrid*>(form.FindComponent("data_grid"));
    ASSERT_NE(grid, nullptr);
    ASSERT_NE(form.FindComponent("corner"), nullptr);
    EXPECT_EQ(grid->IndicatorButton(), form.FindComponent("corner"));
    EXPECT_EQ(grid->IndicatorWidth(), 16);
    auto* placed = new ui::TEdit(&form);
    placed->SetName("placed");
    placed->SetParent(grid);
    const std::string text = classes::WriteComponentText(form);
    const std::size_t gridAt = text.find("  object data_grid: TgkDBGrid");
    const std::size_t buttonAt = text.find("    object corner: TgkIButton");
    ASSERT_NE(gridAt, std::string::npos) << text;
    ASSERT_NE(buttonAt, std::string::npos) << text;
    EXPECT_LT(gridAt, buttonAt);
    EXPECT_EQ(text.find("placed"), std::string::npos) << text;
    EXPECT_EQ(text.find("IndicatorButton ="), std::string::npos) << text;
}

TEST(PublishedGrid, ReadsTheDesignWindowsFormValues)
{
    RegisterPublishedGridClasses();
    gridtest::TFakeWindowSystem ws;
    ui::TForm form(nullptr);
    classes::ReadComponentText(form, R"(object Design: TForm
  object data_grid: TgkDBGrid
    Align = alClient
    ReadOnly = True
    FixedCols = 0
    ShowHorzScrollBar = True
    TitleColor = clBtnFace
    TitleAlignment = taLeftJustify
    TitleLines = 1
    TitleButtons = False
    IniAttributes.Delimiter = ';;'
    Options = [dgEditing, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs, dgConfirmDelete, dgCancelOnExit, dgWordWrap, dgPerfectRowFit]
    MemoAttributes = [mWordWrap, mGridShow]
    ExportOptions.Delimiter = ';'
  end
end
)");
    auto* grid = dynamic_cast<TgkDBGrid*>(form.FindComponent("data_grid"));
    ASSERT_NE(grid, nullptr);
    EXPECT_TRUE(grid->ReadOnly());
    EXPECT_EQ(grid->Align(), ui::alClient);
    EXPECT_EQ(grid->GkFixedCols(), 0);
    EXPECT_TRUE(grid->Options().Contains(dgPerfectRowFit));
    EXPECT_FALSE(grid->IniAttributes()->Enabled());
    EXPECT_EQ(grid->MemoAttributes(), (TgkMemoAttributes{mWordWrap, mGridShow}));
    EXPECT_EQ(grid->ExportOptions()->Delimiter(), ";");
    const std::string written = classes::WriteComponentText(form);
    EXPECT_NE(written.find("IniAttributes.Delimiter = ';;'"), std::string::npos) << written;
    EXPECT_NE(written.find("FixedCols = 0"), std::string::npos) << written;
    EXPECT_NE(written.find("ExportOptions.Delimiter = ';'"), std::string::npos) << written;
}

// ---- The design window's grid over the sample's orders ------------------------------------------------

class SampleGrid : public ::testing::Test {
protected:
    void SetUp() override
    {
        ui::Application().Reset();
        form = std::make_unique<ui::TForm>(nullptr);
        form->SetBounds(0, 0, 640, 400);
        grid = new TgkDBGrid(form.get());
        grid->SetName("data_grid");
        grid->SetParent(form.get());
        grid->SetAlign(ui::alClient);
        // The design window's form values.
        grid->SetReadOnly(true);
        grid->SetGkFixedCols(0);
        grid->SetOptions({dgEditing, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs,
                          dgConfirmDelete, dgCancelOnExit, dgWordWrap, dgPerfectRowFit});
        grid->SetDataSource(&source);
        form->Show();
    }

    void TearDown() override
    {
        form.reset();
        query.Close();
    }

    // The program's entries: name, width, name.
    void Fill(std::initializer_list<std::string> entries)
    {
        grid->Selected()->Clear();
        for (const std::string& e : entries) grid->Selected()->Add(e);
    }

    std::vector<std::string> Shown()
    {
        std::vector<std::string> names;
        for (int i = 0; i < grid->FieldCount(); ++i) names.push_back(grid->Fields(i)->FieldName());
        return names;
    }

    gridtest::TFakeWindowSystem ws;
    gridtest::TSampleQuery sample{"SELECT * FROM orders"};
    db::TADOQuery& query = sample.query;
    db::TDataSource& source = sample.source;
    std::unique_ptr<ui::TForm> form;
    TgkDBGrid* grid = nullptr;
    ui::TScriptedDialogs dialogs;
    ui::TDialogServiceScope scope{dialogs};
};

TEST_F(SampleGrid, ApplySelectedAsTheProgramFillsIt)
{
    query.Open();
    const std::vector<std::string> all{"order_id", "customer_id", "order_date", "order_time",
                                       "shipped_at", "status", "notes"};
    ASSERT_EQ(Shown(), all);
    struct Case {
        const char* what;
        std::vector<std::string> entries;
        std::vector<std::string> shown;    // visible fields, in grid order
        const char* widthOf = "";          // a field whose width and title are checked
        int width = 0;
        const char* title = "";
    } cases[] = {
        {"every field, reordered", {"status\t12\tstatus", "order_id\t8\torder_id"}, {"status", "order_id"},
         "status", 12, "status"},
        {"missing fields keep the later entries' places",
         {"nosuch\t5\tnosuch", "notes\t30\tnotes", "gone\t4\tgone", "order_date\t10\torder_date"},
         {"notes", "order_date"}, "notes", 30, "notes"},
        {"two entries for one field: the later wins",
         {"status\t9\tFirst", "order_id\t8\torder_id", "status\t14\tSecond"}, {"order_id", "status"}, "status",
         14, "Second"},
        {"an empty list hides every field", {}, {}, "", 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        grid->Selected()->Clear();
        for (const std::string& e : c.entries) grid->Selected()->Add(e);
        grid->ApplySelected();
        EXPECT_FALSE(query.ControlsDisabled());
        std::vector<std::string> visible;
        for (int i = 0; i < query.FieldCount(); ++i)
            if (query.Fields()[i]->Visible()) visible.push_back(query.Fields()[i]->FieldName());
        EXPECT_EQ(visible, c.shown);
        if (!c.shown.empty()) {
            EXPECT_EQ(Shown(), c.shown);
        }
        if (*c.widthOf != '\0') {
            EXPECT_EQ(query.FieldByName(c.widthOf)->DisplayWidth(), c.width);
            EXPECT_EQ(query.FieldByName(c.widthOf)->DisplayLabel(), c.title);
        }
    }
    // A bad width changes nothing, and the data set's controls come back.
    Fill({"order_id\t8\torder_id", "status\t12\tstatus"});
    grid->ApplySelected();
    Fill({"notes\t20\tnotes", "status\twide\tstatus"});
    EXPECT_THROW(grid->ApplySelected(), rtl::EConvertError);
    EXPECT_FALSE(query.ControlsDisabled());
    EXPECT_EQ(Shown(), (std::vector<std::string>{"order_id", "status"}));
    EXPECT_FALSE(query.FieldByName("notes")->Visible());
    EXPECT_EQ(query.FieldByName("status")->DisplayWidth(), 12);
}

TEST_F(SampleGrid, TheListIsAppliedWhenTheQueryOpens)
{
    Fill({"status\t12\tStatus~now", "order_date\t10\torder_date"});
    query.Open();
    EXPECT_EQ(Shown(), (std::vector<std::string>{"status", "order_date"}));
    // A bad list makes opening fail, and the controls still come back.
    query.Close();
    Fill({"status\tx\tStatus"});
    EXPECT_THROW(query.Open(), rtl::EConvertError);
    EXPECT_FALSE(query.ControlsDisabled());
}

TEST_F(SampleGrid, ThePickerOfTheReadOnlyGridIsMadeOnceBoundAndNeverShown)
{
    TPickerCreatorScope creator;
    int created = 0;
    grid->OnCreateDateTimePicker = [&](classes::TObject*, ui::TWinControl* picker) {
        ++created;
        EXPECT_NE(picker, nullptr);
    };
    Fill({"order_id\t8\torder_id", "order_date\t10\torder_date", "status\t12\tstatus", "shipped_at\t19\tshipped_at"});
    query.Open();
    grid->SetFocus();
    EXPECT_EQ(creator.made, 0);  // no date cell yet
    for (int round = 0; round < 2; ++round) {
        grid->SetSelectedIndex(1);  // order_date
        ASSERT_EQ(creator.made, 1);
        TStandInPicker* picker = creator.last;
        EXPECT_EQ(grid->GridDateTimePicker(), picker);
        EXPECT_EQ(picker->Owner(), grid);
        EXPECT_EQ(picker->Parent(), grid);
        EXPECT_EQ(picker->source, &source);
        EXPECT_EQ(picker->field, "order_date");
        EXPECT_TRUE(picker->readOnly);
        EXPECT_FALSE(picker->Visible());
        EXPECT_GT(picker->sizeMessages, 0);
        query.MoveBy(3);
        grid->SetSelectedIndex(3);  // shipped_at, a time stamp
        EXPECT_EQ(picker->field, "shipped_at");
        grid->Repaint();
        grid->Perform(ui::WM_PAINT);
        EXPECT_FALSE(picker->Visible());
        EXPECT_EQ(grid->CurrentCustomControl(), nullptr);
        EXPECT_FALSE(grid->IsCustomCell(grid->Col(), grid->Row()));
    }
    EXPECT_EQ(created, 1);
    // Shown always over the read-only grid: placed, but it cannot write.
    grid->ShowControlsAlways = true;
    grid->SetSelectedIndex(1);
    EXPECT_EQ(grid->CurrentCustomControl(), creator.last);
    EXPECT_TRUE(creator.last->readOnly);
    EXPECT_EQ(creator.made, 1);
}

TEST_F(SampleGrid, FixedColumnsAsATable)
{
    Fill({"order_id\t8\torder_id", "customer_id\t8\tcustomer_id", "order_date\t10\torder_date",
          "status\t12\tstatus"});
    query.Open();
    struct Case {
        int value;
        bool designing;
        int stored;      // FixedCols afterwards
        int coreFixed;   // the core's fixed count (indicator included)
        bool warned;
    } cases[] = {
        {1, false, 1, 2, false},  {2, false, 2, 3, false},   {3, false, 3, 4, false},
        {4, false, 4, 4, false},  // leaves no scrolling column: stored, not applied
        {-1, false, -1, 4, false}, {0, false, 0, 1, false},  {2, true, 2, 3, false},
        {4, true, 2, 3, true},    {-1, true, 2, 3, true},    {0, true, 0, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.value) + (c.designing ? " designing" : ""));
        SetDesigning(*form, c.designing);
        const std::size_t asked = dialogs.Asked().size();
        if (c.warned) dialogs.AnswerMessage(ui::mrOk);
        grid->SetGkFixedCols(c.value);
        EXPECT_EQ(grid->GkFixedCols(), c.stored);
        EXPECT_EQ(grid->FixedCols(), c.coreFixed);
        EXPECT_EQ(dialogs.Asked().size() - asked, c.warned ? 1u : 0u);
        if (c.warned && !dialogs.Asked().empty()) {
            EXPECT_EQ(dialogs.Asked().back().message.text, "Invalid value for FixedCols");
            EXPECT_EQ(dialogs.Asked().back().message.type, ui::mtWarning);
        }
        for (int col = 0; col < grid->FixedCols(); ++col) EXPECT_FALSE(grid->TabStops(col)) << col;
        // The fixed columns' cells start in the title colour, the others in the grid's.
        for (int col = 0; col < grid->ColCount(); ++col)
            EXPECT_EQ(grid->GetGridColor(col), col < c.coreFixed ? grid->TitleColor() : grid->Color()) << col;
    }
    SetDesigning(*form, false);
    // A value too large for the columns now applies once there are enough of them.
    grid->SetGkFixedCols(5);
    EXPECT_EQ(grid->FixedCols(), 1);
    Fill({"order_id\t8\to", "customer_id\t8\tc", "order_date\t10\td", "status\t12\ts", "notes\t20\tn",
          "order_time\t8\tt", "shipped_at\t19\tsh"});
    grid->ApplySelected();
    EXPECT_EQ(grid->FixedCols(), 6);
    EXPECT_TRUE(dialogs.Unexpected().empty());
}

TEST_F(SampleGrid, DoubleClickAndF2OnNotesOpenTheMemoViewOnly)
{
    Fill({"order_id\t8\torder_id", "notes\t30\tOrder~notes"});
    query.Open();
    grid->SetFocus();
    // The fifth order is the first with a note.
    while (!query.Eof() && query.FieldByName("notes")->AsString().empty()) query.Next();
    ASSERT_FALSE(query.Eof());
    const std::string note = query.FieldByName("notes")->AsString();
    EXPECT_EQ(grid->GetFieldValue(1), "(Memo)");
    int opened = 0, closed = 0;
    grid->OnMemoOpen = [&](classes::TObject*, TgkMemoDialog* d) {
        ++opened;
        EXPECT_TRUE(d->MemoAttributes().Contains(mViewOnly));
    };
    grid->OnMemoClose = [&](classes::TObject*, bool cancel) {
        ++closed;
        EXPECT_FALSE(cancel);
    };
    const auto viewOnly = [&](ui::TCustomForm& f) {
        auto& form = dynamic_cast<TgkMemoDlg&>(f);
        form.FormShow(&form);
        EXPECT_EQ(form.Caption(), "Order notes");
        EXPECT_EQ(form.Memo()->Text(), note);
        EXPECT_TRUE(form.Memo()->ReadOnly());
        EXPECT_FALSE(form.CancelButton()->Visible());
        EXPECT_TRUE(form.OKButton()->Visible());
        const int okCentre = form.OKButton()->Left() + form.OKButton()->Width() / 2;
        EXPECT_NEAR(okCentre, form.Memo()->Left() + form.Memo()->Width() / 2, 1);
        return ui::mrOk;
    };
    const ui::TRect cell = grid->CellRect(2, grid->Row());
    const auto at = ui::MakeLParam(cell.Left + 5, cell.Top + 3);
    dialogs.AnswerModal(viewOnly);
    grid->Perform(ui::WM_LBUTTONDOWN, ui::MK_LBUTTON, at);
    grid->Perform(ui::WM_LBUTTONUP, 0, at);
    EXPECT_EQ(grid->Col(), 2);
    grid->Perform(ui::WM_LBUTTONDBLCLK, ui::MK_LBUTTON, at);
    dialogs.AnswerModal(viewOnly);
    ui::TKey f2 = ui::VK_F2;
    grid->KeyDown(f2, {});
    EXPECT_EQ(opened, 2);
    EXPECT_EQ(closed, 2);
    EXPECT_EQ(query.State(), db::dsBrowse);
    // No dialog at all with mDisableDialog.
    grid->SetMemoAttributes(grid->MemoAttributes() | TgkMemoAttributes{mDisableDialog});
    grid->Perform(ui::WM_LBUTTONDBLCLK, ui::MK_LBUTTON, at);
    f2 = ui::VK_F2;
    grid->KeyDown(f2, {});
    EXPECT_EQ(opened, 2);
    EXPECT_TRUE(dialogs.Unexpected().empty());
    EXPECT_EQ(dialogs.PendingAnswers(), 0u);
}

// ---- An editable grid over an in-memory data set ---------------------------------------------------------

class EditableGrid : public gridtest::TGridFixture<TgkDBGrid> {
protected:
    void MakeDatedData(int rows = 6)
    {
        ds = std::make_unique<dbtest::TMemDataSet>(nullptr);
        ds->columns = {{"ID", db::ftInteger}, {"DUE", db::ftDateTime}, {"NOTES", db::ftMemo}};
        for (int i = 1; i <= rows; ++i)
            ds->AddRow({db::TVariant(i), db::TVariant(rtl::TDateTime(45000.0 + i)),
                        db::TVariant("note " + std::to_string(i))});
        source->SetDataSet(ds.get());
    }

    ui::TScriptedDialogs dialogs;
    ui::TDialogServiceScope scope{dialogs};
};

TEST_F(EditableGrid, ThePickerLiesOverTheCurrentDateCellReadOnlyByFieldOrColumn)
{
    TPickerCreatorScope creator;
    MakeDatedData();
    ShowAndOpen();
    grid->SetFocus();
    ASSERT_TRUE(grid->CanEdit());
    grid->SetSelectedIndex(1);
    TStandInPicker* picker = creator.last;
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(grid->CurrentCustomControl(), picker);
    EXPECT_FALSE(picker->readOnly);
    grid->Perform(ui::WM_PAINT);
    EXPECT_TRUE(picker->Visible());
    EXPECT_EQ(picker->BoundsRect(), grid->CellRect(grid->Col(), grid->Row()));
    ds->Next();
    EXPECT_EQ(picker->BoundsRect(), grid->CellRect(grid->Col(), grid->Row()));
    struct Case {
        const char* what;
        bool fieldReadOnly;
        const char* entryFlag;  // part 4 of the DUE entry ("" for three parts)
        bool gridReadOnly;
        bool expected;
    } cases[] = {
        {"editable", false, "", false, false},       {"field read-only", true, "", false, true},
        {"column flag T", false, "\tT", false, true}, {"column flag F", false, "\tF", false, false},
        {"grid read-only", false, "", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ds->FieldByName("DUE")->SetReadOnly(c.fieldReadOnly);
        grid->SetReadOnly(c.gridReadOnly);
        grid->Selected()->SetText("ID\t5\tID\nDUE\t12\tDue" + std::string(c.entryFlag) + "\nNOTES\t20\tNotes\n");
        grid->ApplySelected();
        grid->SetSelectedIndex(1);
        EXPECT_EQ(picker->readOnly, c.expected);
        EXPECT_EQ(grid->CurrentCustomControl() == picker, !c.gridReadOnly);
    }
    EXPECT_EQ(creator.made, 1);
    // Moving to another column hides it.
    grid->SetReadOnly(false);
    grid->SetSelectedIndex(0);
    grid->SetSelectedIndex(1);
    grid->Perform(ui::WM_PAINT);
    EXPECT_TRUE(picker->Visible());
    grid->SetSelectedIndex(0);
    EXPECT_FALSE(picker->Visible());
    // With dgRowSelect or ecoDisableDateTimePicker it is not placed.
    grid->SetEditControlOptions(grid->EditControlOptions() | TgkEditControlOptions{ecoDisableDateTimePicker});
    grid->SetSelectedIndex(1);
    EXPECT_EQ(grid->CurrentCustomControl(), nullptr);
}

TEST_F(EditableGrid, ThePickerGoesWhenTheFocusLeavesAndTakesTheCharactersTyped)
{
    TPickerCreatorScope creator;
    MakeDatedData();
    auto* other = new ui::TEdit(form.get());
    other->SetParent(form.get());
    other->SetBounds(0, 220, 100, 20);
    ShowAndOpen();
    grid->SetFocus();
    grid->SetSelectedIndex(1);
    grid->Perform(ui::WM_PAINT);
    TStandInPicker* picker = creator.last;
    ASSERT_NE(picker, nullptr);
    ASSERT_TRUE(picker->Visible());
    const std::size_t pending = ws.queue.Pending();
    grid->Perform(ui::WM_CHAR, '5', 0);
    EXPECT_EQ(ws.queue.Pending(), pending + 1);  // posted to the picker
    // The focus going into the picker keeps it; elsewhere it goes.
    picker->SetFocus();
    EXPECT_TRUE(picker->Visible());
    other->SetFocus();
    EXPECT_FALSE(picker->Visible());
    EXPECT_EQ(grid->CurrentCustomControl(), nullptr);
}

// A published grid that counts its re-layouts.
class TCountingGrid : public TgkDBGrid {
public:
    using TgkDBGrid::TgkDBGrid;
    int layouts = 0;
    void LayoutChanged() override
    {
        ++layouts;
        TgkDBGrid::LayoutChanged();
    }
};

using ShowingGrid = gridtest::TGridFixture<TCountingGrid>;

TEST_F(ShowingGrid, ShownAgainThroughAParentTheGridLaysItselfOut)
{
    MakeData(3);
    auto* panel = new ui::TPanel(form.get());
    panel->SetParent(form.get());
    panel->SetBounds(0, 0, 400, 200);
    grid->SetParent(panel);
    ShowAndOpen();
    ASSERT_TRUE(grid->Showing());
    panel->SetVisible(false);
    grid->layouts = 0;
    panel->SetVisible(true);
    EXPECT_EQ(grid->layouts, 1);
    grid->layouts = 0;
    grid->SetVisible(false);
    grid->SetVisible(true);
    EXPECT_EQ(grid->layouts, 1);  // not when it stops showing
}

TEST_F(EditableGrid, APickerCreatorMustGiveAPicker)
{
    MakeDatedData();
    ShowAndOpen();
    {
        // No creator and no registered picker class: date cells are painted by the grid.
        const TgkDateTimePickerCreator previous = SetDateTimePickerCreator({});
        grid->SetSelectedIndex(1);
        EXPECT_EQ(grid->GridDateTimePicker(), nullptr);
        SetDateTimePickerCreator(previous);
    }
    grid->SetSelectedIndex(0);
    const TgkDateTimePickerCreator previous = SetDateTimePickerCreator(
        [](TgkDBGrid& g) -> ui::TWinControl* { return new publishedgridtest::TNotAPicker(&g); });
    EXPECT_THROW(grid->SetSelectedIndex(1), rtl::EInvalidOperation);
    EXPECT_EQ(grid->GridDateTimePicker(), nullptr);
    SetDateTimePickerCreator(previous);
}

TEST_F(EditableGrid, TheMemoEditsUnpostedAndCancelAfterAChangeAsks)
{
    MakeDatedData();
    ShowAndOpen();
    grid->SetFocus();
    grid->SetSelectedIndex(2);
    ASSERT_TRUE(grid->IsMemoCell(grid->Col(), grid->Row()));
    EXPECT_FALSE(grid->CanEditShow());
    // Ctrl+Enter writes back without posting.
    dialogs.AnswerModal([](ui::TCustomForm& f) {
        auto& form = dynamic_cast<TgkMemoDlg&>(f);
        form.FormShow(&form);
        EXPECT_FALSE(form.Memo()->ReadOnly());
        EXPECT_TRUE(form.CancelButton()->Visible());
        EXPECT_FALSE(form.OKButton()->Enabled());
        form.Memo()->SetTextByUser("rewritten");
        EXPECT_TRUE(form.OKButton()->Enabled());
        ui::TKey key = ui::VK_RETURN;
        form.MemoKeyDown(form.Memo(), key, ui::TShiftState{ui::ssCtrl});
        return form.ModalResult();
    });
    ui::TKey f2 = ui::VK_F2;
    grid->KeyDown(f2, {});
    EXPECT_EQ(ds->State(), db::dsEdit);
    EXPECT_EQ(ds->FieldByName("NOTES")->AsString().substr(0, 9), "rewritten");
    EXPECT_TRUE(grid->ChangedFlags()[0].AsBoolean());
    ds->Cancel();
    // Cancel after a change asks; No keeps the dialog open, Yes drops the change.
    dialogs.AnswerModal([this](ui::TCustomForm& f) {
        auto& form = dynamic_cast<TgkMemoDlg&>(f);
        form.FormShow(&form);
        form.Memo()->SetTextByUser("dropped");
        dialogs.AnswerMessage(ui::mrNo);
        bool canClose = true;
        form.FormCloseQuery(&form, canClose);
        EXPECT_FALSE(canClose);
        dialogs.AnswerMessage(ui::mrYes);
        canClose = false;
        form.FormCloseQuery(&form, canClose);
        EXPECT_TRUE(canClose);
        return ui::mrCancel;
    });
    f2 = ui::VK_F2;
    grid->KeyDown(f2, {});
    EXPECT_EQ(ds->State(), db::dsBrowse);
    EXPECT_EQ(ds->FieldByName("NOTES")->AsString(), "note 1");
    int warnings = 0;
    for (const auto& q : dialogs.Asked())
        if (q.kind == ui::TScriptedDialogs::TKind::Message) {
            ++warnings;
            EXPECT_EQ(q.message.text, gkIntlDefault().UserMessages.MemoChangesWarning);
        }
    EXPECT_EQ(warnings, 2);
    // The column's read-only flag opens it view-only.
    grid->Selected()->SetText("ID\t5\tID\nDUE\t12\tDue\nNOTES\t20\tNotes\tT\n");
    grid->ApplySelected();
    grid->SetSelectedIndex(2);
    dialogs.AnswerModal([](ui::TCustomForm& f) {
        auto& form = dynamic_cast<TgkMemoDlg&>(f);
        form.FormShow(&form);
        EXPECT_TRUE(form.Memo()->ReadOnly());
        return ui::mrOk;
    });
    f2 = ui::VK_F2;
    grid->KeyDown(f2, {});
    EXPECT_TRUE(dialogs.Unexpected().empty());
}

TEST_F(EditableGrid, MemoCellsShowMemoTheirTextOrNothing)
{
    MakeDatedData(1);
    ShowAndOpen();
    EXPECT_EQ(grid->GetFieldValue(2), "(Memo)");
    grid->SetMemoAttributes(grid->MemoAttributes() | TgkMemoAttributes{mGridShow});
    EXPECT_EQ(grid->GetFieldValue(2), "note 1");
    ds->Delete();
    ASSERT_TRUE(ds->IsEmpty());
    EXPECT_EQ(grid->GetFieldValue(2), "");
}

// Check-box values come from the first entry of four parts or more that names the field and
// "CheckBox", both exactly as written.
TEST_F(EditableGrid, CheckBoxValuesNeedFourPartsAndTheExactNames)
{
    struct Case {
        const char* list;
        bool found;
        const char* checkedValue;
        const char* uncheckedValue;
    };
    for (const Case& c : std::vector<Case>{
             {"CITY;CheckBox;Y;N", true, "Y", "N"},
             {"CITY;CheckBox;Y", false, "", ""},                  // three parts
             {"city;CheckBox;Y;N", false, "", ""},                // the field's letter case counts
             {"CITY;checkbox;Y;N", false, "", ""},                // and the type's
             {"CITY;CheckBox;1;0;extra\nCITY;CheckBox;Y;N", true, "1", "0"},  // the first wins
             {"NAME;CheckBox;Y;N", false, "", ""}}) {
        SetUp();
        MakeData(3);
        grid->ControlType()->SetText(c.list);
        ShowAndOpen();
        std::string checkedValue, uncheckedValue;
        EXPECT_EQ(grid->GetCheckBoxValues(3, 1, checkedValue, uncheckedValue), c.found) << c.list;
        EXPECT_EQ(checkedValue, c.checkedValue) << c.list;
        EXPECT_EQ(uncheckedValue, c.uncheckedValue) << c.list;
        EXPECT_FALSE(grid->GetCheckBoxValues(3, 0, checkedValue, uncheckedValue));  // the title
        TearDown();
    }
}

// Space on a check-box cell flips the field between its two values; a read-only column keeps it.
TEST_F(EditableGrid, SpaceTogglesACheckBoxCellUnlessTheColumnIsReadOnly)
{
    MakeData(3);
    grid->ControlType()->SetText("CITY;CheckBox;c1;off\n");
    ShowAndOpen();
    grid->SetFocus();
    grid->SetSelectedIndex(2);
    EXPECT_FALSE(grid->IsSelectedCheckColumn(3));  // a data field not named "selected"
    const auto space = [&] {
        ui::TKey key = ui::VK_SPACE;
        grid->KeyDown(key, {});
        return key;
    };
    EXPECT_EQ(space(), 0);
    EXPECT_EQ(ds->FieldByName("CITY")->AsString(), "off");
    EXPECT_EQ(ds->State(), db::dsEdit);
    space();
    EXPECT_EQ(ds->FieldByName("CITY")->AsString(), "c1");
    ds->Cancel();
    grid->SetUseTFields(false);
    grid->Selected()->SetText("ID\t4\tID\nNAME\t8\tName\nCITY\t4\tCity\tT\n");
    grid->SetSelectedIndex(2);
    space();
    EXPECT_EQ(ds->FieldByName("CITY")->AsString(), "c1");
    EXPECT_EQ(ds->State(), db::dsBrowse);
}

// A control of its own edits a "RichEdit" cell: F2 and a double click hand it F2 (it opens
// its editor), and the memo dialog stays shut.
class TF2Counter : public ui::TWinControl {
public:
    using TWinControl::TWinControl;
    int f2 = 0;
    void KeyDown(ui::TKey& key, ui::TShiftState shift) override
    {
        if (key == ui::VK_F2) ++f2;
        TWinControl::KeyDown(key, shift);
    }
};

TEST_F(EditableGrid, RichTextCellsHandF2ToTheirControl)
{
    MakeDatedData(3);
    auto* rich = new TF2Counter(form.get());
    rich->SetName("Rich");
    rich->SetParent(form.get());
    grid->ControlType()->SetText("NOTES;RichEdit;Rich\n");
    int opened = 0;
    grid->OnMemoOpen = [&](classes::TObject*, TgkMemoDialog*) { ++opened; };
    ShowAndOpen();
    grid->SetFocus();
    grid->SetSelectedIndex(2);
    ui::TKey key = ui::VK_F2;
    grid->KeyDown(key, {});
    EXPECT_EQ(key, 0);
    EXPECT_EQ(rich->f2, 1);
    const ui::TRect cell = grid->CellRect(grid->Col(), grid->Row());
    grid->Perform(ui::WM_LBUTTONDBLCLK, ui::MK_LBUTTON, ui::MakeLParam(cell.Left + 5, cell.Top + 3));
    EXPECT_EQ(rich->f2, 2);
    EXPECT_EQ(opened, 0);
    EXPECT_TRUE(dialogs.Unexpected().empty());
}

// ---- Multi-record selection ----------------------------------------------------------------------------

class SelectingGrid : public gridtest::TGridFixture<TgkDBGrid> {
protected:
    void SetUp() override
    {
        TGridFixture::SetUp();
        MakeData(10);
        ShowAndOpen();
        grid->SetOptions(grid->Options() | TgkDBGridOptions{dgMultiSelect});
    }

    db::TBookmark MarkOf(int id)
    {
        ds->First();
        ds->MoveBy(id - 1);
        return ds->GetBookmark();
    }

    std::vector<int> SelectedIds()
    {
        grid->SortSelectedRecords();
        std::vector<int> ids;
        const db::TBookmark back = ds->GetBookmark();
        for (const db::TBookmark& b : grid->SelectedRecords()) {
            ds->GotoBookmark(b);
            ids.push_back(ds->FieldByName("ID")->AsInteger());
        }
        ds->GotoBookmark(back);
        return ids;
    }
};

TEST_F(SelectingGrid, ARangeIsTheSameRecordsWhicheverEndItStartsFrom)
{
    const db::TBookmark three = MarkOf(3), seven = MarkOf(7);
    for (bool upward : {false, true}) {
        SCOPED_TRACE(upward ? "upward" : "downward");
        grid->UnselectAll();
        MarkOf(5);
        grid->SelectRecordRange(upward ? seven : three, upward ? three : seven);
        EXPECT_EQ(SelectedIds(), (std::vector<int>{3, 4, 5, 6, 7}));
        EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 5);  // where it was
        EXPECT_FALSE(ds->ControlsDisabled());
    }
    // Records already selected are kept once; refused records are left out.
    grid->UnselectAll();
    MarkOf(2);
    grid->SelectRecord();
    grid->OnMultiSelectRecord = [this](classes::TObject*, bool selecting, bool& accept) {
        if (selecting && ds->FieldByName("ID")->AsInteger() == 4) accept = false;
    };
    grid->SelectRecordRange(MarkOf(1), MarkOf(5));
    EXPECT_EQ(SelectedIds(), (std::vector<int>{1, 2, 3, 5}));
}

TEST_F(SelectingGrid, SelectAndUnselectAskTheirEvents)
{
    std::vector<std::string> asked;
    grid->OnMultiSelectRecord = [&](classes::TObject*, bool selecting, bool&) {
        asked.push_back(selecting ? "select" : "unselect");
    };
    bool refuseAll = true;
    grid->OnMultiSelectAllRecords = [&](classes::TObject*, bool selecting, bool& accept) {
        EXPECT_FALSE(selecting);
        accept = !refuseAll;
    };
    MarkOf(2);
    grid->SelectRecord();
    grid->SelectRecord();  // already selected: not asked again
    EXPECT_TRUE(grid->IsActiveRecordSelected());
    MarkOf(4);
    EXPECT_FALSE(grid->IsActiveRecordSelected());
    grid->SelectRecord();
    EXPECT_EQ(grid->SelectedCount(), 2);
    grid->UnselectRecord();
    EXPECT_EQ(SelectedIds(), (std::vector<int>{2}));
    EXPECT_EQ(asked, (std::vector<std::string>{"select", "select", "unselect"}));
    grid->UnselectAll();
    EXPECT_EQ(grid->SelectedCount(), 1);  // refused
    refuseAll = false;
    grid->UnselectAll();
    EXPECT_EQ(grid->SelectedCount(), 0);
    // Space toggles the current record with dgRowSelect.
    grid->SetOptions(grid->Options() | TgkDBGridOptions{dgRowSelect});
    grid->SetFocus();
    ui::TKey space = ui::VK_SPACE;
    grid->KeyDown(space, {});
    EXPECT_TRUE(grid->IsActiveRecordSelected());
    space = ui::VK_SPACE;
    grid->KeyDown(space, {});
    EXPECT_FALSE(grid->IsActiveRecordSelected());
}

// ---- Sizing a fixed column --------------------------------------------------------------------------------

TEST_F(SelectingGrid, AFixedColumnIsSizedFromItsTitleEdge)
{
    grid->SetOptions(grid->Options() | TgkDBGridOptions{dgFixedResizable});
    grid->SetGkFixedCols(1);
    ASSERT_EQ(grid->FixedCols(), 2);
    const ui::TRect title = grid->CellRect(1, 0);
    const int before = grid->ColWidths(1);
    // Below the titles nothing starts.
    grid->Perform(ui::WM_LBUTTONDOWN, ui::MK_LBUTTON, ui::MakeLParam(title.Right, title.Bottom + 8));
    EXPECT_EQ(grid->FixedSizingCol(), -1);
    grid->Perform(ui::WM_LBUTTONUP, 0, ui::MakeLParam(title.Right, title.Bottom + 8));
    // From the title row's edge the column follows the mouse.
    grid->Perform(ui::WM_LBUTTONDOWN, ui::MK_LBUTTON, ui::MakeLParam(title.Right, title.Top + 3));
    EXPECT_EQ(grid->FixedSizingCol(), 1);
    grid->Perform(ui::WM_MOUSEMOVE, ui::MK_LBUTTON, ui::MakeLParam(title.Right + 30, title.Top + 3));
    EXPECT_EQ(grid->FixedSizingPos(), title.Right + 30);
    grid->Perform(ui::WM_LBUTTONUP, 0, ui::MakeLParam(title.Right + 30, title.Top + 3));
    EXPECT_EQ(grid->FixedSizingCol(), -1);
    EXPECT_NEAR(grid->ColWidths(1), before + 30, 7);  // whole characters of the fake font
    // Without dgFixedResizable the edges are the core's, and the core sizes only scrolling
    // columns: the fixed data column and the indicator keep their widths, while the first
    // scrolling column is sized as ever.
    grid->SetOptions(grid->Options() - TgkDBGridOptions{dgFixedResizable});
    for (int col : {0, 1, 2}) {
        SCOPED_TRACE(col);
        const ui::TRect edge = grid->CellRect(col, 0);
        const int width = grid->ColWidths(col);
        grid->Perform(ui::WM_LBUTTONDOWN, ui::MK_LBUTTON, ui::MakeLParam(edge.Right, edge.Top + 3));
        EXPECT_EQ(grid->FixedSizingCol(), -1);
        EXPECT_EQ(grid->GridState(), col < 2 ? ui::gsNormal : ui::gsColSizing);
        grid->Perform(ui::WM_MOUSEMOVE, ui::MK_LBUTTON, ui::MakeLParam(edge.Right + 30, edge.Top + 3));
        grid->Perform(ui::WM_LBUTTONUP, 0, ui::MakeLParam(edge.Right + 30, edge.Top + 3));
        if (col < 2)
            EXPECT_EQ(grid->ColWidths(col), width);
        else
            EXPECT_GT(grid->ColWidths(col), width);
    }
}

}  // namespace
