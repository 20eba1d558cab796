#include "editctrls/gkDTDropDown.h"

#include <algorithm>
#include <cstdint>

#include "editctrls/gkCalendarPopup.h"
#include "editctrls/gkDBDateTimePicker.h"
#include "platform/rtl/Scope.h"
#include "platform/ui/Input.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Screen.h"

namespace editctrls {

namespace {

constexpr int kAutoButtonWidth = 15;  // the scroll-bar width here is below it

// The button host: a windowed strip at the picker's right edge.
class TBtnWinControl : public ui::TWinControl {
public:
    explicit TBtnWinControl(classes::TComponent* owner) : TWinControl(owner) {}
};

}  // namespace

TgkDTDropDown::TgkDTDropDown(TgkDBCustomDateTimePicker& picker, TgkDTValue& value) : p_(picker), v_(value)
{
    host_ = new TBtnWinControl(&p_);
    host_->SetParent(&p_);
    button_ = new TgkDateComboButton(&p_);
    button_->SetParent(host_);
    button_->OnClick = [this](classes::TObject*) { ButtonClick(); };
}

void TgkDTDropDown::ButtonClick()
{
    if (IsOpen()) {
        p_.CloseUp(true);
        return;
    }
    if (!p_.Focused()) {
        enteringByButton_ = true;
        p_.SetFocus();
        enteringByButton_ = false;
    }
    p_.DropDown();
}

void TgkDTDropDown::SetButtonWidth(int v)
{
    buttonWidth_ = v;
    const int width = v == 0 ? kAutoButtonWidth : v;
    host_->SetWidth(std::max(width + 2, 17));
    button_->SetWidth(width);
}

bool TgkDTDropDown::ButtonShown() const { return showButton_ && host_ != nullptr && host_->Visible(); }

bool TgkDTDropDown::IsOpen() const { return popupHost_ != nullptr && popupHost_->IsOpen(); }

bool TgkDTDropDown::TakeEscClosed() noexcept
{
    const bool was = escClosed_;
    escClosed_ = false;
    return was;
}

void TgkDTDropDown::Release()
{
    if (IsOpen() || calendar_ == nullptr) return;
    delete popupHost_;
    delete calendar_;
    popupHost_ = nullptr;
    calendar_ = nullptr;
}

// ---- Opening ----------------------------------------------------------------------------------

void TgkDTDropDown::Open()
{
    if (IsOpen() || v_.BoundWithoutField() || v_.IsTimeOnly()) return;
    if (!p_.CanEditValue()) {
        p_.SetCaretHidden(true);
        p_.SetReadOnlyWindow(true);
        return;
    }
    p_.SetReadOnlyWindow(false);
    dropValue_ = v_.Value();
    p_.typing_.Commit();
    p_.typing_.Forget();
    p_.SetCaretHidden(true);
    MakeCalendar();
    FillCalendar();
    const ui::TRect minimum = calendar_->GetMinReqRect();
    GiveValueBeforeOpening();
    p_.SetTextKeepModified(v_.FormatValue(v_.Value()));
    // The calendar keeps a time of day of its own: it takes the picker's whole value.
    const rtl::TDateTime shown =
        std::clamp(v_.Value(), rtl::DateOf(v_.EffectiveMinDate()), rtl::DateOf(v_.EffectiveMaxDate()));
    calendar_->SetDate(shown);
    calendar_->SetTime(shown);
    p_.SetSel(0, 0);
    p_.OnDropDown(&p_);
    savedShowHint_ = p_.ShowHint();
    p_.SetShowHint(false);
    PlaceAndOpen(minimum);
}

void TgkDTDropDown::MakeCalendar()
{
    if (calendar_ != nullptr) return;
    popupHost_ = new TgkCalendarPopupHost(&p_);
    calendar_ = new TgkPopupCalendar(&p_, &p_);
    popupHost_->SetCalendar(calendar_);
    // A close by program is CloseUp's own (or the calendar went away): nothing to settle.
    // Esc drops the calendar's choice; a pick, Enter or a press outside keeps it.
    popupHost_->OnClose = [this](TgkCalendarCloseReason reason) {
        if (reason != ccrProgram) p_.CloseUp(reason != ccrEscape);
    };
}

void TgkDTDropDown::FillCalendar()
{
    TgkPopupCalendar& cal = *calendar_;
    TgkCalendarOptions& options = *p_.CalendarAttributes();
    cal.SetCalBorderStyle(ui::bsSingle);
    cal.SetCalColors(*options.Colors());
    cal.OnCalcBoldDay = p_.OnCalcBoldDay;
    cal.SetOptions(options.Options);
    cal.SetMinDate(0);
    cal.SetMaxDate(rtl::DateOf(v_.EffectiveMaxDate()));
    cal.SetMinDate(rtl::DateOf(v_.EffectiveMinDate()));
    cal.Font()->Assign(*options.Font());
    cal.SetPopupYearOptions(*options.PopupYearOptions());
    cal.SetCalFirstDayOfWeek(options.FirstDayOfWeek);
}

void TgkDTDropDown::GiveValueBeforeOpening()
{
    if (!p_.Text().empty() && v_.Value() != 0) return;
    db::TFieldDataLink& link = *p_.DataLink();
    if (p_.Field() != nullptr && !link.Editing()) link.Edit();
    p_.MarkModified(true);
    if (!p_.Text().empty()) return;
    // An empty picker opens on today, or on MinDate when today lies outside the bounds.
    const rtl::TDateTime today = rtl::Date();
    const bool inside = today >= rtl::DateOf(v_.EffectiveMinDate()) && today <= rtl::DateOf(v_.EffectiveMaxDate());
    v_.Store(rtl::ComposeDateTime(inside ? today : rtl::DateOf(v_.EffectiveMinDate()), rtl::TimeOf(v_.Value())));
    v_.SetEmpty(false);
}

void TgkDTDropDown::PlaceAndOpen(const ui::TRect& minimum)
{
    const TgkCalendarOptions& options = *p_.CalendarAttributes();
    const int height = options.CalendarHeight >= minimum.Height() ? options.CalendarHeight : minimum.Height();
    const int width = options.CalendarWidth >= minimum.Width() ? options.CalendarWidth : minimum.Width();
    const ui::TPoint origin = p_.ClientToScreen({0, 0});
    const ui::TRect pickerRect = ui::Bounds(origin.X, origin.Y, p_.Width(), p_.Height());
    const ui::TPoint at = PlaceDropDown(pickerRect, width, height, ui::Screen().WorkAreaRect(), ui::Screen().Width(),
                                        options.Alignment, kAutoButtonWidth);
    popupHost_->Open(ui::Bounds(at.X, at.Y, width, height), &p_);
}

// ---- Closing ----------------------------------------------------------------------------------

void TgkDTDropDown::Close(bool accept)
{
    if (closing_) return;
    closing_ = true;
    const rtl::TScopeExit done([this] { closing_ = false; });
    if (calendar_ == nullptr) return;
    const bool wasOpen = IsOpen();
    ui::ReleaseCapture();
    const rtl::TDateTime picked = accept ? calendar_->Date() : 0;
    if (wasOpen) popupHost_->Close(ccrProgram);
    if (accept)
        SettleAccepted(picked);
    else
        p_.SetValue(dropValue_);
    p_.OnCloseUp(&p_);
    p_.SetShowHint(savedShowHint_);
    p_.Invalidate();
    p_.HighlightPart();
    p_.SelectAll();
}

void TgkDTDropDown::SettleAccepted(rtl::TDateTime picked)
{
    const db::TField* field = p_.Field();
    if (field == nullptr) return;
    const std::string shown = v_.FormatValue(picked);
    if (shown == field->DisplayText() || !p_.CanModifyField()) return;
    db::TFieldDataLink& link = *p_.DataLink();
    if (!link.Editing()) link.Edit();
    if (shown.empty())
        p_.SetTextKeepModified({});
    else
        p_.SetDate(picked);
    p_.MarkModified(true);
}

// ---- Keys and changes while open --------------------------------------------------------------

bool TgkDTDropDown::DropDownKey(ui::TKey key, ui::TShiftState shift)
{
    const bool alt = shift.Contains(ui::ssAlt);
    if ((key == ui::VK_F4 && !alt) || (alt && (key == ui::VK_DOWN || key == ui::VK_UP))) {
        if (IsOpen())
            p_.CloseUp(true);
        else
            p_.DropDown();
        return true;
    }
    if (!IsOpen() || alt || (key != ui::VK_RETURN && key != ui::VK_ESCAPE)) return false;
    escClosed_ = key == ui::VK_ESCAPE;
    p_.CloseUp(!escClosed_);
    return true;
}

void TgkDTDropDown::CalendarKey(ui::TKey key, ui::TShiftState shift)
{
    if (calendar_ == nullptr) return;
    calendar_->Perform(ui::WM_KEYDOWN, key, static_cast<std::intptr_t>(shift.Bits()));
}

void TgkDTDropDown::CalendarChanged()
{
    if (calendar_ == nullptr || !IsOpen() || !p_.CanEditValue()) return;
    db::TFieldDataLink& link = *p_.DataLink();
    if (p_.Field() != nullptr && !link.Editing()) link.Edit();
    p_.MarkModified(true);
    fromCalendar_ = true;
    const rtl::TScopeExit back([this] { fromCalendar_ = false; });
    p_.SetDate(calendar_->Date());
}

}  // namespace editctrls
