#include "platform/ui/PopupWindow.h"

#include <algorithm>

#include "platform/ui/Forms.h"

namespace ui {

GW_IMPLEMENT_CLASS(TPopupWindow, TWinControl) {}

TPopupWindow::TPopupWindow(classes::TComponent* owner) : TWinControl(owner)
{
    SetTabStop(false);
    SetVisible(false);
    SetColor(rtl::clWindow);
}

TRect TPopupWindow::FitInto(const TRect& r, const TRect& area)
{
    const int w = std::min(r.Width(), area.Width()), h = std::min(r.Height(), area.Height());
    const int left = std::max(area.Left, std::min(r.Left, area.Right - w));
    const int top = std::max(area.Top, std::min(r.Top, area.Bottom - h));
    return Bounds(left, top, w, h);
}

void TPopupWindow::CreatePeers()
{
    if (Parent() != nullptr) {
        TWinControl::CreatePeers();
        return;
    }
    // A window of its own, made without a parent's window; then its content.
    CreateOwnPeer();
    if (!HandleAllocated()) return;
    for (int i = 0; i < ControlCount(); ++i) Controls(i)->CreatePeers();
}

void TPopupWindow::ShowAt(const TRect& screenRect)
{
    const TRect r = FitInto(screenRect, Screen().WorkAreaRect());
    SetBounds(r.Left, r.Top, r.Width(), r.Height());
    if (!HandleAllocated()) CreatePeers();
    SetVisible(true);
    BringToFront();
}

void TPopupWindow::ClosePopup() { SetVisible(false); }

}  // namespace ui
