#include "grid/GridPainter.h"

#include <algorithm>
#include <optional>

#include "grid/DBGrid.h"
#include "grid/GridState.h"
#include "grid/GridMouse.h"
#include "grid/GridRoutines.h"
#include "grid/StringRoutines.h"
#include "platform/classes/TypInfo.h"
#include "platform/rtl/Log.h"
#include "platform/rtl/Scope.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

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

bool Intersects(const ui::TRect& a, const ui::TRect& b)
{
    return !(a.Right <= b.Left || a.Left >= b.Right || a.Bottom <= b.Top || a.Top >= b.Bottom);
}

// The ";"-separated parameters of a control-type entry.
std::vector<std::string> ControlParameters(const TgkCacheColInfoItem& info)
{
    return gkSplitTabs(gkReplaceChar(info.ControlParameters, ';', '\t'));
}

std::string Part(const std::vector<std::string>& parts, std::size_t index)
{
    return index < parts.size() ? parts[index] : std::string();
}

}  // namespace

TgkGridPainter::TgkGridPainter(TgkCustomDBGrid& grid) : g_(grid), drawBitmap_(std::make_unique<ui::TBitmap>()) {}

ui::TCanvas* TgkGridPainter::DrawCanvas()
{
    if (altDrawing_ && altDrawBitmap_) return altDrawBitmap_->Canvas();
    if (g_.UseRightToLeftGrid()) return g_.Canvas();
    return drawBitmap_->Canvas();
}

void TgkGridPainter::MirrorCanvas(bool on)
{
    state_.Mirrored = on;
    DrawCanvas()->SetMirrored(on ? g_.ClientWidth() : 0);
}

// ---- The paint ------------------------------------------------------------------------------------------

void TgkGridPainter::PrepareBitmap()
{
    const ui::TRect full = g_.ClientRect();
    const int cw = full.Width(), ch = full.Height();
    if (!g_.UseRightToLeftGrid() && (drawBitmap_->Width() != cw || drawBitmap_->Height() != ch))
        drawBitmap_->SetSize(std::max(cw, 1), std::max(ch, 1));
    if (g_.d_->paintOptions->OutOfDate()) g_.d_->paintOptions->UpdateBackground(false);
}

void TgkGridPainter::Paint()
{
    ui::TCanvas& window = *g_.Canvas();
    state_ = TgkPaintState{};
    state_.UpdateRect = g_.EffectiveUpdateRect();
    PrepareBitmap();

    ui::TCanvas& c = *g_.GetDrawCanvas();
    // Whatever happens below, the canvas and the link's active record end as they began.
    ui::TCanvasState saved;
    c.SaveState(saved);
    const bool linkActive = g_.d_->dataLink->Active();
    const int savedRecord = linkActive ? g_.d_->dataLink->ActiveRecord() : 0;
    const rtl::TScopeExit restore([&] {
        if (state_.Mirrored) g_.MirrorCanvas(false);
        c.RestoreState(saved);
        if (linkActive && g_.d_->dataLink->Active() && g_.d_->dataLink->ActiveRecord() != savedRecord)
            g_.d_->dataLink->SetActiveRecord(savedRecord);
    });

    PaintBackgrounds(c, linkActive);
    if (g_.OnBeforePaint) g_.OnBeforePaint(&g_);

    ui::TGridDrawInfo info;
    g_.CalcDrawInfo(info);
    state_.LightBackground = IsWhite(g_.Color()) || g_.d_->paintOptions->FillsDataCells();
    state_.DataLeft = info.Horz.FixedBoundary;
    RunCellPasses(info, linkActive);
    state_.DrawingDataRow = g_.Row() - g_.d_->titleOffset;
    state_.DrawingDataCol = g_.Col() - g_.d_->indicatorOffset;
    if (g_.UseRightToLeftGrid()) g_.MirrorCanvas(true);

    const int lastVisible = LastVisibleCol();
    if (lastVisible == g_.ColCount() - 1) PadColumn(c, lastVisible);
    g_.DrawGrid();
    DrawFocusRect(c, info, linkActive);
    if (g_.d_->options.Contains(dgShowFooter)) PaintFooter(c, lastVisible);
    if (state_.Mirrored) g_.MirrorCanvas(false);
    if (&c != &window) CopyToWindow(window, c);
    // A dragged column's title follows the pointer over the picture.
    if (const ui::TBitmap* image = g_.mouse_->DragImageShown()) window.Draw(g_.DragImagePos().X, g_.DragImagePos().Y, *image);
}

void TgkGridPainter::PaintBackgrounds(ui::TCanvas& c, bool linkActive)
{
    const ui::TRect client = g_.VirtualClientRect();
    c.Brush()->SetStyle(ui::bsSolid);
    if (!g_.d_->paintOptions->FillsDataCells()) {
        c.Brush()->SetColor(g_.Color());
        c.FillRect(state_.UpdateRect);
    } else {
        g_.PaintDataBackground(state_.UpdateRect, rtl::clNone, -1);
    }
    if (linkActive) return;
    g_.PaintTitleBackground(client, g_.d_->titleColor, -1);
    ui::TRect below = g_.CellRect(g_.LeftCol(), g_.d_->titleOffset);
    int top = below.Top;
    if (below.Bottom <= below.Top) {
        top = 0;
        for (int r = 0; r < std::min(g_.d_->titleOffset, g_.RowCount()); ++r) top += g_.RowHeights(r) + g_.GridLineWidth();
    }
    g_.PaintDataBackground({0, top, client.Width(), client.Height()}, g_.Color(), -1);
}

void TgkGridPainter::RunCellPasses(const ui::TGridDrawInfo& info, bool linkActive)
{
    const int lx = info.Horz.EffectiveLineWidth, ly = info.Vert.EffectiveLineWidth;
    const rtl::TColor fixedColor = g_.d_->titleColor;
    const int fixedX = info.Horz.FixedBoundary, fixedY = info.Vert.FixedBoundary;
    const int gridX = info.Horz.GridBoundary, gridY = info.Vert.GridBoundary;
    DrawCells({0, 0, 0, 0, fixedX, fixedY, fixedColor, {ui::gdFixed}, lx, ly});
    DrawCells({g_.LeftCol(), 0, fixedX, 0, gridX, fixedY, fixedColor, {ui::gdFixed}, lx, ly});
    if (!linkActive) return;
    DrawCells({0, g_.TopRow(), 0, fixedY, fixedX, gridY, fixedColor, {ui::gdFixed}, lx, ly});
    DrawCells({g_.LeftCol(), g_.TopRow(), fixedX, fixedY, gridX, gridY, g_.Color(), {}, lx, ly});
}

int TgkGridPainter::LastVisibleCol()
{
    // The last column in view ends the data area.
    int lastVisible = g_.LeftCol() - 1;
    for (int col = g_.LeftCol(); col < g_.ColCount(); ++col) {
        const ui::TRect r = g_.CellRect(col, 0);
        if (r.Right <= r.Left) break;
        lastVisible = col;
    }
    return lastVisible;
}

void TgkGridPainter::DrawFocusRect(ui::TCanvas& c, const ui::TGridDrawInfo& info, bool linkActive)
{
    // The focus rectangle on the current cell.
    const ui::TCustomForm* form = ui::GetParentForm(&g_);
    const ui::TWinControl* placed = g_.PlacedControl();
    if (gkIsDesigning(&g_) || form == nullptr || form->ActiveControl() != &g_ || !linkActive) return;
    if ((placed != nullptr && placed->Visible()) || !g_.Focused()) return;
    if (g_.d_->options.Contains(dgAlwaysShowEditor) || g_.d_->options.Contains(dgRowSelect)) return;
    const int col = g_.Col();
    const bool inView = col >= g_.LeftCol() && col <= info.Horz.LastFullVisibleCell;
    const bool fixedEditable = g_.d_->options.Contains(dgFixedEditable) && col < g_.LeftCol() && col >= g_.d_->indicatorOffset;
    if (!inView && !fixedEditable) return;
    c.Brush()->SetColor(g_.Color());
    c.Font()->SetColor(g_.Font()->Color());
    c.DrawFocusRect(g_.CellRect(col, g_.Row()));
}

void TgkGridPainter::CopyToWindow(ui::TCanvas& window, ui::TCanvas& c)
{
    const ui::TRect full = g_.ClientRect();
    // The cell under a custom control shown over it first, so that the control's own
    // picture is not covered by a copy that comes late; then what was asked for.
    const int col = g_.Col();
    if (!gkIsDesigning(&g_) && g_.CustomControlsShown() && col >= 0 &&
        col < static_cast<int>(g_.d_->colInfoCache.size())) {
        const ui::TControl* control = g_.d_->colInfoCache[static_cast<std::size_t>(col)].Control;
        if (control != nullptr && control->Visible()) {
            ui::TRect cell = g_.CellRect(col, g_.Row());
            cell.Left += 1;
            if (cell.Width() > 0 && cell.Height() > 0) window.CopyRect(cell, c, cell);
        }
    }
    ui::TRect update = g_.EffectiveUpdateRect();
    if (update.Right > full.Right) update.Right = full.Right;
    if (update.Bottom > full.Bottom) update.Bottom = full.Bottom;
    if (update.Width() <= 0 || update.Height() <= 0) update = full;
    window.CopyRect(update, c, update);
}

// ---- Cell passes ------------------------------------------------------------------------------------------

bool TgkGridPainter::CellOutOfView(const ui::TRect& where, const ui::TRect& clip) const
{
    ui::TRect probe = where;
    const bool rightToLeft = g_.UseRightToLeftGrid();
    if (rightToLeft) probe = {g_.ClientWidth() - where.Right, where.Top, g_.ClientWidth() - where.Left, where.Bottom};
    if (!Intersects(probe, clip)) return true;
    return rightToLeft && !Intersects(probe, state_.UpdateRect);
}

ui::TGridDrawState TgkGridPainter::CellState(const TCellPass& pass, int col, int row, const ui::TGridRect& sel,
                                             bool focused) const
{
    ui::TGridDrawState state = pass.Include;
    if (focused && col == g_.Col() && row == g_.Row()) state.Include(ui::gdFocused);
    if (col >= sel.Left && col <= sel.Right && row >= sel.Top && row <= sel.Bottom) state.Include(ui::gdSelected);
    return state;
}

void TgkGridPainter::DrawCells(const TCellPass& pass)
{
    ui::TCanvas& c = *g_.GetDrawCanvas();
    const ui::TGridRect sel = g_.Selection();
    const bool focused = g_.Focused();
    const bool editorShown = g_.Options().Contains(dgEditing) && g_.EditorMode() && !gkIsDesigning(&g_);
    const ui::TRect clip = c.ClipRect();
    int y = pass.StartY;
    for (int row = pass.Row; y < pass.StopY && row < g_.RowCount(); ++row) {
        const int h = g_.RowHeights(row);
        int x = pass.StartX;
        for (int col = pass.Col; x < pass.StopX && col < g_.ColCount(); ++col) {
            const int w = g_.ColWidths(col);
            const ui::TRect where{x, y, x + w, y + h};
            x += w + pass.LineX;
            if (w <= 0 || CellOutOfView(where, clip)) continue;
            const ui::TGridDrawState state = CellState(pass, col, row, sel, focused);
            if (editorShown && col == g_.Col() && row == g_.Row()) {
                // The editor covers the cell, not the row boundary under it.
                state_.RowLineDrawn = false;
                g_.DrawRowLine(where, state, row);
                continue;
            }
            c.Brush()->SetColor(pass.Color);
            DrawPassCell(pass, col, row, where, state);
        }
        y += h + pass.LineY;
    }
}

void TgkGridPainter::DrawPassCell(const TCellPass& pass, int col, int row, const ui::TRect& where,
                                  ui::TGridDrawState state)
{
    if (row != 0 || !g_.d_->options.Contains(dgTitles)) {
        // Data cells keep the background laid here: alternating rows (the cell painter fills
        // only over a background picture).
        const bool alternating =
            g_.d_->paintOptions->AlternatingRowColor() != rtl::clNone && !g_.d_->paintOptions->FillsDataCells();
        if (alternating && !pass.Include.Contains(ui::gdFixed))
            g_.PaintDataBackground(where, pass.Color, row - g_.d_->titleOffset);
        g_.DrawCell(col, row, where, state);
        return;
    }
    const ui::TRect title = g_.CalcTitleRect(col, row);
    if (title.Top > where.Top && col >= g_.d_->indicatorOffset) {
        // A grouped column: the group header above once (at its first column in view), the
        // column's own title below.
        int first = 0, last = 0;
        ui::TRect group = g_.CalcGroupHeaderRect(col, col < g_.FixedCols(), first, last);
        if (col == first || col == std::max(pass.Col, g_.d_->indicatorOffset)) {
            group.Left = std::max(group.Left, where.Left);
            group.Bottom = title.Top - (g_.d_->options.Contains(dgRowLines) ? 1 : 0);
            g_.DrawCell(col, row, group, state);
        }
    }
    g_.DrawCell(col, row, {where.Left, title.Top, where.Right, where.Bottom}, state);
}

// ---- Pad column and footer ---------------------------------------------------------------------------------

void TgkGridPainter::PadColumn(ui::TCanvas& c, int lastCol)
{
    const ui::TRect last = g_.CellRect(lastCol, 0);
    const ui::TRect client = g_.VirtualClientRect();
    const bool colLines = g_.d_->options.Contains(dgColLines);
    const int left = last.Right + (colLines ? 1 : 0);
    const int right = client.Width();
    if (left >= right) return;
    const bool fills = g_.d_->paintOptions->FillsDataCells();
    const rtl::TColor lineColor = g_.d_->lineColors.DataColor;
    const int titleBottom = g_.d_->options.Contains(dgTitles) ? g_.RowHeights(0) + (g_.RowLinesShown() ? 1 : 0) : 0;
    const TgkPadColumnStyle style = g_.d_->padColumnStyle;
    const int bottom = style == pcsPadHeaderAndData || fills ? client.Height() : titleBottom;
    if (style == pcsPadHeaderAndData) {
        g_.PaintTitleBackground({left, 0, right, bottom}, g_.d_->titleColor, -1);
        if (!g_.d_->hideAllLines) VLine(c, left - (colLines ? 1 : 0), 0, bottom, lineColor);
        return;
    }
    if (style == pcsPadHeader) {
        const int split = titleBottom + (g_.d_->hideAllLines ? 0 : 1);
        if (titleBottom > 0)
            g_.PaintTitleBackground({left, 0, right, std::min(split, client.Height())}, g_.d_->titleColor, -1);
        if (fills) g_.PaintDataBackground({left, split, right, bottom}, g_.Color(), -1);
    } else if (fills) {
        g_.PaintDataBackground({left, 0, right, bottom}, g_.Color(), -1);
    } else {
        return;
    }
    if (colLines && !g_.d_->hideAllLines) VLine(c, left - 1, 0, bottom, lineColor);
}

void TgkGridPainter::PaintFooter(ui::TCanvas& c, int lastCol)
{
    const ui::TRect footer = g_.GetFooterRect();
    const rtl::TColor line = g_.d_->lineColors.FixedColor;
    c.Brush()->SetColor(g_.d_->footerColor);
    c.Brush()->SetStyle(ui::bsSolid);
    c.FillRect({footer.Left, footer.Top, footer.Right, g_.ClientHeight()});
    HLine(c, footer.Left, footer.Right, footer.Top, line);
    if (g_.d_->padColumnStyle == pcsPlain || (g_.d_->padColumnStyle == pcsPadHeader && g_.BorderStyle() != ui::bsNone)) {
        VLine(c, footer.Left, footer.Top, g_.ClientHeight(), line);
        VLine(c, footer.Right - 1, footer.Top, g_.ClientHeight(), line);
    }
    if (!g_.d_->dataLink->Active()) return;
    for (int col = 0; col < g_.FixedCols(); ++col) g_.DrawFooterCell(col);
    for (int col = g_.LeftCol(); col <= lastCol; ++col) g_.DrawFooterCell(col);
}

void TgkGridPainter::DrawFooterCell(int col)
{
    const ui::TRect cell = g_.CellRect(col, 0);
    if (cell.Right <= cell.Left) return;
    ui::TCanvas& c = *g_.GetDrawCanvas();
    const int dataCol = col - g_.d_->indicatorOffset;
    db::TField* field = g_.GetColField(dataCol);
    TgkColumn& column = dataCol >= 0 ? g_.Columns(dataCol) : *g_.d_->spareColumn;
    const std::string text = column.FooterValue();
    c.Brush()->SetColor(g_.d_->footerCellColor);
    c.SetFont(*g_.Font());
    const ui::TRect footer = g_.GetFooterRect();
    ui::TRect r{cell.Left, footer.Top + 2, cell.Right, footer.Bottom - 2};
    bool defaultDrawing = true;
    if (g_.OnDrawFooterCell) g_.OnDrawFooterCell(&g_, &c, r, field, text, defaultDrawing);
    if (!defaultDrawing || text.empty()) return;
    g_.PaintTitleBackground(r, rtl::clNone, -1);
    const TgkGridLineColors& lines = g_.d_->lineColors;
    ui::TRect frame{r.Left - 1, footer.Top + 1, r.Right, footer.Bottom - 1};
    if (col == g_.ColCount() - 1 && g_.d_->padColumnStyle != pcsPlain && frame.Right + 1 <= g_.ClientWidth() - 1)
        ++frame.Right;
    HLine(c, frame.Left, frame.Right, frame.Top, lines.FixedColor);
    VLine(c, frame.Left, frame.Top, frame.Bottom, lines.FixedColor);
    if (g_.d_->options.Contains(dgFooter3DCells)) {
        HLine(c, frame.Left + 1, frame.Right, frame.Top + 1, rtl::clBlack);
        VLine(c, frame.Left + 1, frame.Top + 1, frame.Bottom, rtl::clBlack);
        HLine(c, frame.Left + 1, frame.Right, frame.Bottom - 2, rtl::clBtnFace);
    }
    HLine(c, frame.Left, frame.Right, frame.Bottom - 1, lines.HighlightColor);
    VLine(c, frame.Right - 1, frame.Top, frame.Bottom, lines.HighlightColor);
    // The text: centred on the height of "A", 5 pixels in.
    const int th = c.TextHeight("A");
    const int top = r.Top + (r.Height() - th) / 2;
    ui::TRect textRect{r.Left + 5, top, r.Left + g_.ColWidths(col) - 7, top + th};
    unsigned align = ui::DT_LEFT;
    if (field != nullptr && field->Alignment() == classes::taRightJustify) align = ui::DT_RIGHT;
    if (field != nullptr && field->Alignment() == classes::taCenter) align = ui::DT_CENTER;
    if (g_.UseRightToLeftGrid()) std::swap(textRect.Left, textRect.Right);
    c.Brush()->SetStyle(ui::bsClear);
    c.DrawText(text, textRect, align | ui::DT_SINGLELINE | ui::DT_NOPREFIX);
    c.Brush()->SetStyle(ui::bsSolid);
}

// ---- Lines ----------------------------------------------------------------------------------------------------

bool TgkGridPainter::RowLineSingle(ui::TCanvas& c) const
{
    // A white grid keeps single lines under highlighted cells too.
    switch (g_.d_->lineStyle) {
    case glsSingle: return true;
    case gls3D: return false;
    default: return state_.LightBackground || IsWhite(c.Brush()->Color());
    }
}

bool TgkGridPainter::ColumnLineSingle(int col) const
{
    if (g_.d_->lineStyle != glsDynamic) return g_.d_->lineStyle == glsSingle;
    const auto i = static_cast<std::size_t>(col);
    // A column whose cells are drawn on their own background follows that background.
    if (i < g_.d_->colInfoCache.size() && g_.d_->dataLink->Active()) return g_.d_->colInfoCache[i].LightBackground;
    return state_.LightBackground;
}

void TgkGridPainter::DrawRowLine(const ui::TRect& rect, ui::TGridDrawState state, int row)
{
    // The title rows are closed by the fixed part's lines (DrawGrid).
    if (g_.d_->hideAllLines || state_.RowLineDrawn || row < g_.d_->titleOffset) return;
    const bool fixed = state.Contains(ui::gdFixed);
    if (fixed && g_.d_->options.Contains(dgRowLinesDisableFixed)) return;
    // Data lines only under records of an active link, and not under the selected row.
    if (!fixed && (!g_.d_->options.Contains(dgRowLines) || !g_.d_->dataLink->Active() ||
                   (row == g_.Row() && g_.d_->options.Contains(dgRowSelect))))
        return;
    state_.RowLineDrawn = true;
    ui::TCanvas& c = *g_.GetDrawCanvas();
    const TgkGridLineColors& lines = g_.d_->lineColors;
    const int y = rect.Bottom;
    if (fixed) {
        // The dark edge of a raised fixed cell.
        HLine(c, rect.Left - 1, rect.Right, y, lines.FixedColor);
        return;
    }
    const int left = std::max(rect.Left - 1, state_.DataLeft);
    if (RowLineSingle(c)) {
        HLine(c, left, rect.Right + 1, y, lines.DataColor);
        return;
    }
    HLine(c, left, rect.Right + 1, y, lines.ShadowColor);
    const bool leaveOut = row == g_.Row() &&
                          (g_.d_->options.Contains(dgAlwaysShowEditor) || g_.PlacedControl() != nullptr) &&
                          (g_.d_->options.Contains(dgRowSelect) || g_.d_->paintOptions->ActiveRecordColor() != rtl::clNone);
    if (!leaveOut) HLine(c, left, rect.Right + 1, y + 1, lines.HighlightColor);
}

void TgkGridPainter::DrawColumnLines(ui::TCanvas& c, const ui::TGridDrawInfo& info)
{
    if (!g_.d_->options.Contains(dgColLines)) return;
    const int top = info.Vert.FixedBoundary, bottom = info.Vert.GridBoundary;
    const int right = info.Horz.GridBoundary;
    const TgkGridLineColors& lines = g_.d_->lineColors;
    int x = info.Horz.FixedBoundary;
    for (int col = g_.LeftCol(); col < g_.ColCount() && x < right; ++col) {
        x += g_.ColWidths(col);
        if (ColumnLineSingle(col)) {
            VLine(c, x, top, bottom, lines.DataColor);
        } else {
            VLine(c, x, top, bottom, lines.ShadowColor);
            VLine(c, x + 1, top, bottom, lines.HighlightColor);
        }
        x += info.Horz.EffectiveLineWidth;
    }
}

// The grid lines: data column lines by the line style (the row lines come with each cell),
// the fixed part raised, title separators (from mid-height inside a group), pressed title
// buttons and the lines at the right end.
void TgkGridPainter::DrawLines()
{
    if (g_.d_->hideAllLines) return;
    ui::TCanvas& c = *g_.GetDrawCanvas();
    ui::TGridDrawInfo info;
    g_.CalcDrawInfo(info);
    c.Pen()->SetStyle(ui::psSolid);
    c.Pen()->SetWidth(1);
    const bool active = g_.d_->dataLink->Active();
    if (active) DrawColumnLines(c, info);
    const int titleBottom = g_.d_->options.Contains(dgTitles) ? g_.RowHeights(0) : 0;
    if (g_.FixedCols() > 0) DrawFixedLines(c, info, active ? info.Vert.GridBoundary : titleBottom);
    if (g_.d_->options.Contains(dgTitles)) DrawTitleLines(c, info);
    DrawRightEndLines(c, info);
}

void TgkGridPainter::DrawFixedLines(ui::TCanvas& c, const ui::TGridDrawInfo& info, int gridBottom)
{
    // Indicator column (and any fixed data columns): raised cells.
    const rtl::TColor light = g_.d_->lineColors.HighlightColor, dark = g_.d_->lineColors.FixedColor;
    int x = 0;
    for (int col = 0; col < g_.FixedCols(); ++col) {
        const int w = g_.ColWidths(col);
        if (!g_.d_->options.Contains(dgColLinesDisableFixed) || col == 0) {
            VLine(c, x, 0, gridBottom, light);
            VLine(c, x + w, 0, gridBottom, dark);
        }
        x += w + info.Horz.EffectiveLineWidth;
    }
    if (g_.d_->options.Contains(dgIndicator)) VLine(c, 0, 0, gridBottom, light);
    if (g_.d_->options.Contains(dgRowLinesDisableFixed) || !g_.d_->dataLink->Active()) return;
    const int fixedRight = info.Horz.FixedBoundary;
    int y = info.Vert.FixedBoundary;
    for (int row = g_.TopRow(); row < g_.RowCount() && y < info.Vert.GridBoundary; ++row) {
        HLine(c, 0, fixedRight - 1, y, light);
        y += g_.RowHeights(row);
        HLine(c, 0, fixedRight - 1, y, dark);
        y += info.Vert.EffectiveLineWidth;
    }
}

void TgkGridPainter::DrawTitleLines(ui::TCanvas& c, const ui::TGridDrawInfo& info)
{
    // Title row: raised cells, separators over the whole height except inside a group.
    const rtl::TColor light = g_.d_->lineColors.HighlightColor, dark = g_.d_->lineColors.FixedColor;
    const auto groupOf = [this](int col) {
        const db::TField* field = g_.GetColField(col - g_.d_->indicatorOffset);
        return field != nullptr ? g_.ColumnEntryPart(field->FieldName(), 4) : std::string();
    };
    const int titleBottom = g_.RowHeights(0);
    const int fixedRight = info.Horz.FixedBoundary, gridRight = info.Horz.GridBoundary;
    HLine(c, fixedRight, gridRight, 0, light);
    HLine(c, 0, gridRight, titleBottom, dark);
    const int mid = titleBottom / 2;
    int x = fixedRight;
    for (int col = g_.LeftCol(); col < g_.ColCount() && x < gridRight; ++col) {
        const int w = g_.ColWidths(col);
        const std::string group = groupOf(col);
        const bool sameGroupNext = !group.empty() && col + 1 < g_.ColCount() && groupOf(col + 1) == group;
        const bool samePrevious = !group.empty() && col > g_.LeftCol() && groupOf(col - 1) == group;
        VLine(c, x, samePrevious ? mid : 0, titleBottom, light);
        VLine(c, x + w, sameGroupNext ? mid : 0, titleBottom, dark);
        if (!group.empty()) HLine(c, x, x + w + 1, mid, dark);
        if (!group.empty() && !sameGroupNext) VLine(c, x + w, 0, mid, dark);
        x += w + info.Horz.EffectiveLineWidth;
    }
    if (g_.d_->titleButtons && g_.mouse_->PressedTitleCol() >= 0) g_.DrawTitleButtonDown();
}

void TgkGridPainter::DrawRightEndLines(ui::TCanvas& c, const ui::TGridDrawInfo& info)
{
    // Right end: the last column's border and the title bottom continued over the pad.
    const ui::TRect client = g_.VirtualClientRect();
    const bool fills = g_.d_->paintOptions->FillsDataCells();
    const bool pads = g_.d_->padColumnStyle != pcsPlain || fills;
    const int titleBottom = g_.d_->options.Contains(dgTitles) ? g_.RowHeights(0) : 0;
    const int gridRight = info.Horz.GridBoundary;
    if (info.Horz.LastFullVisibleCell == g_.ColCount() - 1 && pads && g_.d_->options.Contains(dgTitles))
        HLine(c, gridRight, client.Width(), titleBottom, g_.d_->lineColors.FixedColor);
    if ((g_.d_->padColumnStyle == pcsPadHeaderAndData || fills) && g_.d_->dataLink->Active() &&
        info.Vert.GridBoundary < client.Height() && info.Vert.LastFullVisibleCell == g_.RowCount() - 1)
        HLine(c, 0, gridRight, info.Vert.GridBoundary - 1, g_.d_->lineColors.DataColor);
}

void TgkGridPainter::DrawTitleButtonDown()
{
    const int pressed = g_.mouse_->PressedTitleCol();
    if (pressed < 0) return;
    ui::TCanvas& c = *g_.GetDrawCanvas();
    ui::TRect r = g_.CalcTitleRect(pressed, 0);
    if (g_.mouse_->PressedInGroupHeader()) {
        int first = 0, last = 0;
        r = g_.CalcGroupHeaderRect(pressed, pressed < g_.FixedCols(), first, last);
        r.Bottom = r.Top + (g_.CellRect(pressed, 0).Height() / 2) - 1;
    }
    HLine(c, r.Left, r.Right, r.Top, g_.d_->lineColors.FixedColor);
    VLine(c, r.Left, r.Top, r.Bottom, g_.d_->lineColors.FixedColor);
    HLine(c, r.Left, r.Right + 1, r.Bottom, g_.d_->lineColors.HighlightColor);
    VLine(c, r.Right, r.Top, r.Bottom, g_.d_->lineColors.HighlightColor);
}

// ---- Cells ------------------------------------------------------------------------------------------------

void TgkGridPainter::DrawCell(int col, int row, const ui::TRect& cellRect, ui::TGridDrawState state)
{
    ui::TGridDrawInfo info;
    g_.CalcDrawInfo(info);
    if (row > info.Vert.LastFullVisibleCell) return;
    const db::TDataSet* ds = g_.d_->dataLink->DataSet();
    const int records = g_.d_->dataLink->RecordCount();
    if (g_.d_->dataLink->Active() && ds != nullptr && ds->Active() && records > 0 &&
        g_.GetDataRow(row) >= records - g_.d_->recordOffset)
        return;
    state_.CellFramed = false;
    state_.CellPaintedByControl = false;
    state_.RowLineDrawn = false;
    ui::TRect rect = cellRect;
    rect.Right = std::min(rect.Right, 2 * g_.Width());
    DrawCellContent(col, row, rect, state);
    NoteColumnBackground(col, row, state);
    g_.DrawRowLine(rect, state, row);
}

// The first data row's cell tells the column's lines what its cells are drawn on.
void TgkGridPainter::NoteColumnBackground(int col, int row, ui::TGridDrawState state)
{
    const auto i = static_cast<std::size_t>(col);
    if (row != g_.d_->titleOffset || state.Contains(ui::gdFixed) || i >= g_.d_->colInfoCache.size()) return;
    g_.d_->colInfoCache[i].LightBackground =
        RowLineSingle(*g_.GetDrawCanvas()) || g_.d_->paintOptions->FillsDataCells();
}

void TgkGridPainter::DrawCellContent(int col, int row, const ui::TRect& rect, ui::TGridDrawState state)
{
    ui::TCanvas& canvas = *g_.GetDrawCanvas();
    const bool fixed = state.Contains(ui::gdFixed);
    canvas.SetFont(fixed ? g_.d_->titleFont : *g_.Font());
    canvas.Brush()->SetStyle(ui::bsSolid);
    canvas.Brush()->SetColor(fixed ? g_.d_->titleColor : g_.GetGridColor(col));
    if (g_.DrawCellControl(col, row, rect, state)) return;
    const int dataRow = g_.GetDataRow(row);
    const int dataCol = g_.GetDataColumn(col);
    const int baseRow = row - (g_.d_->options.Contains(dgTitles) ? 1 : 0);
    if (dataRow < 0)
        DrawTitleCell(col, dataCol, baseRow, rect);
    else if (dataCol < 0)
        DrawIndicatorCell(rect, dataRow);
    else if (g_.d_->dataLink->Active())
        DrawDataCell(col, row, dataCol, dataRow, baseRow, rect, state);
}

void TgkGridPainter::DrawIndicatorCell(const ui::TRect& rect, int dataRow)
{
    ui::TRect r{rect.Left - 1, rect.Top - 1, rect.Right, rect.Bottom + 1};
    if (g_.d_->options.Contains(dgHideBottomDataLine)) --r.Bottom;
    g_.PaintTitleBackground(r, g_.d_->titleColor, -1);
    if (!g_.d_->dataLink->Active()) return;
    g_.DrawIndicatorGlyph(dataRow, rect);
    if (g_.d_->dataLink->ActiveRecord() - g_.d_->recordOffset == dataRow) g_.d_->selectedRow = dataRow + g_.d_->titleOffset;
}

void TgkGridPainter::TitleTexts(db::TField* field, int dataCol, std::string& name, std::string& title) const
{
    title = field != nullptr ? field->DisplayLabel() : std::string();
    name = field != nullptr ? field->FieldName() : std::string();
    if (g_.d_->useTFields) return;
    const rtl::TStringList& selected = g_.d_->selected;
    if (field == nullptr && g_.d_->dataLink->FieldCount() == 0 && dataCol < selected.Count()) {
        const std::vector<std::string> parts = gkSplitTabs(selected.Strings(dataCol));
        if (!parts.empty()) name = parts[0];
    }
    int index = -1;
    if (!name.empty() && gkFindSelected(&selected, name, index)) title = Part(gkSplitTabs(selected.Strings(index)), 2);
}

void TgkGridPainter::DrawTitleImage(ui::TCanvas& canvas, db::TField* field, ui::TRect& textRect, int pressed,
                                    bool& centred)
{
    TgkTitleImageAttributes image;
    g_.DoCalcTitleImage(field, image);
    const ui::TImageList* list = g_.d_->titleImageList;
    if (image.ImageIndex < 0 || list == nullptr || image.ImageIndex >= list->Count()) return;
    ui::TBitmap picture(list->Width(), list->Height());
    picture.Pixels() = list->Image(image.ImageIndex);
    const int iw = picture.Width(), ih = picture.Height();
    const int y = (textRect.Top + textRect.Bottom - ih) / 2 + pressed;
    int x = 0;
    switch (image.Alignment) {
    case classes::taLeftJustify:
        x = textRect.Left + image.Margin + pressed;
        textRect.Left = std::min(textRect.Left + iw + image.Margin, textRect.Right);
        break;
    case classes::taRightJustify:
        x = textRect.Right - iw - image.Margin + pressed;
        textRect.Right = std::max(textRect.Left, textRect.Right - iw - image.Margin);
        break;
    default:
        x = (textRect.Left + textRect.Right - iw) / 2 + pressed;
        centred = true;
        break;
    }
    canvas.Draw(x, y, picture);
}

void TgkGridPainter::DrawTitleCell(int col, int dataCol, int baseRow, ui::TRect rect)
{
    ui::TCanvas& canvas = *g_.GetDrawCanvas();
    db::TField* field = g_.GetColField(dataCol);
    if (dataCol < 0 || (g_.d_->useTFields && field == nullptr)) {
        g_.PaintTitleBackground(rect, rtl::clNone, baseRow);
        return;
    }
    ui::TControl* button = g_.d_->indicatorButton;
    if (dataCol == 0 && g_.d_->options.Contains(dgIndicator) && button != nullptr && button->Visible()) button->Invalidate();
    std::string name, title;
    TitleTexts(field, dataCol, name, title);
    const std::string group = name.empty() ? std::string() : g_.ColumnEntryPart(name, 4);
    const bool groupHeader = !group.empty() && rect.Top == 0;
    classes::TAlignment alignment = groupHeader ? classes::taCenter : g_.d_->titleAlignment;
    g_.d_->brushChanged = false;
    g_.DoCalcTitleAttributes(groupHeader ? group : name, canvas.Font(), canvas.Brush(), alignment);
    ui::TRect textRect = TitleTextRect(col, rect);
    const bool filled = g_.d_->brushChanged;
    if (filled)
        canvas.FillRect(textRect);
    else
        g_.PaintTitleBackground(textRect, rtl::clNone, baseRow);
    const int pressed = TitlePressOffset(col, groupHeader);
    bool centredImage = false;
    if (field != nullptr && !groupHeader) DrawTitleImage(canvas, field, textRect, pressed, centredImage);
    bool defaultDrawing = true;
    if (groupHeader)
        g_.DoDrawGroupHeaderCell(&canvas, group, textRect, defaultDrawing);
    else if (field != nullptr)
        g_.DoDrawTitleCell(&canvas, field, textRect, defaultDrawing);
    if (!defaultDrawing || centredImage) return;
    std::string text = groupHeader ? group : title;
    if (!groupHeader) {
        std::string head, caption;
        g_.SplitTitle(text, head, caption);
        if (!group.empty()) text = caption;
    }
    const ui::TRect at{textRect.Left + pressed, textRect.Top + pressed, textRect.Right + pressed,
                       textRect.Bottom + pressed};
    g_.WriteText(canvas, at, 2, gkdtWordWrap | (filled ? 0 : gkdtKeepBackground), alignment,
                 gkReplaceChar(text, '~', '\n'), g_.d_->titleTextTop);
}

// A scrolling column's title, cut where it slides under the fixed columns.
ui::TRect TgkGridPainter::TitleTextRect(int col, const ui::TRect& rect)
{
    ui::TRect textRect = rect;
    if (col < g_.FixedCols()) return textRect;
    ui::TGridDrawInfo info;
    g_.CalcDrawInfo(info);
    const int edge = info.Horz.FixedBoundary;
    if (textRect.Left < edge && textRect.Right > edge) textRect.Left = edge;
    return textRect;
}

int TgkGridPainter::TitlePressOffset(int col, bool groupHeader) const
{
    const TgkGridMouse& mouse = *g_.mouse_;
    return g_.d_->titleButtons && mouse.PressedTitleCol() == col && mouse.PressedInGroupHeader() == groupHeader ? 1 : 0;
}

bool TgkGridPainter::SetDataCellColors(ui::TCanvas& canvas, int col, int row, db::TField* field,
                                       ui::TGridDrawState state)
{
    const bool highlight = g_.HighlightCell(col, row, state);
    const bool urlCell = col >= 0 && col < static_cast<int>(g_.d_->colInfoCache.size()) &&
                         g_.d_->colInfoCache[static_cast<std::size_t>(col)].ControlType == "URL-Link";
    if (urlCell) {
        canvas.Font()->SetColor(g_.LinkHover() == ui::TGridCoord{col, row} ? rtl::clRed : rtl::clBlue);
        classes::TFontStyles style = g_.Font()->Style();
        style.Include(classes::fsUnderline);
        canvas.Font()->SetStyle(style);
    }
    if (highlight) {
        const rtl::TColor active = g_.d_->paintOptions->ActiveRecordColor();
        canvas.Brush()->SetColor(active == rtl::clNone ? rtl::clHighlight : active);
        if (!g_.d_->options.Contains(dgRowSelect) && row == g_.Row() && col == g_.Col())
            canvas.Brush()->SetColor(rtl::clHighlight);
        canvas.Font()->SetColor(rtl::clHighlightText);
    }
    const bool changed = g_.CalcCellColors(field, state, highlight, canvas.Font(), canvas.Brush());
    return highlight || changed;
}

void TgkGridPainter::WriteDataText(ui::TCanvas& canvas, const ui::TRect& rect, const std::string& value,
                                   classes::TAlignment alignment, bool filled)
{
    const TgkDBGridOptions options = g_.d_->options;
    int flags = filled ? 0 : gkdtKeepBackground;
    if (options.Contains(dgWordWrap)) flags |= gkdtWordWrap;
    if (options.Contains(dgTrailingEllipsis) &&
        (!options.Contains(dgWordWrap) || gkIsSingleLineRect(canvas, rect, gkAlignmentFlags(alignment))))
        flags |= gkdtEndEllipsis;
    const int dy = (options.Contains(dgRowLines) || !options.Contains(dgRowLinesDisableFixed)) ? 2 : 1;
    g_.WriteText(canvas, rect, 2, flags, alignment, value, dy);
}

void TgkGridPainter::CallDrawDataCell(const ui::TRect& rect, db::TField* field, ui::TGridDrawState state)
{
    try {
        g_.DrawDataCell(rect, field, state);
    } catch (...) {
        // A failing OnDrawDataCell handler costs its own drawing only.
        rtl::LogCurrentException("TgkCustomDBGrid::DrawCell: the data cell handler");
    }
}

void TgkGridPainter::DrawDataCell(int col, int row, int dataCol, int dataRow, int baseRow, const ui::TRect& rect,
                                  ui::TGridDrawState state)
{
    ui::TCanvas& canvas = *g_.GetDrawCanvas();
    TgkGridDataLink& link = *g_.d_->dataLink;
    const int saved = link.ActiveRecord();
    // The link's active record comes back whatever happens (a handler's exception too).
    const rtl::TScopeExit back([&] { link.SetActiveRecord(saved); });
    link.SetActiveRecord(dataRow + g_.d_->recordOffset);
    state_.DrawingDataRow = dataRow;
    state_.DrawingDataCol = dataCol;
    const std::string value = g_.GetFieldValue(dataCol);
    db::TField* field = g_.GetColField(dataCol);
    const bool filled = SetDataCellColors(canvas, col, row, field, state);
    const classes::TAlignment alignment = field != nullptr ? field->Alignment() : classes::taLeftJustify;
    if (dataCol < g_.FixedCols() - g_.d_->indicatorOffset) {
        ui::TRect r{rect.Left, rect.Top, rect.Right, rect.Bottom + 1};
        if (g_.d_->options.Contains(dgHideBottomDataLine)) --r.Bottom;
        g_.PaintTitleBackground(r, rtl::clNone, baseRow);
    } else if (g_.d_->paintOptions->FillsDataCells()) {
        g_.PaintDataBackground(rect, rtl::clNone, baseRow);
    }
    if (g_.d_->defaultDrawing) WriteDataText(canvas, rect, value, alignment, filled);
    CallDrawDataCell(rect, field, state);
}

// ---- Cell-control pictures ------------------------------------------------------------------------------------

bool TgkGridPainter::DrawCellControl(int col, int row, ui::TGridDrawState state)
{
    if (col < 0 || col >= static_cast<int>(g_.d_->colInfoCache.size())) return false;
    const TgkCacheColInfoItem& info = g_.d_->colInfoCache[static_cast<std::size_t>(col)];
    db::TField* field = g_.GetColField(col - g_.d_->indicatorOffset);
    // Title cells of such columns show their titles like every other column's.
    if (info.ControlType.empty() || field == nullptr || g_.GetDataRow(row) < 0) return false;
    if (info.ControlType == "Bitmap") return DrawPictureCell(col, row, state);
    if (info.ControlType == "ImageIndex") return DrawImageIndexCell(col, row);
    if (gkEqualText(info.ControlType, "CustomEdit") || gkEqualText(info.ControlType, "RichEdit"))
        return DrawControlCopy(col, row, state);
    if (!gkEqualText(info.ControlType, "CheckBox")) return false;
    return DrawCheckBoxCell(col, row, info, field, state);
}

bool TgkGridPainter::DrawCheckBoxCell(int col, int row, const TgkCacheColInfoItem& info, db::TField* field,
                                      ui::TGridDrawState state)
{
    const ui::TRect cell = g_.CellRect(col, row);
    if (col < g_.FixedCols())
        g_.PaintTitleBackground(cell, g_.d_->titleColor, row);
    else
        g_.PaintDataBackground(cell, rtl::clNone, row);
    const std::string checkedValue = Part(ControlParameters(info), 0);
    const int dataRow = row - g_.d_->titleOffset;
    TgkGridDataLink& link = *g_.d_->dataLink;
    std::string value;
    {
        const int saved = link.ActiveRecord();
        if (dataRow >= 0 && dataRow < link.RecordCount()) link.SetActiveRecord(dataRow);
        const rtl::TScopeExit back([&] { link.SetActiveRecord(saved); });
        if (field->FieldKind() == db::fkCalculated && rtl::AnsiLowerCase(field->FieldName()) == "selected")
            value = g_.IsSelectedRecord(dataRow) ? checkedValue : std::string();
        else
            value = g_.GetFieldValue(col - g_.d_->indicatorOffset);
    }
    ui::TCanvas& canvas = *g_.GetDrawCanvas();
    if (g_.CalcCellColors(field, state, g_.HighlightCell(col, row, state), canvas.Font(), canvas.Brush()))
        canvas.FillRect(cell);
    const ui::TRect box = ui::Bounds((cell.Left + cell.Right - 10) / 2, (cell.Top + cell.Bottom - 10) / 2, 10, 10);
    g_.DrawCheckBox(box, col, gkEqualText(value, checkedValue), state);
    if (state.Contains(ui::gdFocused)) gkDrawFocusFrame(canvas, cell, g_.UseRightToLeftGrid());
    return true;
}

bool TgkGridPainter::DrawImageIndexCell(int col, int row)
{
    const TgkCacheColInfoItem& info = g_.d_->colInfoCache[static_cast<std::size_t>(col)];
    const int dataRow = row - g_.d_->titleOffset;
    db::TField* field = g_.GetColField(col - g_.d_->indicatorOffset);
    const ui::TRect cell = g_.CellRect(col, row);
    const ui::TImageList* images = g_.d_->imageList;
    TgkGridDataLink& link = *g_.d_->dataLink;
    g_.PaintDataBackground(cell, rtl::clNone, row);
    if (images == nullptr || dataRow < 0 || dataRow >= link.RecordCount()) return true;
    int index = -1;
    {
        const int saved = link.ActiveRecord();
        const rtl::TScopeExit back([&] { link.SetActiveRecord(saved); });
        link.SetActiveRecord(dataRow + g_.d_->recordOffset);
        try {
            index = field->IsNull() ? -1 : field->AsInteger();
        } catch (const std::exception&) {
            // A value that is no number shows no image.
            rtl::LogCurrentException("TgkCustomDBGrid::DrawCellControl: an ImageIndex value");
            index = -1;
        }
    }
    if (index < 0 || index >= images->Count()) return true;
    ui::TBitmap image(images->Width(), images->Height());
    image.Pixels() = images->Image(index);
    ui::TRect source, dest;
    if (g_.PictureFitRects(Part(ControlParameters(info), 0), image.Width(), image.Height(), cell, source, dest))
        g_.GetDrawCanvas()->CopyRect(dest, *image.Canvas(), source);
    return true;
}

bool TgkGridPainter::DrawControlCopy(int col, int row, ui::TGridDrawState state)
{
    const std::string name = Part(ControlParameters(g_.d_->colInfoCache[static_cast<std::size_t>(col)]), 0);
    ui::TWinControl* control = g_.FindCustomControl(name);
    if (control == nullptr) return false;
    const ui::TRect cell = g_.CellRect(col, row);
    const bool placedHere =
        control == g_.PlacedControl() && row == g_.Row() && control->Visible() && control->Parent() == &g_;
    // A plain edit bound to no field holds one text only, not each record's: its other cells
    // draw their own text.
    if (!placedHere && dynamic_cast<const ui::TCustomEdit*>(control) != nullptr &&
        classes::FindProperty(*control, "DataField") == nullptr)
        return false;
    ui::TCanvas& canvas = *g_.GetDrawCanvas();
    g_.PaintDataBackground(cell, rtl::clNone, row);
    // The placed control, shown in the grid, covers the current cell itself.
    if (placedHere) return true;
    const int dataRow = row - g_.d_->titleOffset;
    TgkGridDataLink& link = *g_.d_->dataLink;
    if (dataRow < 0 || dataRow >= link.RecordCount()) return true;
    const int saved = link.ActiveRecord();
    const rtl::TScopeExit back([&] { link.SetActiveRecord(saved); });
    link.SetActiveRecord(dataRow + g_.d_->recordOffset);
    if (control->Width() != cell.Width() || control->Height() != cell.Height())
        control->SetBounds(control->Left(), control->Top(), cell.Width(), cell.Height());
    db::TField* field = g_.GetColField(col - g_.d_->indicatorOffset);
    const bool changed = g_.CalcCellColors(field, state, g_.HighlightCell(col, row, state), canvas.Font(), canvas.Brush());
    try {
        g_.DrawDataCell(cell, field, state);
    } catch (...) {
        // The handler took the cell over by failing: no copy.
        rtl::LogCurrentException("TgkCustomDBGrid::DrawCellControl: the data cell handler");
        return true;
    }
    if (changed) canvas.FillRect(cell);
    ui::TControl::TControlState controlState = control->ControlState();
    controlState.Include(ui::TControl::csPaintCopy);
    control->SetControlState(controlState);
    const rtl::TScopeExit unmark([control] {
        ui::TControl::TControlState s = control->ControlState();
        s.Exclude(ui::TControl::csPaintCopy);
        control->SetControlState(s);
    });
    IgkExpandControl* expander = dynamic_cast<IgkExpandControl*>(control);
    if (expander != nullptr) expander->SetPaintingCurrentCell(row == g_.Row());
    const rtl::TScopeExit uncurrent([expander] {
        if (expander != nullptr) expander->SetPaintingCurrentCell(false);
    });
    PaintControlCopy(*control, cell);
    state_.CellPaintedByControl = true;
    return true;
}

// A bordered control's client area starts one pixel in, so its copy does too; its visible
// windowed children paint themselves at their own places (a data inspector paints its rows
// itself).
void TgkGridPainter::PaintControlCopy(ui::TWinControl& control, const ui::TRect& cell)
{
    ui::TCanvas& canvas = *g_.GetDrawCanvas();
    const std::optional<std::string> border = classes::GetEnumProp(control, "BorderStyle");
    const auto* custom = dynamic_cast<const ui::TCustomControl*>(&control);
    const bool bordered =
        border.has_value() ? *border != "bsNone" : custom != nullptr && custom->BorderStyle() != ui::bsNone;
    const int inset = bordered ? 1 : 0;
    const int w = cell.Width() - inset, h = cell.Height() - inset;
    if (w <= 0 || h <= 0) return;
    // The control paints into a picture of its part of the cell that starts as the cell's
    // background; the picture clips what it draws to the cell.
    const ui::TRect area{cell.Left + inset, cell.Top + inset, cell.Right, cell.Bottom};
    ui::TBitmap copy(w, h);
    copy.Canvas()->CopyRect({0, 0, w, h}, canvas, area);
    control.Perform(ui::WM_PAINT, reinterpret_cast<std::intptr_t>(copy.Canvas()), cell.Height());
    if (!control.InheritsFrom("TgkDataInspector")) {
        for (int i = 0; i < control.ControlCount(); ++i) {
            auto* child = dynamic_cast<ui::TWinControl*>(control.Controls(i));
            if (child == nullptr || !child->Visible() || child->Width() <= 0 || child->Height() <= 0) continue;
            const ui::TRect at = ui::Bounds(child->Left(), child->Top(), child->Width(), child->Height());
            ui::TBitmap part(at.Width(), at.Height());
            part.Canvas()->CopyRect({0, 0, at.Width(), at.Height()}, *copy.Canvas(), at);
            child->Perform(ui::WM_PAINT, reinterpret_cast<std::intptr_t>(part.Canvas()), at.Height());
            copy.Canvas()->CopyRect(at, *part.Canvas(), {0, 0, at.Width(), at.Height()});
        }
    }
    canvas.CopyRect(area, *copy.Canvas(), {0, 0, w, h});
}

bool TgkGridPainter::DrawPictureCell(int col, int row, ui::TGridDrawState state)
{
    const std::vector<std::string> parts = ControlParameters(g_.d_->colInfoCache[static_cast<std::size_t>(col)]);
    const int dataRow = row - g_.d_->titleOffset;
    db::TField* field = g_.GetColField(col - g_.d_->indicatorOffset);
    const ui::TRect cell = g_.CellRect(col, row);
    ui::TCanvas& canvas = *g_.GetDrawCanvas();
    TgkGridDataLink& link = *g_.d_->dataLink;
    ui::TPicture picture;
    const db::TDataSet* ds = link.DataSet();
    const bool insertingHere = ds != nullptr && ds->State() == db::dsInsert && row == g_.Row();
    if (!insertingHere && dataRow >= 0 && dataRow < link.RecordCount()) {
        const int saved = link.ActiveRecord();
        const rtl::TScopeExit back([&] { link.SetActiveRecord(saved); });
        link.SetActiveRecord(dataRow + g_.d_->recordOffset);
        try {
            const std::string bytes = field->AsString();
            if (!bytes.empty()) picture.LoadFromBytes(bytes);
        } catch (const std::exception&) {
            // A field holding no readable picture shows the background only.
            rtl::LogCurrentException("TgkCustomDBGrid::DrawCellControl: a Bitmap value");
            picture.Clear();
        }
    }
    g_.PaintDataBackground(cell, rtl::clNone, row);
    if (picture.Empty()) return true;
    ui::TBitmap bitmap(picture.Width(), picture.Height());
    bitmap.Pixels() = picture.Pixels();
    ui::TRect source, dest;
    // Pictures of a field are never shrunk: that mode belongs to image-list cells.
    const bool placed = gkPictureFitOfName(Part(parts, 0)) != pfShrinkToFit &&
                        g_.PictureFitRects(Part(parts, 0), picture.Width(), picture.Height(), cell, source, dest);
    if (placed) {
        const ui::TCopyMode saved = canvas.CopyMode();
        canvas.SetCopyMode(gkRasterOpOfName(Part(parts, 1)));
        const rtl::TScopeExit back([&] { canvas.SetCopyMode(saved); });
        canvas.CopyRect(dest, *bitmap.Canvas(), source);
    }
    if (g_.HighlightCell(col, row, state)) {
        const rtl::TColor brush = canvas.Brush()->Color();
        canvas.Brush()->SetColor(rtl::clHighlight);
        canvas.FrameRect(cell);
        canvas.Brush()->SetColor(brush);
        state_.CellFramed = true;
    }
    return true;
}

}  // namespace grid
