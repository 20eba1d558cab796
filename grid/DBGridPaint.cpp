// The paint side of TgkCustomDBGrid that stays on the facade: the footer strip's geometry,
// the title and group rectangles, the background fills (virtual hooks a derived grid may
// replace), nested redraw suspension, horizontal scrolling and the mouse wheel. The paint
// cycle itself is TgkGridPainter's.

#include <algorithm>

#include "grid/DBGrid.h"
#include "grid/GridState.h"
#include "grid/GridPainter.h"
#include "grid/GridRoutines.h"
#include "platform/rtl/Scope.h"
#include "platform/ui/Forms.h"

namespace grid {

// ---- Footer geometry ------------------------------------------------------------------------------------

int TgkCustomDBGrid::FooterTextHeight() { return ui::MeasureFont(*Font()).Metrics().Height; }

ui::TRect TgkCustomDBGrid::VirtualClientRect() const
{
    ui::TRect r = ClientRect();
    if (!d_->options.Contains(dgShowFooter)) return r;
    auto* self = const_cast<TgkCustomDBGrid*>(this);
    r.Bottom -= d_->footerHeight > 0 ? d_->footerHeight : self->FooterTextHeight() + 6;
    if (d_->options.Contains(dgFooter3DCells)) r.Bottom -= 2;
    r.Bottom = std::max(r.Bottom, r.Top);
    return r;
}

ui::TRect TgkCustomDBGrid::GetFooterRect()
{
    ui::TRect r{0, 0, ClientWidth(), 0};
    r.Top = d_->options.Contains(dgShowFooter) ? VirtualClientRect().Bottom : ClientHeight() + 3;
    r.Bottom = d_->footerHeight > 0 ? r.Top + d_->footerHeight - 1 : r.Top + FooterTextHeight() + 6;
    if (d_->options.Contains(dgFooter3DCells)) r.Bottom += 2;
    return r;
}

int TgkCustomDBGrid::GetFooterStripHeight()
{
    if (!d_->options.Contains(dgShowFooter)) return 0;
    int h = d_->footerHeight > 0 ? d_->footerHeight - 1 : FooterTextHeight() + 6;
    if (d_->options.Contains(dgFooter3DCells)) h += 2;
    return h + 2;
}

// ---- Redraw nesting -----------------------------------------------------------------------------------------

void TgkCustomDBGrid::DisableRedraw()
{
    if (!HandleAllocated() || !Showing()) return;
    if (d_->redrawLock == 0) Perform(ui::WM_SETREDRAW, 0);
    ++d_->redrawLock;
}

void TgkCustomDBGrid::EnableRedraw(bool repaint)
{
    if (!HandleAllocated() || !Showing()) return;
    if (d_->redrawLock > 0) --d_->redrawLock;
    if (d_->redrawLock != 0) return;
    Perform(ui::WM_SETREDRAW, 1);
    if (repaint) Invalidate();
}

void TgkCustomDBGrid::SetRedraw(bool disable) { Perform(ui::WM_SETREDRAW, disable ? 0 : 1); }

void TgkCustomDBGrid::MirrorCanvas(bool on) { painter_->MirrorCanvas(on); }

void TgkCustomDBGrid::SetIndicatorWidth(int width)
{
    width = std::max(width, 0);
    if (width == d_->indicatorWidth) return;
    d_->indicatorWidth = width;
    LayoutChanged();
}

// ---- Columns ----------------------------------------------------------------------------------------------------

TgkColumn& TgkCustomDBGrid::Columns(int index)
{
    if (index < 0) return *d_->spareColumn;
    if (d_->dataLink->FieldCount() == 0) {
        if (index >= d_->selected.Count()) return *d_->spareColumn;
        const std::string& entry = d_->selected.Strings(index);
        return ColumnByName(std::string_view(entry).substr(0, entry.find('\t')));
    }
    if (index >= static_cast<int>(d_->columns.size())) return *d_->spareColumn;
    return *d_->columns[index];
}

// ---- Title rectangles ---------------------------------------------------------------------------------------

ui::TRect TgkCustomDBGrid::CalcTitleRect(int col, int row)
{
    ui::TRect r = CellRect(col, row);
    const db::TField* field = GetColField(col - d_->indicatorOffset);
    if (field != nullptr && !ColumnEntryPart(field->FieldName(), 4).empty()) r.Top += r.Height() / 2;
    return r;
}

ui::TRect TgkCustomDBGrid::CalcGroupHeaderRect(int col, bool inFixed, int& firstCol, int& lastCol)
{
    const auto groupOf = [this](int c) {
        const db::TField* field = GetColField(c - d_->indicatorOffset);
        return field != nullptr ? ColumnEntryPart(field->FieldName(), 4) : std::string();
    };
    const std::string group = groupOf(col);
    ui::TGridDrawInfo info;
    CalcDrawInfo(info);
    const int low = inFixed ? d_->indicatorOffset : std::max(LeftCol(), FixedCols());
    const int high = inFixed ? FixedCols() - 1 : std::min(ColCount() - 1, info.Horz.LastFullVisibleCell + 1);
    firstCol = lastCol = col;
    if (group.empty()) return CellRect(col, 0);
    while (firstCol - 1 >= low && groupOf(firstCol - 1) == group) --firstCol;
    while (lastCol + 1 <= high && groupOf(lastCol + 1) == group) ++lastCol;
    ui::TRect r = CellRect(firstCol, 0);
    int right = r.Left;
    for (int c = firstCol; c <= lastCol; ++c) {
        right += ColWidths(c);
        if (d_->options.Contains(dgColLines) && c < lastCol) right += 1;
    }
    r.Right = right;
    return r;
}

ui::TRect TgkCustomDBGrid::CalcTitlePartRect(int col, int y)
{
    if (!d_->options.Contains(dgTitles)) return {};
    ui::TRect r = CellRect(col, 0);
    const db::TField* field = GetColField(col - d_->indicatorOffset);
    if (field == nullptr || ColumnEntryPart(field->FieldName(), 4).empty()) return r;
    const int mid = r.Top + r.Height() / 2;
    if (y >= mid) {
        r.Top = mid;
        return r;
    }
    int first = 0, last = 0;
    ui::TRect g = CalcGroupHeaderRect(col, col < FixedCols(), first, last);
    g.Bottom = mid;
    return g;
}

// ---- Background fills -------------------------------------------------------------------------------------

void TgkCustomDBGrid::PaintDataBackground(const ui::TRect& rect, rtl::TColor color, int row)
{
    ui::TCanvas* canvas = GetDrawCanvas();
    ui::TRect r = rect;
    const bool lower = !d_->options.Contains(dgRowLines) && !d_->options.Contains(dgHideBottomDataLine);
    if (d_->paintOptions->AlternatingRowColor() != rtl::clNone &&
        d_->paintOptions->AlternatingRowRegions().Contains(arrDataColumns) && row >= 0 &&
        ((row & 1) != 0) != d_->alternatingParity) {
        if (!d_->options.Contains(dgColLinesDisableFixed)) --r.Left;
        if (lower) ++r.Bottom;
        PaintBackground(r);
        return;
    }
    if (d_->paintOptions->FillsDataCells()) {
        if (lower) ++r.Bottom;
        if (ui::TCanvas* source = d_->paintOptions->GetCanvas()) canvas->CopyRect(r, *source, r);
        return;
    }
    if (OnBeforePaint) return;
    if (color != rtl::clNone) canvas->Brush()->SetColor(color);
    canvas->Brush()->SetStyle(ui::bsSolid);
    canvas->FillRect(r);
}

void TgkCustomDBGrid::PaintTitleBackground(const ui::TRect& rect, rtl::TColor color, int row)
{
    ui::TCanvas* canvas = GetDrawCanvas();
    if (d_->paintOptions->AlternatingRowColor() != rtl::clNone &&
        d_->paintOptions->AlternatingRowRegions().Contains(arrFixedColumns) && row >= 0 &&
        ((row & 1) != 0) != d_->alternatingParity) {
        PaintBackground(rect);
        return;
    }
    const ui::TBitmap* image = rect.Top < RowHeights(0) && d_->options.Contains(dgTitles)
                                   ? d_->paintOptions->TitleRowImage()
                                   : d_->paintOptions->FixedColumnImage();
    if (image == nullptr) image = d_->paintOptions->FixedColumnImage();
    if (d_->paintOptions->FillsDataCells() && image != nullptr) {
        canvas->CopyRect(rect, *const_cast<ui::TBitmap*>(image)->Canvas(), rect);
        return;
    }
    if (color != rtl::clNone) canvas->Brush()->SetColor(color);
    canvas->Brush()->SetStyle(ui::bsSolid);
    canvas->FillRect(rect);
}

// ---- The paint -----------------------------------------------------------------------------------------------

ui::TRect TgkCustomDBGrid::EffectiveUpdateRect() const
{
    // The rectangle this paint must produce: what the window system asked for, reaching down
    // over the footer when it reaches past the cells' area, and the client area (less what lies
    // right of the cells) when it asked for nothing.
    ui::TRect update = UpdateRect();
    const ui::TRect full = ClientRect();
    const ui::TRect cells = VirtualClientRect();
    ui::TRect clip = full;
    if (cells.Right < clip.Right) clip.Right = cells.Right;
    if (cells.Bottom < update.Bottom) update.Bottom = full.Bottom;
    if (update.Left == 0 && update.Top == 0 && update.Right == 0 && update.Bottom == 0) update = clip;
    return update;
}

void TgkCustomDBGrid::Paint() { painter_->Paint(); }

void TgkCustomDBGrid::DrawFooterCell(int col) { painter_->DrawFooterCell(col); }

// ---- Lines ----------------------------------------------------------------------------------------------------

void TgkCustomDBGrid::DrawRowLine(const ui::TRect& rect, ui::TGridDrawState state, int row)
{
    painter_->DrawRowLine(rect, state, row);
}

void TgkCustomDBGrid::DrawGrid() { painter_->DrawLines(); }

void TgkCustomDBGrid::DrawTitleButtonDown() { painter_->DrawTitleButtonDown(); }

// ---- Scrolling ------------------------------------------------------------------------------------------------

void TgkCustomDBGrid::TopLeftChanged()
{
    HideHintWindow();
    // Scrolling closes an open detail grid.
    CollapseExpandButtons();
    TCustomGrid::TopLeftChanged();
    if (OnLeftColChanged) OnLeftColChanged(this, LeftCol());
    if (!HandleAllocated()) return;
    InvalidateRect({0, 0, Width(), RowHeights(0)});
    if (d_->options.Contains(dgShowFooter)) {
        ui::TRect footer = GetFooterRect();
        ++footer.Bottom;
        InvalidateRect(footer);
    }
    ui::TGridDrawInfo info;
    CalcDrawInfo(info);
    const int x = info.Horz.GridBoundary - 1;
    if (x >= 0) InvalidateRect({x, 0, x + 1, Height()});
}

void TgkCustomDBGrid::WMHScroll(ui::TMessage& m)
{
    // The picture and the mirrored canvas do not move with scrolled pixels: repaint it all.
    if (ui::LoWord(m.WParam) != ui::SB_THUMBTRACK) HideCellControl();
    const int oldLeft = LeftCol();
    DisableRedraw();
    {
        const rtl::TScopeExit resume([this] { EnableRedraw(false); });
        TCustomGrid::Dispatch(m);
        if (LeftCol() != oldLeft && EditorMode() && InplaceEditor() != nullptr &&
            (Col() < LeftCol() || Col() > LeftCol() + VisibleColCount()))
            InplaceEditor()->SetLeft(Width() + 10);
    }
    Invalidate();
}

bool TgkCustomDBGrid::DoMouseWheelDown()
{
    db::TDataSet* ds = d_->dataLink->DataSet();
    if (ds != nullptr && d_->dataLink->Active()) ds->Next();
    return true;
}

bool TgkCustomDBGrid::DoMouseWheelUp()
{
    db::TDataSet* ds = d_->dataLink->DataSet();
    if (ds != nullptr && d_->dataLink->Active()) ds->Prior();
    return true;
}

}  // namespace grid
