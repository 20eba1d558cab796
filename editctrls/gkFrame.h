#pragma once
// TgkEditFrame and TgkButtonEffects: the Frame and ButtonEffects options of the library's
// edit-like controls, and the routines that draw such a frame.
//
// Promises:
// - The frame is drawn with DrawEdge in the two-pixel ring the window system leaves along the
//   control's edges; inside a grid (parent a TCustomGrid) every routine acts as if the frame
//   were off.
// - Setters store the value; those that change the look invalidate the owning edit. A frame
//   whose owner is no windowed control only stores.
// - Every change of a published setting (through its setter or by name) is then told through
//   OnChange, so the owner can place its text and repaint at once. The plain fields, assigned
//   directly, are not told.
// - Side sets are the DrawEdge side flags: left 1, top 2, right 4, bottom 8.
// - The button effects set the button's published "Flat" (and "Transparent") properties by
//   name; a button class without them is left alone.

#include "platform/classes/Persistent.h"
#include "platform/classes/Sets.h"
#include "platform/rtl/Colors.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Types.h"

namespace ui {
class TCanvas;
}

namespace editctrls {

enum TgkEditFrameEnabled { efLeftBorder, efTopBorder, efRightBorder, efBottomBorder };
using TgkEditFrameEnabledSet = classes::TSet<TgkEditFrameEnabled>;
enum TgkEditFocusStyle { efsFrameBox, efsFrameSunken, efsFrameRaised, efsFrameEtched, efsFrameBump, efsFrameSingle };

const classes::TEnumInfo& EditFrameEnabledInfo();
const classes::TEnumInfo& EditFocusStyleInfo();

// The DrawEdge edge and extra flags of a style.
unsigned FrameEdge(TgkEditFocusStyle style);
unsigned FrameExtraFlags(TgkEditFocusStyle style);
// The side flags of a border set.
unsigned FrameSideFlags(TgkEditFrameEnabledSet sides);

class TgkEditFrame : public classes::TPersistent {
    GW_CLASS(TgkEditFrame)

public:
    explicit TgkEditFrame(classes::TPersistent* owner);
    void Assign(const classes::TPersistent& source) override;
    // Enabled and Transparent through their setters; unless `force`, the rest only when the
    // frame is now enabled.
    void AssignFrame(const TgkEditFrame& source, bool force);

    // The owning control; nil when the owner is no windowed control.
    ui::TWinControl* Control() const noexcept { return control_; }

    bool Enabled() const noexcept { return enabled_; }
    void SetEnabled(bool v);
    TgkEditFrameEnabledSet NonFocusBorders() const noexcept { return nonFocusBorders_; }
    void SetNonFocusBorders(TgkEditFrameEnabledSet v);
    TgkEditFrameEnabledSet FocusBorders() const noexcept { return focusBorders_; }
    void SetFocusBorders(TgkEditFrameEnabledSet v);
    TgkEditFocusStyle FocusStyle() const noexcept { return focusStyle_; }
    void SetFocusStyle(TgkEditFocusStyle v);
    TgkEditFocusStyle NonFocusStyle() const noexcept { return nonFocusStyle_; }
    void SetNonFocusStyle(TgkEditFocusStyle v);
    bool Transparent() const noexcept { return transparent_; }
    void SetTransparent(bool v);

    int NonFocusTextOffsetX = 0;
    int NonFocusTextOffsetY = 0;
    bool MouseEnterSameAsFocus = false;
    int AutoSizeHeightAdjust = 0;
    rtl::TColor NonFocusTransparentFontColor = rtl::clNone;
    rtl::TColor NonFocusColor = rtl::clNone;
    rtl::TColor NonFocusFontColor = rtl::clNone;
    // The owner makes its window transparent; the edit clears it on entry, sets it on exit.
    bool CreateTransparent = false;

    // Heard after a published setting was set (Transparent even to its current value).
    classes::TNotifyEvent OnChange;
    void Changed() { OnChange(this); }

    // Enabled, with a control that is not inside a grid.
    bool IsFrameEnabled() const;
    static bool IsSingleLineStyle(TgkEditFocusStyle style);
    // Where the text starts inside the frame of the focused or unfocused look.
    virtual void GetTextOffsets(int& x, int& y, bool focused) const;
    // The formatting-rectangle insets (left, top) and the lowering of the right edge: R's Left
    // and Top are set, its Right lowered.
    void GetEditRectMargins(ui::TRect& r) const;
    // The control's height from its font.
    void AdjustHeight();
    // Repaints the control (its area on the parent when transparent).
    void Refresh();
    // A transparent frame asks the control to make its window again.
    void RecreateForTransparency();

private:
    ui::TWinControl* control_ = nullptr;
    bool enabled_ = false;
    TgkEditFrameEnabledSet nonFocusBorders_{efBottomBorder};
    TgkEditFrameEnabledSet focusBorders_{efLeftBorder, efTopBorder, efRightBorder, efBottomBorder};
    TgkEditFocusStyle focusStyle_ = efsFrameBox;
    TgkEditFocusStyle nonFocusStyle_ = efsFrameBox;
    bool transparent_ = false;
};

class TgkButtonEffects : public classes::TPersistent {
    GW_CLASS(TgkButtonEffects)

public:
    TgkButtonEffects(ui::TWinControl* control, ui::TControl* button);
    bool Transparent() const noexcept { return transparent_; }
    void SetTransparent(bool v);
    bool Flat() const noexcept { return flat_; }
    void SetFlat(bool v);
    ui::TWinControl* Control() const noexcept { return control_; }
    ui::TControl* Button() const noexcept { return button_; }
    // Re-lays the owner's button; nothing here.
    virtual void Refresh() {}

private:
    bool transparent_ = false;
    bool flat_ = false;
    ui::TWinControl* control_ = nullptr;
    ui::TControl* button_ = nullptr;
};

// Windows here carry no extended styles: a control's window counts as transparent when its
// frame asks for a transparent window (CreateTransparent) and is on and transparent, outside a
// designer. False for a control without a window.
bool gkIsWindowTransparent(const ui::TControl& control);
// The control's parent has a window and that window is transparent.
bool gkIsParentTransparent(const ui::TControl& control);
// Invalidates, without erasing, the area the control covers on its parent, and on each
// further ancestor while the one just handled is transparent.
void gkInvalidateTransparentParents(const ui::TControl& control);
// After a transparent edit's text changed: the area that held the text is painted again (the
// whole client area, the frame's inside, or the text beside a button). With an opaque parent
// the edit repaints that area itself, or the parent does when one of its graphic controls lies
// under the edit; with a transparent parent every transparent ancestor repaints.
void gkEraseTransparentText(const TgkEditFrame& frame, bool wholeClient, bool textOnly);

// The control's published "Frame" / "ButtonEffects" object, nil without one.
TgkEditFrame* gkGetFrame(classes::TPersistent* control);
TgkButtonEffects* gkGetButtonEffects(classes::TPersistent* control);
// Draws the frame of the focused or unfocused look over the control's client rectangle.
void gkDrawFrame(const ui::TControl& control, const TgkEditFrame& frame, ui::TCanvas& canvas, bool focused);
// The same over the whole window area; nothing when no side is drawn.
void gkDrawFrameOnDC(const ui::TControl& control, const TgkEditFrame& frame, ui::TCanvas& canvas, bool focused);
// The frame into the control's ring: True (nothing painted) when the frame is not active;
// else the two outer rings blanked in the control's colour (unless transparent and focused,
// not forced) and the frame drawn.
bool gkPaintNonClientFrame(const TgkEditFrame& frame, bool focused, bool force, ui::TCanvas& canvas);

}  // namespace editctrls
