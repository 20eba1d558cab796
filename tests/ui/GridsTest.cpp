// The base grid's geometry without a display: what fits the client area, where cells lie,
// which cell a point hits, the current cell and its anchor, and the horizontal scroll bar in
// columns.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/Grids.h"

namespace {

using namespace ui;

class TProbeGrid : public TCustomGrid {
public:
    explicit TProbeGrid(classes::TComponent* owner) : TCustomGrid(owner) {}
    int topLeftChanges = 0;
    int footer = 0;  // pixels the virtual client area leaves at the bottom
    TRect VirtualClientRect() const override
    {
        TRect r = ClientRect();
        r.Bottom -= footer;
        return r;
    }

protected:
    void TopLeftChanged() override { ++topLeftChanges; }
};

// 5 x 5 cells of 64 x 24 with 1-pixel lines; 200 x 100 pixels without scroll bars.
struct Grid : ::testing::Test {
    TProbeGrid grid{nullptr};
    void SetUp() override
    {
        grid.SetScrollBars(ssNone);
        grid.SetBounds(0, 0, 200, 100);
    }
};

TEST_F(Grid, VisibleCountsComeFromTheVirtualClientArea)
{
    // Columns: fixed 0..64, then 65..129, 130..194 (a third would end at 259).
    EXPECT_EQ(grid.VisibleColCount(), 2);
    // Rows: fixed 0..24, 25..49, 50..74, 75..99 end at 100 with their line: 3 fit.
    EXPECT_EQ(grid.VisibleRowCount(), 3);
    grid.footer = 20;
    EXPECT_EQ(grid.VisibleRowCount(), 2);
    TGridDrawInfo info;
    grid.CalcDrawInfo(info);
    EXPECT_EQ(info.Vert.GridExtent, 80);
    EXPECT_EQ(info.Vert.FixedBoundary, 25);
    EXPECT_EQ(info.Horz.EffectiveLineWidth, 1);
    grid.SetOptions(grid.Options() - TGridOptions{goHorzLine});
    grid.footer = 0;
    EXPECT_EQ(grid.VisibleRowCount(), 3);  // 24 + 3 x 24 = 96 without lines
    grid.CalcDrawInfo(info);
    EXPECT_EQ(info.Vert.EffectiveLineWidth, 0);
}

TEST_F(Grid, CellRectAndMouseCoordAgree)
{
    struct Case {
        int col, row;
        TRect rect;
    };
    for (const Case& c : std::vector<Case>{{0, 0, {0, 0, 64, 24}},
                                           {1, 1, {65, 25, 129, 49}},
                                           {2, 3, {130, 75, 194, 99}},
                                           {4, 1, {}},  // out of view
                                           {9, 9, {}}}) {
        EXPECT_EQ(grid.CellRect(c.col, c.row), c.rect) << c.col << "," << c.row;
        if (c.rect.Right > c.rect.Left) {
            EXPECT_EQ(grid.MouseCoord(c.rect.Left, c.rect.Top), (TGridCoord{c.col, c.row}));
            EXPECT_EQ(grid.MouseCoord(c.rect.Right - 1, c.rect.Bottom - 1), (TGridCoord{c.col, c.row}));
        }
    }
    EXPECT_EQ(grid.MouseCoord(64, 10), (TGridCoord{0, 0}));  // the line belongs to the cell left of it
    EXPECT_EQ(grid.MouseCoord(197, 10), (TGridCoord{3, 0}));  // a column cut by the edge
    EXPECT_EQ(grid.CellRect(3, 1), (TRect{195, 25, 259, 49}));
    grid.SetColCount(3);
    EXPECT_EQ(grid.MouseCoord(197, 10), (TGridCoord{-1, -1}));  // right of the last column
    grid.SetColCount(5);
    grid.SetLeftCol(3);
    EXPECT_EQ(grid.CellRect(3, 1), (TRect{65, 25, 129, 49}));
    EXPECT_EQ(grid.CellRect(1, 1), TRect{});
    EXPECT_EQ(grid.MouseCoord(70, 30), (TGridCoord{3, 1}));
}

TEST_F(Grid, MovesWithAndWithoutTheAnchorAndScrolling)
{
    grid.SetOptions(grid.Options() | TGridOptions{goRangeSelect});
    grid.MoveColRow(2, 4, false, false);  // neither the anchor nor the view
    EXPECT_EQ(grid.Col(), 2);
    EXPECT_EQ(grid.Row(), 4);
    EXPECT_EQ(grid.Anchor(), (TGridCoord{1, 1}));
    EXPECT_EQ(grid.TopRow(), 1);
    EXPECT_EQ(grid.topLeftChanges, 0);
    EXPECT_EQ(grid.Selection(), (TGridRect{1, 1, 2, 4}));
    grid.FocusCell(4, 4, true);  // into view, anchor along
    EXPECT_EQ(grid.Anchor(), (TGridCoord{4, 4}));
    EXPECT_EQ(grid.LeftCol(), 3);
    EXPECT_EQ(grid.TopRow(), 2);
    EXPECT_EQ(grid.topLeftChanges, 1);
    EXPECT_THROW(grid.MoveColRow(0, 1, true, true), EInvalidGridOperation);  // a fixed cell
    EXPECT_THROW(grid.MoveColRow(1, 5, true, true), EInvalidGridOperation);
    grid.SetOptions(grid.Options() | TGridOptions{goRowSelect});
    EXPECT_EQ(grid.Selection(), (TGridRect{1, 4, 4, 4}));
}

TEST_F(Grid, CountsClampThePositionAndFixedCounts)
{
    grid.FocusCell(4, 4, true);
    grid.SetColCount(3);
    grid.SetRowCount(2);
    EXPECT_EQ(grid.Col(), 2);
    EXPECT_EQ(grid.Row(), 1);
    EXPECT_EQ(grid.LeftCol(), 1);
    EXPECT_THROW(grid.SetFixedCols(3), EInvalidGridOperation);
    grid.SetFixedCols(2);
    EXPECT_EQ(grid.Col(), 2);
    grid.SetColCount(1);
    EXPECT_EQ(grid.FixedCols(), 0);
    grid.SetColWidths(0, 30);
    EXPECT_EQ(grid.ColWidths(0), 30);
    EXPECT_THROW(grid.SetColWidths(1, 30), EInvalidGridOperation);
}

TEST_F(Grid, HorizontalBarCountsColumns)
{
    grid.SetScrollBars(ssHorizontal);
    TScrollInfo bar = grid.GetScrollInfo(sbHorizontal);
    // 100 - 16 pixels high now; columns 1..4 with 135 pixels beside the fixed one: from 3 on
    // the rest fits.
    EXPECT_EQ(bar.Min, 1);
    EXPECT_EQ(bar.Max, 3);
    EXPECT_EQ(bar.Pos, 1);
    EXPECT_TRUE(grid.ScrollBarVisible(sbHorizontal));
    struct Case {
        int code, pos, expected;
    };
    for (const Case& c : std::vector<Case>{{SB_LINERIGHT, 0, 2},
                                           {SB_LINERIGHT, 0, 3},
                                           {SB_LINERIGHT, 0, 3},  // no further than the last fill
                                           {SB_LINELEFT, 0, 2},
                                           {SB_LEFT, 0, 1},
                                           {SB_RIGHT, 0, 3},
                                           {SB_PAGELEFT, 0, 1},
                                           {SB_THUMBPOSITION, 2, 2},
                                           {SB_THUMBTRACK, 3, 2}}) {  // no tracking without goThumbTracking
        grid.Perform(WM_HSCROLL, MakeWParam(c.code, c.pos));
        EXPECT_EQ(grid.LeftCol(), c.expected) << c.code;
        EXPECT_EQ(grid.GetScrollPos(sbHorizontal), c.expected) << c.code;
    }
    grid.SetColCount(2);
    EXPECT_FALSE(grid.ScrollBarVisible(sbHorizontal));
}

TEST_F(Grid, TabMovesAlongTheRowToTabStops)
{
    grid.SetOptions(grid.Options() | TGridOptions{goTabs});
    grid.SetTabStops(2, false);
    TKey key = VK_TAB;
    grid.Perform(WM_KEYDOWN, key, 0);
    EXPECT_EQ(grid.Col(), 3);
    grid.Perform(WM_KEYDOWN, VK_TAB, static_cast<std::intptr_t>(TShiftState{ssShift}.Bits()));
    EXPECT_EQ(grid.Col(), 1);
    grid.Perform(WM_KEYDOWN, VK_TAB, static_cast<std::intptr_t>(TShiftState{ssShift}.Bits()));
    EXPECT_EQ(grid.Col(), 1);  // no further than the first
    EXPECT_EQ(grid.Row(), 1);
}

}  // namespace
