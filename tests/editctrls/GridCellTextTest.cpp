// The grid's cell text through the library's own controls: a radio group shows the caption of
// the button for the stored value, and a rich-text memo column shows its text, read by a hidden
// data-aware rich edit. The rich edit the grid places over a cell takes a press soon after
// the one that placed it as a double click.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "editctrls/gkCheckBox.h"
#include "editctrls/gkDBRichEdit.h"
#include "editctrls/gkRadioGroup.h"
#include "grid/PublishedDBGrid.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Input.h"
#include "platform/ui/Messages.h"
#include "platform/ui/qt/QtUi.h"
#include "tests/db/MemDataSet.h"

namespace {

using namespace editctrls;

class GridCellText : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ui::qt::Install();
        RegisterRichEditClasses();
        RegisterCheckBoxClasses();
    }
    void SetUp() override
    {
        ds = std::make_unique<dbtest::TMemDataSet>(nullptr);
        ds->columns = {{"ID", db::ftInteger}, {"SIZE", db::ftString, 4}, {"NOTES", db::ftMemo}};
        ds->AddRow({db::TVariant(1), db::TVariant("M"), db::TVariant("{\\rtf1\\ansi \\b bold\\b0  plain}")});
        ds->AddRow({db::TVariant(2), db::TVariant("XL"), db::TVariant("first line")});
        source = std::make_unique<db::TDataSource>(nullptr);
        source->SetDataSet(ds.get());
        form = std::make_unique<ui::TForm>(nullptr);
        form->SetBounds(0, 0, 500, 300);
        radio = new TgkRadioGroup(form.get());
        radio->SetName("SizeRadio");
        radio->SetParent(form.get());
        radio->SetVisible(false);
        for (const char* item : {"Small", "Medium", "Large"}) radio->Items()->Add(item);
        for (const char* value : {"S", "M", "L"}) radio->Values()->Add(value);
        grid = new grid::TgkDBGrid(form.get());
        grid->SetParent(form.get());
        grid->SetBounds(0, 0, 480, 200);
        grid->ControlType()->SetText("SIZE;Combo;SizeRadio\r\nNOTES;RichEdit;SizeRadio");
        grid->SetDataSource(source.get());
        form->Show();
        ds->Open();
    }
    void TearDown() override
    {
        form.reset();
        source.reset();
        ds.reset();
    }

    std::unique_ptr<dbtest::TMemDataSet> ds;
    std::unique_ptr<db::TDataSource> source;
    std::unique_ptr<ui::TForm> form;
    TgkRadioGroup* radio = nullptr;
    grid::TgkDBGrid* grid = nullptr;
};

TEST_F(GridCellText, RadioCaptionsAndRichTextComeFromTheControls)
{
    struct Case {
        int record;
        int dataCol;
        std::string text;
    };
    for (const Case& c : {Case{1, 1, "Medium"}, Case{2, 1, ""}, Case{1, 2, "bold plain"}, Case{2, 2, "first line"}}) {
        ds->First();
        ds->MoveBy(c.record - 1);
        EXPECT_EQ(grid->GetFieldValue(c.dataCol), c.text) << "record " << c.record << ", column " << c.dataCol;
    }
}

TEST_F(GridCellText, APressSoonAfterTheGridPlacedTheRichEditIsADoubleClick)
{
    std::int64_t now = 0;
    auto* edit = new TgkDBRichEdit(form.get());
    edit->SetName("NotesEdit");
    edit->SetParent(form.get());
    edit->SetVisible(false);
    int doubleClicks = 0;
    edit->OnDblClick = [&](classes::TObject*) { ++doubleClicks; };
    grid->ControlType()->SetText("NOTES;RichEdit;NotesEdit");
    grid->SetFocus();
    const auto press = [](ui::TWinControl& on, int x, int y, bool twice = false) {
        on.Perform(twice ? ui::WM_LBUTTONDBLCLK : ui::WM_LBUTTONDOWN, ui::MK_LBUTTON, ui::MakeLParam(x, y));
        on.Perform(ui::WM_LBUTTONUP, 0, ui::MakeLParam(x, y));
    };
    // Each case: the grid's press on the other record's NOTES cell places the edit; the
    // next press on the edit comes `after` milliseconds later (the double-click time is 500).
    const struct {
        int after;
        bool twice;  // the window reports that press as a double click itself
        int doubleClicks;
    } cases[] = {{0, false, 1}, {300, false, 1}, {500, false, 1}, {501, false, 0}, {200, true, 1}};
    ui::SetDoubleClickTime(500);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.after);
        doubleClicks = 0;
        const int row = grid->Row() == grid->TitleOffset() ? grid->TitleOffset() + 1 : grid->TitleOffset();
        const ui::TRect cell = grid->CellRect(grid->IndicatorOffset() + 2, row);
        now += 10000;
        ui::SetMessageTime(now);
        press(*grid, cell.Left + 4, cell.Top + 3);
        ui::TRecordingCanvas canvas;
        grid->PaintTo(canvas);  // painting lays the edit over the new current cell
        ASSERT_EQ(grid->PlacedControl(), edit);
        ASSERT_EQ(edit->Parent(), grid);
        EXPECT_EQ(doubleClicks, 0);
        now += c.after;
        ui::SetMessageTime(now);
        press(*edit, 5, 3, c.twice);
        EXPECT_EQ(doubleClicks, c.doubleClicks);
        // The grid's press is forgotten once a press came: the next one is a plain press.
        press(*edit, 5, 3);
        EXPECT_EQ(doubleClicks, c.doubleClicks);
    }
}

}  // namespace
