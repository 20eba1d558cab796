#pragma once
// What the flat-framed controls share: the frame styles and sides, the canvas routines that
// draw a frame of a style on chosen sides of a rectangle, and TFcFrameController, a
// non-visual component holding one set of frame settings that it copies into every control
// registered with it.
//
// Drawing routines draw with the canvas's pen at width 1 and answer the rectangle left
// inside what they drew. The controller copies its settings by published property name,
// into controls whose "UseFrameController" is True; a property the control does not publish
// with the expected kind and a setter is skipped. The controller does not own its controls:
// a control leaves its list when it is freed or moved to another controller, and a freed
// controller leaves its controls without a reference.

#include <string>
#include <vector>

#include "platform/classes/Component.h"
#include "platform/classes/Sets.h"
#include "platform/classes/TypInfo.h"
#include "platform/rtl/Colors.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Types.h"

namespace ui {
class TControl;
}

namespace framedctrls {

enum TFrameStyle : unsigned char {
    fsNone,
    fsFlat,
    fsGroove,
    fsBump,
    fsLowered,
    fsButtonDown,
    fsRaised,
    fsButtonUp,
    fsStatus,
    fsPopup
};
enum TSide : unsigned char { sdLeft, sdTop, sdRight, sdBottom };
using TSides = classes::TSet<TSide>;
inline constexpr TSides kAllSides{sdLeft, sdTop, sdRight, sdBottom};

const classes::TEnumInfo& FrameStyleInfo();
const classes::TEnumInfo& SideInfo();

// One-pixel lines: ulColor on the left and top, lrColor on the right and bottom, each only
// on a side in `sides`. `inner` is r moved in by one on each drawn side.
void DrawSides(ui::TCanvas& canvas, const ui::TRect& r, rtl::TColor ulColor, ui::TRect& inner, TSides sides,
               rtl::TColor lrColor);
// DrawSides `width` times, each inside the last; width below 1 draws nothing.
void DrawBevel(ui::TCanvas& canvas, const ui::TRect& r, rtl::TColor ulColor, ui::TRect& inner, TSides sides,
               int width, rtl::TColor lrColor);
// One frame of `style`; fsNone draws nothing.
void DrawFrame(ui::TCanvas& canvas, const ui::TRect& r, TFrameStyle style, ui::TRect& inner, TSides sides);
// The two outer pixel rings of (0, 0, width, height) in backColor, then the frame: fsFlat
// in frameColor, another style in its own colours.
void DrawBorder(ui::TCanvas& canvas, int width, int height, TSides sides, rtl::TColor frameColor,
                rtl::TColor backColor, TFrameStyle style);
// The font's cell height plus 2 (what an item of a framed list needs).
int GetFontHeight(const classes::TFont& font);

// The frame settings every framed control and the controller carry, with their common
// defaults. Each setter answers whether the value changed, so that its owner decides what a
// change costs (a repaint, a copy into the registered controls).
struct TFrameSettings {
    rtl::TColor color = rtl::clBtnShadow;
    bool flat = false;
    TFrameStyle flatStyle = fsStatus;
    TFrameStyle focusStyle = fsLowered;
    TSides sides = kAllSides;
    TFrameStyle style = fsFlat;
    bool visible = false;

    bool SetColor(rtl::TColor v) { return Change(color, v); }
    bool SetFlatStyle(TFrameStyle v) { return Change(flatStyle, v); }
    bool SetFocusStyle(TFrameStyle v) { return Change(focusStyle, v); }
    bool SetSides(TSides v) { return Change(sides, v); }
    bool SetStyle(TFrameStyle v) { return Change(style, v); }
    bool SetVisible(bool v) { return Change(visible, v); }
    // Turning flat on shows the frame first (showFrame, the owner's own FrameVisible setter,
    // so that its side effects run) and then, unless the owner is loading, puts the frame at
    // rest on all sides; while loading, the stored sides and style are kept.
    template <class ShowFrame>
    bool SetFlat(bool v, bool loading, ShowFrame&& showFrame)
    {
        if (!Change(flat, v)) return false;
        if (v) {
            showFrame();
            if (!loading) {
                sides = kAllSides;
                style = flatStyle;
            }
        }
        return true;
    }
    // A flat frame takes the focus style while `active` (focused or under the mouse), else
    // the flat style.
    void Track(bool active)
    {
        if (flat) style = active ? focusStyle : flatStyle;
    }

private:
    template <class T>
    static bool Change(T& field, const T& v)
    {
        if (field == v) return false;
        field = v;
        return true;
    }
};

// The numbers of the settings UpdateControl copies.
enum TFrameWhat {
    fwAll = 0,
    fwColor,
    fwFlatButtons,
    fwFrameColor,
    fwFrameFlat,
    fwFrameFlatStyle,
    fwFrameFocusStyle,
    fwFrameSides,
    fwFrameStyle,
    fwFrameVisible
};

class TFcFrameController : public classes::TComponent {
    GW_CLASS(TFcFrameController)

public:
    explicit TFcFrameController(classes::TComponent* owner);
    ~TFcFrameController() override;

    // Appends the control (once) and copies every setting into it.
    void AddControl(ui::TControl* control);
    void RemoveControl(ui::TControl* control);
    const std::vector<ui::TControl*>& RegisteredControls() const noexcept { return controls_; }

    // Copies setting `what` into every registered control (not while updates are held).
    virtual void UpdateControls(int what);
    virtual void UpdateControl(ui::TControl* control, int what);
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate() { --updateCount_; }

    rtl::TColor Color() const noexcept { return color_; }
    void SetColor(rtl::TColor v);
    bool FlatButtons() const noexcept { return flatButtons_; }
    void SetFlatButtons(bool v);
    rtl::TColor FrameColor() const noexcept { return frame_.color; }
    void SetFrameColor(rtl::TColor v);
    bool FrameFlat() const noexcept { return frame_.flat; }
    void SetFrameFlat(bool v);
    TFrameStyle FrameFlatStyle() const noexcept { return frame_.flatStyle; }
    void SetFrameFlatStyle(TFrameStyle v);
    TFrameStyle FrameFocusStyle() const noexcept { return frame_.focusStyle; }
    void SetFrameFocusStyle(TFrameStyle v);
    TSides FrameSides() const noexcept { return frame_.sides; }
    void SetFrameSides(TSides v);
    TFrameStyle FrameStyle() const noexcept { return frame_.style; }
    void SetFrameStyle(TFrameStyle v);
    bool FrameVisible() const noexcept { return frame_.visible; }
    void SetFrameVisible(bool v);

    void Loaded() override;
    // A registered control being freed leaves the list.
    void Notification(classes::TComponent* component, classes::TOperation operation) override;

private:
    rtl::TColor color_ = rtl::clWindow;
    std::vector<ui::TControl*> controls_;
    bool flatButtons_ = true;
    TFrameSettings frame_;
    int updateCount_ = 0;
};

// Moves `control`'s controller reference from `current` to `next`: off the old list, onto
// the new one (which copies its settings), with free notifications both ways.
void AttachFrameController(ui::TControl& control, TFcFrameController*& current, TFcFrameController* next);

}  // namespace framedctrls
