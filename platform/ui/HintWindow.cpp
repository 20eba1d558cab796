#include "platform/ui/HintWindow.h"

#include "platform/ui/Backend.h"

namespace ui {

GW_IMPLEMENT_CLASS(THintWindow, TCustomControl) {}

THintWindow::THintWindow(classes::TComponent* owner) : TCustomControl(owner)
{
    SetTabStop(false);
    SetVisible(false);
    SetColor(rtl::clInfoBk);
    Font()->SetColor(rtl::clInfoText);
}

void THintWindow::CreatePeers()
{
    // A window of its own: made without a parent's window.
    if (Parent() != nullptr) {
        TWinControl::CreatePeers();
        return;
    }
    CreateOwnPeer();
}

void THintWindow::ActivateHint(const TRect& rect, const std::string& text)
{
    SetCaption(text);
    SetBounds(rect.Left, rect.Top, rect.Width(), rect.Height());
    active_ = true;
    SetVisible(true);
    if (!HandleAllocated()) CreatePeers();
    Invalidate();
}

void THintWindow::Paint()
{
    TCanvas& c = *Canvas();
    const TRect r = ClientRect();
    c.Brush()->SetColor(Color());
    c.FillRect(r);
    c.Brush()->SetColor(rtl::clBlack);
    c.FrameRect(r);
    c.Brush()->SetStyle(bsClear);
    c.Font()->SetColor(Font()->Color());
    TRect text{r.Left + 4, r.Top + 2, r.Right - 4, r.Bottom - 2};
    c.DrawText(Caption(), text, DT_WORDBREAK | DT_NOPREFIX);
    c.Brush()->SetStyle(bsSolid);
}

}  // namespace ui
