#include "editctrls/gkFrame.h"

#include <algorithm>
#include <cstdlib>

#include "grid/GridRoutines.h"
#include "platform/classes/TypInfo.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/FrameControls.h"
#include "platform/ui/Grids.h"
#include "platform/ui/StdCtrls.h"

namespace editctrls {

const classes::TEnumInfo& EditFrameEnabledInfo()
{
    static const classes::TEnumInfo info{"TgkEditFrameEnabled",
                                         {"efLeftBorder", "efTopBorder", "efRightBorder", "efBottomBorder"}};
    return info;
}

const classes::TEnumInfo& EditFocusStyleInfo()
{
    static const classes::TEnumInfo info{"TgkEditFocusStyle",
                                         {"efsFrameBox", "efsFrameSunken", "efsFrameRaised", "efsFrameEtched",
                                          "efsFrameBump", "efsFrameSingle"}};
    return info;
}

unsigned FrameEdge(TgkEditFocusStyle style)
{
    switch (style) {
    case efsFrameRaised: return ui::EDGE_RAISED;
    case efsFrameEtched: return ui::EDGE_ETCHED;
    case efsFrameBump: return ui::EDGE_BUMP;
    case efsFrameSingle: return ui::BDR_SUNKENOUTER;
    default: return ui::EDGE_SUNKEN;
    }
}

unsigned FrameExtraFlags(TgkEditFocusStyle style)
{
    return style == efsFrameBox || style == efsFrameSingle ? ui::BF_MONO : 0;
}

unsigned FrameSideFlags(TgkEditFrameEnabledSet sides)
{
    unsigned flags = 0;
    if (sides.Contains(efLeftBorder)) flags |= ui::BF_LEFT;
    if (sides.Contains(efTopBorder)) flags |= ui::BF_TOP;
    if (sides.Contains(efRightBorder)) flags |= ui::BF_RIGHT;
    if (sides.Contains(efBottomBorder)) flags |= ui::BF_BOTTOM;
    return flags;
}

GW_IMPLEMENT_CLASS(TgkEditFrame, classes::TPersistent)
{
    using C = TgkEditFrame;
    p.Boolean("Enabled", &C::Enabled, &C::SetEnabled, false);
    p.Set("NonFocusBorders", EditFrameEnabledInfo(), &C::NonFocusBorders, &C::SetNonFocusBorders,
          TgkEditFrameEnabledSet{efBottomBorder});
    p.Set("FocusBorders", EditFrameEnabledInfo(), &C::FocusBorders, &C::SetFocusBorders,
          TgkEditFrameEnabledSet{efLeftBorder, efTopBorder, efRightBorder, efBottomBorder});
    p.Enumeration("FocusStyle", EditFocusStyleInfo(), &C::FocusStyle, &C::SetFocusStyle, efsFrameBox);
    p.Enumeration("NonFocusStyle", EditFocusStyleInfo(), &C::NonFocusStyle, &C::SetNonFocusStyle, efsFrameBox);
    p.Integer(
        "NonFocusTextOffsetX", [](const C& f) { return f.NonFocusTextOffsetX; },
        [](C& f, int v) {
            f.NonFocusTextOffsetX = v;
            f.Changed();
        }, 0);
    p.Integer(
        "NonFocusTextOffsetY", [](const C& f) { return f.NonFocusTextOffsetY; },
        [](C& f, int v) {
            f.NonFocusTextOffsetY = v;
            f.Changed();
        }, 0);
    p.Boolean("Transparent", &C::Transparent, &C::SetTransparent, false);
    p.Boolean(
        "MouseEnterSameAsFocus", [](const C& f) { return f.MouseEnterSameAsFocus; },
        [](C& f, bool v) {
            f.MouseEnterSameAsFocus = v;
            f.Changed();
        }, false);
    p.Integer(
        "AutoSizeHeightAdjust", [](const C& f) { return f.AutoSizeHeightAdjust; },
        [](C& f, int v) {
            f.AutoSizeHeightAdjust = v;
            f.Changed();
        }, 0);
    p.Color(
        "NonFocusTransparentFontColor", [](const C& f) { return f.NonFocusTransparentFontColor; },
        [](C& f, rtl::TColor v) {
            f.NonFocusTransparentFontColor = v;
            f.Changed();
        }, rtl::clNone);
    p.Color(
        "NonFocusColor", [](const C& f) { return f.NonFocusColor; }, [](C& f, rtl::TColor v) {
            f.NonFocusColor = v;
            f.Changed();
        },
        rtl::clNone);
    p.Color(
        "NonFocusFontColor", [](const C& f) { return f.NonFocusFontColor; },
        [](C& f, rtl::TColor v) {
            f.NonFocusFontColor = v;
            f.Changed();
        }, rtl::clNone);
}

TgkEditFrame::TgkEditFrame(classes::TPersistent* owner) : control_(dynamic_cast<ui::TWinControl*>(owner)) {}

void TgkEditFrame::Assign(const classes::TPersistent& source)
{
    if (const auto* frame = dynamic_cast<const TgkEditFrame*>(&source)) {
        AssignFrame(*frame, false);
        return;
    }
    TPersistent::Assign(source);
}

void TgkEditFrame::AssignFrame(const TgkEditFrame& source, bool force)
{
    SetEnabled(source.Enabled());
    SetTransparent(source.Transparent());
    if (!force && !enabled_) return;
    MouseEnterSameAsFocus = source.MouseEnterSameAsFocus;
    AutoSizeHeightAdjust = source.AutoSizeHeightAdjust;
    SetFocusBorders(source.FocusBorders());
    SetNonFocusBorders(source.NonFocusBorders());
    focusStyle_ = source.FocusStyle();
    SetNonFocusStyle(source.NonFocusStyle());
    NonFocusTextOffsetX = source.NonFocusTextOffsetX;
    NonFocusTextOffsetY = source.NonFocusTextOffsetY;
    NonFocusTransparentFontColor = source.NonFocusTransparentFontColor;
    NonFocusColor = source.NonFocusColor;
    NonFocusFontColor = source.NonFocusFontColor;
    Changed();  // the fields above were copied silently
}

void TgkEditFrame::SetEnabled(bool v)
{
    if (v == enabled_) return;
    enabled_ = v;
    if (auto* edit = dynamic_cast<ui::TCustomEdit*>(control_)) {
        if (v) grid::gkSetBorderStyle(edit, false);
        if (classes::GetBoolProp(*edit, "AutoSize")) AdjustHeight();
        edit->Invalidate();
    }
    Changed();
}

void TgkEditFrame::SetFocusBorders(TgkEditFrameEnabledSet v)
{
    focusBorders_ = v;
    if (auto* edit = dynamic_cast<ui::TCustomEdit*>(control_)) edit->Invalidate();
    Changed();
}

void TgkEditFrame::SetFocusStyle(TgkEditFocusStyle v)
{
    focusStyle_ = v;
    Changed();
}

void TgkEditFrame::SetNonFocusBorders(TgkEditFrameEnabledSet v)
{
    nonFocusBorders_ = v;
    if (dynamic_cast<ui::TCustomEdit*>(control_) != nullptr) Refresh();
    Changed();
}

void TgkEditFrame::SetNonFocusStyle(TgkEditFocusStyle v)
{
    if (v == nonFocusStyle_) return;
    nonFocusStyle_ = v;
    if (auto* edit = dynamic_cast<ui::TCustomEdit*>(control_)) edit->Invalidate();
    Changed();
}

void TgkEditFrame::SetTransparent(bool v)
{
    if (v != transparent_) {
        transparent_ = v;
        CreateTransparent = v;
        RecreateForTransparency();
    }
    // A rich edit makes its window again even for the same value.
    Changed();
}

bool TgkEditFrame::IsFrameEnabled() const
{
    return enabled_ && control_ != nullptr && dynamic_cast<ui::TCustomGrid*>(control_->Parent()) == nullptr;
}

bool TgkEditFrame::IsSingleLineStyle(TgkEditFocusStyle style) { return style == efsFrameBox || style == efsFrameSingle; }

void TgkEditFrame::GetTextOffsets(int& x, int& y, bool focused) const
{
    const TgkEditFrameEnabledSet borders = focused ? focusBorders_ : nonFocusBorders_;
    const TgkEditFocusStyle style = focused ? focusStyle_ : nonFocusStyle_;
    x = !borders.Contains(efLeftBorder) ? 1 : IsSingleLineStyle(style) ? 2 : 3;
    y = borders.Contains(efTopBorder) && !IsSingleLineStyle(style) ? 3 : 2;
    x += NonFocusTextOffsetX;
    y += NonFocusTextOffsetY;
}

void TgkEditFrame::GetEditRectMargins(ui::TRect& r) const
{
    if (IsSingleLineStyle(focusStyle_)) {
        r.Top = 2;
        r.Left = 2;
        if (focusBorders_.Contains(efRightBorder) && focusStyle_ == efsFrameBox) r.Right -= 1;
        return;
    }
    r.Top = 3;
    if (!focusBorders_.Contains(efLeftBorder))
        r.Left = 1;
    else
        r.Left = focusStyle_ == efsFrameSunken || focusStyle_ == efsFrameBump ? 3 : 2;
    r.Right -= 2;
}

void TgkEditFrame::AdjustHeight()
{
    if (control_ == nullptr) return;
    const int fontHeight = ui::MeasureFont(*control_->Font()).Metrics().Height;
    // Every screen here has new-style controls and one-pixel borders.
    int extra = classes::GetBoolProp(*control_, "Ctl3D", true) ? 8 : 6;
    if (auto* edit = dynamic_cast<ui::TCustomEdit*>(control_); edit != nullptr &&
        classes::GetEnumProp(*edit, "BorderStyle").value_or("bsSingle") == "bsNone")
        extra = 6;
    if (enabled_) extra += AutoSizeHeightAdjust;
    control_->SetHeight(fontHeight + extra);
}

void TgkEditFrame::Refresh()
{
    if (control_ == nullptr) return;
    if (enabled_ && transparent_ && control_->Parent() != nullptr)
        control_->Parent()->Invalidate();
    else
        control_->Invalidate();
}

void TgkEditFrame::RecreateForTransparency()
{
    // A window made again takes its properties anew; here the window follows them as they
    // change, so a repaint is all a transparent frame needs.
    if (transparent_ && IsFrameEnabled()) control_->Invalidate();
}

GW_IMPLEMENT_CLASS(TgkButtonEffects, classes::TPersistent)
{
    using C = TgkButtonEffects;
    p.Boolean("Transparent", &C::Transparent, &C::SetTransparent, false);
    p.Boolean("Flat", &C::Flat, &C::SetFlat, false);
}

TgkButtonEffects::TgkButtonEffects(ui::TWinControl* control, ui::TControl* button) : control_(control), button_(button) {}

void TgkButtonEffects::SetTransparent(bool v)
{
    if (v == transparent_) return;
    transparent_ = v;
    if (button_ != nullptr) {
        if (classes::FindProperty(*button_, "Transparent") != nullptr)
            classes::SetPropValue(*button_, "Transparent", classes::TPropValue(transparent_));
        if (classes::FindProperty(*button_, "Flat") != nullptr)
            classes::SetPropValue(*button_, "Flat", classes::TPropValue(flat_ || transparent_));
    }
    Refresh();
    if (button_ != nullptr) button_->Invalidate();
}

void TgkButtonEffects::SetFlat(bool v)
{
    if (v == flat_) return;
    flat_ = v;
    if (button_ != nullptr && classes::FindProperty(*button_, "Flat") != nullptr)
        classes::SetPropValue(*button_, "Flat", classes::TPropValue(flat_ || transparent_));
    Refresh();
    if (button_ != nullptr) button_->Invalidate();
}

TgkEditFrame* gkGetFrame(classes::TPersistent* control)
{
    return control == nullptr ? nullptr : dynamic_cast<TgkEditFrame*>(classes::GetObjectProp(*control, "Frame"));
}

TgkButtonEffects* gkGetButtonEffects(classes::TPersistent* control)
{
    return control == nullptr ? nullptr
                              : dynamic_cast<TgkButtonEffects*>(classes::GetObjectProp(*control, "ButtonEffects"));
}

namespace {

void DrawFrameIn(ui::TRect r, const TgkEditFrame& frame, ui::TCanvas& canvas, bool focused, bool skipEmpty)
{
    const TgkEditFrameEnabledSet borders = focused ? frame.FocusBorders() : frame.NonFocusBorders();
    const TgkEditFocusStyle style = focused ? frame.FocusStyle() : frame.NonFocusStyle();
    if (!borders.Contains(efRightBorder) && frame.Transparent()) r.Right -= 2;
    const unsigned sides = FrameSideFlags(borders);
    if (skipEmpty && sides == 0) return;
    ui::DrawEdge(canvas, r, FrameEdge(style), sides | FrameExtraFlags(style));
}

}  // namespace

void gkDrawFrame(const ui::TControl& control, const TgkEditFrame& frame, ui::TCanvas& canvas, bool focused)
{
    DrawFrameIn(control.ClientRect(), frame, canvas, focused, false);
}

void gkDrawFrameOnDC(const ui::TControl& control, const TgkEditFrame& frame, ui::TCanvas& canvas, bool focused)
{
    const ui::TRect client = control.ClientRect();
    DrawFrameIn({client.Left, client.Top, control.Width(), control.Height()}, frame, canvas, focused, true);
}

bool gkPaintNonClientFrame(const TgkEditFrame& frame, bool focused, bool force, ui::TCanvas& canvas)
{
    if (!frame.IsFrameEnabled()) return true;
    ui::TWinControl& control = *frame.Control();
    const bool checkLike = grid::gkIsClass(&control, "TgkCheckBox") || grid::gkIsClass(&control, "TgkRadioButton");
    if (!checkLike && (!frame.Transparent() || (focused && !force))) {
        canvas.Brush()->SetColor(control.Color());
        canvas.FrameRect({0, 0, control.Width(), control.Height()});
        canvas.FrameRect({1, 1, control.Width() - 1, control.Height() - 1});
    }
    gkDrawFrameOnDC(control, frame, canvas, focused);
    return false;
}

// ---- Transparent windows ------------------------------------------------------------------

bool gkIsWindowTransparent(const ui::TControl& control)
{
    if (!control.HandleAllocated() || grid::gkIsDesigning(&control)) return false;
    const TgkEditFrame* frame = gkGetFrame(const_cast<ui::TControl*>(&control));
    return frame != nullptr && frame->CreateTransparent && frame->Transparent() && frame->IsFrameEnabled();
}

bool gkIsParentTransparent(const ui::TControl& control)
{
    return control.Parent() != nullptr && gkIsWindowTransparent(*control.Parent());
}

void gkInvalidateTransparentParents(const ui::TControl& control)
{
    const ui::TControl* level = &control;
    for (ui::TWinControl* ancestor = control.Parent(); ancestor != nullptr; ancestor = ancestor->Parent()) {
        const ui::TPoint at = ancestor->ScreenToClient(control.ClientToScreen({0, 0}));
        ancestor->InvalidateRect(ui::Bounds(at.X, at.Y, control.Width(), control.Height()));
        if (!gkIsParentTransparent(*level)) return;
        level = ancestor;
    }
}

namespace {

// The edit's formatting rectangle (where its text goes), in client coordinates.
ui::TRect FormattingRect(const ui::TWinControl& control)
{
    const ui::TRect client = control.ClientRect();
    const auto* edit = dynamic_cast<const ui::TCustomEdit*>(&control);
    if (edit == nullptr) return client;
    const ui::TRect& m = edit->TextMargins();
    return {client.Left + m.Left, client.Top + m.Top, client.Right - m.Right, client.Bottom - m.Bottom};
}

// The area a changed text covered: the client area, the frame's inside, or (TextOnly on a
// borderless edit) the inside up to the formatting rectangle's right edge.
ui::TRect ErasedTextArea(const TgkEditFrame& frame, const ui::TRect& edit, bool wholeClient, bool textOnly)
{
    const ui::TWinControl& control = *frame.Control();
    ui::TRect r = control.ClientRect();
    if (wholeClient) return r;
    const bool noLeft = !frame.NonFocusBorders().Contains(efLeftBorder);
    const bool borderless = classes::GetEnumProp(control, "BorderStyle").value_or("bsSingle") == "bsNone";
    if (textOnly && !borderless) return r;
    r = {r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2};
    if (noLeft) r.Left -= 2;
    if (!textOnly) {
        r.Bottom -= 2;
        return r;
    }
    // Beside a drop-down button the text ends well before the inside does.
    const bool besideButton = classes::FindProperty(control, "ButtonEffects") != nullptr && std::abs(edit.Right - r.Right) > 8;
    r.Right = r.Left + edit.Right + (besideButton ? 3 : 1);
    return r;
}

// A visible control of the parent without a window of its own (a label, an image) at `p`.
bool HasGraphicControlAt(const ui::TWinControl& parent, ui::TPoint p)
{
    for (int i = 0; i < parent.ControlCount(); ++i) {
        const ui::TControl* c = parent.Controls(i);
        if (dynamic_cast<const ui::TWinControl*>(c) != nullptr || !c->Visible()) continue;
        if (p.X >= c->Left() && p.X < c->Left() + c->Width() && p.Y >= c->Top() && p.Y < c->Top() + c->Height())
            return true;
    }
    return false;
}

}  // namespace

void gkEraseTransparentText(const TgkEditFrame& frame, bool wholeClient, bool textOnly)
{
    ui::TWinControl* control = frame.Control();
    if (control == nullptr) return;
    ui::TRect edit = FormattingRect(*control);
    const ui::TRect area = ErasedTextArea(frame, edit, wholeClient, textOnly);
    ui::TWinControl* parent = control->Parent();
    if (parent == nullptr) return;
    if (gkIsParentTransparent(*control)) {
        gkInvalidateTransparentParents(*control);
        return;
    }
    if (HasGraphicControlAt(*parent, {control->Left(), control->Top()})) {
        // A graphic control of the parent shows through: the parent paints it again.
        parent->InvalidateRect({area.Left + control->Left(), area.Top + control->Top(), area.Right + control->Left(),
                                area.Bottom + control->Top()});
        return;
    }
    if (wholeClient) {
        control->InvalidateRect(control->ClientRect());
        return;
    }
    const ui::TRect client = control->ClientRect();
    edit = {edit.Left - 1, edit.Top - 1, edit.Right + 1, edit.Bottom + 1};
    if (!frame.NonFocusBorders().Contains(efLeftBorder)) edit.Left = std::max(0, edit.Left - 1);
    if (client.Bottom - edit.Bottom >= 4) edit.Bottom -= 2;
    control->InvalidateRect(edit);
}

}  // namespace editctrls
