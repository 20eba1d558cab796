// The masked edit and the combo box without a window: mapped values, the list's filling,
// search and placement, the history block, the date fill, the picture entry, and the
// conversion of the text back into fields.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "editctrls/gkDBComb.h"
#include "editctrls/gkDBEdit.h"
#include "grid/Scanning.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/classes/Streaming.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Grids.h"
#include "platform/ui/Screen.h"
#include "tests/editctrls/MaskedEditFixture.h"
#include "tests/grid/GridTestSupport.h"

namespace maskedtest {
GW_IMPLEMENT_CLASS(TMaskedMemDataSet, db::TDataSet) { p.Strings("PictureMasks", &TMaskedMemDataSet::PictureMasks); }
}  // namespace maskedtest

namespace {

using namespace editctrls;

class ComboLogic : public ::testing::Test {
public:
    void SetUp() override
    {
        ui::Application().Reset();
        form = std::make_unique<ui::TForm>(nullptr);
        form->SetBounds(0, 0, 400, 300);
        combo = new TgkDBComboBox(form.get());
        combo->SetParent(form.get());
        combo->SetBounds(10, 10, 150, 21);
    }
    void TearDown() override { form.reset(); }
    std::string Rows() const
    {
        combo->FillList();
        return combo->List()->Items()->CommaText();
    }

    gridtest::TFakeWindowSystem ws;
    std::unique_ptr<ui::TForm> form;
    TgkDBComboBox* combo = nullptr;
};

TEST(ComboMapList, ValuesAndDisplayTextsBothWays)
{
    rtl::TStringList items;
    items.Add("Red\tR");
    items.Add("Green\tG");
    items.Add("Plain");
    struct Case {
        const char* in;
        const char* toValue;
        const char* toDisplay;
    };
    const Case cases[] = {{"Green", "G", ""}, {"G", "G", "Green"}, {"R", "R", "Red"},
                          {"X", "X", ""},     {"red", "red", ""},  {"Plain", "Plain", ""}};
    for (const Case& c : cases) {
        EXPECT_EQ(gkDisplayToValue(items, c.in), c.toValue) << c.in;
        EXPECT_EQ(gkValueToDisplay(items, c.in), c.toDisplay) << c.in;
    }
}

TEST_F(ComboLogic, AMappedFieldShowsItsDisplayTextAndStoresItsValue)
{
    maskedtest::TMaskedData data;
    combo->Items()->Add("Red\tR");
    combo->Items()->Add("Green\tG");
    combo->SetMapList(true);
    combo->SetDataSource(&data.source);
    combo->SetDataField("CODE");
    EXPECT_EQ(combo->Text(), "Green") << "G shows Green";
    EXPECT_EQ(Rows(), "Red,Green");
    form->Show();
    combo->SetFocus();
    combo->DropDown();
    combo->List()->SetItemIndex(0);
    combo->CloseUp(true);
    EXPECT_EQ(combo->Text(), "Red");
    combo->DataLink()->UpdateRecord();
    EXPECT_EQ(data.ds.FieldByName("CODE")->AsString(), "R") << "choosing Red stores R";
    data.ds.FieldByName("CODE")->SetAsString("X");
    EXPECT_EQ(combo->Text(), "") << "a value no item holds shows nothing";
    EXPECT_TRUE(combo->IsStoredValue("G"));
    EXPECT_FALSE(combo->IsStoredValue("Green"));
}

TEST_F(ComboLogic, StoredValuesWithoutMapping)
{
    for (const char* s : {"alpha", "Beta\tB"}) combo->Items()->Add(s);
    EXPECT_TRUE(combo->IsStoredValue("alpha"));
    EXPECT_FALSE(combo->IsStoredValue("Alpha")) << "letter case counts";
    EXPECT_TRUE(combo->IsStoredValue("Beta\tB"));
    EXPECT_EQ(Rows(), "alpha,B") << "without MapList an item with a value part lists the value";
    combo->SetTwoColumnDisplay(true);
    EXPECT_TRUE(combo->IsStoredValue("B"));
}

TEST_F(ComboLogic, FindItemIndex)
{
    for (const char* s : {"apple", "Banana", "cherry", "banana"}) combo->Items()->Add(s);
    struct Case {
        const char* text;
        int start;
        int expected;
    };
    const Case cases[] = {{"Banana", 0, 1}, {"banana", 0, 3}, {"BANANA", 0, -1}, {"BANANA", 1, 1},
                          {"BANANA", 2, 3}, {"apple", 3, 0},  {"kiwi", 2, -1}};
    for (const Case& c : cases) EXPECT_EQ(combo->FindItemIndex(c.text, c.start), c.expected) << c.text << c.start;
}

TEST_F(ComboLogic, TheNewestHistoryEntriesHeadTheList)
{
    combo->Items()->Add("x");
    combo->Items()->Add("y");
    TgkHistoryList& h = *combo->HistoryList();
    h.SetEnabled(true);
    h.SetMRUEnabled(true);
    h.SetMRUMaxSize(2);
    for (const char* e : {"a", "b", "c"}) h.Add(e);
    EXPECT_EQ(Rows(), "c,b,x,y,a,b,c");
    EXPECT_EQ(combo->MRUBlockSize(), 2);
    h.SetMRUEnabled(false);
    EXPECT_EQ(Rows(), "x,y,a,b,c");
    EXPECT_EQ(combo->MRUBlockSize(), 0);
}

TEST_F(ComboLogic, ReplacingAnItemRefillsTheList)
{
    combo->Items()->Add("old");
    EXPECT_EQ(Rows(), "old");
    combo->Items()->Put(0, "new");
    combo->DropDown();
    EXPECT_EQ(combo->List()->Items()->CommaText(), "new");
}

TEST_F(ComboLogic, AddHistoryItem)
{
    combo->HistoryList()->SetEnabled(true);
    combo->FillList();
    std::string refused;
    combo->OnAddHistoryItem = [&](TgkDBCustomComboBox*, const std::string& v, bool& accept) {
        if (v == "no") {
            refused = v;
            accept = false;
        }
    };
    for (const char* v : {"one ", "two\t", "", "  ", "no", "one"}) combo->AddHistoryItem(v, true);
    EXPECT_EQ(combo->HistoryList()->Items().CommaText(), "two,one");
    EXPECT_EQ(combo->List()->Items()->CommaText(), "one,two");
    EXPECT_EQ(refused, "no");
    combo->AddHistoryItem("list only", false);
    EXPECT_EQ(combo->HistoryList()->Items().Count(), 2);
    combo->DeleteHistoryItem("one", true);
    EXPECT_EQ(combo->HistoryList()->Items().CommaText(), "two");
    EXPECT_EQ(combo->List()->Items()->CommaText(), "two,\"list only\"");
}

TEST(ComboPlacement, BelowAboveAndAlignedRight)
{
    const ui::TRect work{0, 0, 1024, 740};
    struct Case {
        ui::TRect combo;
        bool bordered;
        int x, y;
    };
    const Case cases[] = {
        {ui::Bounds(10, 10, 150, 21), true, 10, 30},      {ui::Bounds(10, 10, 150, 21), false, 10, 31},
        {ui::Bounds(10, 700, 150, 21), true, 10, 600},    {ui::Bounds(950, 10, 150, 21), true, 999, 30},
        {ui::Bounds(950, 700, 60, 21), true, 909, 600},
    };
    for (const Case& c : cases) {
        const ui::TPoint p = gkPlaceComboList(c.combo, 100, 100, work, 1024, c.bordered);
        EXPECT_EQ(p.X, c.x) << ui::FormatRect(c.combo);
        EXPECT_EQ(p.Y, c.y) << ui::FormatRect(c.combo);
    }
}

TEST_F(ComboLogic, CloseUpTakesTheRowOrKeepsTheTextByStyle)
{
    struct Case {
        ui::TComboBoxStyle style;
        bool accept;
        int row;
        const char* expected;
        bool modified;
    };
    const Case cases[] = {
        {ui::csDropDown, true, 1, "two", true},          {ui::csDropDown, false, 1, "typed", false},
        {ui::csDropDown, true, -1, "typed", false},      {ui::csDropDownList, true, 2, "three", true},
        {ui::csDropDownList, false, 2, "typed", false},  {ui::csDropDownList, true, -1, "typed", false},
    };
    form->Show();
    for (const Case& c : cases) {
        combo->Items()->Clear();
        for (const char* s : {"one", "two", "three"}) combo->Items()->Add(s);
        combo->SetStyle(c.style);
        combo->SetText("typed");
        combo->SetModified(false);
        bool heard = false, accepted = false;
        combo->OnCloseUp = [&](classes::TObject*, bool a) {
            heard = true;
            accepted = a;
        };
        combo->DropDown();
        ASSERT_TRUE(combo->IsDroppedDown());
        combo->List()->SetItemIndex(c.row);
        combo->CloseUp(c.accept);
        EXPECT_FALSE(combo->IsDroppedDown());
        EXPECT_EQ(combo->Text(), c.expected) << c.style << c.accept << c.row;
        EXPECT_EQ(combo->Modified(), c.modified) << c.style << c.accept << c.row;
        EXPECT_TRUE(heard);
        EXPECT_EQ(accepted, c.accept);
    }
}

TEST_F(ComboLogic, TheOwnerDrawnSearchRestartsAfterAPause)
{
    for (const char* s : {"bar", "baz", "cat", "ab"}) combo->Items()->Add(s);
    combo->SetStyle(ui::csOwnerDrawFixed);
    std::uint64_t now = 10000;
    combo->Clock = [&] { return now; };
    form->Show();
    combo->DropDown();
    struct Step {
        char key;
        int advance;
        const char* search;
        int row;
    };
    const Step steps[] = {{'b', 0, "b", 0}, {'a', 1000, "ba", 0}, {'z', 1500, "baz", 1},
                          {'c', 1501, "c", 2}, {'a', 1600, "a", 3}};
    for (const Step& s : steps) {
        now += static_cast<std::uint64_t>(s.advance);
        combo->ListKeyPress(s.key);
        EXPECT_EQ(combo->List()->SearchText, s.search) << s.key << " after " << s.advance;
        EXPECT_EQ(combo->List()->ItemIndex(), s.row) << s.key << " after " << s.advance;
    }
}

TEST_F(ComboLogic, ButtonWidthAndTextRectangle)
{
    struct Case {
        int scrollBar;
        int expected;
    };
    for (const Case c : {Case{16, 16}, Case{13, 15}, Case{20, 20}}) {
        const int old = ui::SetScrollBarExtent(c.scrollBar);
        TgkDBComboBox other(nullptr);
        ui::SetScrollBarExtent(old);
        EXPECT_EQ(other.Button()->Width(), c.expected) << c.scrollBar;
    }
    combo->SetButtonWidth(20);
    EXPECT_EQ(combo->Button()->Width(), 20);
    const ui::TWinControl* host = combo->ButtonHost();
    EXPECT_EQ(host->Left(), 150 - 20 - 4) << "a bordered edit keeps 4 pixels right of the button";
    EXPECT_EQ(combo->EditRect().Right, host->Left() - 2);
    combo->SetShowButton(false);
    EXPECT_EQ(combo->EditRect().Right, combo->ClientWidth() - 2);
    combo->SetShowButton(true);
    combo->SetBorderStyle(ui::bsNone);
    combo->Frame()->SetEnabled(true);
    combo->LayoutButton();
    EXPECT_EQ(host->Top(), 2) << "inside the frame";
    EXPECT_EQ(combo->EditRect().Left, 2);
    EXPECT_EQ(combo->EditRect().Top, 2);
}

// A dialog handler that fails still leaves the drop-down edit closed.
TEST_F(ComboLogic, ADialogHandlerThatRaisesLeavesTheEditClosed)
{
    TgkDBCustomCombo edit(form.get());
    edit.SetParent(form.get());
    bool openInside = false;
    edit.OnButtonDialog = [&](classes::TObject*) {
        openInside = edit.IsDroppedDown();
        throw rtl::Exception("no dialog");
    };
    EXPECT_THROW(edit.DropDown(), rtl::Exception);
    EXPECT_TRUE(openInside);
    EXPECT_FALSE(edit.IsDroppedDown());
    edit.OnButtonDialog = [&](classes::TObject*) {};
    edit.DropDown();
    EXPECT_FALSE(edit.IsDroppedDown());
}

// ---- The date fill ----------------------------------------------------------------------------

TEST(DateFill, AppendsTheNextPartSoTheTextReadsAsADate)
{
    rtl::TFormatSettings us = rtl::TFormatSettings::UsEnglish();
    us.ShortDateFormat = "M/d/yyyy";
    rtl::TFormatSettings uk = us;
    uk.ShortDateFormat = "d/M/yy";
    uk.LongTimeFormat = "hh:nn:ss";
    const rtl::TDateTime morning = rtl::EncodeDateTime(2026, 3, 7, 9, 5, 4, 0);
    const rtl::TDateTime midnight = rtl::EncodeDateTime(2026, 3, 7, 0, 15, 0, 0);
    struct Case {
        const rtl::TFormatSettings* settings;
        TgkEditDataType kind;
        rtl::TDateTime now;
        const char* text;
        const char* step;
    };
    const Case cases[] = {
        {&us, gkEdtDate, morning, "", "3/"},
        {&us, gkEdtDate, morning, "3/", "7/"},
        {&us, gkEdtDate, morning, "3/7/", "2026"},
        {&us, gkEdtDate, morning, "3/7/2026", ""},
        {&us, gkEdtDate, morning, "12", "/7/"},
        {&uk, gkEdtDate, morning, "", "7/"},
        {&uk, gkEdtDate, morning, "7/3/", "26"},
        {&us, gkEdtDateTime, morning, "3/7/2026", " 9:05:04 AM"},
        {&us, gkEdtDateTime, midnight, "3/7/2026", " 12:15:00 AM"},
        {&uk, gkEdtDateTime, morning, "7/3/26", " 9:05:04"},
        {&us, gkEdtDateTime, morning, "3/7/2026 9:05:04 AM", ""},
        {&us, gkEdtTime, morning, "", "9:05:04 AM"},
        {&uk, gkEdtTime, morning, "", "9:05:04"},
    };
    const rtl::TFormatSettings saved = rtl::FormatSettings();
    for (const Case& c : cases) {
        EXPECT_EQ(gkDateFillStep(c.text, c.kind, c.now, *c.settings), c.step) << c.text << " " << c.kind;
        // Every complete fill reads back through the field's conversion.
        const std::string whole = std::string(c.text) + c.step;
        rtl::FormatSettings() = *c.settings;
        if (c.kind == gkEdtDateTime && *c.step != 0) {
            EXPECT_NE(grid::gkStrToDateTime(whole), 0) << whole;
        }
        if (c.kind == gkEdtTime) {
            EXPECT_NE(grid::gkStrToTime(whole), 0) << whole;
        }
        rtl::FormatSettings() = saved;
    }
}

// ---- Pictures and conversions -----------------------------------------------------------------

class MaskedEditLogic : public ComboLogic {
public:
    void SetUp() override
    {
        ComboLogic::SetUp();
        edit = new TgkDBCustomEdit(form.get());
        edit->SetParent(form.get());
        edit->SetBounds(10, 50, 150, 21);
        edit->SetDataSource(&data.source);
    }
    // The text `text` typed into field `field` and the record written.
    void Write(const char* field, const std::string& text)
    {
        edit->SetDataField(field);
        ASSERT_TRUE(edit->EditCanModify());
        edit->SetText(text);
        edit->SetModified(true);
        edit->DataLink()->SetModified();
        edit->DataLink()->UpdateRecord();
    }
    maskedtest::TMaskedData data;
    TgkDBCustomEdit* edit = nullptr;
};

TEST_F(MaskedEditLogic, PictureEntriesOfTheDataSet)
{
    data.ds.PictureMasks()->Add("name\t###-###");
    data.ds.PictureMasks()->Add("CODE\t&&\tF\tF");
    edit->SetDataField("NAME");
    TgkDBPicture* p = edit->Picture();
    EXPECT_TRUE(p->MaskFromDataSet());
    EXPECT_EQ(p->PictureMask(), "###-###");
    EXPECT_TRUE(p->AutoFill()) << "a short entry reads its missing flags as True";
    edit->SetDataField("CODE");
    EXPECT_EQ(p->PictureMask(), "&&");
    EXPECT_FALSE(p->AutoFill());
    p->SetAllowInvalidExit(true);
    EXPECT_FALSE(p->AllowInvalidExit()) << "ignored while the mask is the data set's";
    p->SetPictureMask("??");
    EXPECT_EQ(data.ds.PictureMasks()->Strings(1), "CODE\t??\tF\tF");
    p->SetPictureMaskFromDataSet(false);
    p->SetPictureMask("#");
    EXPECT_EQ(p->PictureMask(), "#");
    EXPECT_EQ(data.ds.PictureMasks()->Strings(1), "CODE\t??\tF\tF");
}

TEST_F(MaskedEditLogic, TextsConvertIntoTheirFields)
{
    Write("NOTE", "line one\r\nline two");
    EXPECT_EQ(data.ds.FieldByName("NOTE")->AsString(), "line one\r\nline two");
    Write("WHEN", "6/1/2025 14:30");
    EXPECT_DOUBLE_EQ(data.ds.FieldByName("WHEN")->AsDateTime(), rtl::EncodeDateTime(2025, 6, 1, 14, 30, 0, 0));
    Write("WHEN", "6/2/25");
    EXPECT_DOUBLE_EQ(data.ds.FieldByName("WHEN")->AsDateTime(), rtl::EncodeDate(2025, 6, 2));
    Write("QTY", "2,345.6");
    EXPECT_EQ(data.ds.FieldByName("QTY")->AsInteger(), 2346) << "an integer rounds";
    Write("PRICE", "7.25");
    EXPECT_DOUBLE_EQ(data.ds.FieldByName("PRICE")->AsFloat(), 7.25);
    Write("NAME", "");
    EXPECT_TRUE(data.ds.FieldByName("NAME")->IsNull()) << "an empty text is null";
}

// A mask with a syntax error holds no text back from its field.
TEST_F(MaskedEditLogic, ABrokenMaskLetsTheTextThrough)
{
    data.ds.PictureMasks()->Add("NAME\t#[");
    bool heard = true;
    edit->OnCheckValue = [&](classes::TObject*, bool passes) { heard = passes; };
    Write("NAME", "abc");
    EXPECT_EQ(data.ds.FieldByName("NAME")->AsString(), "abc");
    EXPECT_FALSE(heard) << "the check itself still fails";
    data.ds.PictureMasks()->Put(0, "NAME\t###");
    EXPECT_THROW(Write("NAME", "abcd"), std::exception) << "a sound mask does hold it back";
    EXPECT_EQ(data.ds.FieldByName("NAME")->AsString(), "abc");
}

TEST_F(MaskedEditLogic, TextsThatDoNotConvertAreNamedAndChangeNothing)
{
    struct Case {
        const char* field;
        const char* text;
        const char* message;
    };
    const Case cases[] = {{"WHEN", "soon", "'soon' is not a valid date"},
                          {"QTY", "1.2.3", "'1.2.3' is not a valid floating point value"}};
    for (const Case& c : cases) {
        const db::TVariant before = data.ds.FieldByName(c.field)->Value();
        try {
            Write(c.field, c.text);
            ADD_FAILURE() << c.text;
        } catch (const rtl::EConvertError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
        EXPECT_EQ(data.ds.FieldByName(c.field)->Value(), before) << c.field;
        data.ds.Cancel();
    }
}

TEST_F(MaskedEditLogic, AMissingFieldShowsNothingAndTakesNoKeys)
{
    edit->SetDataField("NOPE");
    EXPECT_TRUE(edit->BoundWithoutField());
    EXPECT_EQ(edit->Text(), "");
    for (char k : {'a', '\b', ' '}) {
        char key = k;
        edit->KeyPress(key);
        EXPECT_EQ(key, 0) << int(k);
    }
    combo->SetDataSource(&data.source);
    combo->SetDataField("NOPE");
    form->Show();
    combo->DropDown();
    EXPECT_FALSE(combo->IsDroppedDown());
}

TEST_F(MaskedEditLogic, AnUnboundPictureCheck)
{
    edit->SetDataSource(nullptr);
    std::vector<bool> heard;
    edit->OnCheckValue = [&](classes::TObject*, bool passes) { heard.push_back(passes); };
    EXPECT_TRUE(edit->CheckValue("anything")) << "no mask";
    edit->Picture()->SetPictureMask("###");
    EXPECT_TRUE(edit->CheckValue(""));
    EXPECT_TRUE(edit->CheckValue("123"));
    EXPECT_FALSE(edit->CheckValue("12"));
    edit->Picture()->SetPictureMask("#[");
    EXPECT_FALSE(edit->CheckValue("1")) << "a broken mask passes nothing";
    EXPECT_TRUE(edit->HasPictureMask());
    EXPECT_FALSE(edit->HasValidPictureMask());
    EXPECT_EQ(heard, (std::vector<bool>{true, true, true, false, false}));
}

// A grid has the combo paint a copy of itself into another row's cell: the copy shows that
// record's text through the map, not the combo's own text, and draws no background over the
// cell's.
TEST_F(MaskedEditLogic, APaintCopyShowsTheRecordsDisplayText)
{
    auto* grid = new ui::TCustomGrid(form.get());
    grid->SetParent(form.get());
    grid->SetBounds(0, 100, 300, 150);
    combo->SetParent(grid);
    combo->SetBorderStyle(ui::bsNone);
    combo->Items()->Add("Red\tR");
    combo->Items()->Add("Green\tG");
    combo->SetMapList(true);
    combo->SetDataSource(&data.source);
    combo->SetDataField("CODE");
    combo->SetText("typed");
    const auto paint = [&](bool copy) {
        ui::TRecordingDevice device;
        ui::TCanvas canvas(&device);
        ui::TControl::TControlState state;
        if (copy) state.Include(ui::TControl::csPaintCopy);
        combo->SetControlState(state);
        combo->Perform(ui::WM_PAINT, reinterpret_cast<std::intptr_t>(&canvas), 21);
        combo->SetControlState({});
        std::string texts;
        int fills = 0;
        for (const std::string& line : device.Log()) {
            if (line.starts_with("Text(")) texts += line.substr(line.find('"'), line.find('"', line.find('"') + 1) - line.find('"') + 1);
            if (line.starts_with("FillRect")) ++fills;
        }
        return texts + " fills=" + std::to_string(fills);
    };
    EXPECT_EQ(paint(true), "\"Green\" fills=0");
    EXPECT_EQ(paint(false), "\"typed\" fills=1");
    EXPECT_FALSE(combo->ShowsOwnTextInGrid());
}

// The published combo box read from a stored form and written back.
TEST(ComboForm, ReadsAndWritesItsPublishedProperties)
{
    RegisterComboClasses();
    gridtest::TFakeWindowSystem ws;
    ui::TForm form(nullptr);
    const std::string text = R"(object Combos: TForm
  object colour: TgkDBComboBox
    Left = 8
    Top = 8
    Width = 160
    Height = 21
    MapList = True
    Items.Strings = (
      'Red'#9'R'
      'Green'#9'G')
    Style = csDropDownList
    ShowMatchText = True
    HistoryList.Enabled = True
    HistoryList.Section = 'Colours'
    HistoryList.MaxSize = 5
    HistoryList.StorageType = stRegistry
    Picture.PictureMask = '&&'
    Frame.Enabled = True
    ButtonStyle = cbsEllipsis
  end
end
)";
    classes::ReadComponentText(form, text);
    auto* c = dynamic_cast<TgkDBComboBox*>(form.FindComponent("colour"));
    ASSERT_NE(c, nullptr);
    EXPECT_TRUE(c->MapList());
    EXPECT_EQ(c->Items()->Count(), 2);
    EXPECT_EQ(c->Style(), ui::csDropDownList);
    EXPECT_TRUE(c->ShowMatchText);
    EXPECT_EQ(c->HistoryList()->Section(), "Colours");
    EXPECT_EQ(c->HistoryList()->StorageType(), stRegistry);
    EXPECT_EQ(c->Picture()->PictureMask(), "&&");
    EXPECT_EQ(c->ButtonStyle(), cbsEllipsis);
    const std::string written = classes::WriteComponentText(form);
    for (const char* line : {"MapList = True", "HistoryList.MaxSize = 5", "Style = csDropDownList",
                             "Picture.PictureMask = '&&'", "ButtonStyle = cbsEllipsis"})
        EXPECT_NE(written.find(line), std::string::npos) << line << "\n" << written;
    EXPECT_EQ(written.find("DropDownCount"), std::string::npos) << "defaults are not written";
}

// List rows in two columns, the line under the history block, and the edit area of an
// owner-drawn combo drawn by its handler.
TEST_F(ComboLogic, RowsAndTheEditAreaAsDrawn)
{
    for (const char* s : {"Red\tR", "Green\tG"}) combo->Items()->Add(s);
    combo->SetMapList(true);
    combo->SetTwoColumnDisplay(true);
    combo->SetColumn1Width(60);
    combo->HistoryList()->SetEnabled(true);
    combo->HistoryList()->SetMRUEnabled(true);
    combo->HistoryList()->Add("Green");
    combo->FillList();
    ASSERT_EQ(combo->List()->Items()->CommaText(), "Green,Red,Green");
    const auto draw = [&](int index) {
        ui::TRecordingDevice device;
        ui::TCanvas canvas(&device);
        combo->DrawListItem(canvas, index, {0, 16 * index, 150, 16 * index + 16}, {});
        std::string drawn;
        for (const std::string& line : device.Log())
            if (line.starts_with("Text(") || line.starts_with("Polyline"))
                drawn += line.substr(0, std::min(line.find(" font"), line.find(" pen"))) + ";";
        return drawn;
    };
    EXPECT_EQ(draw(0), "Text(2,0 \"Green\";Text(62,0 \"G\";Polyline(0,15 150,15;");
    EXPECT_EQ(draw(1), "Text(2,16 \"Red\";Text(62,16 \"R\";Polyline(0,16 150,16;");
    EXPECT_EQ(draw(2), "Text(2,32 \"Green\";Text(62,32 \"G\";");

    combo->SetStyle(ui::csOwnerDrawFixed);
    std::string heard;
    combo->OnDrawItem = [&](ui::TWinControl*, int index, const ui::TRect&, ui::TOwnerDrawState state) {
        heard = std::to_string(index) + (state.Contains(ui::odFocused) ? " focused" : "") +
                (combo->Canvas() != nullptr ? " canvas" : "");
    };
    ui::TRecordingDevice device;
    ui::TCanvas canvas(&device);
    combo->Perform(ui::WM_PAINT, reinterpret_cast<std::intptr_t>(&canvas), 21);
    EXPECT_EQ(heard, "-1 focused canvas");
    EXPECT_EQ(combo->Canvas(), nullptr);
}

}  // namespace
