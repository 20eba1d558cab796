#pragma once
// THintWindow: a small top-level window that shows a hint text over other windows, in the
// info colours (clInfoBk background, clInfoText text, a black frame). It never takes the
// focus and never activates: the window the user works in keeps both.
//
// Promises: ActivateHint places the window at a rectangle in screen coordinates and shows
// the text there; ReleaseHint hides it. The window has no parent control; it gets its window
// when first activated.

#include <string>

#include "platform/ui/CustomControl.h"

namespace ui {

class THintWindow : public TCustomControl {
    GW_CLASS(THintWindow)

public:
    explicit THintWindow(classes::TComponent* owner);

    // Shows `text` in `rect` (screen coordinates).
    virtual void ActivateHint(const TRect& rect, const std::string& text);
    bool Active() const noexcept { return active_; }
    void CreatePeers() override;

protected:
    void Paint() override;

private:
    bool active_ = false;
};

}  // namespace ui
