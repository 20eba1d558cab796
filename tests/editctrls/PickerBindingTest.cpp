// The picker bound to fields of an in-memory data set: null values, a date field keeping its
// time and a time field its day, clearing posting null, AutoEdit off, a missing field, a
// Required field; and the picker in an editable and a read-only grid: key routing, F2 and
// the cell highlight through the grid's cell-colour hook.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "editctrls/gkDBDateTimePicker.h"
#include "grid/DBGrid.h"
#include "platform/db/Fields.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Log.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Input.h"
#include "platform/ui/Messages.h"
#include "tests/editctrls/PickerFixture.h"

namespace {

using namespace editctrls;
using rtl::EncodeDate;
using rtl::EncodeDateTime;
using rtl::EncodeTime;

class PickerBindingTest : public pickertest::TPickerForm {
public:
    void SetUp() override
    {
        TPickerForm::SetUp();
        ds = std::make_unique<dbtest::TMemDataSet>(nullptr);
        ds->columns = {{"D", db::ftDate}, {"T", db::ftTime}, {"DT", db::ftDateTime}, {"R", db::ftDateTime, 0, true}};
        ds->AddRow({db::TVariant(EncodeDateTime(2024, 3, 7, 10, 30, 0, 0)),
                    db::TVariant(EncodeDateTime(2000, 1, 2, 8, 15, 0, 0)), db::TVariant(),
                    db::TVariant(EncodeDate(2024, 1, 1))});
        source = std::make_unique<db::TDataSource>(nullptr);
        source->SetDataSet(ds.get());
        form->Show();
        ds->Open();
    }
    void TearDown() override
    {
        form.reset();
        source.reset();
        ds.reset();
    }
    void Bind(const std::string& field)
    {
        picker->SetDataSource(source.get());
        picker->SetDataField(field);
    }
    void Key(ui::TKey key, ui::TShiftState shift = {}) { picker->KeyDown(key, shift); }

    std::unique_ptr<dbtest::TMemDataSet> ds;
    std::unique_ptr<db::TDataSource> source;
};

TEST_F(PickerBindingTest, NullFieldShowsNothingAndTypingFillsIt)
{
    Bind("DT");
    EXPECT_EQ(picker->Text(), "");
    picker->Perform(ui::CM_ENTER);
    picker->SetDisplayFormat("dd/mm/yyyy");
    ui::TKey key = ui::VK_SPACE;
    picker->KeyDown(key, {});
    char space = ' ';
    picker->KeyPress(space);
    EXPECT_FALSE(picker->Text().empty());
    EXPECT_EQ(ds->State(), db::dsEdit);
    ds->Post();
    EXPECT_FALSE(ds->FieldByName("DT")->IsNull());
}

// The field's alignment is the picker's, for the edit and for the picker painting itself.
TEST_F(PickerBindingTest, ADataSetActionReachesTheFocusedPickersDataSet)
{
    Bind("D");
    picker->SetFocus();
    gridtest::TNextRecordAction next(nullptr);
    EXPECT_TRUE(next.Update());
    EXPECT_TRUE(next.Enabled());
    EXPECT_TRUE(next.Execute());
    EXPECT_TRUE(ds->Eof());
    EXPECT_TRUE(next.Update());
    EXPECT_FALSE(next.Enabled());
}

TEST_F(PickerBindingTest, TakesTheFieldsAlignment)
{
    ds->FieldByName("D")->SetAlignment(classes::taRightJustify);
    Bind("D");
    EXPECT_EQ(picker->Alignment(), classes::taRightJustify);
    Bind("T");
    EXPECT_EQ(picker->Alignment(), classes::taLeftJustify);
}

TEST_F(PickerBindingTest, DatePartsKeepTheTimeAndTimePartsTheDay)
{
    // Date and time fields store their own half only.
    Bind("D");
    picker->SetDisplayFormat("dd/mm/yyyy");
    EXPECT_EQ(picker->Text(), "07/03/2024");
    picker->SetCurrentPart(1);
    Key('2');
    Key('0');
    ds->Post();
    EXPECT_EQ(ds->FieldByName("D")->AsDateTime(), EncodeDate(2024, 3, 20));

    Bind("T");
    picker->SetDisplayFormat("hh:nn");
    EXPECT_EQ(picker->Text(), "08:15");
    picker->SetCurrentPart(1);
    Key(ui::VK_UP);
    ds->Post();
    EXPECT_NEAR(ds->FieldByName("T")->AsDateTime(), EncodeTime(9, 15, 0, 0), 1e-9);

    // A date-time field edited as a date keeps its time of day; edited as a time, its day.
    ds->Edit();
    ds->FieldByName("DT")->SetAsDateTime(EncodeDateTime(2024, 3, 7, 10, 30, 0, 0));
    ds->Post();
    Bind("DT");
    picker->SetDisplayFormat("dd/mm/yyyy");
    EXPECT_TRUE(picker->IsDateOnly());
    picker->SetCurrentPart(1);
    Key('2');
    Key('0');
    ds->Post();
    EXPECT_EQ(ds->FieldByName("DT")->AsDateTime(), EncodeDateTime(2024, 3, 20, 10, 30, 0, 0));
    picker->SetDisplayFormat("hh:nn");
    EXPECT_TRUE(picker->IsTimeOnly());
    picker->SetCurrentPart(1);
    Key(ui::VK_UP);
    ds->Post();
    EXPECT_EQ(ds->FieldByName("DT")->AsDateTime(), EncodeDateTime(2024, 3, 20, 11, 30, 0, 0));
}

TEST_F(PickerBindingTest, ClearingPostsNullButNotForARequiredField)
{
    Bind("D");
    picker->SetDisplayFormat("dd/mm/yyyy");
    picker->SelectAll();
    Key(ui::VK_DELETE);
    EXPECT_EQ(picker->Text(), "");
    ds->Post();
    EXPECT_TRUE(ds->FieldByName("D")->IsNull());

    Bind("R");
    picker->SetDisplayFormat("dd/mm/yyyy");
    const std::string before = picker->Text();
    picker->SelectAll();
    Key(ui::VK_DELETE);
    Key(ui::VK_BACK);
    EXPECT_EQ(picker->Text(), before);
}

TEST_F(PickerBindingTest, AutoEditOffWaitsForEditMode)
{
    source->SetAutoEdit(false);
    Bind("D");
    EXPECT_FALSE(picker->CanEditValue());
    ds->Edit();
    EXPECT_TRUE(picker->CanEditValue());
    ds->Cancel();
    ds->readOnly = true;
    EXPECT_FALSE(picker->CanEditValue());
}

TEST_F(PickerBindingTest, MissingFieldShowsNothingAndIgnoresKeys)
{
    {
        rtl::TLogCapture log;
        Bind("NOSUCH");
        // The refused name is logged with where it was met, not lost.
        ASSERT_EQ(log.Lines().size(), 1u);
        EXPECT_EQ(log.Lines()[0].rfind("TgkDBCustomDateTimePicker DataField: ", 0), 0u) << log.Lines()[0];
    }
    EXPECT_EQ(picker->Text(), "");
    for (ui::TKey key : {ui::TKey('5'), ui::TKey(ui::VK_UP), ui::TKey(ui::VK_DELETE)}) Key(key);
    EXPECT_EQ(picker->Text(), "");
    EXPECT_EQ(ds->State(), db::dsBrowse);
    picker->DropDown();
    EXPECT_FALSE(picker->IsDroppedDown());
}

// ---- In a grid -----------------------------------------------------------------------------

class TColourGrid : public grid::TgkCustomDBGrid {
public:
    using TgkCustomDBGrid::TgkCustomDBGrid;
    int highlightCalls = 0;
    bool CalcCellColors(db::TField* field, ui::TGridDrawState state, bool highlight, classes::TFont* font,
                        ui::TBrush* brush) override
    {
        if (highlight) ++highlightCalls;
        return TgkCustomDBGrid::CalcCellColors(field, state, highlight, font, brush);
    }
    std::vector<ui::TKey> keys;
    void KeyDown(ui::TKey& key, ui::TShiftState shift) override
    {
        keys.push_back(key);
        key = 0;
        (void)shift;
    }
};

TEST_F(PickerBindingTest, KeysInsideAGridGoWhereTheTableSays)
{
    auto* g = new TColourGrid(form.get());
    g->SetParent(form.get());
    g->SetBounds(0, 50, 300, 150);
    g->SetDataSource(source.get());
    picker->SetParent(g);
    Bind("D");
    picker->SetDisplayFormat("dd/mm/yyyy");
    struct Case {
        const char* name;
        ui::TKey key;
        ui::TShiftState shift;
        bool selectAll;
        bool toGrid;
    } cases[] = {
        {"Down with all selected", ui::VK_DOWN, {}, true, true},
        {"Up with all selected", ui::VK_UP, {}, true, true},
        {"Up with a part selected", ui::VK_UP, {}, false, false},
        {"Ctrl+Down", ui::VK_DOWN, {ui::ssCtrl}, false, true},
        {"Page Down", ui::VK_NEXT, {}, false, true},
        {"Insert", ui::VK_INSERT, {}, false, true},
        {"Shift+Insert", ui::VK_INSERT, {ui::ssShift}, false, false},
        {"Ctrl+Delete", ui::VK_DELETE, {ui::ssCtrl}, false, true},
        {"Left without always-show", ui::VK_LEFT, {}, false, false},
    };
    for (const Case& c : cases) {
        g->keys.clear();
        picker->SetCurrentPart(1);
        if (c.selectAll)
            picker->SelectAll();
        else
            picker->HighlightPart();
        ui::TKey key = c.key;
        picker->KeyDown(key, c.shift);
        EXPECT_EQ(!g->keys.empty(), c.toGrid) << c.name;
        EXPECT_EQ(key, 0) << c.name;  // handled either way
    }
    // Enter and Tab are the grid's: the picker leaves them alone.
    ui::TKey enter = ui::VK_RETURN;
    picker->KeyDown(enter, {});
    EXPECT_EQ(enter, ui::VK_RETURN);
    // F2 selects the first part.
    picker->SetCurrentPart(3);
    picker->SelectAll();
    ui::TKey f2 = ui::VK_F2;
    picker->KeyDown(f2, {});
    EXPECT_EQ(picker->CurrentPart(), 1);
    EXPECT_EQ(picker->SelLength(), 2);

    // Read-only: every arrow goes to the grid.
    picker->SetReadOnly(true);
    for (ui::TKey k : {ui::TKey(ui::VK_LEFT), ui::TKey(ui::VK_RIGHT), ui::TKey(ui::VK_HOME), ui::TKey(ui::VK_END)}) {
        g->keys.clear();
        ui::TKey key = k;
        picker->KeyDown(key, {});
        EXPECT_EQ(g->keys.size(), 1u) << k;
    }

    // The focused picker's text is drawn highlighted through the grid's hook.
    picker->Perform(ui::CM_ENTER);
    ui::TBitmap bitmap(160, 21);
    picker->PaintText(*bitmap.Canvas(), false);
    EXPECT_GE(g->highlightCalls, 1);
    // Focused in the grid it paints itself as the current cell: highlighted, with the focus
    // rectangle around the edit rectangle (no border of its own in a cell).
    EXPECT_TRUE(picker->PaintsOver());
    ui::TRecordingCanvas canvas(7, 13, 3);
    canvas.SetBounds({0, 0, picker->Width(), picker->Height()});
    picker->PaintOver(canvas);
    const ui::TRect edit = picker->EditRect();
    const std::string focusRect = "Polyline(" + std::to_string(edit.Left) + "," + std::to_string(edit.Top);
    bool found = false;
    for (const std::string& line : canvas.Log())
        found = found || (line.rfind(focusRect, 0) == 0 && line.find("dot") != std::string::npos);
    EXPECT_TRUE(found) << focusRect;
    EXPECT_EQ(picker->FocusRect().Left, edit.Left);
    // No frame inside a grid.
    picker->Frame()->SetEnabled(true);
    EXPECT_FALSE(picker->Frame()->IsFrameEnabled());
    EXPECT_EQ(picker->FrameRingWidth(), 0);
}

}  // namespace
