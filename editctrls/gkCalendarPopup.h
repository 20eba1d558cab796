#pragma once
// TgkCalendarPopupHost: opens a month calendar as a drop-down in a popup window (top-level,
// on top, never taking the focus) at a rectangle in screen coordinates, and tells its owner
// once how the drop-down ended: a date picked with the mouse, Enter, Esc, a press outside it,
// or closed by program. The control the drop-down belongs to (the anchor) keeps the focus;
// while the calendar is open the arrows and Page Up/Down typed there move the calendar's
// selection.
//
// Promises:
//   - Open places the window within the desktop's work area, at least the calendar's minimum
//     size; opening an open host moves it.
//   - While open the host holds one application mouse filter and one key filter of its own;
//     closing or freeing the host removes exactly those, never another host's.
//   - A press outside both the popup and the anchor closes it (the press still goes where it
//     was aimed), unless a menu of the calendar is up.
//   - OnClose fires once per close, after the window is hidden; Close on a closed host does
//     nothing.

#include <functional>

#include "editctrls/gkMonthCal.h"
#include "platform/ui/PopupWindow.h"

namespace editctrls {

enum TgkCalendarCloseReason { ccrProgram, ccrPicked, ccrEnter, ccrEscape, ccrOutsideClick };

class TgkCalendarPopupHost : public classes::TComponent {
    GW_CLASS(TgkCalendarPopupHost)

public:
    explicit TgkCalendarPopupHost(classes::TComponent* owner);
    ~TgkCalendarPopupHost() override;

    // The calendar shown: the one given (its owner keeps owning it; a picker passes its own
    // calendar class), else a TgkMonthCalendar the host makes on first use.
    TgkMonthCalendar* Calendar();
    void SetCalendar(TgkMonthCalendar* calendar);
    ui::TPopupWindow* Window() const noexcept { return window_; }

    // Shows the calendar at `screenRect` (screen coordinates) for `anchor` (may be nullptr).
    // The host takes the calendar's OnDatePick.
    void Open(const ui::TRect& screenRect, ui::TControl* anchor);
    void Close(TgkCalendarCloseReason reason = ccrProgram);
    bool IsOpen() const noexcept { return open_; }

    std::function<void(TgkCalendarCloseReason)> OnClose;

    void Notification(classes::TComponent* component, classes::TOperation operation) override;

private:
    bool OutsideClick(ui::TPoint screen) const;
    void RemoveFilters();

    ui::TPopupWindow* window_ = nullptr;
    TgkMonthCalendar* calendar_ = nullptr;
    ui::TControl* anchor_ = nullptr;
    bool open_ = false;
    int mouseFilter_ = 0;
    int keyFilter_ = 0;
};

}  // namespace editctrls
