#include "editctrls/gkCalendarPopup.h"

#include <algorithm>

#include "platform/ui/Forms.h"

namespace editctrls {

GW_IMPLEMENT_CLASS(TgkCalendarPopupHost, classes::TComponent) {}

TgkCalendarPopupHost::TgkCalendarPopupHost(classes::TComponent* owner) : classes::TComponent(owner)
{
    window_ = new ui::TPopupWindow(this);
}

TgkCalendarPopupHost::~TgkCalendarPopupHost()
{
    RemoveFilters();
    // A calendar owned elsewhere leaves the window before the window goes.
    if (calendar_ != nullptr && calendar_->Owner() != window_) {
        calendar_->RemoveFreeNotification(this);
        if (calendar_->Parent() == window_) calendar_->SetParent(nullptr);
    }
    if (anchor_ != nullptr) anchor_->RemoveFreeNotification(this);
}

TgkMonthCalendar* TgkCalendarPopupHost::Calendar()
{
    if (calendar_ == nullptr) {
        calendar_ = new TgkMonthCalendar(window_);
        calendar_->SetParent(window_);
    }
    return calendar_;
}

void TgkCalendarPopupHost::SetCalendar(TgkMonthCalendar* calendar)
{
    if (calendar == calendar_) return;
    if (calendar_ != nullptr) {
        if (calendar_->Owner() == window_)
            delete calendar_;
        else {
            calendar_->RemoveFreeNotification(this);
            calendar_->SetParent(nullptr);
        }
    }
    calendar_ = calendar;
    if (calendar_ != nullptr) {
        calendar_->FreeNotification(this);
        calendar_->SetParent(window_);
    }
}

void TgkCalendarPopupHost::Notification(classes::TComponent* component, classes::TOperation operation)
{
    classes::TComponent::Notification(component, operation);
    if (operation != classes::opRemove) return;
    if (component == calendar_) {
        calendar_ = nullptr;
        if (open_) Close(ccrProgram);
    }
    if (component == anchor_) anchor_ = nullptr;
}

void TgkCalendarPopupHost::Open(const ui::TRect& screenRect, ui::TControl* anchor)
{
    TgkMonthCalendar* cal = Calendar();
    if (anchor != anchor_) {
        if (anchor_ != nullptr) anchor_->RemoveFreeNotification(this);
        anchor_ = anchor;
        if (anchor_ != nullptr) anchor_->FreeNotification(this);
    }
    const ui::TRect min = cal->GetMinReqRect();
    const int w = std::max(screenRect.Width(), min.Width()), h = std::max(screenRect.Height(), min.Height());
    cal->SetBounds(0, 0, w, h);
    cal->SetAlign(ui::alClient);
    cal->OnDatePick = [this](classes::TObject*) { Close(ccrPicked); };
    window_->ShowAt(ui::Bounds(screenRect.Left, screenRect.Top, w, h));
    open_ = true;
    ui::TApplication& app = ui::Application();
    if (mouseFilter_ == 0)
        mouseFilter_ = app.AddMouseFilter([this](ui::TControl*, unsigned msg, ui::TPoint p) {
            if (msg != ui::WM_LBUTTONDOWN && msg != ui::WM_RBUTTONDOWN && msg != ui::WM_MBUTTONDOWN) return false;
            if (open_ && OutsideClick(p)) Close(ccrOutsideClick);
            return false;  // the press goes on to where it was aimed
        });
    if (keyFilter_ == 0)
        keyFilter_ = app.AddKeyFilter([this](ui::TWinControl*, ui::TKey key, ui::TShiftState shift, bool down) {
            using namespace ui;
            if (!open_ || !down || shift.Contains(ssAlt) || calendar_ == nullptr) return false;
            if (key == VK_ESCAPE || key == VK_RETURN) {
                Close(key == VK_ESCAPE ? ccrEscape : ccrEnter);
                return true;
            }
            if (key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN || key == VK_PRIOR || key == VK_NEXT) {
                calendar_->Perform(WM_KEYDOWN, key, static_cast<std::intptr_t>(shift.Bits()));
                return true;
            }
            return false;
        });
}

bool TgkCalendarPopupHost::OutsideClick(ui::TPoint p) const
{
    if (calendar_ != nullptr && calendar_->IsPopupMenuShowing()) return false;
    if (window_->BoundsRect().Contains(p)) return false;
    if (anchor_ != nullptr) {
        const ui::TPoint origin = anchor_->ClientToScreen({0, 0});
        if (ui::Bounds(origin.X, origin.Y, anchor_->Width(), anchor_->Height()).Contains(p)) return false;
    }
    return true;
}

void TgkCalendarPopupHost::RemoveFilters()
{
    ui::TApplication& app = ui::Application();
    if (mouseFilter_ != 0) app.RemoveMouseFilter(mouseFilter_);
    if (keyFilter_ != 0) app.RemoveKeyFilter(keyFilter_);
    mouseFilter_ = keyFilter_ = 0;
}

void TgkCalendarPopupHost::Close(TgkCalendarCloseReason reason)
{
    if (!open_) return;
    open_ = false;
    RemoveFilters();
    window_->ClosePopup();
    if (OnClose) OnClose(reason);
}

}  // namespace editctrls
