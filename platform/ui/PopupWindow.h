#pragma once
// TPopupWindow: the window drop-downs open in (a calendar under a date edit, a list under a
// combo box). It is a top-level window without caption or frame of its own, shown on top of
// every other window, that never takes the keyboard focus and never activates: the control
// the user types in keeps both while the popup is open. Its content is the child controls
// placed in it (usually one, aligned to fill it).
//
// Promises:
//   - ShowAt places the window at a rectangle in screen coordinates, moved (never resized,
//     unless it is larger than the area) so that it lies within the desktop's work area, and
//     shows it on top; ClosePopup hides it. Showing again moves it and brings it to the front.
//   - Left and Top are screen coordinates, also headless, so ClientToScreen of the content
//     answers screen points before any window exists.

#include "platform/ui/Controls.h"

namespace ui {

class TPopupWindow : public TWinControl {
    GW_CLASS(TPopupWindow)

public:
    explicit TPopupWindow(classes::TComponent* owner);

    // Shows the window at `screenRect`, kept within the work area.
    void ShowAt(const TRect& screenRect);
    void ClosePopup();
    bool IsOpen() const noexcept { return Visible(); }

    // `r` moved into `area` (its size kept, unless larger than the area); the left and top
    // edges win when it does not fit.
    static TRect FitInto(const TRect& r, const TRect& area);

    void CreatePeers() override;

protected:
    bool PlacedOnScreen() const override { return true; }
};

}  // namespace ui
