// The paint cycle of TgkCustomDBGrid: one buffered paint per update (backgrounds, the four
// cell passes, the pad right of the last column, the lines, the focus rectangle and the
// footer), the footer strip's geometry, nested redraw suspension and the mouse wheel.
// Everything is drawn on the off-screen bitmap (the window canvas for a right-to-left grid)
// and only the update rectangle is copied to the window.

#include <algorithm>

#include "grid/DBGrid.h"
#include "grid/GridRoutines.h"
#include "platform/rtl/Scope.h"
#include "platform/ui/Forms.h"

namespace grid {

namespace {

void HLine(ui::TCanvas& c, int x1, int x2, int y, rtl::TColor color)
{
    if (x2 <= x1) return;
    c.Pen()->SetColor(color);
    c.MoveTo(x1, y);
    c.LineTo(x2, y);
}

void VLine(ui::TCanvas& c, int x, int y1, int y2, rtl::TColor color)
{
    if (y2 <= y1) return;
    c.Pen()->SetColor(color);
    c.MoveTo(x, y1);
    c.LineTo(x, y2);
}

bool IsWhite(rtl::TColor color) { return rtl::ColorToRGB(color) == rtl::clWhite; }

}  // namespace

// ---- Footer geometry ------------------------------------------------------------------------------------

int TgkCustomDBGrid::FooterTextHeight() { return ui::MeasureFont(*Font()).Metrics().Height; }

ui::TRect TgkCustomDBGrid::VirtualClientRect() const
{
    ui::TRect r = ClientRect();
    if (!options_.Contains(dgShowFooter)) return r;
    auto* self = const_cast<TgkCustomDBGrid*>(this);
    r.Bottom -= footerHeight_ > 0 ? footerHeight_ : self->FooterTextHeight() + 6;
    if (options_.Contains(dgFooter3DCells)) r.Bottom -= 2;
    r.Bottom = std::max(r.Bottom, r.Top);
    return r;
}

ui::TRect TgkCustomDBGrid::GetFooterRect()
{
    ui::TRect r{0, 0, ClientWidth(), 0};
    r.Top = options_.Contains(dgShowFooter) ? VirtualClientRect().Bottom : ClientHeight() + 3;
    r.Bottom = footerHeight_ > 0 ? r.Top + footerHeight_ - 1 : r.Top + FooterTextHeight() + 6;
    if (options_.Contains(dgFooter3DCells)) r.Bottom += 2;
    return r;
}

int TgkCustomDBGrid::GetFooterStripHeight()
{
    if (!options_.Contains(dgShowFooter)) return 0;
    int h = footerHeight_ > 0 ? footerHeight_ - 1 : FooterTextHeight() + 6;
    if (options_.Contains(dgFooter3DCells)) h += 2;
    return h + 2;
}

// ---- Redraw nesting -----------------------------------------------------------------------------------------

void TgkCustomDBGrid::DisableRedraw()
{
    if (!HandleAllocated() || !Showing()) return;
    if (redrawLock_ == 0) Perform(ui::WM_SETREDRAW, 0);
    ++redrawLock_;
}

void TgkCustomDBGrid::EnableRedraw(bool repaint)
{
    if (!HandleAllocated() || !Showing()) return;
    if (redrawLock_ > 0) --redrawLock_;
    if (redrawLock_ != 0) return;
    Perform(ui::WM_SETREDRAW, 1);
    if (repaint) Invalidate();
}

void TgkCustomDBGrid::SetRedraw(bool disable) { Perform(ui::WM_SETREDRAW, disable ? 0 : 1); }

void TgkCustomDBGrid::MirrorCanvas(bool on)
{
    mirrored_ = on;
    GetDrawCanvas()->SetMirrored(on ? ClientWidth() : 0);
}

void TgkCustomDBGrid::SetIndicatorWidth(int width)
{
    width = std::max(width, 0);
    if (width == indicatorWidth_) return;
    indicatorWidth_ = width;
    LayoutChanged();
}

// ---- Columns ----------------------------------------------------------------------------------------------------

TgkColumn& TgkCustomDBGrid::Columns(int index)
{
    if (index < 0) return *spareColumn_;
    if (dataLink_->FieldCount() == 0) {
        if (index >= selected_.Count()) return *spareColumn_;
        const std::string& entry = selected_.Strings(index);
        return ColumnByName(std::string_view(entry).substr(0, entry.find('\t')));
    }
    if (index >= static_cast<int>(columns_.size())) return *spareColumn_;
    return *columns_[index];
}

// ---- Title rectangles ---------------------------------------------------------------------------------------

ui::TRect TgkCustomDBGrid::CalcTitleRect(int col, int row)
{
    ui::TRect r = CellRect(col, row);
    const db::TField* field = GetColField(col - indicatorOffset_);
    if (field != nullptr && !ColumnEntryPart(field->FieldName(), 4).empty()) r.Top += r.Height() / 2;
    return r;
}

ui::TRect TgkCustomDBGrid::CalcGroupHeaderRect(int col, bool inFixed, int& firstCol, int& lastCol)
{
    const auto groupOf = [this](int c) {
        const db::TField* field = GetColField(c - indicatorOffset_);
        return field != nullptr ? ColumnEntryPart(field->FieldName(), 4) : std::string();
    };
    const std::string group = groupOf(col);
    ui::TGridDrawInfo info;
    CalcDrawInfo(info);
    const int low = inFixed ? indicatorOffset_ : std::max(LeftCol(), FixedCols());
    const int high = inFixed ? FixedCols() - 1 : std::min(ColCount() - 1, info.Horz.LastFullVisibleCell + 1);
    firstCol = lastCol = col;
    if (group.empty()) return CellRect(col, 0);
    while (firstCol - 1 >= low && groupOf(firstCol - 1) == group) --firstCol;
    while (lastCol + 1 <= high && groupOf(lastCol + 1) == group) ++lastCol;
    ui::TRect r = CellRect(firstCol, 0);
    int right = r.Left;
    for (int c = firstCol; c <= lastCol; ++c) {
        right += ColWidths(c);
        if (options_.Contains(dgColLines) && c < lastCol) right += 1;
    }
    r.Right = right;
    return r;
}

ui::TRect TgkCustomDBGrid::CalcTitlePartRect(int col, int y)
{
    if (!options_.Contains(dgTitles)) return {};
    ui::TRect r = CellRect(col, 0);
    const db::TField* field = GetColField(col - indicatorOffset_);
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
    const bool lower = !options_.Contains(dgRowLines) && !options_.Contains(dgHideBottomDataLine);
    if (paintOptions_->AlternatingRowColor() != rtl::clNone &&
        paintOptions_->AlternatingRowRegions().Contains(arrDataColumns) && row >= 0 &&
        ((row & 1) != 0) != alternatingParity_) {
        if (!options_.Contains(dgColLinesDisableFixed)) --r.Left;
        if (lower) ++r.Bottom;
        PaintBackground(r);
        return;
    }
    if (paintOptions_->FillsDataCells()) {
        if (lower) ++r.Bottom;
        if (ui::TCanvas* source = paintOptions_->GetCanvas()) canvas->CopyRect(r, *source, r);
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
    if (paintOptions_->AlternatingRowColor() != rtl::clNone &&
        paintOptions_->AlternatingRowRegions().Contains(arrFixedColumns) && row >= 0 &&
        ((row & 1) != 0) != alternatingParity_) {
        PaintBackground(rect);
        return;
    }
    const ui::TBitmap* image = rect.Top < RowHeights(0) && options_.Contains(dgTitles)
                                   ? paintOptions_->TitleRowImage()
                                   : paintOptions_->FixedColumnImage();
    if (image == nullptr) image = paintOptions_->FixedColumnImage();
    if (paintOptions_->FillsDataCells() && image != nullptr) {
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

void TgkCustomDBGrid::Paint()
{
    ui::TCanvas& window = *Canvas();
    paintUpdateRect_ = EffectiveUpdateRect();
    const ui::TRect full = ClientRect();
    const int cw = full.Width(), ch = full.Height();
    if (!UseRightToLeftGrid() && (drawBitmap_->Width() != cw || drawBitmap_->Height() != ch))
        drawBitmap_->SetSize(std::max(cw, 1), std::max(ch, 1));
    if (paintOptions_->OutOfDate()) paintOptions_->UpdateBackground(false);

    ui::TCanvas& c = *GetDrawCanvas();
    // Whatever happens below, the canvas and the link's active record end as they began.
    ui::TCanvasState saved;
    c.SaveState(saved);
    const bool linkActive = dataLink_->Active();
    const int savedRecord = linkActive ? dataLink_->ActiveRecord() : 0;
    const rtl::TScopeExit restore([&] {
        if (mirrored_) MirrorCanvas(false);
        c.RestoreState(saved);
        if (linkActive && dataLink_->Active() && dataLink_->ActiveRecord() != savedRecord)
            dataLink_->SetActiveRecord(savedRecord);
    });

    const ui::TRect client = VirtualClientRect();
    c.Brush()->SetStyle(ui::bsSolid);
    if (!paintOptions_->FillsDataCells()) {
        c.Brush()->SetColor(Color());
        c.FillRect(paintUpdateRect_);
    } else {
        PaintDataBackground(paintUpdateRect_, rtl::clNone, -1);
    }
    if (!linkActive) {
        PaintTitleBackground(client, titleColor_, -1);
        ui::TRect below = CellRect(LeftCol(), titleOffset_);
        int top = below.Top;
        if (below.Bottom <= below.Top) {
            top = 0;
            for (int r = 0; r < std::min(titleOffset_, RowCount()); ++r) top += RowHeights(r) + GridLineWidth();
        }
        PaintDataBackground({0, top, client.Width(), client.Height()}, Color(), -1);
    }
    if (OnBeforePaint) OnBeforePaint(this);

    ui::TGridDrawInfo info;
    CalcDrawInfo(info);
    lightBackground_ = IsWhite(Color()) || paintOptions_->FillsDataCells();
    const int lx = info.Horz.EffectiveLineWidth, ly = info.Vert.EffectiveLineWidth;
    const rtl::TColor fixedColor = titleColor_;
    DrawCells(0, 0, 0, 0, info.Horz.FixedBoundary, info.Vert.FixedBoundary, fixedColor, {ui::gdFixed}, lx, ly);
    DrawCells(LeftCol(), 0, info.Horz.FixedBoundary, 0, info.Horz.GridBoundary, info.Vert.FixedBoundary, fixedColor,
              {ui::gdFixed}, lx, ly);
    if (linkActive) {
        DrawCells(0, TopRow(), 0, info.Vert.FixedBoundary, info.Horz.FixedBoundary, info.Vert.GridBoundary,
                  fixedColor, {ui::gdFixed}, lx, ly);
        DrawCells(LeftCol(), TopRow(), info.Horz.FixedBoundary, info.Vert.FixedBoundary, info.Horz.GridBoundary,
                  info.Vert.GridBoundary, Color(), {}, lx, ly);
    }
    drawingDataRow_ = Row() - titleOffset_;
    drawingDataCol_ = Col() - indicatorOffset_;
    if (UseRightToLeftGrid()) MirrorCanvas(true);

    // The last column in view ends the data area.
    int lastVisible = LeftCol() - 1;
    for (int col = LeftCol(); col < ColCount(); ++col) {
        const ui::TRect r = CellRect(col, 0);
        if (r.Right <= r.Left) break;
        lastVisible = col;
    }
    if (lastVisible == ColCount() - 1) PadColumn(c, lastVisible);
    DrawGrid();

    // The focus rectangle on the current cell.
    const ui::TCustomForm* form = ui::GetParentForm(this);
    if (!gkIsDesigning(this) && form != nullptr && form->ActiveControl() == this && linkActive &&
        (PlacedControl == nullptr || !PlacedControl->Visible()) && Focused() &&
        !options_.Contains(dgAlwaysShowEditor) && !options_.Contains(dgRowSelect)) {
        const bool inView = Col() >= LeftCol() && Col() <= info.Horz.LastFullVisibleCell;
        const bool fixedEditable = options_.Contains(dgFixedEditable) && Col() < LeftCol() && Col() >= indicatorOffset_;
        if (inView || fixedEditable) {
            c.Brush()->SetColor(Color());
            c.Font()->SetColor(Font()->Color());
            c.DrawFocusRect(CellRect(Col(), Row()));
        }
    }
    if (options_.Contains(dgShowFooter)) PaintFooter(c, lastVisible);
    if (mirrored_) MirrorCanvas(false);

    // Copy what changed to the window.
    if (&c != &window) {
        // The cell under a custom control shown over it first, so that the control's own
        // picture is not covered by a copy that comes late; then what was asked for.
        if (!gkIsDesigning(this) && CustomControlsShown() && Col() >= 0 &&
            Col() < static_cast<int>(colInfoCache_.size())) {
            const ui::TControl* control = colInfoCache_[static_cast<std::size_t>(Col())].Control;
            if (control != nullptr && control->Visible()) {
                ui::TRect cell = CellRect(Col(), Row());
                cell.Left += 1;
                if (cell.Width() > 0 && cell.Height() > 0) window.CopyRect(cell, c, cell);
            }
        }
        ui::TRect update = EffectiveUpdateRect();
        if (update.Right > full.Right) update.Right = full.Right;
        if (update.Bottom > full.Bottom) update.Bottom = full.Bottom;
        if (update.Width() <= 0 || update.Height() <= 0) update = full;
        window.CopyRect(update, c, update);
    }
    // A dragged column's title follows the pointer over the picture.
    if (inColumnDrag_ && dragImage_ && columnDragged_) window.Draw(dragImagePos_.X, dragImagePos_.Y, *dragImage_);
}

void TgkCustomDBGrid::DrawCells(int aCol, int aRow, int startX, int startY, int stopX, int stopY,
                                rtl::TColor color, ui::TGridDrawState include, int lineX, int lineY)
{
    ui::TCanvas& c = *GetDrawCanvas();
    const ui::TGridRect sel = Selection();
    const bool focused = Focused();
    const bool editorShown = Options().Contains(dgEditing) && EditorMode() && !gkIsDesigning(this);
    const ui::TRect clip = c.ClipRect();
    const bool alternating = paintOptions_->AlternatingRowColor() != rtl::clNone && !paintOptions_->FillsDataCells();
    int y = startY;
    for (int row = aRow; y < stopY && row < RowCount(); ++row) {
        const int h = RowHeights(row);
        int x = startX;
        for (int col = aCol; x < stopX && col < ColCount(); ++col) {
            const int w = ColWidths(col);
            ui::TRect where{x, y, x + w, y + h};
            x += w + lineX;
            if (w <= 0) continue;
            ui::TRect probe = where;
            if (UseRightToLeftGrid()) probe = {ClientWidth() - where.Right, where.Top, ClientWidth() - where.Left, where.Bottom};
            if (probe.Right <= clip.Left || probe.Left >= clip.Right || probe.Bottom <= clip.Top ||
                probe.Top >= clip.Bottom)
                continue;
            if (UseRightToLeftGrid() &&
                (probe.Right <= paintUpdateRect_.Left || probe.Left >= paintUpdateRect_.Right ||
                 probe.Bottom <= paintUpdateRect_.Top || probe.Top >= paintUpdateRect_.Bottom))
                continue;
            if (editorShown && col == Col() && row == Row()) continue;
            ui::TGridDrawState state = include;
            if (focused && col == Col() && row == Row()) state.Include(ui::gdFocused);
            if (col >= sel.Left && col <= sel.Right && row >= sel.Top && row <= sel.Bottom)
                state.Include(ui::gdSelected);
            c.Brush()->SetColor(color);
            if (row == 0 && options_.Contains(dgTitles)) {
                const ui::TRect title = CalcTitleRect(col, row);
                if (title.Top > where.Top && col >= indicatorOffset_) {
                    // A grouped column: the group header above once (at its first column in
                    // view), the column's own title below.
                    int first = 0, last = 0;
                    ui::TRect group = CalcGroupHeaderRect(col, col < FixedCols(), first, last);
                    if (col == first || col == std::max(aCol, indicatorOffset_)) {
                        group.Left = std::max(group.Left, where.Left);
                        group.Bottom = title.Top - (options_.Contains(dgRowLines) ? 1 : 0);
                        DrawCell(col, row, group, state);
                    }
                }
                DrawCell(col, row, {where.Left, title.Top, where.Right, where.Bottom}, state);
            } else {
                // Data cells keep the background laid here: alternating rows (the cell
                // painter fills only over a background picture).
                if (alternating && !include.Contains(ui::gdFixed))
                    PaintDataBackground(where, color, row - titleOffset_);
                DrawCell(col, row, where, state);
            }
        }
        y += h + lineY;
    }
}

void TgkCustomDBGrid::PadColumn(ui::TCanvas& c, int lastCol)
{
    const ui::TRect last = CellRect(lastCol, 0);
    const ui::TRect client = VirtualClientRect();
    const int left = last.Right + (options_.Contains(dgColLines) ? 1 : 0);
    const int right = client.Width();
    if (left >= right) return;
    const bool fills = paintOptions_->FillsDataCells();
    const int titleBottom = options_.Contains(dgTitles) ? RowHeights(0) + (RowLinesShown() ? 1 : 0) : 0;
    const int bottom = padColumnStyle_ == pcsPadHeaderAndData || fills ? client.Height() : titleBottom;
    if (padColumnStyle_ == pcsPadHeaderAndData) {
        PaintTitleBackground({left, 0, right, bottom}, titleColor_, -1);
        if (!hideAllLines_) VLine(c, left - (options_.Contains(dgColLines) ? 1 : 0), 0, bottom, lineColors_.DataColor);
        return;
    }
    if (padColumnStyle_ == pcsPadHeader) {
        const int split = titleBottom + (hideAllLines_ ? 0 : 1);
        if (titleBottom > 0) PaintTitleBackground({left, 0, right, std::min(split, client.Height())}, titleColor_, -1);
        if (fills) PaintDataBackground({left, split, right, bottom}, Color(), -1);
    } else if (fills) {
        PaintDataBackground({left, 0, right, bottom}, Color(), -1);
    } else {
        return;
    }
    if (options_.Contains(dgColLines) && !hideAllLines_) VLine(c, left - 1, 0, bottom, lineColors_.DataColor);
}

void TgkCustomDBGrid::PaintFooter(ui::TCanvas& c, int lastCol)
{
    const ui::TRect footer = GetFooterRect();
    c.Brush()->SetColor(footerColor_);
    c.Brush()->SetStyle(ui::bsSolid);
    c.FillRect({footer.Left, footer.Top, footer.Right, ClientHeight()});
    HLine(c, footer.Left, footer.Right, footer.Top, lineColors_.FixedColor);
    if (padColumnStyle_ == pcsPlain || (padColumnStyle_ == pcsPadHeader && BorderStyle() != ui::bsNone)) {
        VLine(c, footer.Left, footer.Top, ClientHeight(), lineColors_.FixedColor);
        VLine(c, footer.Right - 1, footer.Top, ClientHeight(), lineColors_.FixedColor);
    }
    if (!dataLink_->Active()) return;
    for (int col = 0; col < FixedCols(); ++col) DrawFooterCell(col);
    for (int col = LeftCol(); col <= lastCol; ++col) DrawFooterCell(col);
}

void TgkCustomDBGrid::DrawFooterCell(int col)
{
    const ui::TRect cell = CellRect(col, 0);
    if (cell.Right <= cell.Left) return;
    ui::TCanvas& c = *GetDrawCanvas();
    const int dataCol = col - indicatorOffset_;
    db::TField* field = GetColField(dataCol);
    TgkColumn& column = dataCol >= 0 ? Columns(dataCol) : *spareColumn_;
    const std::string text = column.FooterValue();
    c.Brush()->SetColor(footerCellColor_);
    c.SetFont(*Font());
    const ui::TRect footer = GetFooterRect();
    ui::TRect r{cell.Left, footer.Top + 2, cell.Right, footer.Bottom - 2};
    bool defaultDrawing = true;
    if (OnDrawFooterCell) OnDrawFooterCell(this, &c, r, field, text, defaultDrawing);
    if (!defaultDrawing || text.empty()) return;
    PaintTitleBackground(r, rtl::clNone, -1);
    ui::TRect frame{r.Left - 1, footer.Top + 1, r.Right, footer.Bottom - 1};
    if (col == ColCount() - 1 && padColumnStyle_ != pcsPlain && frame.Right + 1 <= ClientWidth() - 1) ++frame.Right;
    HLine(c, frame.Left, frame.Right, frame.Top, lineColors_.FixedColor);
    VLine(c, frame.Left, frame.Top, frame.Bottom, lineColors_.FixedColor);
    if (options_.Contains(dgFooter3DCells)) {
        HLine(c, frame.Left + 1, frame.Right, frame.Top + 1, rtl::clBlack);
        VLine(c, frame.Left + 1, frame.Top + 1, frame.Bottom, rtl::clBlack);
        HLine(c, frame.Left + 1, frame.Right, frame.Bottom - 2, rtl::clBtnFace);
    }
    HLine(c, frame.Left, frame.Right, frame.Bottom - 1, lineColors_.HighlightColor);
    VLine(c, frame.Right - 1, frame.Top, frame.Bottom, lineColors_.HighlightColor);
    // The text: centred on the height of "A", 5 pixels in.
    const int th = c.TextHeight("A");
    const int top = r.Top + (r.Height() - th) / 2;
    ui::TRect textRect{r.Left + 5, top, r.Left + ColWidths(col) - 7, top + th};
    unsigned align = ui::DT_LEFT;
    if (field != nullptr && field->Alignment() == classes::taRightJustify) align = ui::DT_RIGHT;
    if (field != nullptr && field->Alignment() == classes::taCenter) align = ui::DT_CENTER;
    if (UseRightToLeftGrid()) std::swap(textRect.Left, textRect.Right);
    c.Brush()->SetStyle(ui::bsClear);
    c.DrawText(text, textRect, align | ui::DT_SINGLELINE | ui::DT_NOPREFIX);
    c.Brush()->SetStyle(ui::bsSolid);
}

// ---- Lines ----------------------------------------------------------------------------------------------------

void TgkCustomDBGrid::DrawRowLine(const ui::TRect& rect, ui::TGridDrawState state, int row)
{
    if (hideAllLines_) return;
    const bool fixed = state.Contains(ui::gdFixed);
    if (fixed && row >= titleOffset_ && options_.Contains(dgRowLinesDisableFixed)) return;
    if (!fixed && !options_.Contains(dgRowLines)) return;
    ui::TCanvas& c = *GetDrawCanvas();
    bool light = lineStyle_ == glsDynamic ? IsWhite(c.Brush()->Color()) : IsWhite(Color());
    if (paintOptions_->FillsDataCells()) light = true;
    const bool single = lineStyle_ == glsSingle || (lineStyle_ == glsDynamic && light);
    const int y = rect.Bottom;
    if (single) {
        HLine(c, rect.Left - 1, rect.Right + 1, y, lineColors_.DataColor);
        return;
    }
    HLine(c, rect.Left - 1, rect.Right + 1, y, lineColors_.ShadowColor);
    const bool current = row == Row();
    const bool leaveOut = current && (options_.Contains(dgAlwaysShowEditor) || PlacedControl != nullptr) &&
                          (options_.Contains(dgRowSelect) || paintOptions_->ActiveRecordColor() != rtl::clNone);
    if (!leaveOut) HLine(c, rect.Left - 1, rect.Right + 1, y + 1, lineColors_.HighlightColor);
}

void TgkCustomDBGrid::DrawCellLines(ui::TCanvas& c, const ui::TGridDrawInfo& info)
{
    const bool single = lineStyle_ == glsSingle || (lineStyle_ == glsDynamic && lightBackground_);
    const int top = info.Vert.FixedBoundary, bottom = info.Vert.GridBoundary;
    const int left = info.Horz.FixedBoundary, right = info.Horz.GridBoundary;
    const bool colLines = options_.Contains(dgColLines), rowLines = options_.Contains(dgRowLines);
    // Column boundaries of the data cells.
    if (colLines) {
        int x = left;
        for (int col = LeftCol(); col < ColCount() && x < right; ++col) {
            x += ColWidths(col);
            if (single) {
                VLine(c, x, top, bottom, lineColors_.DataColor);
            } else {
                VLine(c, x, top, bottom, lineColors_.ShadowColor);
                VLine(c, x + 1, top, bottom, lineColors_.HighlightColor);
            }
            x += info.Horz.EffectiveLineWidth;
        }
    }
    // Row boundaries under the data cells.
    if (rowLines) {
        int y = top;
        for (int row = TopRow(); row < RowCount() && y < bottom; ++row) {
            y += RowHeights(row);
            if (row == Row() && options_.Contains(dgRowSelect)) {
                y += info.Vert.EffectiveLineWidth;
                continue;
            }
            if (single) {
                HLine(c, left, right, y, lineColors_.DataColor);
            } else {
                HLine(c, left, right, y, lineColors_.ShadowColor);
                const bool leaveOut = row == Row() &&
                                      (options_.Contains(dgAlwaysShowEditor) || PlacedControl != nullptr) &&
                                      paintOptions_->ActiveRecordColor() != rtl::clNone;
                if (!leaveOut) HLine(c, left, right, y + 1, lineColors_.HighlightColor);
            }
            y += info.Vert.EffectiveLineWidth;
        }
    }
}

// The grid lines: data lines by the line style, the fixed part raised, title separators
// (from mid-height inside a group), pressed title buttons and the lines at the right end.
void TgkCustomDBGrid::DrawGrid()
{
    if (hideAllLines_) return;
    ui::TCanvas& c = *GetDrawCanvas();
    ui::TGridDrawInfo info;
    CalcDrawInfo(info);
    c.Pen()->SetStyle(ui::psSolid);
    c.Pen()->SetWidth(1);
    if (dataLink_->Active()) DrawCellLines(c, info);
    const rtl::TColor light = lineColors_.HighlightColor, dark = lineColors_.FixedColor;
    const int titleBottom = options_.Contains(dgTitles) ? RowHeights(0) : 0;
    const int fixedRight = info.Horz.FixedBoundary;
    const int gridRight = info.Horz.GridBoundary;
    const int gridBottom = dataLink_->Active() ? info.Vert.GridBoundary : titleBottom;

    // Indicator column (and any fixed data columns): raised cells.
    if (FixedCols() > 0) {
        int x = 0;
        for (int col = 0; col < FixedCols(); ++col) {
            const int w = ColWidths(col);
            if (!options_.Contains(dgColLinesDisableFixed) || col == 0) {
                VLine(c, x, 0, gridBottom, light);
                VLine(c, x + w, 0, gridBottom, dark);
            }
            x += w + info.Horz.EffectiveLineWidth;
        }
        if (options_.Contains(dgIndicator)) VLine(c, 0, 0, gridBottom, light);
        if (!options_.Contains(dgRowLinesDisableFixed) && dataLink_->Active()) {
            int y = info.Vert.FixedBoundary;
            for (int row = TopRow(); row < RowCount() && y < info.Vert.GridBoundary; ++row) {
                HLine(c, 0, fixedRight - 1, y, light);
                y += RowHeights(row);
                HLine(c, 0, fixedRight - 1, y, dark);
                y += info.Vert.EffectiveLineWidth;
            }
        }
    }
    // Title row: raised cells, separators over the whole height except inside a group.
    if (options_.Contains(dgTitles)) {
        const auto groupOf = [this](int col) {
            const db::TField* field = GetColField(col - indicatorOffset_);
            return field != nullptr ? ColumnEntryPart(field->FieldName(), 4) : std::string();
        };
        HLine(c, fixedRight, gridRight, 0, light);
        HLine(c, 0, gridRight, titleBottom, dark);
        const int mid = titleBottom / 2;
        int x = fixedRight;
        for (int col = LeftCol(); col < ColCount() && x < gridRight; ++col) {
            const int w = ColWidths(col);
            const std::string group = groupOf(col);
            const bool sameGroupNext = !group.empty() && col + 1 < ColCount() && groupOf(col + 1) == group;
            const bool samePrevious = !group.empty() && col > LeftCol() && groupOf(col - 1) == group;
            VLine(c, x, samePrevious ? mid : 0, titleBottom, light);
            VLine(c, x + w, sameGroupNext ? mid : 0, titleBottom, dark);
            if (!group.empty()) HLine(c, x, x + w + 1, mid, dark);
            if (!group.empty() && !sameGroupNext) VLine(c, x + w, 0, mid, dark);
            x += w + info.Horz.EffectiveLineWidth;
        }
        if (titleButtons_ && pressedTitleCol_ >= 0) DrawTitleButtonDown();
    }
    // Right end: the last column's border and the title bottom continued over the pad.
    const ui::TRect client = VirtualClientRect();
    const bool pads = padColumnStyle_ != pcsPlain || paintOptions_->FillsDataCells();
    if (info.Horz.LastFullVisibleCell == ColCount() - 1 && pads && options_.Contains(dgTitles))
        HLine(c, gridRight, client.Width(), titleBottom, dark);
    if ((padColumnStyle_ == pcsPadHeaderAndData || paintOptions_->FillsDataCells()) && dataLink_->Active() &&
        info.Vert.GridBoundary < client.Height() && info.Vert.LastFullVisibleCell == RowCount() - 1)
        HLine(c, 0, gridRight, info.Vert.GridBoundary - 1, lineColors_.DataColor);
}

void TgkCustomDBGrid::DrawTitleButtonDown()
{
    if (pressedTitleCol_ < 0) return;
    ui::TCanvas& c = *GetDrawCanvas();
    ui::TRect r = CalcTitleRect(pressedTitleCol_, 0);
    if (pressedInGroupHeader_) {
        int first = 0, last = 0;
        r = CalcGroupHeaderRect(pressedTitleCol_, pressedTitleCol_ < FixedCols(), first, last);
        r.Bottom = r.Top + (CellRect(pressedTitleCol_, 0).Height() / 2) - 1;
    }
    HLine(c, r.Left, r.Right, r.Top, lineColors_.FixedColor);
    VLine(c, r.Left, r.Top, r.Bottom, lineColors_.FixedColor);
    HLine(c, r.Left, r.Right + 1, r.Bottom, lineColors_.HighlightColor);
    VLine(c, r.Right, r.Top, r.Bottom, lineColors_.HighlightColor);
}

// ---- Scrolling ------------------------------------------------------------------------------------------------

void TgkCustomDBGrid::TopLeftChanged()
{
    HideHintWindow();
    TCustomGrid::TopLeftChanged();
    if (OnLeftColChanged) OnLeftColChanged(this, LeftCol());
    if (!HandleAllocated()) return;
    InvalidateRect({0, 0, Width(), RowHeights(0)});
    if (options_.Contains(dgShowFooter)) {
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
    db::TDataSet* ds = dataLink_->DataSet();
    if (ds != nullptr && dataLink_->Active()) ds->Next();
    return true;
}

bool TgkCustomDBGrid::DoMouseWheelUp()
{
    db::TDataSet* ds = dataLink_->DataSet();
    if (ds != nullptr && dataLink_->Active()) ds->Prior();
    return true;
}

}  // namespace grid
