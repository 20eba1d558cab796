#pragma once
// TgkDTDropDown: the date-time picker's drop-down month calendar and the button that opens it.
// It makes the calendar on the first drop-down (and frees it after the focus left), fills it
// from the picker's calendar options and value, places it below or above the picker, follows
// its changes into the picker while it is open, and settles the value when it closes: Enter,
// a pick or a press outside keep the calendar's date, Esc returns to the value it opened on.
//
// Promises:
// - Never opens for a time, nor for a picker bound by name to a missing field; a picker that
//   may not be edited only turns read-only.
// - OnDropDown fires after the calendar holds the value, OnCloseUp after the value is settled.

#include "platform/rtl/DateTime.h"
#include "platform/ui/Types.h"

namespace ui {
class TWinControl;
}

namespace editctrls {

class TgkCalendarPopupHost;
class TgkDateComboButton;
class TgkDBCustomDateTimePicker;
class TgkDTValue;
class TgkPopupCalendar;

enum TgkComboButtonStyle { cbsEllipsis, cbsDownArrow, cbsCustom };

class TgkDTDropDown {
public:
    TgkDTDropDown(TgkDBCustomDateTimePicker& picker, TgkDTValue& value);

    bool IsOpen() const;
    TgkPopupCalendar* Calendar() const noexcept { return calendar_; }
    TgkCalendarPopupHost* Host() const noexcept { return popupHost_; }
    void Open();
    void Close(bool accept);
    // F4 and Alt+Up/Down toggle the calendar; Enter and Esc close an open one. True when the
    // key was used.
    bool DropDownKey(ui::TKey key, ui::TShiftState shift);
    // A key while the calendar is open goes to it; the value follows its date.
    void CalendarKey(ui::TKey key, ui::TShiftState shift);
    // The open calendar's date changed through the user.
    void CalendarChanged();
    // The change of text comes from the calendar (it marks the picker modified).
    bool FromCalendar() const noexcept { return fromCalendar_; }
    // Esc closed the calendar: the Esc KeyPress that follows is used up (answers and clears).
    bool TakeEscClosed() noexcept;
    // The focus left for good: the calendar is made anew next time.
    void Release();

    // ---- Button ---------------------------------------------------------------------------
    ui::TWinControl* ButtonHost() const noexcept { return host_; }
    TgkDateComboButton* Button() const noexcept { return button_; }
    bool ShowButton() const noexcept { return showButton_; }
    void SetShowButton(bool v) noexcept { showButton_ = v; }
    TgkComboButtonStyle ButtonStyle() const noexcept { return buttonStyle_; }
    void SetButtonStyle(TgkComboButtonStyle v) noexcept { buttonStyle_ = v; }
    int ButtonWidth() const noexcept { return buttonWidth_; }
    void SetButtonWidth(int v);
    // The button is on and shows (no button for a time).
    bool ButtonShown() const;
    // The focus came through the button (the part stays as it was).
    bool EnteringByButton() const noexcept { return enteringByButton_; }

private:
    void ButtonClick();
    void MakeCalendar();
    void FillCalendar();
    void GiveValueBeforeOpening();
    // Wanted size, never below the calendar's `minimum`.
    void PlaceAndOpen(const ui::TRect& minimum);
    void SettleAccepted(rtl::TDateTime picked);

    TgkDBCustomDateTimePicker& p_;
    TgkDTValue& v_;
    TgkPopupCalendar* calendar_ = nullptr;
    TgkCalendarPopupHost* popupHost_ = nullptr;
    rtl::TDateTime dropValue_ = 0;
    bool escClosed_ = false;
    bool closing_ = false;
    bool fromCalendar_ = false;
    bool savedShowHint_ = false;
    ui::TWinControl* host_ = nullptr;
    TgkDateComboButton* button_ = nullptr;
    bool showButton_ = true;
    TgkComboButtonStyle buttonStyle_ = cbsDownArrow;
    int buttonWidth_ = 0;
    bool enteringByButton_ = false;
};

}  // namespace editctrls
