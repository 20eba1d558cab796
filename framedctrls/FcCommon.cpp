#include "framedctrls/FcCommon.h"

#include <algorithm>

#include "platform/ui/Controls.h"

namespace framedctrls {

using rtl::TColor;
using ui::TCanvas;
using ui::TRect;

const classes::TEnumInfo& FrameStyleInfo()
{
    static const classes::TEnumInfo info{"TFrameStyle",
                                         {"fsNone", "fsFlat", "fsGroove", "fsBump", "fsLowered", "fsButtonDown",
                                          "fsRaised", "fsButtonUp", "fsStatus", "fsPopup"}};
    return info;
}

const classes::TEnumInfo& SideInfo()
{
    static const classes::TEnumInfo info{"TSide", {"sdLeft", "sdTop", "sdRight", "sdBottom"}};
    return info;
}

namespace {

void Line(TCanvas& canvas, int x1, int y1, int x2, int y2)
{
    canvas.MoveTo(x1, y1);
    canvas.LineTo(x2, y2);
}

struct TRing {
    TColor ul;
    TColor lr;
};

}  // namespace

void DrawSides(TCanvas& canvas, const TRect& r, TColor ulColor, TRect& inner, TSides sides, TColor lrColor)
{
    inner = r;
    canvas.Pen()->SetWidth(1);
    canvas.Pen()->SetColor(ulColor);
    if (sides.Contains(sdLeft)) {
        Line(canvas, r.Left, r.Top, r.Left, r.Bottom);
        ++inner.Left;
    }
    if (sides.Contains(sdTop)) {
        Line(canvas, r.Left, r.Top, r.Right, r.Top);
        ++inner.Top;
    }
    canvas.Pen()->SetColor(lrColor);
    if (sides.Contains(sdRight)) {
        Line(canvas, r.Right - 1, r.Top, r.Right - 1, r.Bottom);
        --inner.Right;
    }
    if (sides.Contains(sdBottom)) {
        Line(canvas, r.Left, r.Bottom - 1, r.Right, r.Bottom - 1);
        --inner.Bottom;
    }
}

void DrawBevel(TCanvas& canvas, const TRect& r, TColor ulColor, TRect& inner, TSides sides, int width, TColor lrColor)
{
    inner = r;
    for (int i = 0; i < width; ++i) {
        TRect next;
        DrawSides(canvas, inner, ulColor, next, sides, lrColor);
        inner = next;
    }
}

void DrawFrame(TCanvas& canvas, const TRect& r, TFrameStyle style, TRect& inner, TSides sides)
{
    inner = r;
    switch (style) {
    case fsNone: return;
    case fsFlat: DrawSides(canvas, r, rtl::clWindowFrame, inner, sides, rtl::clWindowFrame); return;
    case fsStatus: DrawSides(canvas, r, rtl::clBtnShadow, inner, sides, rtl::clBtnHighlight); return;
    case fsPopup: DrawSides(canvas, r, rtl::clBtnHighlight, inner, sides, rtl::clBtnShadow); return;
    case fsLowered:
    case fsRaised:
    case fsButtonDown:
    case fsButtonUp: {
        TRing outer{}, in{};
        switch (style) {
        case fsLowered: outer = {rtl::clBtnShadow, rtl::clBtnHighlight}, in = {rtl::clBtnText, rtl::cl3DLight}; break;
        case fsRaised: outer = {rtl::cl3DLight, rtl::clBtnText}, in = {rtl::clBtnHighlight, rtl::clBtnShadow}; break;
        case fsButtonDown: outer = {rtl::clBtnText, rtl::clBtnText}, in = {rtl::clBtnShadow, rtl::clBtnShadow}; break;
        default: outer = {rtl::clBtnHighlight, rtl::cl3DDkShadow}, in = {rtl::cl3DLight, rtl::clBtnShadow}; break;
        }
        TRect middle;
        DrawBevel(canvas, r, outer.ul, middle, sides, 1, outer.lr);
        DrawBevel(canvas, middle, in.ul, inner, sides, 1, in.lr);
        return;
    }
    case fsGroove:
    case fsBump: {
        const TColor c1 = style == fsGroove ? rtl::clBtnShadow : rtl::clBtnHighlight;
        const TColor c2 = style == fsGroove ? rtl::clBtnHighlight : rtl::clBtnShadow;
        const bool left = sides.Contains(sdLeft), top = sides.Contains(sdTop);
        const bool right = sides.Contains(sdRight), bottom = sides.Contains(sdBottom);
        // Where one side ends without its neighbour, the corner pixels finish the two-tone
        // line so that it does not look cut off.
        if (right)
            canvas.SetPixel(r.Right - 1, r.Top, c2);
        else if (top)
            canvas.SetPixel(r.Right - 1, r.Top, c1);
        if (bottom)
            canvas.SetPixel(r.Left, r.Bottom - 1, c2);
        else if (left)
            canvas.SetPixel(r.Left, r.Bottom - 1, c1);
        if (top && !left) canvas.SetPixel(r.Left, r.Top + 1, c2);
        if (left && !top) canvas.SetPixel(r.Left + 1, r.Top, c2);
        if (bottom && !right) canvas.SetPixel(r.Right - 1, r.Bottom - 2, c1);
        if (right && !bottom) canvas.SetPixel(r.Right - 2, r.Bottom - 1, c1);
        TRect ignored;
        DrawSides(canvas, {r.Left + 1, r.Top + 1, r.Right, r.Bottom}, c2, ignored, sides, c2);
        DrawSides(canvas, {r.Left, r.Top, r.Right - 1, r.Bottom - 1}, c1, ignored, sides, c1);
        if (left) inner.Left += 2;
        if (top) inner.Top += 2;
        if (right) inner.Right -= 2;
        if (bottom) inner.Bottom -= 2;
        return;
    }
    }
}

void DrawBorder(TCanvas& canvas, int width, int height, TSides sides, TColor frameColor, TColor backColor,
                TFrameStyle style)
{
    const TRect r{0, 0, width, height};
    TRect inner;
    DrawBevel(canvas, r, backColor, inner, kAllSides, 2, backColor);
    if (style == fsFlat)
        DrawSides(canvas, r, frameColor, inner, sides, frameColor);
    else
        DrawFrame(canvas, r, style, inner, sides);
}

int GetFontHeight(const classes::TFont& font) { return ui::MeasureFont(font).Metrics().Height + 2; }

// ---- The controller --------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TFcFrameController, classes::TComponent)
{
    using C = TFcFrameController;
    p.Color("Color", &C::Color, &C::SetColor, rtl::clWindow);
    p.Boolean("FlatButtons", &C::FlatButtons, &C::SetFlatButtons, true);
    p.Color("FrameColor", &C::FrameColor, &C::SetFrameColor, rtl::clBtnShadow);
    p.Boolean("FrameFlat", &C::FrameFlat, &C::SetFrameFlat, false);
    p.Enumeration("FrameFlatStyle", FrameStyleInfo(), &C::FrameFlatStyle, &C::SetFrameFlatStyle, fsStatus);
    p.Enumeration("FrameFocusStyle", FrameStyleInfo(), &C::FrameFocusStyle, &C::SetFrameFocusStyle, fsLowered);
    p.Set("FrameSides", SideInfo(), &C::FrameSides, &C::SetFrameSides, kAllSides);
    p.Enumeration("FrameStyle", FrameStyleInfo(), &C::FrameStyle, &C::SetFrameStyle, fsFlat);
    p.Boolean("FrameVisible", &C::FrameVisible, &C::SetFrameVisible, false);
}

TFcFrameController::TFcFrameController(classes::TComponent* owner) : classes::TComponent(owner) {}

TFcFrameController::~TFcFrameController() = default;

void TFcFrameController::AddControl(ui::TControl* control)
{
    if (control == nullptr || std::find(controls_.begin(), controls_.end(), control) != controls_.end()) return;
    controls_.push_back(control);
    UpdateControl(control, fwAll);
}

void TFcFrameController::RemoveControl(ui::TControl* control)
{
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
}

void TFcFrameController::UpdateControls(int what)
{
    if (updateCount_ >= 1) return;
    // A copy: a control's setter may not change the list, but a copy costs nothing here.
    const std::vector<ui::TControl*> controls = controls_;
    for (ui::TControl* c : controls) UpdateControl(c, what);
}

namespace {

// Sets the control's property `name` when it is published with `kind` and can be written.
void SetByName(ui::TControl& control, const char* name, classes::TPropKind kind, const classes::TPropValue& value)
{
    const classes::TPropInfo* prop = control.ClassInfo().FindProperty(name);
    if (prop == nullptr || prop->Kind() != kind) return;
    if (kind == classes::TPropKind::Enumeration && prop->EnumInfo() != &FrameStyleInfo()) return;
    if (kind == classes::TPropKind::Set && prop->EnumInfo() != &SideInfo()) return;
    prop->Set(control, value);
}

}  // namespace

void TFcFrameController::UpdateControl(ui::TControl* control, int what)
{
    if (control == nullptr) return;
    const classes::TPropInfo* use = control->ClassInfo().FindProperty("UseFrameController");
    if (use == nullptr || use->Kind() != classes::TPropKind::Boolean) return;
    const classes::TPropValue on = use->Get(*control);
    if (!std::get<bool>(on)) return;
    using K = classes::TPropKind;
    auto one = [&](int w) {
        switch (w) {
        case fwColor: SetByName(*control, "Color", K::Color, std::int64_t{color_}); break;
        case fwFlatButtons: SetByName(*control, "FlatButtons", K::Boolean, flatButtons_); break;
        case fwFrameColor: SetByName(*control, "FrameColor", K::Color, std::int64_t{frame_.color}); break;
        case fwFrameFlat: SetByName(*control, "FrameFlat", K::Boolean, frame_.flat); break;
        case fwFrameFlatStyle:
            SetByName(*control, "FrameFlatStyle", K::Enumeration, std::int64_t{frame_.flatStyle});
            break;
        case fwFrameFocusStyle:
            SetByName(*control, "FrameFocusStyle", K::Enumeration, std::int64_t{frame_.focusStyle});
            break;
        case fwFrameSides:
            SetByName(*control, "FrameSides", K::Set, classes::TSetBits{frame_.sides.Bits()});
            break;
        case fwFrameStyle: SetByName(*control, "FrameStyle", K::Enumeration, std::int64_t{frame_.style}); break;
        case fwFrameVisible: SetByName(*control, "FrameVisible", K::Boolean, frame_.visible); break;
        default: break;
        }
    };
    if (what == fwAll)
        for (int w = fwColor; w <= fwFrameVisible; ++w) one(w);
    else
        one(what);
}

void TFcFrameController::Loaded()
{
    classes::TComponent::Loaded();
    UpdateControls(fwAll);
}

void TFcFrameController::Notification(classes::TComponent* component, classes::TOperation operation)
{
    classes::TComponent::Notification(component, operation);
    if (operation == classes::opRemove)
        if (auto* control = dynamic_cast<ui::TControl*>(component)) RemoveControl(control);
}

void TFcFrameController::SetColor(TColor v)
{
    if (v == color_) return;
    color_ = v;
    UpdateControls(fwColor);
}

void TFcFrameController::SetFlatButtons(bool v)
{
    if (v == flatButtons_) return;
    flatButtons_ = v;
    UpdateControls(fwFlatButtons);
}

void TFcFrameController::SetFrameColor(TColor v)
{
    if (frame_.SetColor(v)) UpdateControls(fwFrameColor);
}

void TFcFrameController::SetFrameFlat(bool v)
{
    if (frame_.SetFlat(v, ComponentState().Contains(classes::csLoading), [this] { SetFrameVisible(true); }))
        UpdateControls(fwFrameFlat);
}

void TFcFrameController::SetFrameFlatStyle(TFrameStyle v)
{
    if (frame_.SetFlatStyle(v)) UpdateControls(fwFrameFlatStyle);
}

void TFcFrameController::SetFrameFocusStyle(TFrameStyle v)
{
    if (frame_.SetFocusStyle(v)) UpdateControls(fwFrameFocusStyle);
}

void TFcFrameController::SetFrameSides(TSides v)
{
    if (frame_.SetSides(v)) UpdateControls(fwFrameSides);
}

void TFcFrameController::SetFrameStyle(TFrameStyle v)
{
    if (frame_.SetStyle(v)) UpdateControls(fwFrameStyle);
}

void TFcFrameController::SetFrameVisible(bool v)
{
    if (frame_.SetVisible(v)) UpdateControls(fwFrameVisible);
}

void AttachFrameController(ui::TControl& control, TFcFrameController*& current, TFcFrameController* next)
{
    if (current == next) return;
    if (current != nullptr) {
        current->RemoveControl(&control);
        control.RemoveFreeNotification(current);
    }
    current = next;
    if (next != nullptr) {
        next->FreeNotification(&control);
        next->AddControl(&control);
    }
}

}  // namespace framedctrls
