#pragma once
// TCustomGrid: the base of grid controls. It keeps columns and rows (with fixed leading
// ones that never scroll), their widths and heights, the line width between cells, the
// scrolled position (LeftCol, TopRow), the current cell with its selection anchor, the
// per-column tab stops, and answers the geometry questions the grids built on it ask: how
// many cells fit the client area, where a cell lies, which cell lies under a point.
//
// Promises:
// - Visible counts and cell rectangles are measured in the virtual client rectangle
//   (VirtualClientRect), which a descendant may make smaller than the client area (a
//   footer strip below the rows).
// - CellRect answers an empty rectangle for a cell that is not (even partly) in view.
// - The horizontal scroll bar counts columns: its range is FixedCols..the largest LeftCol,
//   its position LeftCol. The vertical one counts rows in the same way unless a
//   descendant manages it itself (ManagesVertScrollBar).
// - Every change of LeftCol or TopRow ends in TopLeftChanged; invalidation goes through
//   InvalidateCell, InvalidateRow, InvalidateCol and InvalidateGrid.
// - Headless (no window) everything but painting and invalidation works the same.
//
// The paint cycle here is plain (DrawCell for every visible cell, lines in the line
// colour); sizing and moving by the mouse, keyboard navigation and the in-place editor
// belong to the grids built on it (the editor hooks are empty here).

#include <vector>

#include "platform/classes/Sets.h"
#include "platform/rtl/Exceptions.h"
#include "platform/ui/CustomControl.h"
#include "platform/ui/StdCtrls.h"

namespace ui {

// An operation the grid cannot do ("Grid index out of range" ...).
class EInvalidGridOperation : public rtl::Exception {
    using Exception::Exception;
};

enum TGridOption {
    goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect, goDrawFocusSelected, goRowSizing,
    goColSizing, goRowMoving, goColMoving, goEditing, goTabs, goRowSelect, goAlwaysShowEditor, goThumbTracking
};
using TGridOptions = classes::TSet<TGridOption>;

enum TGridDrawStateFlag { gdSelected, gdFocused, gdFixed };
using TGridDrawState = classes::TSet<TGridDrawStateFlag>;

// What a mouse press started: nothing, a column or row sizing, a column move.
enum TGridState { gsNormal, gsSelecting, gsRowSizing, gsColSizing, gsRowMoving, gsColMoving };
enum TGridScrollDirection { sdLeft, sdRight, sdUp, sdDown };
using TGridScrollDirections = classes::TSet<TGridScrollDirection>;

struct TGridCoord {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TGridCoord&, const TGridCoord&) = default;
};

struct TGridRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    friend bool operator==(const TGridRect&, const TGridRect&) = default;
};

// One axis of the drawing information: pixel boundaries along columns (or rows).
struct TGridAxisDrawInfo {
    int EffectiveLineWidth = 0;  // the line width when lines are drawn along this axis, else 0
    int FixedBoundary = 0;       // end of the fixed cells (with their lines)
    int GridBoundary = 0;        // end of the last cell drawn (the extent when one is cut)
    int GridExtent = 0;          // the extent of the virtual client area
    int LastFullVisibleCell = 0; // the last scrolled cell wholly in view
    int FullVisBoundary = 0;     // end of that cell (with its line)
    int FixedCellCount = 0;
    int FirstGridCell = 0;       // LeftCol or TopRow
    int GridCellCount = 0;       // ColCount or RowCount
};

struct TGridDrawInfo {
    TGridAxisDrawInfo Horz;
    TGridAxisDrawInfo Vert;
};

class TCustomGrid;

// The text editor a grid shows over its current cell. It takes its text, its length limit
// and its edit mask from the grid, asks the grid before each key that would change the text,
// hands the grid every change, and leaves the keys that move between cells to the grid
// (Up, Down, the page keys, Tab, Escape, Left at the start of the text and Right at its end).
class TInplaceEdit : public TMemo {
    GW_CLASS(TInplaceEdit)

public:
    explicit TInplaceEdit(classes::TComponent* owner);
    TCustomGrid* Grid() const noexcept { return grid_; }
    // The edit mask the grid gave the cell (kept, not applied).
    const std::string& EditMask() const noexcept { return editMask_; }
    // Takes the text, limit and mask of the grid's current cell.
    virtual void UpdateContents();
    void KeyDown(TKey& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    bool WantsKey(TKey key) const override;

protected:
    void Change() override;
    // Hands a key to the grid's KeyDown.
    void SendToGrid(TKey& key, TShiftState shift);

private:
    TCustomGrid* grid_ = nullptr;
    std::string editMask_;
    bool updating_ = false;
};

class TCustomGrid : public TCustomControl {
    GW_CLASS(TCustomGrid)

public:
    explicit TCustomGrid(classes::TComponent* owner);
    ~TCustomGrid() override;

    // ---- Counts and sizes ------------------------------------------------------------------
    int ColCount() const noexcept { return static_cast<int>(colWidths_.size()); }
    void SetColCount(int count);
    int RowCount() const noexcept { return static_cast<int>(rowHeights_.size()); }
    void SetRowCount(int count);
    // EInvalidGridOperation "Fixed column count must be less than column count" (rows alike).
    int FixedCols() const noexcept { return fixedCols_; }
    void SetFixedCols(int count);
    int FixedRows() const noexcept { return fixedRows_; }
    void SetFixedRows(int count);
    int DefaultColWidth() const noexcept { return defaultColWidth_; }
    int DefaultRowHeight() const noexcept { return defaultRowHeight_; }
    void SetDefaultRowHeight(int height);  // every row takes it
    int ColWidths(int col) const;
    void SetColWidths(int col, int width);
    int RowHeights(int row) const;
    void SetRowHeights(int row, int height);
    int GridLineWidth() const noexcept { return gridLineWidth_; }
    bool TabStops(int col) const;
    void SetTabStops(int col, bool stop);
    rtl::TColor FixedColor() const noexcept { return fixedColor_; }
    void SetFixedColor(rtl::TColor color);

    TGridOptions Options() const noexcept { return options_; }
    void SetOptions(TGridOptions options);
    // The scroll bars the grid manages (the window may show more, see ManagesVertScrollBar).
    TScrollStyle ScrollBars() const noexcept { return scrollBars_; }
    void SetScrollBars(TScrollStyle bars);

    // ---- Position ------------------------------------------------------------------------
    int LeftCol() const noexcept { return topLeft_.X; }
    void SetLeftCol(int col);
    int TopRow() const noexcept { return topLeft_.Y; }
    void SetTopRow(int row);
    int Col() const noexcept { return current_.X; }
    void SetCol(int col);
    int Row() const noexcept { return current_.Y; }
    void SetRow(int row);
    TGridCoord Anchor() const noexcept { return anchor_; }
    // The selected range (anchor to current cell, whole rows with goRowSelect).
    TGridRect Selection() const;
    // Moves the current cell; the anchor follows when `moveAnchor`; the cell is scrolled
    // into view when `show`. EInvalidGridOperation "Grid index out of range" outside the
    // grid or in a fixed cell.
    void MoveColRow(int col, int row, bool moveAnchor, bool show);
    void FocusCell(int col, int row, bool moveAnchor) { MoveColRow(col, row, moveAnchor, true); }
    // Moves the current cell (and the anchor) to (col, row) even when the column is a fixed
    // one, without scrolling: a grid whose fixed columns may be edited puts its cursor there.
    // EInvalidGridOperation "Grid index out of range" outside the grid or in a fixed row.
    void MoveCursorInto(int col, int row);

    // ---- Geometry ------------------------------------------------------------------------
    virtual void CalcDrawInfo(TGridDrawInfo& info);
    // Scrolled cells wholly in view from LeftCol (TopRow) on; at least 1 while one is there.
    int VisibleColCount();
    int VisibleRowCount();
    // The cell's rectangle in client coordinates; empty when the cell is out of view.
    virtual TRect CellRect(int col, int row);
    // The cell at client point (x, y); -1 for a coordinate outside the cells.
    TGridCoord MouseCoord(int x, int y);
    // The area cells are laid out in: the client area unless a descendant takes a strip.
    virtual TRect VirtualClientRect() const { return ClientRect(); }

    // ---- Invalidation --------------------------------------------------------------------
    void InvalidateCell(int col, int row);
    void InvalidateRow(int row);
    void InvalidateGrid() { Invalidate(); }
    // Marks the cells col1..col2 x row1..row2 (the part in view).
    void InvalidateCells(int col1, int row1, int col2, int row2);

    // ---- Mouse sizing and moving -------------------------------------------------------------
    TGridState GridState() const noexcept { return gridState_; }
    // Whether (x, y) lies on a sizing line: a column's right border (within 3 pixels) in the
    // fixed rows with goColSizing, a row's bottom border in the fixed columns with
    // goRowSizing. `index` is the column (row) it sizes, `pos` the border's position.
    void CalcSizingState(int x, int y, TGridState& state, int& index, int& pos);
    // Moves column `from` to `to` (width and tab stop go with it), then ColumnMoved.
    void MoveColumn(int from, int to);
    // One step of scrolling while the mouse is held past an edge.
    virtual void TimedScroll(TGridScrollDirections direction);

    // ---- In-place editor hooks (the editor comes with the grids built on this one) --------
    bool EditorMode() const noexcept { return editorMode_; }
    // Switches the editor on (when it may be shown) or off.
    void SetEditorMode(bool on);
    // Creates the editor when needed, fills it from the current cell and shows it there.
    virtual void ShowEditor();
    // Hides the editor (the text stays with the grid through SetEditText).
    virtual void HideEditor();
    // The editor (nil until it is first shown); the grid owns it.
    TInplaceEdit* InplaceEditor() const noexcept { return inplaceEdit_; }
    // Moves the shown editor over the current cell again.
    void UpdateEditorPlace();
    // Whether the editor may be shown over the current cell: editing on, no row select, a
    // scrolled cell.
    virtual bool CanEditShow();
    virtual void InvalidateEditor() { if (inplaceEdit_ != nullptr && editorMode_) inplaceEdit_->UpdateContents(); }

protected:
    // Drawing one cell (the whole cell rectangle, without its lines).
    virtual void DrawCell(int col, int row, const TRect& rect, TGridDrawState state);
    // The canvas the paint cycle draws cells and lines on: the window's here; a descendant
    // may draw on an off-screen bitmap and copy it to the window.
    virtual TCanvas* GridCanvas() { return Canvas(); }
    void Paint() override;
    // LeftCol or TopRow changed.
    virtual void TopLeftChanged();
    // Asked before the current cell moves to (col, row); false keeps it.
    virtual bool SelectCell(int col, int row);
    // The current cell or the selection moved.
    virtual void SelectionMoved(const TGridRect& oldSelection);
    virtual void ColWidthsChanged() {}
    virtual void RowHeightsChanged() {}
    virtual void ColumnMoved(int /*from*/, int /*to*/) {}
    // A press on a sizing line starts sizing (an inverted line follows the mouse, the size is
    // set at the release); a press on a scrolled cell makes it current.
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    // True when a descendant keeps the vertical scroll bar itself: the grid then leaves it
    // alone and WM_VSCROLL is the descendant's.
    virtual bool ManagesVertScrollBar() const { return false; }
    // The scroll bars the window shows: the grid's, and those a descendant adds.
    virtual TScrollStyle WindowScrollBars() const;
    void UpdateWindowScrollBars();
    // Range and position of the scroll bars the grid manages.
    void UpdateScrollRange();
    void UpdateScrollPos();
    // The largest LeftCol and TopRow that still fill the area.
    TGridCoord MaxTopLeft();
    // The editor the grid shows; descendants make their own.
    virtual TInplaceEdit* CreateEditor();
    friend class TInplaceEdit;
    // Text-editing hooks of the in-place editor.
    virtual bool CanEditAcceptKey(char32_t /*key*/) { return true; }
    virtual bool CanEditModify() { return true; }
    virtual std::string GetEditText(int /*col*/, int /*row*/) { return {}; }
    virtual void SetEditText(int /*col*/, int /*row*/, const std::string& /*value*/) {}
    virtual std::string GetEditMask(int /*col*/, int /*row*/) { return {}; }
    virtual int GetEditLimit() { return 0; }

    void Dispatch(TMessage& message) override;
    // Tab (Shift+Tab) with goTabs moves to the next (previous) tab-stop column of the row;
    // the rest of the keyboard belongs to the grids built on this one.
    void KeyDown(TKey& key, TShiftState shift) override;
    // Enter toggles the editor (unless it always shows); a printable key opens it.
    void KeyPress(char& key) override;
    // Whether the grid handles `key` at all (navigation and editing keys).
    virtual bool CanGridAcceptKey(TKey key, TShiftState shift);

private:
    void MoveTopLeft(int left, int top);
    void ClampInView(TGridCoord cell);
    void CalcAxis(TGridAxisDrawInfo& axis, bool horizontal);
    int AxisExtent(bool horizontal, int index) const;
    // Client coordinate where cell `index` starts, -1 when it is not drawn.
    int LinePos(const TGridAxisDrawInfo& axis, bool horizontal, int index) const;
    void HorzScroll(int code, int pos);
    void VertScroll(int code, int pos);

    std::vector<int> colWidths_;
    std::vector<int> rowHeights_;
    std::vector<bool> tabStops_;
    int fixedCols_ = 1;
    int fixedRows_ = 1;
    int defaultColWidth_ = 64;
    int defaultRowHeight_ = 24;
    int gridLineWidth_ = 1;
    rtl::TColor fixedColor_ = rtl::clBtnFace;
    TGridOptions options_{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect};
    TScrollStyle scrollBars_ = ssBoth;
    TGridCoord topLeft_{1, 1};
    TGridCoord current_{1, 1};
    TGridCoord anchor_{1, 1};
    bool editorMode_ = false;
    TInplaceEdit* inplaceEdit_ = nullptr;
    TGridState gridState_ = gsNormal;
    int sizingIndex_ = -1;
    int sizingPos_ = 0;   // where the inverted line is
    int sizingStart_ = 0; // the sized cell's left (top) edge
    void DrawSizingLine();
};

}  // namespace ui
