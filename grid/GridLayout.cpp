#include "grid/GridLayout.h"

#include <algorithm>
#include <optional>

#include "grid/DBGrid.h"
#include "grid/GridState.h"
#include "grid/GridRoutines.h"
#include "grid/StringRoutines.h"
#include "platform/classes/TypInfo.h"
#include "platform/rtl/Scope.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Screen.h"

namespace grid {

namespace {

// The integer a width part holds; nullopt when it is no whole number.
std::optional<int> WholeNumber(std::string_view text)
{
    int value = 0;
    if (!rtl::TryStrToInt(rtl::Trim(text), value)) return std::nullopt;
    return value;
}

std::uint16_t Clamped16(int width) { return static_cast<std::uint16_t>(std::clamp(width, 0, 0xFFFF)); }

}  // namespace

int TgkGridLayout::TextHeightW(const classes::TFont& font)
{
    ui::TCanvas* canvas = g_.DrawBitmap()->Canvas();
    canvas->SetFont(font);
    return canvas->TextHeight("W");
}

int TgkGridLayout::TextWidthOf(const classes::TFont& font, std::string_view text)
{
    ui::TCanvas* canvas = g_.DrawBitmap()->Canvas();
    canvas->SetFont(font);
    return canvas->TextWidth(text);
}

// ---- Row heights ------------------------------------------------------------------------------------------

void TgkGridLayout::UpdateRowHeights()
{
    const int h = TextHeightW(*g_.Font()) + 2 + (g_.RowLines() ? 1 : 0);
    const int rowHeight = h * g_.d_->rowHeightPercent / 100;
    if (g_.DefaultRowHeight() != rowHeight) g_.SetDefaultRowHeight(rowHeight);
    g_.d_->titleTextTop = 2;
    if (!g_.d_->options.Contains(dgTitles)) return;
    const int lines = g_.d_->titleLines;
    int title = gkIsClass(g_.Parent(), "TCustomGrid") ? h * lines + (lines - 1) : TextHeightW(g_.d_->titleFont) * lines + 4;
    if (!g_.RowLines()) ++title;
    if (g_.d_->options.Contains(dgIndicator) && g_.d_->indicatorButton != nullptr) {
        const int t = std::max(title, g_.d_->indicatorButton->Height());
        g_.d_->titleTextTop = (t - title) / 2 + 2;
        title = g_.RowLines() ? t - 1 : t + 1;
    }
    g_.SetRowHeights(0, title);
}

// ---- Column widths ------------------------------------------------------------------------------------------

// Makes room for the design widths of proportional sizing; True on their first use (the
// widths computed next become the design widths), else they are taken from the columns.
bool TgkGridLayout::PrepareDesignWidths(int n, bool proportional)
{
    if (!proportional) return false;
    const bool firstUse = designWidths_.empty();
    designWidths_.assign(static_cast<std::size_t>(n) + 1, 0);
    if (firstUse) return true;
    const int offset = g_.d_->indicatorOffset;
    for (int i = 0; i < n && offset + i < g_.ColCount(); ++i)
        designWidths_[static_cast<std::size_t>(i)] = Clamped16(g_.ColWidths(offset + i));
    return false;
}

TgkGridLayout::TColumnSize TgkGridLayout::ColumnSize(db::TDataSet& ds, int i, int zero)
{
    TColumnSize size;
    if (g_.d_->useTFields) {
        size.Field = g_.Fields(i);
        if (size.Field != nullptr) size.Width = zero * size.Field->DisplayWidth() + 4;
        return size;
    }
    size.Parts = gkSplitTabs(g_.d_->selected.Strings(i));
    size.Field = ds.FindField(size.Parts[0]);
    if (size.Parts.size() > 1)
        if (const std::optional<int> chars = WholeNumber(size.Parts[1])) size.Width = *chars * zero + 4;
    return size;
}

int TgkGridLayout::TitleWidth(const TColumnSize& size)
{
    std::string title;
    if (g_.d_->useTFields)
        title = size.Field != nullptr ? size.Field->DisplayLabel() : std::string();
    else if (size.Parts.size() >= 3)
        title = size.Parts[2];
    else if (size.Field != nullptr)
        title = size.Field->DisplayLabel();
    int widest = 0;
    for (const std::string& line : gkSplitTabs(gkReplaceChar(title, '~', '\t')))
        widest = std::max(widest, TextWidthOf(g_.d_->titleFont, line));
    return widest + 4;
}

void TgkGridLayout::SetColumnTabStop(int col, int i, const db::TField& field)
{
    const bool calculated = field.FieldKind() == db::fkCalculated;
    g_.SetTabStops(col, !(field.ReadOnly() || g_.ColumnReadOnly(i) || (calculated && !g_.d_->editCalculated)));
}

void TgkGridLayout::InitColumnWidths()
{
    db::TDataSet* ds = g_.d_->dataLink->DataSet();
    if (g_.DataSource() == nullptr || ds == nullptr) return;
    const int n = g_.d_->useTFields ? g_.FieldCount() : g_.d_->selected.Count();
    const bool proportional = g_.UseProportionalColResize();
    const bool firstUse = PrepareDesignWidths(n, proportional);
    const bool fitTitles =
        !proportional && g_.d_->options.Contains(dgTitles) && !g_.d_->options.Contains(dgNoLimitColSize);
    // A font that measures "0" as nothing still lays out (and never divides by 0).
    const int zero = std::max(TextWidthOf(*g_.Font(), "0"), 1);
    for (int i = 0; i < n; ++i) {
        const int col = g_.d_->indicatorOffset + i;
        if (col >= g_.ColCount()) break;
        TColumnSize size = ColumnSize(*ds, i, zero);
        if (fitTitles) size.Width = std::max(size.Width, TitleWidth(size));
        if (proportional && firstUse)
            designWidths_[static_cast<std::size_t>(i)] = Clamped16(size.Width);
        else
            g_.SetColWidths(col, size.Width);
        if (size.Field != nullptr) SetColumnTabStop(col, i, *size.Field);
    }
    if (proportional && n > 0) g_.ProportionalColResize();
    g_.d_->colInfoCache.clear();
    g_.RefreshColInfoCache();
}

// ---- Proportional sizing -------------------------------------------------------------------------------------

// The width the proportional columns from `first` on share.
int TgkGridLayout::ProportionalSpace(int first)
{
    int available = g_.ClientWidth() - 2;
    for (int c = 0; c < first; ++c) available -= g_.ColWidths(c) + g_.GridLineWidth();
    if (g_.d_->showVertScrollBar && g_.Width() - g_.ClientWidth() < 10) available -= ui::ScrollBarExtent() + 1;
    return available;
}

void TgkGridLayout::ProportionalColResize()
{
    if (g_.d_->useTFields || g_.d_->selected.Count() == 0 || designWidths_.empty() ||
        static_cast<int>(designWidths_.size()) < g_.ColCount() - 1)
        return;
    const int zero = std::max(TextWidthOf(*g_.Font(), "0"), 1);
    const int minimum = 2 * zero + 4;
    const int line = g_.d_->options.Contains(dgColLines) ? 1 : 0;
    const int offset = g_.d_->indicatorOffset;
    const auto design = [this, offset](int col) {
        const int i = col - offset;
        return i >= 0 && i < static_cast<int>(designWidths_.size()) ? designWidths_[static_cast<std::size_t>(i)] : 0;
    };
    int first = offset;
    if (lastFixedProportionalCol_ >= 0) {
        for (int c = offset; c <= lastFixedProportionalCol_ && c < g_.ColCount(); ++c) g_.SetColWidths(c, design(c));
        first = lastFixedProportionalCol_ + 1;
    }
    const int last = g_.ColCount() - 1;
    int total = -1;
    for (int c = first; c <= last; ++c) total += design(c) + line;
    if (total < 1) return;
    int available = ProportionalSpace(first);
    ++g_.d_->updateLock;
    const rtl::TScopeExit release([this] { --g_.d_->updateLock; });
    for (int c = first; c <= last; ++c) {
        int width = std::max(available, 0);
        if (c != last) {
            const int raw = total > 0 ? (design(c) + 1) * available / total : available;
            width = std::max((raw - 4) / zero * zero + 4, minimum);
        }
        g_.SetColWidths(c, width);
        SetColumnEntryPart(g_.d_->selected, "", std::to_string((width - 4) / zero), c - offset, 1);
        available -= width + line;
        total -= design(c) + line;
    }
}

void TgkGridLayout::ResizeProportionalColumns()
{
    if (!g_.UseProportionalColResize() || g_.ColCount() <= g_.d_->indicatorOffset) return;
    if (g_.d_->options.Contains(dgFixedProportionalResize) && g_.FixedCols() >= 2) {
        lastFixedProportionalCol_ = g_.FixedCols() - 1;
        const rtl::TScopeExit done([this] { lastFixedProportionalCol_ = -1; });
        g_.ProportionalColResize();
    } else {
        g_.ProportionalColResize();
    }
}

// ---- Design-time height fitting ----------------------------------------------------------------------------

bool TgkGridLayout::DesignFitApplies() const
{
    const ui::TAlign align = g_.Align();
    return gkIsDesigning(&g_) && !g_.Loading() && g_.d_->options.Contains(dgPerfectRowFit) && align != ui::alTop &&
           align != ui::alBottom && align != ui::alClient;
}

int TgkGridLayout::LastRowBottom()
{
    return g_.CellRect(g_.LeftCol(), g_.RowCount() - 1).Bottom + g_.DefaultRowHeight() + 1;
}

bool TgkGridLayout::FitHeightToRows()
{
    const int b = LastRowBottom();
    const bool horz = HasHorzScrollBar();
    // The frame's share of the height: less without the 3D look.
    const int border = (horz ? 5 : 4) - (classes::GetBoolProp(g_, "Ctl3D", true) ? 0 : 3);
    const int row = g_.DefaultRowHeight();
    int height = g_.Height();
    if (horz) {
        if (ui::ScrollBarExtent() + b + row + border - 1 > height) height = ui::ScrollBarExtent() + b + border - 1;
    } else if (row + b + border > height) {
        height = border + b;
    }
    if (height == g_.Height()) return false;
    g_.SetHeight(height);
    return true;
}

bool TgkGridLayout::ShrinkHeightToRows()
{
    const int h = LastRowBottom() + (HasHorzScrollBar() ? ui::ScrollBarExtent() : 0) + 1 + g_.GetFooterStripHeight();
    if (h >= g_.Height()) return false;
    g_.SetHeight(h);
    return true;
}

bool TgkGridLayout::HasHorzScrollBar()
{
    int sum = 0;
    const int line = g_.d_->options.Contains(dgColLines) ? g_.GridLineWidth() : 0;
    for (int c = 0; c < g_.ColCount(); ++c) sum += g_.ColWidths(c) + line;
    sum += 1;
    if (g_.d_->showVertScrollBar) sum += ui::ScrollBarExtent();
    return sum > g_.Width() && g_.BaseHasHorzScrollBar();
}

// ---- The vertical scroll bar ---------------------------------------------------------------------------------

void TgkGridLayout::UpdateScrollBar()
{
    TgkGridDataLink* link = g_.d_->dataLink.get();
    if (!g_.d_->showVertScrollBar || link == nullptr || !link->Active() || !g_.HandleAllocated()) return;
    db::TDataSet* ds = link->DataSet();
    if (ds == nullptr || !ds->Active()) return;
    const bool sequenced = ds->IsSequenced();
    if (sequenced) ds->UpdateCursorPos();
    const ui::TScrollInfo old = g_.GetScrollInfo(ui::sbVertical);
    ui::TScrollInfo info = old;
    if (sequenced) {
        // The records read so far: a data set still reading the rest is not made to read it
        // all for the scroll bar, which grows as the rest comes in.
        info.Min = 1;
        info.Page = g_.VisibleRowCount();
        info.Max = ds->RecordsRead() + info.Page - 1;
        const db::TDataSetState state = ds->State();
        if (state == db::dsInactive || state == db::dsBrowse || state == db::dsEdit) info.Pos = ds->RecNo();
    } else {
        info.Min = 0;
        info.Page = 0;
        info.Max = 4;
        info.Pos = ds->Bof() ? 0 : ds->Eof() ? 4 : 2;
    }
    if (info.Min == old.Min && info.Max == old.Max && info.Page == old.Page && info.Pos == old.Pos) return;
    if (info.Max - info.Min <= 1) {
        info.Min = 1;
        info.Max = 1001;
        info.Page = 1000;
    }
    g_.SetScrollInfo(ui::sbVertical, info, ui::SIF_ALL);
}

void TgkGridLayout::ScrollByPosition(db::TDataSet& ds, int pos, int visible)
{
    if (ds.IsSequenced()) {
        if (pos <= 1)
            ds.First();
        else if (pos < ds.RecordsRead())
            ds.SetRecNo(pos);
        else
            ds.Last();
        ds.Resync({});
        return;
    }
    switch (pos) {
    case 0: ds.First(); break;
    case 1: ds.MoveBy(-visible); break;
    case 3: ds.MoveBy(visible); break;
    case 4: ds.Last(); break;
    default: break;
    }
}

// At the first (last) record the data set cannot move, but the link's window may still
// show the active record below the top (above the bottom): the arrow then moves within the
// records already shown.
void TgkGridLayout::LineUp(db::TDataSet& ds, bool untouchedInsert)
{
    TgkGridDataLink& link = *g_.d_->dataLink;
    if (untouchedInsert && ds.Eof())
        ds.Cancel();
    else if (ds.Bof() && link.ActiveRecord() > 0)
        MoveWithinWindow(-1);
    else
        ds.Prior();
}

void TgkGridLayout::LineDown(db::TDataSet& ds, bool untouchedInsert)
{
    TgkGridDataLink& link = *g_.d_->dataLink;
    if (untouchedInsert) {
        if (!ds.Eof()) ds.Cancel();
    } else if (ds.Eof() && link.ActiveRecord() < link.RecordCount() - 1 && ds.State() != db::dsInsert) {
        MoveWithinWindow(1);
    } else {
        ds.Next();
    }
}

void TgkGridLayout::MoveWithinWindow(int distance)
{
    TgkGridDataLink& link = *g_.d_->dataLink;
    link.SetActiveRecord(link.ActiveRecord() + distance);
    g_.UpdateActiveRow();
    g_.Invalidate();
}

void TgkGridLayout::VScroll(int code, int pos)
{
    if (ui::TWinControl* placed = g_.PlacedControl()) placed->SetLeft(g_.ClientWidth() + 10);
    if (!g_.AcquireFocus() || !g_.d_->dataLink->Active()) return;
    db::TDataSet* ds = g_.d_->dataLink->DataSet();
    if (ds == nullptr) return;
    const bool untouchedInsert = ds->State() == db::dsInsert && !ds->Modified() && !g_.d_->dataLink->Modified();
    const int visible = g_.VisibleRowCount();
    switch (code) {
    case ui::SB_LINEUP: LineUp(*ds, untouchedInsert); break;
    case ui::SB_LINEDOWN: LineDown(*ds, untouchedInsert); break;
    case ui::SB_PAGEUP: ds->MoveBy(-visible); break;
    case ui::SB_PAGEDOWN: ds->MoveBy(visible); break;
    case ui::SB_THUMBPOSITION: ScrollByPosition(*ds, pos, visible); break;
    case ui::SB_TOP: ds->First(); break;
    case ui::SB_BOTTOM: ds->Last(); break;
    default: break;
    }
}

}  // namespace grid
