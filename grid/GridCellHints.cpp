#include "grid/GridCellHints.h"

#include <algorithm>

#include "grid/DBGrid.h"
#include "grid/StringRoutines.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Scope.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Input.h"
#include "platform/ui/Screen.h"

namespace grid {

TgkGridCellHints::TgkGridCellHints(TgkCustomDBGrid& grid) : g_(grid) {}

TgkGridCellHints::~TgkGridCellHints() = default;

TgkGridHintWindow* TgkGridCellHints::CreateWindow()
{
    window_ = std::make_unique<TgkGridHintWindow>(nullptr);
    window_->SetColor(rtl::clInfoBk);
    window_->Canvas()->Brush()->SetColor(rtl::clInfoBk);
    window_->Font()->Assign(*g_.Font());
    window_->Font()->SetColor(rtl::clInfoText);
    window_->Canvas()->Pen()->SetColor(rtl::clBlack);
    return window_.get();
}

void TgkGridCellHints::Hide()
{
    ticks_ = 0;
    window_.reset();
    if (timer_) timer_->SetEnabled(false);
}

void TgkGridCellHints::TimerTick()
{
    if (!window_) return;
    const ui::TPoint p = g_.ScreenToClient(ui::GetCursorPos());
    ui::TRect cell = g_.CellRect(cell_.X, cell_.Y);
    cell = {cell.Left - 1, cell.Top - 1, cell.Right + 1, cell.Bottom + 1};
    const ui::TRect client = g_.VirtualClientRect();
    if (!cell.Contains(p) || !client.Contains(p)) {
        g_.HideHintWindow();
        cell_ = {0, 0};
        return;
    }
    ++ticks_;
    const int interval = timer_ ? std::max(1, timer_->Interval()) : 250;
    if (ticks_ > std::max(ui::Application().HintHidePause / interval, 16)) g_.HideHintWindow();
}

void TgkGridCellHints::UpdateLinkHover(int x, int y)
{
    const ui::TGridCoord cell = g_.MouseCoord(x, y);
    const std::vector<TgkCacheColInfoItem>& cache = g_.ColInfoCache();
    const bool link = cell.X >= 0 && cell.X < static_cast<int>(cache.size()) && cell.Y >= g_.TitleOffset() &&
                      cache[static_cast<std::size_t>(cell.X)].ControlType == "URL-Link";
    if (link) {
        if (cell == hover_) return;
        g_.SetCursor(ui::crHandPoint);
        linkHovering_ = true;
        if (hover_.Y > 0) g_.InvalidateRect(g_.CellRect(hover_.X, hover_.Y));
        hover_ = cell;
        g_.InvalidateRect(g_.CellRect(cell.X, cell.Y));
    } else if (g_.Cursor() == ui::crHandPoint && linkHovering_) {
        g_.SetCursor(ui::crDefault);
        linkHovering_ = false;
        if (hover_.Y > 0) g_.InvalidateRect(g_.CellRect(hover_.X, hover_.Y));
        hover_ = {-1, -1};
    }
}

void TgkGridCellHints::ClearLinkHover()
{
    g_.SetCursor(ui::crDefault);
    linkHovering_ = false;
    if (hover_.X >= g_.IndicatorOffset() && hover_.Y >= g_.TitleOffset() && hover_.X < g_.ColCount() &&
        hover_.Y < g_.RowCount())
        g_.InvalidateRect(g_.CellRect(hover_.X, hover_.Y));
    hover_ = {-1, -1};
}

// ---- The cell hint ----------------------------------------------------------------------------------------

std::string TgkGridCellHints::CellText(ui::TGridCoord cell, db::TField* field, int dataCol)
{
    TgkGridDataLink& link = g_.DataLink();
    const int saved = link.ActiveRecord();
    const rtl::TScopeExit back([&] { link.SetActiveRecord(saved); });
    const int to = g_.Options().Contains(dgTitles) ? 1 : 0;
    const int record = cell.Y - to + g_.RecordOffset();
    if (record < 0 || record >= link.RecordCount()) return {};
    link.SetActiveRecord(record);
    const bool blob = dynamic_cast<db::TBlobField*>(field) != nullptr;
    if (field == nullptr || (blob && field->DataType() != db::ftMemo && field->DataType() != db::ftOraClob)) return {};
    return g_.GetFieldValue(dataCol);
}

unsigned TgkGridCellHints::MeasureFlags(const std::string& text, bool wordWrap)
{
    unsigned flags = ui::DT_CALCRECT | ui::DT_NOPREFIX | (wordWrap ? ui::DT_WORDBREAK : 0u);
    if (text.find('\t') != std::string::npos) flags |= ui::DT_EXPANDTABS;
    return flags;
}

bool TgkGridCellHints::TextFits(const std::string& text, const ui::TRect& r)
{
    ui::TCanvas& canvas = *g_.DrawBitmap()->Canvas();
    canvas.SetFont(*g_.Font());
    ui::TRect measured{0, 0, std::max(1, r.Width() - 4), 0};
    canvas.DrawText(text, measured, MeasureFlags(text, g_.Options().Contains(dgWordWrap)));
    return measured.Width() < r.Width() - 1 && measured.Height() <= r.Height();
}

void TgkGridCellHints::StartTimer()
{
    timer_ = std::make_unique<ui::TTimer>(nullptr);
    timer_->OnTimer = [this](classes::TObject*) { g_.HintTimerTick(); };
    timer_->SetInterval(250);
    timer_->SetEnabled(true);
}

void TgkGridCellHints::Update(int x, int y)
{
    if (!g_.Options().Contains(dgShowCellHint) || !g_.DataLink().Active()) return;
    const ui::TGridCoord cell = g_.MouseCoord(x, y);
    if (cell == cell_) return;
    cell_ = cell;
    g_.HideHintWindow();
    timer_.reset();
    const bool current = cell.X == g_.Col() && cell.Y == g_.Row();
    const ui::TWinControl* placed = g_.PlacedControl();
    if (current && (g_.EditorMode() || (placed != nullptr && placed->Visible()))) return;
    const int to = g_.Options().Contains(dgTitles) ? 1 : 0, io = g_.Options().Contains(dgIndicator) ? 1 : 0;
    if (cell.Y < to || cell.X < io) return;
    const int dataCol = cell.X - io;
    db::TField* field = g_.GetColField(dataCol);
    const std::string text = CellText(cell, field, dataCol);
    if (text.empty()) return;
    const ui::TRect r = g_.CellRect(cell.X, cell.Y);
    if (TextFits(text, r)) return;
    Show(text, field, r);
}

void TgkGridCellHints::Show(const std::string& text, db::TField* field, const ui::TRect& r)
{
    TgkGridHintWindow* hint = g_.CreateHintWindow(field);
    StartTimer();
    const ui::TPoint origin = g_.ClientToScreen({r.Left, r.Top});
    const bool ignoreAlignment = field == nullptr || field->Alignment() == classes::taLeftJustify;
    hint->Alignment = ignoreAlignment ? classes::taLeftJustify : field->Alignment();
    bool wordWrap = true;
    int maxHeight = r.Height() - 2;
    int maxWidth = ui::Screen().Width();
    hint->WordWrap = wordWrap;
    hint->SetCaption(text);
    bool doDefault = true;
    const int heightBefore = maxHeight;
    g_.DoCreateHintWindow(hint, field, r, wordWrap, maxWidth, maxHeight, doDefault);
    hint->WordWrap = wordWrap;
    maxWidth = std::max(r.Width() - 4, maxWidth);
    if (!doDefault || !window_) return;
    ui::TRect at{r.Left, r.Top, r.Right, r.Bottom - 2};
    ui::TRect m{0, 0, maxWidth, maxHeight};
    g_.DrawBitmap()->Canvas()->DrawText(text, m, MeasureFlags(text, wordWrap));
    const int textWidth = std::min(m.Width(), maxWidth);
    const int textHeight = std::min(m.Height(), maxHeight);
    if (maxHeight != heightBefore) at.Bottom = std::max(at.Top + textHeight, at.Bottom);
    const int width = textWidth + 8;
    if (hint->Alignment != classes::taLeftJustify)
        at.Left = at.Right - width;
    else if (width <= maxWidth || (maxWidth != 0 && origin.X + width <= ui::Screen().Width()))
        at.Right = at.Left + width;
    else if (maxWidth != 0)
        at.Left = at.Right - width;
    const ui::TRect screen{origin.X + (at.Left - r.Left), origin.Y - 1, origin.X + (at.Right - r.Left),
                           origin.Y - 1 + at.Height()};
    hint->ActivateHint(screen, text);
}

}  // namespace grid
