// Cells with controls, offscreen over an in-memory data set: check boxes toggled by Space
// and by the mouse, and the texts of cells whose controls show a field their own way.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "grid/PublishedDBGrid.h"
#include "platform/classes/TypInfo.h"
#include "platform/db/Fields.h"
#include "platform/ui/Messages.h"
#include "platform/ui/testing/TestDialogs.h"
#include "tests/grid/GridTestSupport.h"
#include "tests/grid/StandInCellControls.h"

namespace {

using grid::TgkDBGrid;

class CheckBoxCells : public gridtest::TGridFixture<TgkDBGrid> {
protected:
    void Click(int col, int row)
    {
        const ui::TRect cell = grid->CellRect(col, row);
        const auto at = ui::MakeLParam(cell.Left + 4, cell.Top + 3);
        grid->Perform(ui::WM_LBUTTONDOWN, ui::MK_LBUTTON, at);
        grid->Perform(ui::WM_LBUTTONUP, 0, at);
    }

    ui::TScriptedDialogs dialogs;
    ui::TDialogServiceScope scope{dialogs};
};

// CITY is the check-box column (grid column 3); the first record holds the checked value.
TEST_F(CheckBoxCells, SpaceAndClicksToggleOnlyWhereEditingIsAllowed)
{
    enum class Act { Space, ClickCurrent, ClickOther };
    struct Case {
        const char* what;
        std::function<void(TgkDBGrid&, db::TDataSet&)> prepare;
        Act act;
        const char* city;
    };
    const auto nothing = [](TgkDBGrid&, db::TDataSet&) {};
    const auto singleClick = [](TgkDBGrid& g, db::TDataSet&) {
        grid::TgkEditControlOptions options = g.EditControlOptions();
        options.Include(grid::ecoCheckboxSingleClick);
        g.SetEditControlOptions(options);
    };
    const auto readOnlyField = [](TgkDBGrid&, db::TDataSet& d) { d.FieldByName("CITY")->SetReadOnly(true); };
    const auto readOnlyColumn = [](TgkDBGrid& g, db::TDataSet&) {
        g.SetUseTFields(false);
        g.Selected()->SetText("ID\t4\tID\nNAME\t8\tName\nCITY\t4\tCity\tT\n");
        g.ApplySelected();
    };
    const auto readOnlyGrid = [](TgkDBGrid& g, db::TDataSet&) { g.SetReadOnly(true); };
    const std::vector<Case> cases = {
        {"Space", nothing, Act::Space, "off"},
        {"click on the current cell", nothing, Act::ClickCurrent, "off"},
        {"click moving to the cell", nothing, Act::ClickOther, "c1"},
        {"single click moving to the cell", singleClick, Act::ClickOther, "off"},
        {"Space, read-only field", readOnlyField, Act::Space, "c1"},
        {"click, read-only field", readOnlyField, Act::ClickCurrent, "c1"},
        {"Space, column flag T", readOnlyColumn, Act::Space, "c1"},
        {"click, column flag T", readOnlyColumn, Act::ClickCurrent, "c1"},
        {"Space, read-only grid", readOnlyGrid, Act::Space, "c1"},
        {"click, read-only grid", readOnlyGrid, Act::ClickCurrent, "c1"},
        {"single click, read-only grid", [&](TgkDBGrid& g, db::TDataSet& d) { singleClick(g, d); readOnlyGrid(g, d); },
         Act::ClickOther, "c1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        MakeData(3);
        grid->ControlType()->SetText("CITY;CheckBox;c1;off\n");
        ShowAndOpen();
        c.prepare(*grid, *ds);
        grid->SetFocus();
        grid->SetSelectedIndex(c.act == Act::ClickOther ? 0 : 2);
        switch (c.act) {
        case Act::Space: {
            ui::TKey key = ui::VK_SPACE;
            grid->KeyDown(key, {});
            break;
        }
        case Act::ClickCurrent:
        case Act::ClickOther:
            Click(3, 1);
            break;
        }
        EXPECT_EQ(grid->Col(), 3);
        EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 1);
        EXPECT_EQ(ds->FieldByName("CITY")->AsString(), c.city);
        ds->Cancel();
        TearDown();
    }
}

// A calculated check-box field named "selected" selects records instead of changing data,
// also in a grid that cannot edit.
TEST_F(CheckBoxCells, TheSelectedColumnSelectsRecords)
{
    for (const bool readOnly : {false, true}) {
        SCOPED_TRACE(readOnly);
        SetUp();
        MakeData(3);
        for (const auto& [name, kind] : {std::pair{"ID", 0}, {"NAME", 1}, {"Selected", 2}}) {
            db::TField* f = kind == 0 ? static_cast<db::TField*>(new db::TIntegerField(ds.get()))
                                      : static_cast<db::TField*>(new db::TStringField(ds.get()));
            f->SetFieldName(name);
            if (kind == 2) f->SetFieldKind(db::fkCalculated);
            f->SetDataSet(ds.get());
        }
        grid->ControlType()->SetText("Selected;CheckBox;T;F\n");
        ShowAndOpen();
        grid->SetReadOnly(readOnly);
        grid->SetFocus();
        grid->SetSelectedIndex(2);
        ASSERT_TRUE(grid->IsSelectedCheckColumn(3));
        ui::TKey key = ui::VK_SPACE;
        grid->KeyDown(key, {});
        EXPECT_EQ(grid->SelectedCount(), 1);
        Click(3, 1);
        EXPECT_EQ(grid->SelectedCount(), 0);
        EXPECT_EQ(ds->State(), db::dsBrowse);
        TearDown();
    }
}

// The cell text of controls that show a field their own way, of rich-text blobs, and of
// columns whose control cannot be used.
class CellTexts : public gridtest::TGridFixture<TgkDBGrid> {
protected:
    void MakePriceData()
    {
        ds = std::make_unique<dbtest::TMemDataSet>(nullptr);
        ds->columns = {{"ID", db::ftInteger}, {"PRICE", db::ftFloat}, {"NOTES", db::ftMemo}};
        ds->AddRow({db::TVariant(1), db::TVariant(12.5), db::TVariant("{\\rtf1 \\b bold\\b0  plain}")});
        ds->AddRow({db::TVariant(2), db::TVariant(3.0), db::TVariant("first line\nsecond")});
        source->SetDataSet(ds.get());
    }
};

TEST_F(CellTexts, ControlsAndRichTextGiveTheirOwnCellText)
{
    struct Case {
        const char* what;
        const char* controlType;
        bool ownText;
        bool disable;
        bool reader;
        int id;
        int dataCol;
        const char* text;
    };
    const std::vector<Case> cases = {
        {"plain column", "", false, false, false, 1, 1, "12.50"},
        {"edit showing display text", "PRICE;CustomEdit;PriceEdit", false, false, false, 1, 1, "12.50"},
        {"edit showing the field's text", "PRICE;CustomEdit;PriceEdit", true, false, false, 1, 1, "12.5"},
        {"custom controls disabled", "PRICE;CustomEdit;PriceEdit", true, true, false, 1, 1, "12.50"},
        {"entry naming no control", "PRICE;CustomEdit;Nowhere", true, false, false, 1, 1, "12.50"},
        {"radio group caption", "PRICE;Combo;PriceRadio", false, false, false, 1, 1, "Twelve and a half"},
        {"radio group, no caption", "PRICE;Combo;PriceRadio", false, false, false, 2, 1, ""},
        {"rich text", "NOTES;RichEdit;PriceEdit", false, false, true, 1, 2, "bold plain"},
        {"plain blob as rich text", "NOTES;RichEdit;PriceEdit", false, false, true, 2, 2, "first line\nsecond"},
        {"rich text without reader", "NOTES;RichEdit;PriceEdit", false, false, false, 1, 2, "(Memo)"},
        {"rich text disabled", "NOTES;RichEdit;PriceEdit", false, true, true, 1, 2, "(Memo)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        std::optional<gridtest::TRichReaderScope> reader;
        if (c.reader) reader.emplace();
        MakePriceData();
        auto* edit = new gridtest::TTestCellEdit(form.get());
        edit->SetName("PriceEdit");
        edit->SetParent(form.get());
        edit->showOwnText = c.ownText;
        auto* radio = new gridtest::TTestRadioGroup(form.get());
        radio->SetName("PriceRadio");
        radio->SetParent(form.get());
        radio->captions = {{"12.5", "Twelve and a half"}};
        grid->ControlType()->SetText(c.controlType);
        if (c.disable) {
            grid::TgkEditControlOptions options = grid->EditControlOptions();
            options.Include(grid::ecoDisableCustomControls);
            grid->SetEditControlOptions(options);
        }
        ShowAndOpen();
        static_cast<db::TFloatField*>(ds->FieldByName("PRICE"))->SetDisplayFormat("0.00");
        ds->MoveBy(c.id - 1);
        EXPECT_EQ(grid->GetFieldValue(c.dataCol), c.text);
        TearDown();
    }
}

// A plain edit named by a "CustomEdit" entry: painting lays it over the current cell with the
// cell's text; characters and Alt+Down reach it; it goes when the focus leaves the grid and
// when the cell scrolls out of view; with custom controls disabled the cell paints its text.
class PlacedEdit : public gridtest::TGridFixture<TgkDBGrid> {
protected:
    void SetUpEdit(bool disabled)
    {
        MakeData(40);
        edit = new gridtest::TTestCellEdit(form.get());
        edit->SetName("NameEdit");
        edit->SetParent(form.get());
        edit->SetBounds(300, 250, 50, 20);
        other = new ui::TEdit(form.get());
        other->SetParent(form.get());
        grid->ControlType()->SetText("NAME;CustomEdit;NameEdit\n");
        if (disabled) {
            grid::TgkEditControlOptions options = grid->EditControlOptions();
            options.Include(grid::ecoDisableCustomControls);
            grid->SetEditControlOptions(options);
        }
        ShowAndOpen();
        grid->SetFocus();
        grid->SetSelectedIndex(1);
        ds->MoveBy(2);
    }
    // What the grid drew into its bitmap in one paint.
    std::vector<std::string> Paint()
    {
        ui::TRecordingCanvas target;
        auto& device = [&]() -> ui::TRecordingDevice& {
            grid->PaintTo(target);  // sizes the bitmap on the first paint
            return dynamic_cast<ui::TRecordingDevice&>(*grid->DrawBitmap()->Canvas()->Device());
        }();
        device.ClearLog();
        grid->PaintTo(target);
        return device.Log();
    }
    static bool Drew(const std::vector<std::string>& log, const std::string& text)
    {
        for (const auto& line : log)
            if (line.find(text) != std::string::npos) return true;
        return false;
    }

    gridtest::TTestCellEdit* edit = nullptr;
    ui::TEdit* other = nullptr;
};

TEST_F(PlacedEdit, LaidOverTheCurrentCellWithItsText)
{
    SetUpEdit(false);
    const std::vector<std::string> log = Paint();
    EXPECT_EQ(grid->CurrentCustomControl(), edit);
    EXPECT_EQ(edit->Parent(), grid);
    EXPECT_EQ(edit->Text(), "name 3");
    EXPECT_EQ(edit->BoundsRect(), grid->CellRect(2, grid->Row()));
    EXPECT_TRUE(edit->Visible());
    EXPECT_FALSE(Drew(log, "name 3"));  // the edit covers the cell

    grid->Perform(ui::WM_CHAR, 'x', 0);
    ui::TKey key = ui::VK_DOWN;
    grid->KeyDown(key, {ui::ssAlt});
    EXPECT_EQ(key, 0);
    while (ws.queue.DeliverOne()) {
    }
    EXPECT_EQ(edit->received, (std::vector<std::string>{"char x", "key 40 alt"}));
}

TEST_F(PlacedEdit, HiddenWhenTheFocusLeavesOrTheCellScrollsOut)
{
    for (const bool scroll : {false, true}) {
        SCOPED_TRACE(scroll ? "scrolled out" : "focus left");
        SetUp();
        SetUpEdit(false);
        Paint();
        ASSERT_TRUE(edit->Visible());
        if (scroll) {
            grid->SetBounds(0, 0, 120, 200);
            grid->SetLeftCol(3);
        } else {
            other->SetFocus();
            grid->Perform(ui::CM_EXIT);
        }
        EXPECT_FALSE(edit->Visible());
        if (!scroll) {
            EXPECT_EQ(grid->CurrentCustomControl(), nullptr);
        }
        TearDown();
    }
}

TEST_F(PlacedEdit, AnUnboundEditLeavesTheOtherCellsTheirText)
{
    SetUpEdit(false);
    const std::vector<std::string> log = Paint();
    ASSERT_EQ(grid->CurrentCustomControl(), edit);
    for (const char* text : {"name 1", "name 2", "name 4", "name 5"}) EXPECT_TRUE(Drew(log, text)) << text;
    EXPECT_FALSE(Drew(log, "name 3")) << "the edit covers the current cell";
}

TEST_F(PlacedEdit, TakenIntoTheGridItLosesThe3DLook)
{
    // A control with the stored 3D look: another data grid named as the cell's control.
    MakeData(10);
    auto* inner = new TgkDBGrid(form.get());
    inner->SetName("NameGrid");
    inner->SetParent(form.get());
    inner->SetBounds(300, 250, 50, 20);
    grid->ControlType()->SetText("NAME;CustomEdit;NameGrid\n");
    ShowAndOpen();
    grid->SetFocus();
    grid->SetSelectedIndex(1);
    ASSERT_TRUE(classes::GetBoolProp(*inner, "Ctl3D", false));
    Paint();
    ASSERT_EQ(inner->Parent(), grid);
    EXPECT_FALSE(classes::GetBoolProp(*inner, "Ctl3D", true));
}

TEST_F(PlacedEdit, AlwaysShowingTheEditorHandsTheFocusToTheControlOrShowsTheEditor)
{
    SetUpEdit(false);
    grid->SetOptions(grid->Options() | grid::TgkDBGridOptions{grid::dgEditing, grid::dgAlwaysShowEditor});
    grid->SetFocus();
    grid->SetSelectedIndex(1);
    Paint();
    ASSERT_EQ(grid->CurrentCustomControl(), edit);
    EXPECT_TRUE(edit->Focused()) << "the control over the cell takes the keys";

    // A cell the grid edits itself: its editor, and no control.
    grid->SetFocus();
    grid->SetSelectedIndex(0);
    Paint();
    EXPECT_EQ(grid->CurrentCustomControl(), nullptr);
    ASSERT_NE(grid->InplaceEditor(), nullptr);
    EXPECT_TRUE(grid->InplaceEditor()->Visible());
}

TEST_F(PlacedEdit, DisabledCustomControlsPaintTheText)
{
    SetUpEdit(true);
    const std::vector<std::string> log = Paint();
    EXPECT_EQ(grid->CurrentCustomControl(), nullptr);
    EXPECT_EQ(edit->Parent(), form.get());
    EXPECT_TRUE(Drew(log, "name 3"));
    grid->Perform(ui::WM_CHAR, 'x', 0);
    while (ws.queue.DeliverOne()) {
    }
    EXPECT_EQ(edit->received, std::vector<std::string>{});
}

}  // namespace
