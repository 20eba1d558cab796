// The grid's paint cycle on recording devices: what is drawn in which order, the footer
// strip's geometry, nested redraw suspension, pad styles, line styles, title groups, footer
// cells, painting failures and the mouse wheel.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "grid/DBGrid.h"
#include "grid/IndicatorButton.h"
#include "platform/ui/Input.h"
#include "platform/ui/StdCtrls.h"
#include "tests/grid/GridTestSupport.h"

namespace {

using namespace grid;

using GridPaint = gridtest::TGridFixture<TgkCustomDBGrid>;

ui::TRecordingDevice& Recorder(TgkCustomDBGrid& g)
{
    return dynamic_cast<ui::TRecordingDevice&>(*g.DrawBitmap()->Canvas()->Device());
}

// Paints the whole grid once and answers what its off-screen bitmap was asked to draw.
std::vector<std::string> PaintLog(TgkCustomDBGrid& g, ui::TRecordingCanvas* window = nullptr)
{
    ui::TRecordingCanvas own;
    ui::TRecordingCanvas& target = window != nullptr ? *window : own;
    g.PaintTo(target);  // sizes the bitmap on the first paint
    Recorder(g).ClearLog();
    target.ClearLog();
    g.PaintTo(target);
    return Recorder(g).Log();
}

int IndexOf(const std::vector<std::string>& log, const std::string& part, int from = 0)
{
    for (int i = from; i < static_cast<int>(log.size()); ++i)
        if (log[i].find(part) != std::string::npos) return i;
    return -1;
}

// The horizontal lines at height y drawn in `pen` cover [from, to) without a gap (a row
// boundary may be drawn cell by cell).
bool HLineCovers(const std::vector<std::string>& log, int y, const std::string& pen, int from, int to)
{
    std::vector<std::pair<int, int>> spans;
    for (const std::string& entry : log) {
        int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
        char colour[32] = {};
        if (std::sscanf(entry.c_str(), "Polyline(%d,%d %d,%d pen=%31[^ ),]", &x1, &y1, &x2, &y2, colour) == 5 &&
            y1 == y && y2 == y && pen == colour)
            spans.emplace_back(std::min(x1, x2), std::max(x1, x2));
    }
    std::sort(spans.begin(), spans.end());
    int reached = from;
    for (const auto& [a, b] : spans)
        if (a <= reached) reached = std::max(reached, b);
    return reached >= to;
}

int Count(const std::vector<std::string>& log, const std::string& part)
{
    return static_cast<int>(std::count_if(log.begin(), log.end(),
                                          [&](const std::string& l) { return l.find(part) != std::string::npos; }));
}

TEST_F(GridPaint, PaintsBackgroundTitlesIndicatorCellsLinesFocusAndFooterInThatOrder)
{
    MakeData(5);
    grid->SetOptions(grid->Options() | TgkDBGridOptions{dgShowFooter});
    ShowAndOpen();
    grid->ColumnByName("NAME").SetFooterValue("5 names");
    int before = -1;  // how much was drawn when OnBeforePaint fired
    grid->OnBeforePaint = [&](classes::TObject*) { before = static_cast<int>(Recorder(*grid).Log().size()); };
    ui::TRecordingCanvas window;
    const std::vector<std::string> log = PaintLog(*grid, &window);
    const int background = IndexOf(log, "FillRect(0,0,384,200 brush=$00FFFFFF)");
    const int title = IndexOf(log, "\"NAME\"");
    const int indicator = IndexOf(log, "DrawPixels(");
    const int cells = IndexOf(log, "\"name 1\"");
    const int lastCell = IndexOf(log, "\"c5\"");
    const int lines = IndexOf(log, "Polyline(93,18 93,");
    const int focus = IndexOf(log, "dot,xor");
    const int footer = IndexOf(log, "\"5 names\"");
    EXPECT_EQ(background, 0);
    EXPECT_LT(background, before);
    EXPECT_LE(before, title);
    EXPECT_LT(title, indicator);
    EXPECT_LT(indicator, cells);
    EXPECT_LT(lastCell, lines);
    EXPECT_LT(lines, focus);
    EXPECT_LT(focus, footer);
    // Only the update rectangle goes to the window, once, after everything else.
    ASSERT_EQ(window.Log().size(), 1u);
    EXPECT_EQ(window.Log()[0].rfind("CopyFrom(0,0,384,200 from 0,0,384,200", 0), 0u) << window.Log()[0];
    // The background is laid down once: the window's erase message paints nothing.
    EXPECT_EQ(Count(log, "FillRect(0,0,384,200"), 1);
}

// What a test grid sends itself as WM_SETREDRAW (wParam each time).
class TRedrawGrid : public TgkCustomDBGrid {
public:
    using TgkCustomDBGrid::TgkCustomDBGrid;
    std::vector<int> sent;

protected:
    void Dispatch(ui::TMessage& m) override
    {
        if (m.Msg == ui::WM_SETREDRAW) sent.push_back(static_cast<int>(m.WParam));
        TgkCustomDBGrid::Dispatch(m);
    }
};

using RedrawNesting = gridtest::TGridFixture<TRedrawGrid>;

TEST_F(RedrawNesting, SendsRedrawOffAtTheOutermostLevelOnlyAndOnWhenTheCountReturnsToZero)
{
    MakeData(3);
    ShowAndOpen();
    // 'D' DisableRedraw, 'e' EnableRedraw(false), 'E' EnableRedraw(true).
    struct Case {
        std::string calls;
        std::vector<int> sent;
        bool invalidated;
        bool disabledAfter;
    };
    const Case cases[] = {
        {"D", {0}, false, true},
        {"DD", {0}, false, true},
        {"DDe", {0}, false, true},
        {"DDeE", {0, 1}, true, false},
        {"DDEe", {0, 1}, false, false},
        {"De", {0, 1}, false, false},
        {"E", {1}, true, false},  // unmatched: the count stays at 0, redrawing is on
        {"eDE", {1, 0, 1}, true, false},
    };
    for (const Case& c : cases) {
        grid->sent.clear();
        while (grid->RedrawDisabled()) grid->EnableRedraw(false);
        grid->sent.clear();
        Log().clear();
        for (char call : c.calls) {
            if (call == 'D') grid->DisableRedraw();
            if (call == 'e') grid->EnableRedraw(false);
            if (call == 'E') grid->EnableRedraw(true);
        }
        EXPECT_EQ(grid->sent, c.sent) << c.calls;
        EXPECT_EQ(std::count(Log().begin(), Log().end(), "invalidate all") > 0, c.invalidated) << c.calls;
        EXPECT_EQ(grid->RedrawDisabled(), c.disabledAfter) << c.calls;
    }
    grid->sent.clear();
    grid->SetRedraw(true);
    grid->SetRedraw(false);
    EXPECT_EQ(grid->sent, (std::vector<int>{0, 1}));
}

TEST_F(GridPaint, FooterStripFollowsTheFontOrFooterHeightAndThe3DCells)
{
    MakeData(3);
    ShowAndOpen();
    // The fake font is 13 pixels high: "W" + 6 = 19.
    struct Case {
        bool footer;
        int height;
        bool cells3D;
        int clientBottom;
        ui::TRect footerRect;
        int strip;
    };
    const Case cases[] = {
        {false, 0, false, 200, {0, 203, 384, 222}, 0},
        {true, 0, false, 181, {0, 181, 384, 200}, 21},
        {true, 0, true, 179, {0, 179, 384, 200}, 23},
        {true, 30, false, 170, {0, 170, 384, 199}, 31},
        {true, 30, true, 168, {0, 168, 384, 199}, 33},
    };
    for (const Case& c : cases) {
        TgkDBGridOptions o = grid->Options() - TgkDBGridOptions{dgShowFooter, dgFooter3DCells};
        if (c.footer) o.Include(dgShowFooter);
        if (c.cells3D) o.Include(dgFooter3DCells);
        grid->SetFooterHeight(c.height);
        grid->SetOptions(o);
        const std::string what = std::to_string(c.footer) + "/" + std::to_string(c.height) + "/" + std::to_string(c.cells3D);
        EXPECT_EQ(grid->VirtualClientRect().Bottom, c.clientBottom) << what;
        EXPECT_EQ(grid->GetFooterRect(), c.footerRect) << what;
        EXPECT_EQ(grid->GetFooterStripHeight(), c.strip) << what;
    }
    grid->SetFooterHeight(-5);
    EXPECT_EQ(grid->FooterHeight(), 0);
}

TEST_F(GridPaint, PadStylesFillRightOfTheLastColumnAsTheyPromise)
{
    MakeData(3);
    ShowAndOpen();
    // The last column ends at 299; the pad runs from 300 to the client width.
    struct Case {
        TgkPadColumnStyle style;
        std::string titleFill;  // expected fill of the pad (empty: none)
    };
    const Case cases[] = {
        {pcsPadHeaderAndData, "FillRect(300,0,384,200 brush=$00C0C0C0)"},
        {pcsPadHeader, "FillRect(300,0,384,19 brush=$00C0C0C0)"},
        {pcsPlain, ""},
    };
    for (const Case& c : cases) {
        grid->SetPadColumnStyle(c.style);
        const std::vector<std::string> log = PaintLog(*grid);
        const int pads = Count(log, "FillRect(300,");
        if (c.titleFill.empty()) {
            EXPECT_EQ(pads, 0) << c.style;
        } else {
            EXPECT_EQ(pads, 1) << c.style;
            EXPECT_GE(IndexOf(log, c.titleFill), 0) << c.style;
        }
    }
}

TEST_F(GridPaint, DynamicLinesAreSingleSilverOnWhiteAnd3DOnAColouredGrid)
{
    MakeData(3);
    ShowAndOpen();
    std::vector<std::string> log = PaintLog(*grid);
    EXPECT_GE(IndexOf(log, "Polyline(93,18 93,"), 0);
    EXPECT_GE(IndexOf(log, "Polyline(93,18 93,69 pen=$00C0C0C0"), 0);
    EXPECT_EQ(IndexOf(log, "Polyline(94,18 94,"), -1);  // no second line of a 3D edge
    grid->SetColor(rtl::clAqua);
    log = PaintLog(*grid);
    const std::string shadow = ui::FormatColor(rtl::ColorToRGB(rtl::clBtnShadow));
    const std::string highlight = ui::FormatColor(rtl::ColorToRGB(rtl::clBtnHighlight));
    EXPECT_GE(IndexOf(log, "Polyline(93,18 93,69 pen=" + shadow), 0);
    EXPECT_GE(IndexOf(log, "Polyline(94,18 94,69 pen=" + highlight), 0);
    EXPECT_TRUE(HLineCovers(log, 34, shadow, 12, 300));
    EXPECT_TRUE(HLineCovers(log, 35, highlight, 12, 300));
    grid->SetLineStyle(glsSingle);
    log = PaintLog(*grid);
    EXPECT_GE(IndexOf(log, "Polyline(93,18 93,69 pen=$00C0C0C0"), 0);
    grid->SetHideAllLines(true);
    EXPECT_EQ(Count(PaintLog(*grid), "Polyline("), 1);  // the focus rectangle only
}

// Each column keeps what its cells are drawn on: on a coloured grid, a column whose cells an
// event paints white gets the single line of a light background, the others keep 3D edges.
TEST_F(GridPaint, AColumnPaintedWhiteOnAColouredGridGetsSingleLines)
{
    MakeData(3);
    ShowAndOpen();
    grid->SetColor(rtl::clAqua);
    grid->OnCalcCellColors = [](classes::TObject*, db::TField* field, ui::TGridDrawState, bool, classes::TFont*,
                                ui::TBrush* brush) {
        if (field != nullptr && field->FieldName() == "NAME") brush->SetColor(rtl::clWhite);
    };
    PaintLog(*grid);  // the cells note their backgrounds
    const std::vector<std::string> log = PaintLog(*grid);
    const std::string shadow = ui::FormatColor(rtl::ColorToRGB(rtl::clBtnShadow));
    for (int col = 1; col < grid->ColCount(); ++col) {
        const std::string x = std::to_string(grid->CellRect(col, 1).Right);
        const bool white = grid->GetColField(col - 1)->FieldName() == "NAME";
        const std::string line = "Polyline(" + x + ",18 " + x + ",";
        EXPECT_EQ(IndexOf(log, line + "69 pen=" + (white ? std::string("$00C0C0C0") : shadow)) >= 0, true)
            << col << "\n" << ::testing::PrintToString(log);
        EXPECT_EQ(IndexOf(log, "Polyline(" + std::to_string(grid->CellRect(col, 1).Right + 1) + ",18 ") >= 0, !white)
            << col;
    }
}

TEST_F(GridPaint, OneGroupHeaderSpansTwoColumnsWithTheirSeparatorFromMidHeight)
{
    MakeData(3);
    grid->SetUseTFields(false);
    grid->Selected()->SetText("ID\t10\tId\tF\nNAME\t20\tName\tF\tPlace\nCITY\t8\tCity\tF\tPlace\n");
    grid->SetTitleLines(2);
    ShowAndOpen();
    const std::vector<std::string> log = PaintLog(*grid);
    EXPECT_EQ(Count(log, "\"Place\""), 1);
    EXPECT_EQ(Count(log, "\"Name\""), 1);
    EXPECT_EQ(Count(log, "\"City\""), 1);
    const ui::TRect name = grid->CellRect(2, 0), city = grid->CellRect(3, 0);
    int first = 0, last = 0;
    const ui::TRect group = grid->CalcGroupHeaderRect(2, false, first, last);
    EXPECT_EQ(first, 2);
    EXPECT_EQ(last, 3);
    EXPECT_EQ(group.Left, name.Left);
    EXPECT_EQ(group.Right, city.Right);
    const int mid = name.Height() / 2;
    EXPECT_EQ(grid->CalcTitleRect(2, 0).Top, mid);
    EXPECT_EQ(grid->CalcTitleRect(1, 0).Top, 0);
    // The separator between NAME and CITY starts at mid-height; the one before NAME does not.
    const std::string between = "Polyline(" + std::to_string(name.Right) + "," + std::to_string(mid) + " ";
    const std::string fullBefore = "Polyline(" + std::to_string(name.Left - 1) + ",0 ";
    EXPECT_GE(IndexOf(log, between), 0);
    EXPECT_EQ(IndexOf(log, "Polyline(" + std::to_string(name.Right) + ",0 "), -1);
    EXPECT_GE(IndexOf(log, fullBefore), 0);
    EXPECT_EQ(grid->CalcTitlePartRect(2, 1).Bottom, mid);
    EXPECT_EQ(grid->CalcTitlePartRect(2, 1).Right, city.Right);
    EXPECT_EQ(grid->CalcTitlePartRect(2, mid + 1).Top, mid);
}

TEST_F(GridPaint, FooterCellsAskTheHandlerForEveryColumnAndFrameOnlyNonEmptyValues)
{
    MakeData(3);
    grid->SetOptions(grid->Options() | TgkDBGridOptions{dgShowFooter});
    ShowAndOpen();
    grid->ColumnByName("NAME").SetFooterValue("3 names");
    std::vector<std::string> asked;
    grid->OnDrawFooterCell = [&](classes::TObject*, ui::TCanvas*, ui::TRect, db::TField* f, const std::string& text,
                                 bool&) { asked.push_back((f != nullptr ? f->FieldName() : "-") + "=" + text); };
    const std::vector<std::string> log = PaintLog(*grid);  // paints twice
    EXPECT_EQ(asked, (std::vector<std::string>{"-=", "ID=", "NAME=3 names", "CITY=", "-=", "ID=", "NAME=3 names",
                                               "CITY="}));
    EXPECT_EQ(Count(log, "\"3 names\""), 1);
    // The strip in FooterColor, the only framed cell NAME's (its left frame line at 93).
    EXPECT_GE(IndexOf(log, "FillRect(0,181,384,200"), 0);
    EXPECT_GE(IndexOf(log, "Polyline(93,182 93,199"), 0);
    EXPECT_EQ(IndexOf(log, "Polyline(11,182 11,199"), -1);
    EXPECT_EQ(IndexOf(log, "Polyline(238,182 238,199 pen=$00000000"), -1);
    // A handler that draws itself keeps the default frame and text away.
    grid->OnDrawFooterCell = [](classes::TObject*, ui::TCanvas*, ui::TRect, db::TField*, const std::string&,
                                bool& dflt) { dflt = false; };
    EXPECT_EQ(Count(PaintLog(*grid), "\"3 names\""), 0);
}

TEST_F(GridPaint, SettersThatChangeNothingRepaintNothing)
{
    MakeData(3);
    grid->SetOptions(grid->Options() | TgkDBGridOptions{dgShowFooter});
    ShowAndOpen();
    TgkColumn& name = grid->ColumnByName("NAME");
    name.SetFooterValue("x");
    Log().clear();
    name.SetFooterValue("x");
    grid->SetTitleButtons(grid->TitleButtons());
    EXPECT_TRUE(Log().empty());
    name.SetFooterValue("y");
    EXPECT_EQ(Log(), (std::vector<std::string>{"invalidate " + ui::FormatRect(grid->GetFooterRect())}));
    grid->SpareColumn().SetFooterValue("z");
    EXPECT_EQ(grid->SpareColumn().FooterValue(), "");
    EXPECT_EQ(&grid->Columns(1), &name);
    EXPECT_EQ(&grid->Columns(9), &grid->SpareColumn());
}

TEST_F(GridPaint, AnInactiveLinkShowsTheTitleColourOverTheTitlesColourBelowAndNoFooterCells)
{
    MakeData(3);
    grid->SetOptions(grid->Options() | TgkDBGridOptions{dgShowFooter});
    grid->SetDataSource(source.get());
    form->Show();  // the data set stays closed
    int footerCells = 0;
    grid->OnDrawFooterCell = [&](classes::TObject*, ui::TCanvas*, ui::TRect, db::TField*, const std::string&,
                                 bool&) { ++footerCells; };
    const std::vector<std::string> log = PaintLog(*grid);
    const int title = IndexOf(log, "FillRect(0,0,384,181 brush=$00C0C0C0)");
    const int below = IndexOf(log, "brush=$00FFFFFF)", std::max(title, 0));
    EXPECT_GE(title, 0);
    EXPECT_GT(below, title);
    EXPECT_EQ(log[below].rfind("FillRect(0,18,384,181", 0), 0u) << log[below];
    EXPECT_EQ(footerCells, 0);
}

TEST_F(GridPaint, AFailingPaintLeavesCanvasAndActiveRecordAsTheyWere)
{
    MakeData(5);
    ShowAndOpen();
    PaintLog(*grid);
    ui::TCanvas& canvas = *grid->DrawBitmap()->Canvas();
    canvas.Brush()->SetColor(rtl::clLime);
    const int record = grid->DataLink().ActiveRecord();
    grid->OnBeforePaint = [&](classes::TObject*) {
        grid->DataLink().SetActiveRecord(3);
        canvas.Brush()->SetColor(rtl::clRed);
        throw std::runtime_error("paint failed");
    };
    ui::TRecordingCanvas window;
    EXPECT_THROW(grid->PaintTo(window), std::runtime_error);
    EXPECT_EQ(canvas.Brush()->Color(), rtl::clLime);
    EXPECT_EQ(grid->DataLink().ActiveRecord(), record);
}

TEST_F(GridPaint, TheWheelMovesOneRecordPerNotchAndNothingWithoutADataSet)
{
    MakeData(5);
    ShowAndOpen();
    const auto wheel = [&](int delta) {
        return grid->Perform(ui::WM_MOUSEWHEEL, ui::MakeWParam(0, static_cast<std::uint16_t>(delta)), 0);
    };
    EXPECT_EQ(wheel(-120), 1);
    EXPECT_EQ(ds->RecNo(), 2);
    wheel(-120);
    EXPECT_EQ(ds->RecNo(), 3);
    wheel(120);
    EXPECT_EQ(ds->RecNo(), 2);
    grid->SetDataSource(nullptr);
    EXPECT_EQ(wheel(-120), 1);
    EXPECT_EQ(ds->RecNo(), 2);
}

TEST_F(GridPaint, ACutTextShowsInAHintUntilTheMouseLeavesOrTheTicksRunOut)
{
    MakeData(5);
    grid->SetOptions(grid->Options() | TgkDBGridOptions{dgShowCellHint});
    ShowAndOpen();
    grid->SetColWidths(2, 20);  // NAME: "name 2" (42 pixels) no longer fits
    const auto move = [&](int col, int row) {
        const ui::TRect r = grid->CellRect(col, row);
        const ui::TPoint p{r.Left + 3, r.Top + 3};
        ui::SetCursorPos(grid->ClientToScreen(p));
        grid->Perform(ui::WM_MOUSEMOVE, 0, ui::MakeLParam(p.X, p.Y));
    };
    move(3, 2);  // CITY "c2" fits
    EXPECT_EQ(grid->HintWindow(), nullptr);
    move(2, 2);
    ASSERT_NE(grid->HintWindow(), nullptr);
    TgkGridHintWindow* hint = grid->HintWindow();
    EXPECT_EQ(hint->Caption(), "name 2");
    EXPECT_TRUE(hint->Active());
    const ui::TRect cell = grid->CellRect(2, 2);
    const ui::TPoint at = grid->ClientToScreen({cell.Left, cell.Top});
    // Left-aligned: the text's width + 8 wide, one pixel above the cell, 2 pixels shorter.
    EXPECT_EQ(hint->BoundsRect(), (ui::TRect{at.X, at.Y - 1, at.X + 6 * 7 + 8, at.Y - 1 + cell.Height() - 2}));
    EXPECT_EQ(grid->HintTimer()->Interval(), 250);
    move(2, 2);  // the same cell: the same hint
    EXPECT_EQ(grid->HintWindow(), hint);
    // The hint goes after max(hint hide pause / 250, 16) ticks while the mouse stays ...
    for (int tick = 1; tick <= 16; ++tick) grid->HintTimerTick();
    EXPECT_NE(grid->HintWindow(), nullptr);
    grid->HintTimerTick();
    EXPECT_EQ(grid->HintWindow(), nullptr);
    // ... or at the first tick after the mouse left the cell.
    move(2, 3);
    ASSERT_NE(grid->HintWindow(), nullptr);
    ui::SetCursorPos(grid->ClientToScreen({grid->CellRect(3, 3).Left + 3, grid->CellRect(3, 3).Top + 3}));
    grid->HintTimerTick();
    EXPECT_EQ(grid->HintWindow(), nullptr);
    EXPECT_EQ(grid->HintCell(), (ui::TGridCoord{0, 0}));
    // Never over the current cell while its editor is open.
    grid->SetCol(2);
    grid->SetRow(4);
    grid->ShowEditor();
    if (grid->EditorMode()) {
        move(2, 4);
        EXPECT_EQ(grid->HintWindow(), nullptr);
    }
}

TEST_F(GridPaint, LinkCellsUnderTheMouseShowTheHandUntilTheMouseLeaves)
{
    MakeData(3);
    grid->ControlType()->SetText("NAME;URL-Link\n");
    grid->SetControlInfoInDataset(false);
    ShowAndOpen();
    const auto move = [&](int col, int row) {
        const ui::TRect r = grid->CellRect(col, row);
        grid->Perform(ui::WM_MOUSEMOVE, 0, ui::MakeLParam(r.Left + 3, r.Top + 3));
    };
    move(2, 2);
    EXPECT_EQ(grid->Cursor(), ui::crHandPoint);
    EXPECT_EQ(grid->LinkHover(), (ui::TGridCoord{2, 2}));
    move(2, 0);  // the title is no link
    EXPECT_EQ(grid->Cursor(), ui::crDefault);
    EXPECT_EQ(grid->LinkHover(), (ui::TGridCoord{-1, -1}));
    move(2, 3);
    EXPECT_EQ(grid->Cursor(), ui::crHandPoint);
    grid->Perform(ui::CM_MOUSELEAVE);
    EXPECT_EQ(grid->Cursor(), ui::crDefault);
    EXPECT_EQ(grid->LinkHover(), (ui::TGridCoord{-1, -1}));
}

TEST_F(GridPaint, APressInAnInactiveDocumentChildFocusesTheGridFirst)
{
    MakeData(3);
    ShowAndOpen();
    ui::TForm other(nullptr);
    other.SetBounds(0, 0, 100, 100);
    auto* edit = new ui::TEdit(&other);
    edit->SetParent(&other);
    other.Show();
    edit->SetFocus();
    ASSERT_NE(ui::Screen().ActiveControl(), grid);
    auto* neighbour = new ui::TEdit(form.get());
    neighbour->SetParent(form.get());
    neighbour->SetBounds(0, 210, 50, 20);
    form->SetActiveControl(neighbour);
    form->SetFormStyle(ui::fsMDIChild);
    grid->Perform(ui::WM_LBUTTONDOWN, 0, ui::MakeLParam(100, 40));
    EXPECT_EQ(form->ActiveControl(), grid);
}

TEST_F(GridPaint, ResizingTheIndicatorButtonSetsTheIndicatorWidth)
{
    MakeData(3);
    ShowAndOpen();
    auto* button = new TgkIButton(form.get());
    button->SetParent(grid);
    grid->SetIndicatorButton(button);
    button->SetBounds(5, 3, 20, 17);  // kept in the corner
    EXPECT_EQ(button->Left(), 0);
    EXPECT_EQ(button->Top(), 0);
    EXPECT_EQ(grid->IndicatorWidth(), 19);
    EXPECT_EQ(grid->ColWidths(0), 19);
    button->SetBounds(0, 0, 20, 17);  // the same size: nothing to lay out
    EXPECT_EQ(grid->IndicatorWidth(), 19);
}

TEST(MirroredCanvas, DrawsXAtTheWidthLessXAndTheRecorderNotesIt)
{
    ui::TRecordingCanvas c;
    c.SetMirrored(100);
    c.FillRect({10, 0, 20, 5});
    c.MoveTo(0, 1);
    c.LineTo(30, 1);
    c.TextOut(10, 0, "ab");  // 2 x 8 pixels wide: ends at 90
    c.SetMirrored(0);
    c.FillRect({10, 0, 20, 5});
    const std::vector<std::string> log = c.Log();
    ASSERT_EQ(log.size(), 6u);
    EXPECT_EQ(log[0], "Mirror(100)");
    EXPECT_EQ(log[1].rfind("FillRect(80,0,90,5 ", 0), 0u) << log[1];
    EXPECT_EQ(log[2].rfind("Polyline(100,1 70,1 ", 0), 0u) << log[2];
    EXPECT_EQ(log[3].rfind("Text(74,0 \"ab\"", 0), 0u) << log[3];
    EXPECT_EQ(log[4], "Mirror(off)");
    EXPECT_EQ(log[5].rfind("FillRect(10,0,20,5 ", 0), 0u) << log[5];
}

}  // namespace

namespace {

TEST_F(GridPaint, TheUpdateRectangleReachesOverTheFooterAndAnEmptyOneIsTheCellsArea)
{
    MakeData(5);
    grid->SetOptions(grid->Options() | TgkDBGridOptions{dgShowFooter});
    grid->SetFooterHeight(20);
    ShowAndOpen();
    const ui::TRect full = grid->ClientRect();
    const ui::TRect cells = grid->VirtualClientRect();
    ASSERT_LT(cells.Bottom, full.Bottom);
    // The copy to the window is the last drawing of a paint; it shows the rectangle produced.
    const auto copied = [&](const ui::TRect& asked) {
        ui::TRecordingDevice window;
        grid->PaintWindow(window, asked);
        std::string last;
        for (const std::string& l : window.Log())
            if (l.rfind("CopyFrom(", 0) == 0) last = l;
        return last;
    };
    struct Case {
        const char* name;
        ui::TRect asked, produced;
    };
    const Case cases[] = {
        {"inside the cells", {10, 10, 60, 40}, {10, 10, 60, 40}},
        {"into the footer: down to the bottom", {10, 10, 60, cells.Bottom + 2}, {10, 10, 60, full.Bottom}},
        {"nothing asked: the cells' area", {0, 0, 0, 0}, {0, 0, std::min(cells.Right, full.Right), full.Bottom}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(grid->EffectiveUpdateRect(), full);  // outside a paint: the whole client area
        const std::string log = copied(c.asked);
        EXPECT_NE(log.find("CopyFrom(" + ui::FormatRect(c.produced)), std::string::npos) << log;
    }
}

}  // namespace
