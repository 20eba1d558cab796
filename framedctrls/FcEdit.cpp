#include "framedctrls/FcEdit.h"

#include "platform/ui/Forms.h"
#include "platform/ui/Messages.h"

namespace framedctrls {

namespace {

const classes::TEnumInfo& LeftRightInfo()
{
    static const classes::TEnumInfo info{"TLeftRight", {"taLeftJustify", "taRightJustify"}};
    return info;
}

// A message the edit posts to itself: Enter was taken, move the focus as Tab does.
constexpr unsigned kTabOnEnter = ui::WM_USER + 0x0F01;

}  // namespace

GW_IMPLEMENT_CLASS(TFcCustomEdit, ui::TEdit)
{
    using C = TFcCustomEdit;
    p.Color("Color", &C::EditColor, &C::SetEditColor, rtl::clWindow).Stored(&C::FrameStored);
    p.Enumeration("Alignment", LeftRightInfo(), &C::Alignment, &C::SetAlignment, ui::taLeftJustify);
    p.Boolean("AutoSelect", &C::AutoSelect, &C::SetAutoSelect, true);
    p.Boolean("AutoSize", &C::AutoSize, &C::SetAutoSize, true);
    p.Enumeration("CharCase", ui::EditCharCaseInfo(), &C::CharCase, &C::SetCharCase, ui::ecNormal);
    p.Boolean("HideSelection", &C::HideSelection, &C::SetHideSelection, true);
    p.Boolean("OEMConvert", &C::OEMConvert, &C::SetOEMConvert, false);
    p.Enumeration("ImeMode", ui::ImeModeInfo(), &C::ImeMode, &C::SetImeMode, ui::imDontCare);
    p.String("ImeName", &C::ImeName, &C::SetImeName);
    p.Boolean("TabOnEnter", &C::TabOnEnter, &C::SetTabOnEnter, false);
    p.Color("FrameColor", &C::FrameColor, &C::SetFrameColor, rtl::clBtnShadow).Stored(&C::FrameStored);
    p.Component<TFcFrameController>("FrameController", &C::FrameController, &C::SetFrameController);
    p.Boolean("FrameFlat", &C::FrameFlat, &C::SetFrameFlat, false).Stored(&C::FrameStored);
    p.Enumeration("FrameFlatStyle", FrameStyleInfo(), &C::FrameFlatStyle, &C::SetFrameFlatStyle, fsStatus)
        .Stored(&C::FrameStored);
    p.Enumeration("FrameFocusStyle", FrameStyleInfo(), &C::FrameFocusStyle, &C::SetFrameFocusStyle, fsLowered)
        .Stored(&C::FrameStored);
    p.Set("FrameSides", SideInfo(), &C::FrameSides, &C::SetFrameSides, kAllSides).Stored(&C::FrameStored);
    p.Enumeration("FrameStyle", FrameStyleInfo(), &C::FrameStyle, &C::SetFrameStyle, fsFlat).Stored(&C::FrameStored);
    p.Boolean("FrameVisible", &C::FrameVisible, &C::SetFrameVisible, false).Stored(&C::FrameStored);
    p.Boolean("UseFrameController", &C::UseFrameController, &C::SetUseFrameController, true);
    p.Event("OnMouseEnter", &C::OnMouseEnter);
    p.Event("OnMouseLeave", &C::OnMouseLeave);
}

GW_IMPLEMENT_CLASS(TFcEdit, TFcCustomEdit) {}

TFcCustomEdit::TFcCustomEdit(classes::TComponent* owner) : ui::TEdit(owner) {}

TFcCustomEdit::~TFcCustomEdit()
{
    if (frameController_ != nullptr) frameController_->RemoveControl(this);
}

void TFcCustomEdit::UpdateFrame(bool setMouseOver, bool mouseOver)
{
    if (setMouseOver) mouseOver_ = mouseOver;
    if (!frame_.flat) return;
    frame_.Track(focused_ || mouseOver_);
    RepaintFrame();
}

void TFcCustomEdit::RepaintFrame() { Repaint(); }

void TFcCustomEdit::PaintOver(ui::TCanvas& canvas)
{
    if (!frame_.visible) return;
    DrawBorder(canvas, Width(), Height(), frame_.sides, frame_.color, Color(), frame_.style);
}

void TFcCustomEdit::SetAlignment(ui::TAlignment a)
{
    // The window takes the new alignment; the text stays as it is.
    TEdit::SetAlignment(a == ui::taRightJustify ? ui::taRightJustify : ui::taLeftJustify);
}

void TFcCustomEdit::SetEditColor(rtl::TColor c)
{
    if (c == Color()) return;
    SetColor(c);
    if (frame_.visible) RepaintFrame();
}

void TFcCustomEdit::SetFrameColor(rtl::TColor v)
{
    if (frame_.SetColor(v)) RepaintFrame();
}

void TFcCustomEdit::SetFrameController(TFcFrameController* c) { AttachFrameController(*this, frameController_, c); }

void TFcCustomEdit::SetFrameFlat(bool v)
{
    if (frame_.SetFlat(v, Loading(), [this] { SetFrameVisible(true); })) RepaintFrame();
}

void TFcCustomEdit::SetFrameFlatStyle(TFrameStyle v)
{
    if (frame_.SetFlatStyle(v)) RepaintFrame();
}

void TFcCustomEdit::SetFrameFocusStyle(TFrameStyle v)
{
    if (frame_.SetFocusStyle(v)) RepaintFrame();
}

void TFcCustomEdit::SetFrameSides(TSides v)
{
    if (frame_.SetSides(v)) RepaintFrame();
}

void TFcCustomEdit::SetFrameStyle(TFrameStyle v)
{
    if (frame_.SetStyle(v)) RepaintFrame();
}

void TFcCustomEdit::SetFrameVisible(bool v)
{
    if (!frame_.SetVisible(v)) return;
    // The ring around the editing area comes or goes: the window is laid out again.
    Changed();
    RepaintFrame();
}

void TFcCustomEdit::Dispatch(ui::TMessage& m)
{
    switch (m.Msg) {
    case ui::CM_ENTER:
        focused_ = true;
        UpdateFrame(false, true);
        TEdit::Dispatch(m);
        return;
    case ui::CM_EXIT:
        TEdit::Dispatch(m);
        focused_ = false;
        UpdateFrame(false, false);
        return;
    case ui::CM_MOUSEENTER:
        TEdit::Dispatch(m);
        UpdateFrame(true, true);
        OnMouseEnter(this);
        return;
    case ui::CM_MOUSELEAVE:
        TEdit::Dispatch(m);
        UpdateFrame(true, false);
        OnMouseLeave(this);
        return;
    case ui::WM_SIZE:
        TEdit::Dispatch(m);
        if (frame_.visible) RepaintFrame();
        return;
    case kTabOnEnter:
        if (tabPending_) {
            tabPending_ = false;
            if (ui::TCustomForm* form = ui::GetParentForm(this)) form->SelectNext(this, true, true);
        }
        return;
    default: TEdit::Dispatch(m);
    }
}

void TFcCustomEdit::PostTab()
{
    tabPending_ = true;
    PostMessage(kTabOnEnter);
}

void TFcCustomEdit::KeyDown(ui::TKey& key, ui::TShiftState shift)
{
    // Enter arrives as a key, not as a character, from the window system: take it here so
    // that neither OnKeyPress nor the form's default button sees it.
    if (tabOnEnter_ && key == ui::VK_RETURN) {
        key = 0;
        PostTab();
        return;
    }
    TEdit::KeyDown(key, shift);
}

void TFcCustomEdit::KeyPress(char& key)
{
    if (tabOnEnter_ && key == '\r') {
        key = 0;
        PostTab();
        return;
    }
    TEdit::KeyPress(key);
}

bool TFcCustomEdit::WantsKey(ui::TKey key) const { return (tabOnEnter_ && key == ui::VK_RETURN) || TEdit::WantsKey(key); }

void TFcCustomEdit::Notification(classes::TComponent* component, classes::TOperation operation)
{
    TEdit::Notification(component, operation);
    if (operation == classes::opRemove && component == frameController_) frameController_ = nullptr;
}

}  // namespace framedctrls
