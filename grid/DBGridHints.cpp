// The cell hint of TgkCustomDBGrid (a hint window with the whole text of a cell that does
// not fit, kept while the mouse stays on the cell), the focus fix for presses in an inactive
// multiple-document child, and the hint's timer.

#include <algorithm>

#include "grid/DBGrid.h"
#include "grid/GridRoutines.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Scope.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Input.h"

namespace grid {

void TgkCustomDBGrid::HideHintWindow()
{
    hintTicks_ = 0;
    freeingHint_ = true;
    hintWindow_.reset();
    freeingHint_ = false;
    if (hintTimer_) hintTimer_->SetEnabled(false);
}

void TgkCustomDBGrid::HintTimerTick()
{
    if (!hintWindow_) return;
    const ui::TPoint p = ScreenToClient(ui::GetCursorPos());
    ui::TRect cell = CellRect(hintCell_.X, hintCell_.Y);
    cell = {cell.Left - 1, cell.Top - 1, cell.Right + 1, cell.Bottom + 1};
    const ui::TRect client = VirtualClientRect();
    if (!cell.Contains(p) || !client.Contains(p)) {
        HideHintWindow();
        hintCell_ = {0, 0};
        return;
    }
    ++hintTicks_;
    const int interval = hintTimer_ ? std::max(1, hintTimer_->Interval()) : 250;
    if (hintTicks_ > std::max(ui::Application().HintHidePause / interval, 16)) HideHintWindow();
}

void TgkCustomDBGrid::UpdateLinkHover(int x, int y)
{
    const ui::TGridCoord cell = MouseCoord(x, y);
    const bool link = cell.X >= 0 && cell.X < static_cast<int>(colInfoCache_.size()) && cell.Y >= titleOffset_ &&
                      colInfoCache_[static_cast<std::size_t>(cell.X)].ControlType == "URL-Link";
    if (link) {
        if (cell == hover_) return;
        SetCursor(ui::crHandPoint);
        linkHovering_ = true;
        if (hover_.Y > 0) InvalidateRect(CellRect(hover_.X, hover_.Y));
        hover_ = cell;
        InvalidateRect(CellRect(cell.X, cell.Y));
    } else if (Cursor() == ui::crHandPoint && linkHovering_) {
        SetCursor(ui::crDefault);
        linkHovering_ = false;
        if (hover_.Y > 0) InvalidateRect(CellRect(hover_.X, hover_.Y));
        hover_ = {-1, -1};
    }
}

void TgkCustomDBGrid::ClearLinkHover()
{
    SetCursor(ui::crDefault);
    linkHovering_ = false;
    if (hover_.X >= indicatorOffset_ && hover_.Y >= titleOffset_ && hover_.X < ColCount() && hover_.Y < RowCount())
        InvalidateRect(CellRect(hover_.X, hover_.Y));
    hover_ = {-1, -1};
}

void TgkCustomDBGrid::UpdateCellHint(int x, int y)
{
    if (!options_.Contains(dgShowCellHint) || !dataLink_->Active()) return;
    const ui::TGridCoord cell = MouseCoord(x, y);
    if (cell == hintCell_) return;
    hintCell_ = cell;
    HideHintWindow();
    hintTimer_.reset();
    const bool current = cell.X == Col() && cell.Y == Row();
    if (current && EditorMode()) return;
    if (current && PlacedControl != nullptr && PlacedControl->Visible()) return;
    const int to = options_.Contains(dgTitles) ? 1 : 0, io = options_.Contains(dgIndicator) ? 1 : 0;
    if (cell.Y < to || cell.X < io) return;
    const int dataCol = cell.X - io;
    db::TField* field = GetColField(dataCol);
    std::string text;
    {
        const int saved = dataLink_->ActiveRecord();
        const rtl::TScopeExit back([&] { dataLink_->SetActiveRecord(saved); });
        const int record = cell.Y - to + recordOffset_;
        if (record < 0 || record >= dataLink_->RecordCount()) return;
        dataLink_->SetActiveRecord(record);
        const bool blob = dynamic_cast<db::TBlobField*>(field) != nullptr;
        if (field != nullptr && (!blob || field->DataType() == db::ftMemo || field->DataType() == db::ftOraClob))
            text = GetFieldValue(dataCol);
    }
    if (text.empty()) return;
    const ui::TRect r = CellRect(cell.X, cell.Y);
    ui::TCanvas& canvas = *drawBitmap_->Canvas();
    canvas.SetFont(*Font());
    unsigned flags = ui::DT_CALCRECT | ui::DT_NOPREFIX;
    if (options_.Contains(dgWordWrap)) flags |= ui::DT_WORDBREAK;
    if (text.find('\t') != std::string::npos) flags |= ui::DT_EXPANDTABS;
    ui::TRect measured{0, 0, std::max(1, r.Width() - 4), 0};
    canvas.DrawText(text, measured, flags);
    if (measured.Width() < r.Width() - 1 && measured.Height() <= r.Height()) return;

    TgkGridHintWindow* hint = CreateHintWindow(field);
    hintTimer_ = std::make_unique<ui::TTimer>(nullptr);
    hintTimer_->OnTimer = [this](classes::TObject*) { HintTimerTick(); };
    hintTimer_->SetInterval(250);
    hintTimer_->SetEnabled(true);
    const ui::TPoint origin = ClientToScreen({r.Left, r.Top});
    const bool ignoreAlignment = field == nullptr || field->Alignment() == classes::taLeftJustify;
    hint->Alignment = ignoreAlignment ? classes::taLeftJustify : field->Alignment();
    bool wordWrap = true;
    int maxHeight = r.Height() - 2;
    int maxWidth = ui::Screen().Width();
    hint->WordWrap = wordWrap;
    hint->SetCaption(text);
    bool doDefault = true;
    const int heightBefore = maxHeight;
    DoCreateHintWindow(hint, field, r, wordWrap, maxWidth, maxHeight, doDefault);
    hint->WordWrap = wordWrap;
    maxWidth = std::max(r.Width() - 4, maxWidth);
    if (!doDefault || !hintWindow_) return;
    ui::TRect at{r.Left, r.Top, r.Right, r.Bottom - 2};
    ui::TRect m{0, 0, maxWidth, maxHeight};
    unsigned again = ui::DT_CALCRECT | ui::DT_NOPREFIX | (wordWrap ? ui::DT_WORDBREAK : 0u);
    if (text.find('\t') != std::string::npos) again |= ui::DT_EXPANDTABS;
    canvas.DrawText(text, m, again);
    const int textWidth = std::min(m.Width(), maxWidth);
    const int textHeight = std::min(m.Height(), maxHeight);
    if (maxHeight != heightBefore) at.Bottom = std::max(at.Top + textHeight, at.Bottom);
    if (hint->Alignment == classes::taLeftJustify) {
        if (textWidth + 8 <= maxWidth)
            at.Right = at.Left + textWidth + 8;
        else if (maxWidth != 0) {
            if (origin.X + textWidth + 8 <= ui::Screen().Width())
                at.Right = at.Left + textWidth + 8;
            else
                at.Left = at.Right - textWidth - 8;
        }
    } else {
        at.Left = at.Right - textWidth - 8;
    }
    const ui::TRect screen{origin.X + (at.Left - r.Left), origin.Y - 1, origin.X + (at.Right - r.Left),
                           origin.Y - 1 + at.Height()};
    hint->ActivateHint(screen, text);
}

bool TgkCustomDBGrid::FocusForPress()
{
    if (gkIsDesigning(this)) return true;
    ui::TCustomForm* form = ui::GetParentForm(this);
    if (form == nullptr || form->FormStyle() != ui::fsMDIChild) return true;
    const ui::TWinControl* active = ui::Screen().ActiveControl();
    if (active != nullptr && ui::GetParentForm(active) == form) return true;
    SetFocus();
    return Focused() || ui::Screen().ActiveControl() == this;
}

}  // namespace grid
