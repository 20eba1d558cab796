#include "grid/GridMouse.h"

#include <algorithm>
#include <cmath>

#include "grid/CellControls.h"
#include "grid/DBGrid.h"
#include "grid/GridState.h"
#include "grid/StringRoutines.h"
#include "grid/GridRoutines.h"
#include "platform/rtl/Scope.h"
#include "platform/ui/Input.h"
#include "platform/ui/Screen.h"
#include "platform/ui/StdCtrls.h"

namespace grid {

// ---- Press -----------------------------------------------------------------------------------------------

void TgkGridMouse::Down(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    sizingIndex_ = -1;
    sizingStartWidth_ = 0;
    g_.HideHintWindow();
    if (button == ui::mbLeft && shift.Contains(ui::ssDouble)) {
        // The double click itself (OnDblClick) came with the message; the cell stays.
        g_.AcquireFocus();
        return;
    }
    if (PressSizing(button, shift, x, y)) return;
    const ui::TGridCoord cell = g_.MouseCoord(x, y);
    if (cell.X < 0 || cell.Y < 0) {
        if (g_.AcquireFocus()) g_.ui::TCustomControl::MouseDown(button, shift, x, y);
        return;
    }
    if (cell.Y < g_.TitleOffset()) {
        PressTitle(button, shift, x, y, cell);
        return;
    }
    if (!g_.DataLink().Active()) {
        g_.ui::TCustomGrid::MouseDown(button, shift, x, y);
        return;
    }
    PressDataCell(button, shift, x, y, cell);
}

bool TgkGridMouse::PressSizing(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    ui::TGridState sizing;
    int index = -1, pos = 0;
    g_.CalcSizingState(x, y, sizing, index, pos);
    // Only scrolling columns are sized here: a fixed column's edge, the indicator's included,
    // is an ordinary press (the published grid sizes fixed data columns itself).
    if (sizing == ui::gsColSizing && index < g_.FixedCols()) sizing = ui::gsNormal;
    if (sizing == ui::gsNormal) return false;
    sizingIndex_ = index;
    if (sizing == ui::gsColSizing) sizingStartWidth_ = g_.ColWidths(index);
    sizingCol_ = g_.MouseCoord(x - 8, y).X;
    g_.DataLink().UpdateDataNow();
    g_.ui::TCustomGrid::MouseDown(button, shift, x, y);
    return true;
}

void TgkGridMouse::PressTitle(ui::TMouseButton button, ui::TShiftState shift, int x, int y, ui::TGridCoord cell)
{
    if (!g_.ui::TCustomGrid::Options().Contains(ui::goColMoving) && !gkIsDesigning(&g_)) {
        if (g_.AcquireFocus()) TitleButtonPress(x, y);
        return;
    }
    if (!g_.AcquireFocus()) return;
    TitleButtonPress(x, y);
    if (cell.X >= g_.FixedCols() && button == ui::mbLeft) StartColumnDrag(cell.X, x, y);
    // Not the base grid's press even on a fixed column's title: there it would only start
    // sizing the column, which is refused above.
    g_.ui::TCustomControl::MouseDown(button, shift, x, y);
}

void TgkGridMouse::StartColumnDrag(int col, int x, int y)
{
    inColumnDrag_ = true;
    columnDragged_ = false;
    dragCol_ = col;
    dragX_ = x;
    dragDirection_ = 0;
    MakeDragImage(col, x, y);
    ui::SetCaptureControl(&g_);
    g_.SetTimer(1, 100);
}

void TgkGridMouse::PressDataCell(ui::TMouseButton button, ui::TShiftState shift, int x, int y, ui::TGridCoord cell)
{
    const bool changes = !(cell.X == g_.Col() && cell.Y == g_.Row()) && cell.X >= g_.IndicatorOffset();
    if (cell.X == g_.Col() && cell.Y == g_.Row() && !g_.IsCustomCell(cell.X, cell.Y) && !g_.IsMemoCell(cell.X, cell.Y))
        g_.ShowCellEditor();
    const int oldRow = g_.Row();
    const int oldCol = g_.Col();
    const int oldLeft = g_.LeftCol();
    ui::TWinControl* placed = g_.PlacedControl();
    if (cell.Y != oldRow) movingByMouse_ = true;
    if (changes && placed != nullptr) placed->SetLeft(g_.ClientWidth() + 10);
    if (!g_.AcquireFocus()) {
        movingByMouse_ = false;
        return;
    }
    MoveToPressedCell(cell, oldRow);
    if (changes) g_.DoCellChanged();
    OpenLinkCell(button, cell.X);
    if (g_.Options().Contains(dgMultiSelect)) MultiSelectPress(button, shift);
    g_.InvalidateCell(oldCol, oldRow);
    if (!g_.EditControlOptions().Contains(ecoDisableCustomControls) && g_.IsCustomCell(g_.Col(), g_.Row()))
        g_.PlaceCellControl();
    else
        g_.InvalidateCell(g_.Col(), g_.Row());
    placed = g_.PlacedControl();
    if (changes && placed != nullptr && g_.LeftCol() == oldLeft && !shift.Contains(ui::ssCtrl) &&
        dynamic_cast<ui::TCustomEdit*>(placed) == nullptr)
        RouteClickToPlacedControl(x, y);
    g_.ui::TCustomControl::MouseDown(button, shift, x, y);
    // The rich-text control takes a press soon after this one as a double click.
    placed = g_.PlacedControl();
    if (placed != nullptr && placed->InheritsFrom("TgkDBRichEdit"))
        if (auto* pressTime = dynamic_cast<IgkGridPressTime*>(placed)) pressTime->SetGridPressTime(ui::GetMessageTime());
}

void TgkGridMouse::MoveToPressedCell(ui::TGridCoord cell, int oldRow)
{
    {
        const rtl::TScopeExit clear([this] { movingByMouse_ = false; });
        const TgkDBGridOptions options = g_.Options();
        if (!options.Contains(dgRowSelect) && (cell.X >= g_.FixedCols() || options.Contains(dgFixedEditable)) &&
            cell.X >= g_.IndicatorOffset())
            g_.MoveCol(cell.X - g_.IndicatorOffset());
    }
    if (cell.Y != oldRow) {
        if (db::TDataSet* ds = g_.DataLink().DataSet()) ds->MoveBy(cell.Y - oldRow);
    }
}

void TgkGridMouse::OpenLinkCell(ui::TMouseButton button, int col)
{
    // Link cells open their address.
    db::TField* field = g_.GetColField(col - g_.IndicatorOffset());
    const std::vector<TgkCacheColInfoItem>& cache = g_.ColInfoCache();
    if (button != ui::mbLeft || field == nullptr || col >= static_cast<int>(cache.size()) ||
        cache[static_cast<std::size_t>(col)].ControlType != "URL-Link")
        return;
    std::string url = field->DisplayText();
    bool useDefault = true;
    g_.DoURLOpen(url, field, useDefault);
    if (!useDefault) return;
    const std::string address = TgkCustomDBGrid::LinkAddress(url);
    if (address.empty()) return;
    ui::Screen().SetCursor(ui::crHourGlass);
    const rtl::TScopeExit back([] { ui::Screen().SetCursor(ui::crDefault); });
    TgkCustomDBGrid::AddressOpener(address);
}

void TgkGridMouse::TitleButtonPress(int x, int y)
{
    if (!g_.TitleButtons() || gkIsDesigning(&g_)) return;
    const ui::TGridCoord cell = g_.MouseCoord(x, y);
    if (cell.Y < 0 || cell.Y >= g_.TitleOffset() || cell.X < g_.IndicatorOffset()) return;
    pressedTitleCol_ = cell.X;
    pressedTracking_ = cell.Y;
    const db::TField* field = g_.GetColField(cell.X - g_.IndicatorOffset());
    pressedInGroupHeader_ = field != nullptr && !g_.ColumnEntryPart(field->FieldName(), 4).empty() &&
                            g_.CellRect(cell.X, cell.Y).Top == 0 && y < g_.RowHeights(0) / 2;
    g_.InvalidateCell(cell.X, cell.Y);
}

void TgkGridMouse::MultiSelectPress(ui::TMouseButton button, ui::TShiftState shift)
{
    const bool ctrl = shift.Contains(ui::ssCtrl), shifted = shift.Contains(ui::ssShift);
    const TgkMultiSelectOptions options = g_.MultiSelectOptions();
    const bool autoUnselect = options.Contains(msoAutoUnselect);
    if (!ctrl && !shifted) {
        if (button == ui::mbLeft && autoUnselect) {
            g_.UnselectAll();
            g_.SelectRecord();
        }
    } else if (g_.IsActiveRecordSelected()) {
        g_.UnselectRecord();
    } else {
        g_.SelectRecord();
    }
    if ((ctrl || shifted || autoUnselect) && options.Contains(msoShiftSelect)) {
        shiftSelect_ = true;
        // A range starts where the first such press was made.
        if (selectAnchor_.empty())
            if (db::TDataSet* ds = g_.DataLink().DataSet()) selectAnchor_ = ds->GetBookmark();
    }
}

void TgkGridMouse::RouteClickToPlacedControl(int x, int y)
{
    // The press that brought the control over the cell also works the control: a control
    // inside it under the pointer gets a whole click, the placed control itself the press.
    ui::TWinControl* placed = g_.PlacedControl();
    const ui::TPoint inPlaced = placed->ScreenToClient(g_.ClientToScreen({x, y}));
    if (!placed->ClientRect().Contains(inPlaced)) return;
    ui::TControl* target = placed->ControlAtPos(inPlaced);
    if (target != nullptr && target != placed) {
        const ui::TPoint p = target->ScreenToClient(g_.ClientToScreen({x, y}));
        target->Perform(ui::WM_LBUTTONDOWN, ui::MK_LBUTTON, ui::MakeLParam(p.X, p.Y));
        target->Perform(ui::WM_LBUTTONUP, 0, ui::MakeLParam(p.X, p.Y));
        return;
    }
    placed->Perform(ui::WM_LBUTTONDOWN, ui::MK_LBUTTON, ui::MakeLParam(inPlaced.X, inPlaced.Y));
}

// ---- Move and column drag ------------------------------------------------------------------------------------

void TgkGridMouse::Move(ui::TShiftState shift, int x, int y)
{
    if (!inColumnDrag_) {
        g_.ui::TCustomGrid::MouseMove(shift, x, y);
        g_.UpdateLinkHover(x, y);
        g_.UpdateCellHint(x, y);
        return;
    }
    if (x != dragX_) {
        dragDirection_ = (x > dragX_) != g_.UseRightToLeftGrid() ? 1 : -1;
        columnDragged_ = true;
    }
    dragX_ = x;
    if (dragImage_) {
        // The title's picture follows the pointer sideways, a little below it.
        dragImagePos_ = {x - dragGrabX_, y + g_.DragVertOffset()};
        g_.Invalidate();
    }
    g_.ui::TCustomControl::MouseMove(shift, x, y);
}

void TgkGridMouse::ColumnDragTick()
{
    if (!inColumnDrag_) return;
    ui::TGridDrawInfo info;
    g_.CalcDrawInfo(info);
    const int leftCol = g_.LeftCol();
    int left = leftCol;
    if (dragX_ > g_.Width() - 10 && dragDirection_ > 0 && leftCol + g_.VisibleColCount() < g_.ColCount())
        ++left;
    else if (dragX_ < info.Horz.FixedBoundary + 10 && dragDirection_ < 0 && leftCol > g_.FixedCols())
        --left;
    if (left == leftCol) return;
    g_.DisableRedraw();
    {
        const rtl::TScopeExit resume([this] { g_.EnableRedraw(false); });
        g_.SetLeftCol(left);
    }
    g_.Invalidate();
}

void TgkGridMouse::EndColumnDrag(int x, int y, bool drop)
{
    if (!inColumnDrag_) return;
    inColumnDrag_ = false;
    g_.KillTimer(1);
    if (ui::GetCaptureControl() == &g_) ui::ReleaseCapture();
    if (dragImage_) {
        dragImage_.reset();
        g_.Invalidate();
    }
    if (!drop || !columnDragged_) return;
    const int titleHeight = g_.RowHeights(0);
    const ui::TGridCoord target = g_.MouseCoord(x, std::min(y, std::max(titleHeight - 1, 0)));
    if (y < 0 || y >= titleHeight * g_.TitleOffset() || target.X < g_.FixedCols() || target.X == dragCol_) return;
    int first = dragCol_, last = dragCol_;
    g_.TitleGroupRange(dragCol_, first, last);
    if (target.X >= first && target.X <= last) return;
    if (first == last) {
        g_.MoveColumn(dragCol_, target.X);
        return;
    }
    DropColumnGroup(target.X, first, last);
}

void TgkGridMouse::DropColumnGroup(int target, int first, int last)
{
    // A column of a title group takes its whole group along, in its order; dropped on another
    // group, it lands beside that group rather than inside it.
    int targetFirst = target, targetLast = target;
    g_.TitleGroupRange(target, targetFirst, targetLast);
    for (int k = 0; k <= last - first; ++k) {
        if (target > last)
            g_.MoveColumn(first, targetLast);
        else
            g_.MoveColumn(first + k, targetFirst + k);
    }
}

void TgkGridMouse::MakeDragImage(int col, int x, int y)
{
    // The title cell as a picture with a one-pixel edge, light on the top and left, black on
    // the bottom and right.
    const ui::TRect r = g_.CellRect(col, 0);
    if (r.Width() <= 0 || r.Height() <= 0) return;
    dragImage_ = std::make_unique<ui::TBitmap>();
    dragImage_->SetSize(r.Width(), r.Height());
    ui::TCanvas& c = *dragImage_->Canvas();
    c.Brush()->SetColor(g_.TitleColor());
    c.FillRect({0, 0, r.Width(), r.Height()});
    c.Font()->Assign(*g_.TitleFont());
    if (const db::TField* field = g_.GetColField(col - g_.IndicatorOffset())) c.TextOut(3, 2, field->DisplayName());
    c.Pen()->SetColor(rtl::clBtnHighlight);
    c.MoveTo(0, r.Height() - 1);
    c.LineTo(0, 0);
    c.LineTo(r.Width() - 1, 0);
    c.Pen()->SetColor(rtl::clBlack);
    c.MoveTo(r.Width() - 1, 0);
    c.LineTo(r.Width() - 1, r.Height() - 1);
    c.LineTo(-1, r.Height() - 1);
    dragGrabX_ = x - r.Left;
    dragImagePos_ = {r.Left, y + g_.DragVertOffset()};
}

// ---- Release --------------------------------------------------------------------------------------------------

void TgkGridMouse::Up(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    if (inColumnDrag_ && button == ui::mbLeft) {
        const bool dragged = columnDragged_;
        EndColumnDrag(x, y, true);
        columnDragged_ = dragged;
    }
    const ui::TGridState state = g_.GridState();
    g_.ui::TCustomGrid::MouseUp(button, shift, x, y);
    if (state == ui::gsColSizing && g_.OnColWidthChanged) g_.OnColWidthChanged(&g_, sizingCol_);
    if (state == ui::gsRowSizing) ReleaseRowSizing();
    if (pressedTitleCol_ >= 0) ReleaseTitle(x, y);
    pressedTracking_ = -1;
    pressedInGroupHeader_ = false;
    columnDragged_ = false;
    sizingIndex_ = -1;
}

void TgkGridMouse::ReleaseRowSizing()
{
    if (!g_.Options().Contains(dgRowResize) || sizingIndex_ < 0 || sizingIndex_ >= g_.RowCount()) return;
    const int t = g_.TextHeightW(*g_.Font()) + 2 + (g_.RowLines() ? 1 : 0);
    int limit = g_.ClientHeight() - 1;
    if (g_.Options().Contains(dgTitles)) limit = g_.ClientHeight() - g_.RowHeights(0) - 1;
    const int height = std::min(g_.RowHeights(sizingIndex_), limit);
    const int percent =
        std::max(static_cast<int>(std::lround(height * 100.0 / std::max(t, 1))), g_.d_->savedRowHeightPercent);
    if (percent == g_.d_->rowHeightPercent) return;
    g_.d_->rowHeightPercent = percent;
    g_.LayoutChanged();
}

void TgkGridMouse::ReleaseTitle(int x, int y)
{
    const int pressed = pressedTitleCol_;
    pressedTitleCol_ = -1;
    for (int c = 0; c < g_.ColCount(); ++c) g_.InvalidateCell(c, 0);
    const ui::TGridCoord cell = g_.MouseCoord(x, y);
    if (cell.X != pressed || cell.Y < 0 || cell.Y >= g_.TitleOffset() || columnDragged_) return;
    if (const db::TField* field = g_.GetColField(pressed - g_.IndicatorOffset())) g_.DoTitleButtonClick(field->FieldName());
}

void TgkGridMouse::ClearPressedTitle()
{
    pressedTitleCol_ = -1;
    pressedTracking_ = -1;
    pressedInGroupHeader_ = false;
}

}  // namespace grid
