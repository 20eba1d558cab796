#include "platform/ui/Grids.h"

#include <algorithm>
#include <cstdlib>

#include "platform/rtl/Scope.h"
#include "platform/ui/Input.h"
#include "platform/ui/Screen.h"

namespace ui {

GW_IMPLEMENT_CLASS(TCustomGrid, TCustomControl) {}
GW_IMPLEMENT_CLASS(TInplaceEdit, TMemo) {}

// ---- The in-place editor ---------------------------------------------------------------------

TInplaceEdit::TInplaceEdit(classes::TComponent* owner) : TMemo(owner), grid_(dynamic_cast<TCustomGrid*>(owner))
{
    SetWordWrap(false);
    SetWantReturns(false);
    SetWantTabs(false);
    SetScrollBars(ssNone);
    SetVisible(false);
    SetTabStop(false);
}

void TInplaceEdit::UpdateContents()
{
    if (grid_ == nullptr) return;
    updating_ = true;
    const rtl::TScopeExit done([this] { updating_ = false; });
    editMask_ = grid_->GetEditMask(grid_->Col(), grid_->Row());
    SetMaxLength(grid_->GetEditLimit());
    SetText(grid_->GetEditText(grid_->Col(), grid_->Row()));
    SetModified(false);
}

void TInplaceEdit::Change()
{
    TMemo::Change();
    if (grid_ != nullptr && !updating_) grid_->SetEditText(grid_->Col(), grid_->Row(), Text());
}

void TInplaceEdit::SendToGrid(TKey& key, TShiftState shift)
{
    if (grid_ == nullptr) return;
    grid_->KeyDown(key, shift);
    key = 0;
}

bool TInplaceEdit::WantsKey(TKey key) const
{
    return key != VK_RETURN && key != VK_ESCAPE && key != VK_TAB && TMemo::WantsKey(key);
}

void TInplaceEdit::KeyDown(TKey& key, TShiftState shift)
{
    TMemo::KeyDown(key, shift);
    if (key == 0 || grid_ == nullptr) return;
    const int length = static_cast<int>(Text().size());
    const int start = SelStart(), end = SelStart() + SelLength();
    switch (key) {
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_ESCAPE: SendToGrid(key, shift); break;
    case VK_TAB:
        if (!shift.Contains(ssAlt)) SendToGrid(key, shift);
        break;
    case VK_LEFT:
        if (start == 0 && (end == 0 || end == length)) SendToGrid(key, shift);
        break;
    case VK_RIGHT:
        if (end == length && (start == end || start == 0)) SendToGrid(key, shift);
        break;
    case VK_HOME:
    case VK_END:
        if (shift.Contains(ssCtrl)) SendToGrid(key, shift);
        break;
    case VK_DELETE:
        if (!grid_->CanEditModify()) key = 0;
        break;
    default: break;
    }
}

void TInplaceEdit::KeyPress(char& key)
{
    TMemo::KeyPress(key);
    if (key == 0 || grid_ == nullptr) return;
    if (key == '\r' || key == '\t' || key == 27) {
        // Cells move by these; the grid has them as key-down already.
        char k = key;
        grid_->KeyPress(k);
        key = 0;
        return;
    }
    const unsigned char c = static_cast<unsigned char>(key);
    if (c >= 32 && !grid_->CanEditAcceptKey(c)) {
        key = 0;
        Beep();
        return;
    }
    // A key that changes the text needs the grid's leave first.
    if ((c >= 32 || c == 8 || c == 22 || c == 24) && !grid_->CanEditModify()) key = 0;
}

TInplaceEdit* TCustomGrid::CreateEditor() { return new TInplaceEdit(this); }

void TCustomGrid::UpdateEditorPlace()
{
    if (inplaceEdit_ == nullptr || !editorMode_) return;
    const TRect r = CellRect(current_.X, current_.Y);
    if (r.Right <= r.Left) {
        inplaceEdit_->SetLeft(ClientWidth() + 10);
        return;
    }
    inplaceEdit_->SetBounds(r.Left, r.Top, r.Width(), r.Height());
}

void TCustomGrid::ShowEditor()
{
    if (!CanEditShow()) return;
    if (inplaceEdit_ == nullptr) {
        inplaceEdit_ = CreateEditor();
        if (inplaceEdit_ == nullptr) return;
        inplaceEdit_->SetParent(this);
    }
    editorMode_ = true;
    inplaceEdit_->UpdateContents();
    UpdateEditorPlace();
    inplaceEdit_->Show();
    if (Focused()) inplaceEdit_->SetFocus();
}

void TCustomGrid::HideEditor()
{
    editorMode_ = false;
    if (inplaceEdit_ == nullptr || !inplaceEdit_->Visible()) return;
    const bool hadFocus = inplaceEdit_->Focused();
    inplaceEdit_->Hide();
    if (hadFocus && CanFocus()) SetFocus();
}

namespace {

[[noreturn]] void GridError(const char* text) { throw EInvalidGridOperation(text); }

}  // namespace

TCustomGrid::TCustomGrid(classes::TComponent* owner) : TCustomControl(owner)
{
    colWidths_.assign(5, defaultColWidth_);
    rowHeights_.assign(5, defaultRowHeight_);
    tabStops_.assign(5, true);
    SetColor(rtl::clWindow);
    SetBounds(Left(), Top(), 320, 120);
    UpdateWindowScrollBars();
}

TCustomGrid::~TCustomGrid() = default;

// ---- Counts and sizes ----------------------------------------------------------------------

void TCustomGrid::SetColCount(int count)
{
    count = std::max(count, 1);
    if (count == ColCount()) return;
    if (count <= fixedCols_) fixedCols_ = count - 1;
    colWidths_.resize(static_cast<std::size_t>(count), defaultColWidth_);
    tabStops_.resize(static_cast<std::size_t>(count), true);
    const int last = count - 1;
    current_.X = std::clamp(current_.X, fixedCols_, last);
    anchor_.X = std::clamp(anchor_.X, fixedCols_, last);
    const int left = std::clamp(topLeft_.X, fixedCols_, std::max(fixedCols_, MaxTopLeft().X));
    if (left != topLeft_.X) MoveTopLeft(left, topLeft_.Y);
    ColWidthsChanged();
    UpdateScrollRange();
    InvalidateGrid();
}

void TCustomGrid::SetRowCount(int count)
{
    count = std::max(count, 1);
    if (count == RowCount()) return;
    if (count <= fixedRows_) fixedRows_ = count - 1;
    rowHeights_.resize(static_cast<std::size_t>(count), defaultRowHeight_);
    const int last = count - 1;
    current_.Y = std::clamp(current_.Y, fixedRows_, last);
    anchor_.Y = std::clamp(anchor_.Y, fixedRows_, last);
    const int top = std::clamp(topLeft_.Y, fixedRows_, std::max(fixedRows_, MaxTopLeft().Y));
    if (top != topLeft_.Y) MoveTopLeft(topLeft_.X, top);
    RowHeightsChanged();
    UpdateScrollRange();
    InvalidateGrid();
}

void TCustomGrid::SetFixedCols(int count)
{
    if (count < 0) GridError("Grid index out of range");
    if (count >= ColCount()) GridError("Fixed column count must be less than column count");
    if (count == fixedCols_) return;
    fixedCols_ = count;
    current_.X = std::max(current_.X, count);
    anchor_.X = std::max(anchor_.X, count);
    if (topLeft_.X < count) topLeft_.X = count;
    UpdateScrollRange();
    InvalidateGrid();
}

void TCustomGrid::SetFixedRows(int count)
{
    if (count < 0) GridError("Grid index out of range");
    if (count >= RowCount()) GridError("Fixed row count must be less than row count");
    if (count == fixedRows_) return;
    fixedRows_ = count;
    current_.Y = std::max(current_.Y, count);
    anchor_.Y = std::max(anchor_.Y, count);
    if (topLeft_.Y < count) topLeft_.Y = count;
    UpdateScrollRange();
    InvalidateGrid();
}

void TCustomGrid::SetDefaultRowHeight(int height)
{
    defaultRowHeight_ = height;
    std::fill(rowHeights_.begin(), rowHeights_.end(), height);
    RowHeightsChanged();
    UpdateScrollRange();
    InvalidateGrid();
}

int TCustomGrid::ColWidths(int col) const
{
    if (col < 0 || col >= ColCount()) return defaultColWidth_;
    return colWidths_[static_cast<std::size_t>(col)];
}

void TCustomGrid::SetColWidths(int col, int width)
{
    if (col < 0 || col >= ColCount()) GridError("Grid index out of range");
    int& w = colWidths_[static_cast<std::size_t>(col)];
    if (w == width) return;
    w = width;
    ColWidthsChanged();
    UpdateScrollRange();
    InvalidateGrid();
}

int TCustomGrid::RowHeights(int row) const
{
    if (row < 0 || row >= RowCount()) return defaultRowHeight_;
    return rowHeights_[static_cast<std::size_t>(row)];
}

void TCustomGrid::SetRowHeights(int row, int height)
{
    if (row < 0 || row >= RowCount()) GridError("Grid index out of range");
    int& h = rowHeights_[static_cast<std::size_t>(row)];
    if (h == height) return;
    h = height;
    RowHeightsChanged();
    UpdateScrollRange();
    InvalidateGrid();
}

bool TCustomGrid::TabStops(int col) const
{
    if (col < 0 || col >= ColCount()) return true;
    return tabStops_[static_cast<std::size_t>(col)];
}

void TCustomGrid::SetTabStops(int col, bool stop)
{
    if (col < 0 || col >= ColCount()) GridError("Grid index out of range");
    tabStops_[static_cast<std::size_t>(col)] = stop;
}

void TCustomGrid::SetFixedColor(rtl::TColor color)
{
    if (color == fixedColor_) return;
    fixedColor_ = color;
    InvalidateGrid();
}

void TCustomGrid::SetOptions(TGridOptions options)
{
    if (options == options_) return;
    options_ = options;
    UpdateScrollRange();
    InvalidateGrid();
}

void TCustomGrid::SetScrollBars(TScrollStyle bars)
{
    if (bars == scrollBars_) return;
    scrollBars_ = bars;
    UpdateWindowScrollBars();
    UpdateScrollRange();
}

TScrollStyle TCustomGrid::WindowScrollBars() const { return scrollBars_; }

void TCustomGrid::UpdateWindowScrollBars() { TCustomControl::SetScrollBars(WindowScrollBars()); }

// ---- Position ------------------------------------------------------------------------------

void TCustomGrid::SetLeftCol(int col)
{
    if (col == topLeft_.X) return;
    if (col < fixedCols_ || col >= ColCount()) GridError("Grid index out of range");
    MoveTopLeft(col, topLeft_.Y);
}

void TCustomGrid::SetTopRow(int row)
{
    if (row == topLeft_.Y) return;
    if (row < fixedRows_ || row >= RowCount()) GridError("Grid index out of range");
    MoveTopLeft(topLeft_.X, row);
}

void TCustomGrid::SetCol(int col)
{
    if (col != current_.X) FocusCell(col, current_.Y, true);
}

void TCustomGrid::SetRow(int row)
{
    if (row != current_.Y) FocusCell(current_.X, row, true);
}

TGridRect TCustomGrid::Selection() const
{
    TGridRect r{std::min(anchor_.X, current_.X), std::min(anchor_.Y, current_.Y), std::max(anchor_.X, current_.X),
                std::max(anchor_.Y, current_.Y)};
    if (options_.Contains(goRowSelect)) {
        r.Left = fixedCols_;
        r.Right = ColCount() - 1;
    }
    return r;
}

void TCustomGrid::MoveColRow(int col, int row, bool moveAnchor, bool show)
{
    if (col < fixedCols_ || col >= ColCount() || row < fixedRows_ || row >= RowCount())
        GridError("Grid index out of range");
    if (!SelectCell(col, row)) return;
    const TGridRect oldSelection = Selection();
    const TGridCoord old = current_;
    current_ = {col, row};
    if (moveAnchor || !options_.Contains(goRangeSelect)) anchor_ = current_;  // no range without range select
    if (options_.Contains(goRowSelect)) anchor_.X = fixedCols_;
    if (show) ClampInView(current_);
    if (options_.Contains(goRowSelect)) {
        InvalidateRow(old.Y);
        InvalidateRow(row);
    } else {
        InvalidateCells(oldSelection.Left, oldSelection.Top, oldSelection.Right, oldSelection.Bottom);
        InvalidateCell(col, row);
    }
    SelectionMoved(oldSelection);
}

void TCustomGrid::MoveCursorInto(int col, int row)
{
    if (col < 0 || col >= ColCount() || row < fixedRows_ || row >= RowCount()) GridError("Grid index out of range");
    if (!SelectCell(col, row)) return;
    const TGridRect oldSelection = Selection();
    current_ = {col, row};
    anchor_ = current_;
    InvalidateCells(oldSelection.Left, oldSelection.Top, oldSelection.Right, oldSelection.Bottom);
    InvalidateCell(col, row);
    SelectionMoved(oldSelection);
}

bool TCustomGrid::SelectCell(int, int) { return true; }

void TCustomGrid::SelectionMoved(const TGridRect&) {}

void TCustomGrid::TopLeftChanged() {}

void TCustomGrid::MoveTopLeft(int left, int top)
{
    if (left == topLeft_.X && top == topLeft_.Y) return;
    topLeft_ = {left, top};
    UpdateEditorPlace();
    TopLeftChanged();
    InvalidateGrid();
    UpdateScrollPos();
}

void TCustomGrid::ClampInView(TGridCoord cell)
{
    TGridDrawInfo info;
    CalcDrawInfo(info);
    TGridCoord topLeft = topLeft_;
    const TGridCoord max = MaxTopLeft();
    // The first column (row) that still lets `cell` fit wholly in view.
    const auto firstShowing = [this](bool horizontal, int index, int available, int fixedCount) {
        int first = index;
        int used = AxisExtent(horizontal, index) + (horizontal ? (options_.Contains(goVertLine) ? gridLineWidth_ : 0)
                                                               : (options_.Contains(goHorzLine) ? gridLineWidth_ : 0));
        while (first - 1 >= fixedCount) {
            const int line = horizontal ? (options_.Contains(goVertLine) ? gridLineWidth_ : 0)
                                        : (options_.Contains(goHorzLine) ? gridLineWidth_ : 0);
            const int next = used + AxisExtent(horizontal, first - 1) + line;
            if (next > available) break;
            used = next;
            --first;
        }
        return first;
    };
    if (cell.X < topLeft.X)
        topLeft.X = cell.X;
    else if (cell.X > info.Horz.LastFullVisibleCell)
        topLeft.X = std::min(firstShowing(true, cell.X, info.Horz.GridExtent - info.Horz.FixedBoundary, fixedCols_),
                             std::max(max.X, fixedCols_));
    if (cell.Y < topLeft.Y)
        topLeft.Y = cell.Y;
    else if (cell.Y > info.Vert.LastFullVisibleCell)
        topLeft.Y = std::min(firstShowing(false, cell.Y, info.Vert.GridExtent - info.Vert.FixedBoundary, fixedRows_),
                             std::max(max.Y, fixedRows_));
    topLeft.X = std::max(topLeft.X, fixedCols_);
    topLeft.Y = std::max(topLeft.Y, fixedRows_);
    MoveTopLeft(topLeft.X, topLeft.Y);
}

TGridCoord TCustomGrid::MaxTopLeft()
{
    TGridDrawInfo info;
    CalcDrawInfo(info);
    const auto calc = [this](const TGridAxisDrawInfo& axis, bool horizontal) {
        const int available = axis.GridExtent - axis.FixedBoundary;
        int first = axis.GridCellCount - 1;
        int used = 0;
        while (first >= axis.FixedCellCount) {
            used += AxisExtent(horizontal, first) + axis.EffectiveLineWidth;
            if (used > available) break;
            --first;
        }
        return std::max(first + 1, axis.FixedCellCount);
    };
    TGridCoord result{calc(info.Horz, true), calc(info.Vert, false)};
    result.X = std::min(result.X, std::max(ColCount() - 1, fixedCols_));
    result.Y = std::min(result.Y, std::max(RowCount() - 1, fixedRows_));
    return result;
}

// ---- Geometry ------------------------------------------------------------------------------

int TCustomGrid::AxisExtent(bool horizontal, int index) const
{
    return horizontal ? ColWidths(index) : RowHeights(index);
}

void TCustomGrid::CalcAxis(TGridAxisDrawInfo& axis, bool horizontal)
{
    axis.FixedBoundary = 0;
    for (int i = 0; i < axis.FixedCellCount; ++i) axis.FixedBoundary += AxisExtent(horizontal, i) + axis.EffectiveLineWidth;
    axis.GridBoundary = axis.FixedBoundary;
    axis.FullVisBoundary = axis.FixedBoundary;
    axis.LastFullVisibleCell = axis.FirstGridCell;
    for (int i = axis.FirstGridCell; i < axis.GridCellCount; ++i) {
        axis.GridBoundary += AxisExtent(horizontal, i) + axis.EffectiveLineWidth;
        if (axis.GridBoundary > axis.GridExtent + axis.EffectiveLineWidth) {
            axis.GridBoundary = axis.GridExtent;
            break;
        }
        axis.LastFullVisibleCell = i;
        axis.FullVisBoundary = axis.GridBoundary;
    }
}

void TCustomGrid::CalcDrawInfo(TGridDrawInfo& info)
{
    const TRect area = VirtualClientRect();
    info.Horz.EffectiveLineWidth = options_.Contains(goVertLine) ? gridLineWidth_ : 0;
    info.Horz.GridExtent = area.Width();
    info.Horz.FixedCellCount = fixedCols_;
    info.Horz.FirstGridCell = topLeft_.X;
    info.Horz.GridCellCount = ColCount();
    CalcAxis(info.Horz, true);
    info.Vert.EffectiveLineWidth = options_.Contains(goHorzLine) ? gridLineWidth_ : 0;
    info.Vert.GridExtent = area.Height();
    info.Vert.FixedCellCount = fixedRows_;
    info.Vert.FirstGridCell = topLeft_.Y;
    info.Vert.GridCellCount = RowCount();
    CalcAxis(info.Vert, false);
}

int TCustomGrid::VisibleColCount()
{
    TGridDrawInfo info;
    CalcDrawInfo(info);
    return std::max(info.Horz.LastFullVisibleCell - topLeft_.X + 1, 0);
}

int TCustomGrid::VisibleRowCount()
{
    TGridDrawInfo info;
    CalcDrawInfo(info);
    return std::max(info.Vert.LastFullVisibleCell - topLeft_.Y + 1, 0);
}

int TCustomGrid::LinePos(const TGridAxisDrawInfo& axis, bool horizontal, int index) const
{
    int pos = 0;
    if (index < axis.FixedCellCount) {
        for (int i = 0; i < index; ++i) pos += AxisExtent(horizontal, i) + axis.EffectiveLineWidth;
        return pos;
    }
    if (index < axis.FirstGridCell) return -1;
    pos = axis.FixedBoundary;
    for (int i = axis.FirstGridCell; i < index; ++i) {
        pos += AxisExtent(horizontal, i) + axis.EffectiveLineWidth;
        if (pos >= axis.GridExtent) return -1;
    }
    return pos < axis.GridExtent ? pos : -1;
}

TRect TCustomGrid::CellRect(int col, int row)
{
    if (col < 0 || col >= ColCount() || row < 0 || row >= RowCount()) return {};
    TGridDrawInfo info;
    CalcDrawInfo(info);
    const int x = LinePos(info.Horz, true, col);
    const int y = LinePos(info.Vert, false, row);
    if (x < 0 || y < 0) return {};
    const TRect area = VirtualClientRect();
    return {area.Left + x, area.Top + y, area.Left + x + ColWidths(col), area.Top + y + RowHeights(row)};
}

TGridCoord TCustomGrid::MouseCoord(int x, int y)
{
    TGridDrawInfo info;
    CalcDrawInfo(info);
    const TRect area = VirtualClientRect();
    const auto find = [this](const TGridAxisDrawInfo& axis, bool horizontal, int p) {
        if (p < 0 || p >= axis.GridBoundary) return -1;
        int pos = 0;
        for (int i = 0; i < axis.FixedCellCount; ++i) {
            pos += AxisExtent(horizontal, i) + axis.EffectiveLineWidth;
            if (p < pos) return i;
        }
        for (int i = axis.FirstGridCell; i < axis.GridCellCount; ++i) {
            pos += AxisExtent(horizontal, i) + axis.EffectiveLineWidth;
            if (p < pos) return i;
        }
        return -1;
    };
    TGridCoord c{find(info.Horz, true, x - area.Left), find(info.Vert, false, y - area.Top)};
    if (c.X < 0 || c.Y < 0) return {-1, -1};
    return c;
}

// ---- Invalidation --------------------------------------------------------------------------

void TCustomGrid::InvalidateCells(int col1, int row1, int col2, int row2)
{
    if (!HandleAllocated()) return;
    TRect total;
    bool any = false;
    for (int r = std::max(row1, 0); r <= std::min(row2, RowCount() - 1); ++r)
        for (int c = std::max(col1, 0); c <= std::min(col2, ColCount() - 1); ++c) {
            const TRect cell = CellRect(c, r);
            if (cell.Right <= cell.Left) continue;
            if (!any) {
                total = cell;
                any = true;
            } else {
                total = {std::min(total.Left, cell.Left), std::min(total.Top, cell.Top),
                         std::max(total.Right, cell.Right), std::max(total.Bottom, cell.Bottom)};
            }
        }
    if (!any) return;
    // The lines right of and below the cells belong to them.
    total.Right += gridLineWidth_;
    total.Bottom += gridLineWidth_;
    InvalidateRect(total);
}

void TCustomGrid::InvalidateCell(int col, int row) { InvalidateCells(col, row, col, row); }

void TCustomGrid::InvalidateRow(int row) { InvalidateCells(0, row, ColCount() - 1, row); }

// ---- Scroll bars ---------------------------------------------------------------------------

void TCustomGrid::UpdateScrollRange()
{
    const TGridCoord max = MaxTopLeft();
    const auto apply = [this](TScrollBarKind bar, int fixed, int maxFirst, int first) {
        TScrollInfo info;
        info.Min = fixed;
        info.Max = std::max(maxFirst, fixed);
        info.Page = 0;
        info.Pos = first;
        if (info.Max <= info.Min) info.Min = info.Max = info.Pos = 0;
        TCustomControl::SetScrollInfo(bar, info, SIF_RANGE | SIF_PAGE | SIF_POS);
    };
    if (scrollBars_ == ssHorizontal || scrollBars_ == ssBoth) apply(sbHorizontal, fixedCols_, max.X, topLeft_.X);
    if (!ManagesVertScrollBar() && (scrollBars_ == ssVertical || scrollBars_ == ssBoth))
        apply(sbVertical, fixedRows_, max.Y, topLeft_.Y);
}

void TCustomGrid::UpdateScrollPos()
{
    if (scrollBars_ == ssHorizontal || scrollBars_ == ssBoth) SetScrollPos(sbHorizontal, topLeft_.X);
    if (!ManagesVertScrollBar() && (scrollBars_ == ssVertical || scrollBars_ == ssBoth))
        SetScrollPos(sbVertical, topLeft_.Y);
}

void TCustomGrid::HorzScroll(int code, int pos)
{
    const int max = std::max(MaxTopLeft().X, fixedCols_);
    int left = topLeft_.X;
    switch (code) {
    case SB_LINELEFT: --left; break;
    case SB_LINERIGHT: ++left; break;
    case SB_PAGELEFT: left -= std::max(VisibleColCount(), 1); break;
    case SB_PAGERIGHT: left += std::max(VisibleColCount(), 1); break;
    case SB_THUMBPOSITION: left = pos; break;
    case SB_THUMBTRACK:
        if (!options_.Contains(goThumbTracking)) return;
        left = pos;
        break;
    case SB_LEFT: left = fixedCols_; break;
    case SB_RIGHT: left = max; break;
    default: return;
    }
    MoveTopLeft(std::clamp(left, fixedCols_, max), topLeft_.Y);
    UpdateScrollPos();
}

void TCustomGrid::VertScroll(int code, int pos)
{
    const int max = std::max(MaxTopLeft().Y, fixedRows_);
    int top = topLeft_.Y;
    switch (code) {
    case SB_LINEUP: --top; break;
    case SB_LINEDOWN: ++top; break;
    case SB_PAGEUP: top -= std::max(VisibleRowCount(), 1); break;
    case SB_PAGEDOWN: top += std::max(VisibleRowCount(), 1); break;
    case SB_THUMBPOSITION: top = pos; break;
    case SB_THUMBTRACK:
        if (!options_.Contains(goThumbTracking)) return;
        top = pos;
        break;
    case SB_TOP: top = fixedRows_; break;
    case SB_BOTTOM: top = max; break;
    default: return;
    }
    MoveTopLeft(topLeft_.X, std::clamp(top, fixedRows_, max));
    UpdateScrollPos();
}

// ---- Messages and painting -----------------------------------------------------------------

void TCustomGrid::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case WM_HSCROLL: HorzScroll(LoWord(m.WParam), SignedHiWord(m.WParam)); return;
    case WM_VSCROLL:
        if (ManagesVertScrollBar()) break;
        VertScroll(LoWord(m.WParam), SignedHiWord(m.WParam));
        return;
    case WM_GETDLGCODE:
        m.Result = DLGC_WANTARROWS | (options_.Contains(goTabs) ? DLGC_WANTTAB : 0);
        return;
    case WM_SIZE:
        TCustomControl::Dispatch(m);
        UpdateScrollRange();
        return;
    case WM_CAPTURECHANGED:
        if (gridState_ == gsColSizing || gridState_ == gsRowSizing) DrawSizingLine();
        if (gridState_ != gsSelecting) gridState_ = gsNormal;
        break;
    default: break;
    }
    TCustomControl::Dispatch(m);
}

void TCustomGrid::KeyDown(TKey& key, TShiftState shift)
{
    TCustomControl::KeyDown(key, shift);
    if (key != VK_TAB || !options_.Contains(goTabs) || shift.Contains(ssCtrl) || shift.Contains(ssAlt)) return;
    const int step = shift.Contains(ssShift) ? -1 : 1;
    for (int col = current_.X + step; col >= fixedCols_ && col < ColCount(); col += step)
        if (TabStops(col)) {
            FocusCell(col, current_.Y, true);
            break;
        }
    key = 0;
}

// ---- Mouse sizing and moving ---------------------------------------------------------------

void TCustomGrid::CalcSizingState(int x, int y, TGridState& state, int& index, int& pos)
{
    state = gsNormal;
    index = -1;
    pos = 0;
    TGridDrawInfo info;
    CalcDrawInfo(info);
    constexpr int kSlack = 3;
    const auto border = [&](const TGridAxisDrawInfo& axis, bool horizontal, int p) {
        int at = 0;
        for (int i = 0; i < axis.GridCellCount; ++i) {
            if (i >= axis.FixedCellCount && i < axis.FirstGridCell) continue;
            at += AxisExtent(horizontal, i) + axis.EffectiveLineWidth;
            if (at > axis.GridExtent + kSlack) break;
            // The line right of (below) the cell: where its extent ends.
            const int line = at - axis.EffectiveLineWidth;
            if (std::abs(p - line) <= kSlack) return std::pair{i, line};
        }
        return std::pair{-1, 0};
    };
    if (options_.Contains(goColSizing) && y >= 0 && y < info.Vert.FixedBoundary) {
        const auto [i, at] = border(info.Horz, true, x);
        if (i >= 0) {
            state = gsColSizing;
            index = i;
            pos = at;
            return;
        }
    }
    if (options_.Contains(goRowSizing) && x >= 0 && x < info.Horz.FixedBoundary) {
        const auto [i, at] = border(info.Vert, false, y);
        if (i >= 0) {
            state = gsRowSizing;
            index = i;
            pos = at;
        }
    }
}

void TCustomGrid::DrawSizingLine()
{
    if (!HandleAllocated()) return;
    const TRect area = VirtualClientRect();
    const TRect line = gridState_ == gsColSizing ? TRect{sizingPos_ - 1, area.Top, sizingPos_ + 1, area.Bottom}
                                                 : TRect{area.Left, sizingPos_ - 1, area.Right, sizingPos_ + 1};
    Canvas()->PatBlt(line, cmDstInvert);
}

void TCustomGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TCustomControl::MouseDown(button, shift, x, y);
    if (button != mbLeft || shift.Contains(ssDouble)) return;
    TGridState state;
    int index, pos;
    CalcSizingState(x, y, state, index, pos);
    if (state != gsNormal) {
        gridState_ = state;
        sizingIndex_ = index;
        // The border less the extent: the new extent is the release point less this.
        sizingStart_ = pos - (state == gsColSizing ? ColWidths(index) : RowHeights(index));
        sizingPos_ = pos;
        SetCaptureControl(this);
        DrawSizingLine();
        return;
    }
    const TGridCoord cell = MouseCoord(x, y);
    if (cell.X >= fixedCols_ && cell.Y >= fixedRows_) FocusCell(cell.X, cell.Y, !shift.Contains(ssShift));
}

void TCustomGrid::MouseMove(TShiftState shift, int x, int y)
{
    TCustomControl::MouseMove(shift, x, y);
    if (gridState_ != gsColSizing && gridState_ != gsRowSizing) return;
    DrawSizingLine();
    sizingPos_ = std::max(gridState_ == gsColSizing ? x : y, sizingStart_ + 1);
    DrawSizingLine();
}

void TCustomGrid::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (gridState_ == gsColSizing || gridState_ == gsRowSizing) {
        DrawSizingLine();
        const TGridState state = gridState_;
        gridState_ = gsNormal;
        if (GetCaptureControl() == this) ReleaseCapture();
        const int end = std::max(state == gsColSizing ? x : y, sizingStart_ + 1);
        if (state == gsColSizing)
            SetColWidths(sizingIndex_, end - sizingStart_);
        else
            SetRowHeights(sizingIndex_, end - sizingStart_);
    }
    gridState_ = gsNormal;
    TCustomControl::MouseUp(button, shift, x, y);
}

void TCustomGrid::MoveColumn(int from, int to)
{
    if (from == to) return;
    if (from < 0 || from >= ColCount() || to < 0 || to >= ColCount()) GridError("Grid index out of range");
    const auto move = [from, to](auto& v) {
        auto item = v[static_cast<std::size_t>(from)];
        v.erase(v.begin() + from);
        v.insert(v.begin() + to, item);
    };
    move(colWidths_);
    move(tabStops_);
    if (current_.X == from)
        current_.X = to;
    else if (from < current_.X && to >= current_.X)
        --current_.X;
    else if (from > current_.X && to <= current_.X)
        ++current_.X;
    anchor_.X = current_.X;
    ColumnMoved(from, to);
    InvalidateGrid();
}

void TCustomGrid::TimedScroll(TGridScrollDirections direction)
{
    const TGridCoord max = MaxTopLeft();
    TGridCoord tl = topLeft_;
    if (direction.Contains(sdLeft) && tl.X > fixedCols_) --tl.X;
    if (direction.Contains(sdRight) && tl.X < max.X) ++tl.X;
    if (direction.Contains(sdUp) && tl.Y > fixedRows_) --tl.Y;
    if (direction.Contains(sdDown) && tl.Y < max.Y) ++tl.Y;
    MoveTopLeft(tl.X, tl.Y);
}

bool TCustomGrid::CanGridAcceptKey(TKey, TShiftState) { return true; }

bool TCustomGrid::CanEditShow()
{
    return options_.Contains(goEditing) && !options_.Contains(goRowSelect) && current_.X >= fixedCols_ &&
           current_.Y >= fixedRows_;
}

void TCustomGrid::SetEditorMode(bool on)
{
    if (on == editorMode_) return;
    if (on) {
        if (CanEditShow()) ShowEditor();
    } else {
        HideEditor();
    }
}

void TCustomGrid::KeyPress(char& key)
{
    TCustomControl::KeyPress(key);
    if (key == 0) return;
    if (key == '\r') {
        if (!options_.Contains(goAlwaysShowEditor)) SetEditorMode(!editorMode_);
        key = 0;
        return;
    }
    if (static_cast<unsigned char>(key) >= 32 && !editorMode_ && CanEditShow()) ShowEditor();
}

void TCustomGrid::DrawCell(int col, int row, const TRect& rect, TGridDrawState state)
{
    TCanvas& c = *GridCanvas();
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(state.Contains(gdFixed) ? fixedColor_ : state.Contains(gdSelected) ? rtl::clHighlight : Color());
    c.FillRect(rect);
    (void)col;
    (void)row;
}

void TCustomGrid::Paint()
{
    TGridDrawInfo info;
    CalcDrawInfo(info);
    TCanvas& c = *GridCanvas();
    const TRect area = VirtualClientRect();
    // The lines: what the cells leave uncovered inside the grid's boundaries.
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(rtl::clSilver);
    c.FillRect({area.Left, area.Top, area.Left + info.Horz.GridBoundary, area.Top + info.Vert.GridBoundary});
    const TGridRect sel = Selection();
    const auto visibleIndexes = [](const TGridAxisDrawInfo& axis) {
        std::vector<int> out;
        for (int i = 0; i < axis.FixedCellCount; ++i) out.push_back(i);
        for (int i = axis.FirstGridCell; i < axis.GridCellCount; ++i) {
            out.push_back(i);
            if (i > axis.LastFullVisibleCell) break;
        }
        return out;
    };
    for (int row : visibleIndexes(info.Vert))
        for (int col : visibleIndexes(info.Horz)) {
            const TRect r = CellRect(col, row);
            if (r.Right <= r.Left) continue;
            TGridDrawState state;
            if (col < fixedCols_ || row < fixedRows_) state.Include(gdFixed);
            else {
                if (col >= sel.Left && col <= sel.Right && row >= sel.Top && row <= sel.Bottom) state.Include(gdSelected);
                if (col == current_.X && row == current_.Y && Focused()) state.Include(gdFocused);
            }
            DrawCell(col, row, r, state);
        }
    // The part right of and below the grid in the control's colour.
    c.Brush()->SetColor(Color());
    c.FillRect({area.Left + info.Horz.GridBoundary, area.Top, area.Right, area.Bottom});
    c.FillRect({area.Left, area.Top + info.Vert.GridBoundary, area.Left + info.Horz.GridBoundary, area.Bottom});
}

}  // namespace ui
