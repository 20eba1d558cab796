// The grid core on the Qt backend (offscreen), driven with real key events: keys pressed in an
// edit placed over a cell come back to the grid as navigation, leaving the grid cancels an
// untouched insert or takes the focus back after a failing write; a column resize that keeps
// the row height and the other columns; and what the grid draws into its off-screen bitmap
// (check boxes, indicator glyphs) by pixels.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

#include "grid/DBGrid.h"
#include "grid/Intl.h"
#include "platform/ui/Forms.h"
#include "platform/ui/FrameControls.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/qt/QtUi.h"
#include "tests/db/MemDataSet.h"

namespace {

using namespace grid;
using db::TVariant;

class QtGridTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ui::qt::Install(); }

    void SetUp() override
    {
        ui::Application().Reset();
        ds = std::make_unique<dbtest::TMemDataSet>(nullptr);
        ds->columns = {{"ID", db::ftInteger}, {"NAME", db::ftString, 12}, {"CITY", db::ftString, 8}};
        for (int i = 1; i <= 5; ++i) ds->AddRow({TVariant(i), TVariant("n" + std::to_string(i)), TVariant("c")});
        source = std::make_unique<db::TDataSource>(nullptr);
        source->SetDataSet(ds.get());
        form = std::make_unique<ui::TForm>(nullptr);
        form->SetBounds(100, 100, 420, 300);
        grid = new TgkCustomDBGrid(form.get());
        grid->SetParent(form.get());
        grid->SetBounds(10, 10, 380, 200);
        grid->SetDataSource(source.get());
        grid->OnKeyDown = [this](classes::TObject*, ui::TKey& key, ui::TShiftState) { gridKeys.push_back(key); };
        cell = new ui::TEdit(form.get());
        cell->SetParent(grid);
        cell->SetBounds(20, 20, 80, 16);
        cell->SetText("abc");
        grid->SetPlacedControl(cell);
        outside = new ui::TEdit(form.get());
        outside->SetParent(form.get());
        outside->SetBounds(10, 240, 100, 20);
        ds->Open();
        form->Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(ui::qt::WidgetOf(*form)));
        grid->SetFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return ui::qt::WidgetOf(*grid)->hasFocus(); }));
    }

    void TearDown() override
    {
        form.reset();
        ui::Application().ProcessMessages();
        source.reset();
        ds.reset();
        ui::Application().OnException.Clear();
    }

    QLineEdit* CellEdit() { return qobject_cast<QLineEdit*>(ui::qt::WidgetOf(*cell)); }

    void FocusCell()
    {
        cell->SetFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return CellEdit()->hasFocus(); }));
        Settle();  // an edit selects its text once it has the focus (AutoSelect)
    }

    // Posted keys arrive from the event loop.
    void Settle()
    {
        for (int i = 0; i < 5; ++i) {
            QApplication::processEvents();
            ui::Application().ProcessMessages();
        }
    }

    std::unique_ptr<dbtest::TMemDataSet> ds;
    std::unique_ptr<db::TDataSource> source;
    std::unique_ptr<ui::TForm> form;
    TgkCustomDBGrid* grid = nullptr;
    ui::TEdit* cell = nullptr;
    ui::TEdit* outside = nullptr;
    std::vector<ui::TKey> gridKeys;
};

// The first layout comes before the first paint sizes the grid's drawing bitmap; it must
// measure the fonts as the paint does, or the first column resize (which lays out again)
// changes the row height and every other column.
TEST_F(QtGridTest, AColumnResizeLeavesTheRowHeightAndTheOtherColumns)
{
    Settle();
    const int rowHeight = grid->DefaultRowHeight();
    const int titleHeight = grid->RowHeights(0);
    std::vector<int> widths;
    for (int c = 0; c < grid->ColCount(); ++c) widths.push_back(grid->ColWidths(c));
    ASSERT_EQ(widths.size(), 4u);
    // What the window system measures for the grid's font: a row is its height and 3 pixels.
    EXPECT_EQ(rowHeight, ui::MeasureFont(*grid->Font()).Metrics().Height + 3);
    grid->SetColWidths(1, widths[1] + 30);  // where the user's sizing ends
    Settle();
    EXPECT_EQ(grid->DefaultRowHeight(), rowHeight);
    EXPECT_EQ(grid->RowHeights(0), titleHeight);
    for (int c = 0; c < grid->ColCount(); ++c) {
        if (c == 1) continue;
        EXPECT_EQ(grid->ColWidths(c), widths[c]) << "column " << c;
    }
    // The resized one is kept in whole characters ("0" wide).
    EXPECT_NEAR(grid->ColWidths(1), widths[1] + 30, ui::MeasureFont(*grid->Font()).TextWidth("0"));
}

TEST_F(QtGridTest, TabInACellsEditMovesOneCellAndEnterOnlyWithEnterToTab)
{
    ASSERT_TRUE(TgkCustomDBGrid::KeyFilterInstalled());
    FocusCell();
    EXPECT_TRUE(TgkCustomDBGrid::KeyFilterInstalled());  // the focus stayed inside the grid
    EXPECT_TRUE(grid->HasFocus());
    ASSERT_EQ(grid->Col(), 1);
    QTest::keyClick(CellEdit(), Qt::Key_Tab);
    Settle();
    EXPECT_EQ(grid->Col(), 2);
    // The key was the grid's, and a navigation key takes the focus back from the edit.
    EXPECT_TRUE(grid->Focused());
    EXPECT_FALSE(CellEdit()->hasFocus());

    FocusCell();
    gridKeys.clear();
    QTest::keyClick(CellEdit(), Qt::Key_Return);
    Settle();
    EXPECT_TRUE(gridKeys.empty());
    grid->SetKeyOptions(grid->KeyOptions() | TgkDBGridKeyOptions{dgEnterToTab});
    QTest::keyClick(CellEdit(), Qt::Key_Return);
    Settle();
    EXPECT_EQ(gridKeys, (std::vector<ui::TKey>{ui::VK_RETURN}));
}

TEST_F(QtGridTest, LeftLeavesTheEditOnlyAtTheStartAndHomeAndEndStayInIt)
{
    FocusCell();
    CellEdit()->setCursorPosition(1);
    gridKeys.clear();
    QTest::keyClick(CellEdit(), Qt::Key_Left);  // mid-text: the caret moves
    Settle();
    EXPECT_TRUE(gridKeys.empty());
    EXPECT_EQ(CellEdit()->cursorPosition(), 0);
    EXPECT_EQ(cell->SelStart(), 0);
    QTest::keyClick(CellEdit(), Qt::Key_Left);  // at the start: the grid's
    Settle();
    EXPECT_EQ(gridKeys, (std::vector<ui::TKey>{ui::VK_LEFT}));
    EXPECT_TRUE(grid->Focused());  // and the focus with it

    FocusCell();
    gridKeys.clear();
    QTest::keyClick(CellEdit(), Qt::Key_End);
    QTest::keyClick(CellEdit(), Qt::Key_Home);
    Settle();
    EXPECT_TRUE(gridKeys.empty());
    EXPECT_EQ(CellEdit()->cursorPosition(), 0);

    QTest::keyClick(CellEdit(), Qt::Key_Right);  // not at the end: the caret's
    Settle();
    EXPECT_TRUE(gridKeys.empty());
    CellEdit()->setCursorPosition(3);
    QTest::keyClick(CellEdit(), Qt::Key_Right);  // at the end: the grid's
    Settle();
    EXPECT_TRUE(grid->Focused());
    FocusCell();
    QTest::keyClick(CellEdit(), Qt::Key_Down);
    Settle();
    EXPECT_EQ(gridKeys, (std::vector<ui::TKey>{ui::VK_RIGHT, ui::VK_DOWN}));
}

// The grid places its editor again whenever the cell moves or changes size; a caret at the
// end of a long text must stay in view, or the user types blind.
TEST_F(QtGridTest, TheCellEditorKeepsItsCaretInViewWhenPlacedSmaller)
{
    grid->SetSelectedIndex(1);
    grid->SetEditorMode(true);
    Settle();
    ASSERT_NE(grid->InplaceEditor(), nullptr);
    auto* editor = qobject_cast<QPlainTextEdit*>(ui::qt::WidgetOf(*grid->InplaceEditor()));
    ASSERT_NE(editor, nullptr);
    editor->setFocus();
    editor->setPlainText("a_long_name_typed_to_the_very_end_of_the_cell_without_a_break");
    editor->moveCursor(QTextCursor::End);
    Settle();
    editor->verticalScrollBar()->setValue(0);  // as the first lines were last shown
    const ui::TRect r = grid->InplaceEditor()->BoundsRect();
    grid->InplaceEditor()->SetBounds(r.Left, r.Top, 40, r.Height());
    Settle();
    ASSERT_EQ(editor->width(), 40);
    const QRect caret = editor->cursorRect();
    // A row is lower than a line of the editor's font: the caret's line shows from its top.
    EXPECT_GE(caret.left(), 0);
    EXPECT_LE(caret.right(), editor->viewport()->width());
    EXPECT_GE(caret.top(), 0);
    EXPECT_LT(caret.top(), editor->viewport()->height());
}

TEST_F(QtGridTest, LeavingCancelsAnUntouchedInsert)
{
    ds->Append();
    ASSERT_EQ(ds->State(), db::dsInsert);
    QTest::mouseClick(ui::qt::WidgetOf(*outside), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ui::qt::WidgetOf(*outside)->hasFocus(); }));
    EXPECT_EQ(ds->State(), db::dsBrowse);
    EXPECT_EQ(ds->RecordCount(), 5);
    EXPECT_FALSE(grid->HasFocus());
    EXPECT_FALSE(TgkCustomDBGrid::KeyFilterInstalled());
}

TEST_F(QtGridTest, AFailingWriteTakesTheFocusBackAndReportsTheError)
{
    std::vector<std::string> errors;
    ui::Application().OnException = [&](classes::TObject*, const std::exception& e) { errors.push_back(e.what()); };
    grid->SetCol(1);  // the integer column
    ASSERT_TRUE(grid->CanEditModify());
    grid->SetEditText(1, 1, "twelve");
    QTest::mouseClick(ui::qt::WidgetOf(*outside), Qt::LeftButton);
    Settle();
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_TRUE(grid->Focused());
    EXPECT_TRUE(QTest::qWaitFor([&] { return ui::qt::WidgetOf(*grid)->hasFocus(); }));
    EXPECT_EQ(ds->State(), db::dsEdit);
    ds->Cancel();
}

TEST_F(QtGridTest, AClickMovesRecordAndColumnAndTheEditorTakesTypedText)
{
    grid->SetPlacedControl(nullptr);
    cell->Hide();
    QWidget* widget = ui::qt::WidgetOf(*grid);
    const ui::TRect r = grid->CellRect(2, 3);
    // The press goes where the window system would send it: to the drawing area inside.
    const QPoint at((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    QWidget* area = widget->childAt(at);
    ASSERT_NE(area, nullptr);
    QTest::mouseClick(area, Qt::LeftButton, {}, area->mapFrom(widget, at));
    Settle();
    EXPECT_EQ(ds->RecNo(), 3);
    EXPECT_EQ(grid->SelectedIndex(), 1);
    QTest::keyClick(widget, Qt::Key_F2);
    Settle();
    ASSERT_TRUE(grid->EditorMode());
    ASSERT_NE(grid->InplaceEditor(), nullptr);
    QWidget* editor = ui::qt::WidgetOf(*grid->InplaceEditor());
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->isVisible());
    const ui::TRect placed = grid->InplaceEditor()->BoundsRect();
    EXPECT_EQ(placed, grid->CellRect(2, 3));
    ASSERT_TRUE(QTest::qWaitFor([&] { return editor->hasFocus(); }));
    QTest::keyClick(editor, Qt::Key_End);
    QTest::keyClicks(editor, "x");
    Settle();
    EXPECT_EQ(grid->EditText(), "n3x");
    EXPECT_EQ(ds->State(), db::dsEdit);
    ds->Cancel();
}

TEST_F(QtGridTest, AClickSentToTheFrameAroundTheDrawingAreaLandsOnTheSameCell)
{
    // A program (or a test) may send the press to the control's own widget, the frame around
    // the drawing area: it is mapped into the drawing area, not dropped or crashed on.
    grid->SetPlacedControl(nullptr);
    cell->Hide();
    QWidget* frame = ui::qt::WidgetOf(*grid);
    const ui::TRect r = grid->CellRect(3, 4);
    const QPoint at((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    QWidget* area = frame->childAt(at);
    ASSERT_NE(area, nullptr);
    ASSERT_NE(area, frame);
    // `at` is in the drawing area's (the control's client) coordinates.
    QTest::mouseClick(frame, Qt::LeftButton, {}, area->mapTo(frame, at));
    Settle();
    EXPECT_EQ(ds->RecNo(), 4);
    EXPECT_EQ(grid->SelectedIndex(), 2);
}

// ---- Pixels on a real bitmap ---------------------------------------------------------------------------

TEST_F(QtGridTest, CheckBoxesByStyle)
{
    ui::TBitmap& bitmap = *grid->DrawBitmap();
    bitmap.SetSize(40, 40);
    const ui::TRect box{10, 10, 20, 20};  // the 10 x 10 box; drawn over 9,9..22,22
    struct Case {
        TgkCheckBoxInGridStyle style;
        bool checked;
        bool markAtCentre;
    };
    for (const Case& c : std::vector<Case>{{cbStyleAuto, true, true},
                                           {cbStyleCheckmark, false, false},
                                           {cbStyleCheckmarkFlat, true, true},
                                           {cbStyleXmark, true, true},
                                           {cbStyleXmark, false, false}}) {
        gkIntlDefault().SetCheckBoxInGridStyle(c.style);
        bitmap.Fill(rtl::clRed);
        grid->DrawCheckBox(box, 1, c.checked, {});
        EXPECT_EQ(bitmap.Pixel(8, 8), rtl::clRed) << c.style;  // nothing outside the grown box
        EXPECT_NE(bitmap.Pixel(9, 9), rtl::clRed) << c.style;
        // (16, 15) lies on the tick and on the cross.
        EXPECT_EQ(bitmap.Pixel(16, 15) == rtl::clBlack, c.markAtCentre) << c.style << " " << c.checked;
        if (!c.markAtCentre) {
            EXPECT_EQ(bitmap.Pixel(16, 15), rtl::clWhite) << c.style;
        }
        if (c.style == cbStyleCheckmarkFlat) {
            EXPECT_EQ(bitmap.Pixel(9, 12), rtl::ColorToRGB(rtl::clBtnShadow));  // one flat ring
        }
        if (c.style == cbStyleCheckmark) {
            EXPECT_EQ(bitmap.Pixel(10, 12), rtl::ColorToRGB(rtl::cl3DDkShadow));
        }
    }
    gkIntlDefault().SetCheckBoxInGridStyle(cbStyleAuto);
}

TEST_F(QtGridTest, IndicatorGlyphTakesTheIconColour)
{
    ui::TBitmap& bitmap = *grid->DrawBitmap();
    bitmap.SetSize(40, 40);
    bitmap.Fill(rtl::clWhite);
    grid->SetIndicatorIconColor(rtl::clBlue);
    grid->DrawIndicatorGlyph(0, {0, 0, 11, 16});  // the current record: the arrow
    // The 8 x 9 arrow starts at ((11 - 8) / 2 + 1, centred in the row height); its left edge
    // is its column 1.
    const int top = (grid->DefaultRowHeight() - 9) / 2;
    EXPECT_EQ(bitmap.Pixel(2 + 1, top + 4), rtl::clBlue);
    EXPECT_EQ(bitmap.Pixel(2 + 3, top + 4), rtl::clBlue);
    EXPECT_EQ(bitmap.Pixel(2 + 7, top + 4), rtl::clWhite);  // white stays see-through
    bitmap.Fill(rtl::clWhite);
    grid->DrawIndicatorGlyph(1, {0, 16, 11, 32});  // another row: nothing
    for (int x = 0; x < 11; ++x)
        for (int y = 16; y < 32; ++y) ASSERT_EQ(bitmap.Pixel(x, y), rtl::clWhite) << x << "," << y;
}

TEST(QtFrameControls, EdgesByFlags)
{
    ui::qt::Install();
    ui::TBitmap bitmap(20, 20);
    ui::TCanvas& c = *bitmap.Canvas();
    struct Case {
        unsigned edge;
        unsigned flags;
        rtl::TColor topLeft;
        rtl::TColor bottomRight;
    };
    for (const Case& k : std::vector<Case>{
             {ui::EDGE_RAISED, ui::BF_RECT, rtl::cl3DLight, rtl::cl3DDkShadow},
             {ui::EDGE_SUNKEN, ui::BF_RECT, rtl::clBtnShadow, rtl::clBtnHighlight},
             {ui::EDGE_RAISED, ui::BF_RECT | ui::BF_FLAT, rtl::clBtnShadow, rtl::clBtnShadow},
             {ui::EDGE_SUNKEN, ui::BF_RECT | ui::BF_MONO, rtl::clWindowFrame, rtl::clWindowFrame},
         }) {
        bitmap.Fill(rtl::clRed);
        ui::TRect r{2, 2, 18, 18};
        EXPECT_TRUE(ui::DrawEdge(c, r, k.edge, k.flags | ui::BF_ADJUST | ui::BF_MIDDLE));
        EXPECT_EQ(r, (ui::TRect{4, 4, 16, 16}));
        EXPECT_EQ(bitmap.Pixel(2, 8), rtl::ColorToRGB(k.topLeft)) << k.edge << "/" << k.flags;
        EXPECT_EQ(bitmap.Pixel(17, 8), rtl::ColorToRGB(k.bottomRight)) << k.edge << "/" << k.flags;
        EXPECT_EQ(bitmap.Pixel(1, 8), rtl::clRed);
        EXPECT_NE(bitmap.Pixel(10, 10), rtl::clRed);  // the middle filled
    }
    // Only the sides asked for.
    bitmap.Fill(rtl::clRed);
    ui::TRect r{2, 2, 18, 18};
    ui::DrawEdge(c, r, ui::EDGE_RAISED, ui::BF_TOP | ui::BF_ADJUST);
    EXPECT_EQ(r, (ui::TRect{2, 4, 18, 18}));
    EXPECT_EQ(bitmap.Pixel(2, 10), rtl::clRed);
    EXPECT_FALSE(ui::DrawEdge(c, r, 0, ui::BF_RECT));

    // The combo arrow: a black triangle, grey when inactive.
    bitmap.Fill(rtl::clRed);
    ui::DrawFrameControl(c, {0, 0, 17, 17}, ui::DFC_SCROLL, ui::DFCS_SCROLLCOMBOBOX);
    EXPECT_EQ(bitmap.Pixel(8, 7), rtl::clBlack);
    ui::DrawFrameControl(c, {0, 0, 17, 17}, ui::DFC_SCROLL, ui::DFCS_SCROLLCOMBOBOX | ui::DFCS_INACTIVE);
    EXPECT_EQ(bitmap.Pixel(8, 7), rtl::ColorToRGB(rtl::clGrayText));
}

}  // namespace
