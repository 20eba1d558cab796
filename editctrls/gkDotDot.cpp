#include "editctrls/gkDotDot.h"

#include <algorithm>

#include "editctrls/gkDBDateTimePicker.h"
#include "grid/DBGrid.h"
#include "grid/GridRoutines.h"
#include "platform/rtl/Scope.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Forms.h"
#include "platform/ui/FrameControls.h"
#include "platform/ui/Input.h"
#include "platform/ui/Screen.h"

namespace editctrls {

namespace dotdot {

GW_IMPLEMENT_CLASS(TBtnWinControl, ui::TWinControl) {}

TBtnWinControl::TBtnWinControl(classes::TComponent* owner, TgkDBCustomCombo* combo)
    : ui::TWinControl(owner), combo_(combo)
{
}

void TBtnWinControl::Dispatch(ui::TMessage& m)
{
    // A copy in a grid cell has no button.
    if (m.Msg == ui::WM_PAINT && combo_ != nullptr && grid::gkIsPaintCopy(combo_->ControlState())) return;
    ui::TWinControl::Dispatch(m);
}

GW_IMPLEMENT_CLASS(TgkComboDlgButton, ui::TSpeedButton) {}

TgkComboDlgButton::TgkComboDlgButton(classes::TComponent* owner, TgkDBCustomCombo* combo)
    : ui::TSpeedButton(owner), combo_(combo)
{
}

void TgkComboDlgButton::MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    ui::TSpeedButton::MouseDown(button, shift, x, y);
    if (button == ui::mbLeft && combo_ != nullptr && !combo_->Switches[2]) combo_->ButtonPress();
}

void TgkComboDlgButton::Dispatch(ui::TMessage& m)
{
    if (m.Msg == ui::WM_PAINT && combo_ != nullptr && grid::gkIsPaintCopy(combo_->ControlState())) return;
    ui::TSpeedButton::Dispatch(m);
}

GW_IMPLEMENT_CLASS(TgkComboButtonEffects, TgkButtonEffects) {}

void TgkComboButtonEffects::Refresh()
{
    if (auto* combo = dynamic_cast<TgkDBCustomCombo*>(Control())) {
        combo->RefreshGlyph();
        combo->LayoutButton();
    }
}

}  // namespace dotdot

namespace {

// The arrow a flat or transparent drop-down button shows: a small black triangle pointing
// down on the button's face.
void LoadDropDownGlyph(ui::TPicture& glyph)
{
    ui::TBitmap arrow(7, 4);
    arrow.Fill(rtl::clBtnFace);
    for (int row = 0; row < 4; ++row)
        for (int x = row; x < 7 - row; ++x) arrow.SetPixel(x, row, rtl::clBlack);
    glyph.LoadFromBytes(ui::EncodeBmp(arrow));
}

}  // namespace

GW_IMPLEMENT_CLASS(TgkDBCustomCombo, TgkDBCustomEdit) {}

TgkDBCustomCombo::TgkDBCustomCombo(classes::TComponent* owner) : TgkDBCustomEdit(owner)
{
    host_ = new dotdot::TBtnWinControl(this, this);
    host_->SetParent(this);
    host_->SetBounds(0, 0, std::max(ui::ScrollBarExtent() + 4, 17), 17);
    button_ = new dotdot::TgkComboDlgButton(this, this);
    button_->SetParent(host_);
    button_->SetBounds(0, 0, AutoButtonWidth(), 17);
    button_->OnClick = [this](classes::TObject*) {
        if (Switches[2]) ButtonClick();
    };
    effects_ = std::make_unique<dotdot::TgkComboButtonEffects>(this, button_);
    RefreshGlyph();
}

TgkDBCustomCombo::~TgkDBCustomCombo() = default;

int TgkDBCustomCombo::AutoButtonWidth() { return std::max(ui::ScrollBarExtent(), 15); }

bool TgkDBCustomCombo::ShowButton() const { return host_ != nullptr && host_->Visible(); }

void TgkDBCustomCombo::SetShowButton(bool v)
{
    if (v == ShowButton()) return;
    host_->SetVisible(v);
    if (!Loading()) SetEditRect();
    Invalidate();
}

void TgkDBCustomCombo::SetButtonStyle(TgkComboButtonStyle v)
{
    if (v == buttonStyle_) return;
    buttonStyle_ = v;
    RefreshGlyph();
    button_->Invalidate();
}

void TgkDBCustomCombo::SetButtonWidth(int v)
{
    if (v == buttonWidth_) return;
    buttonWidth_ = v;
    button_->SetWidth(v == 0 ? AutoButtonWidth() : v);
    LayoutButton();
}

ui::TPicture* TgkDBCustomCombo::ButtonGlyph() const { return button_->Glyph(); }

void TgkDBCustomCombo::SetLimitEditRect(bool v)
{
    limitEditRect_ = v;
    SetEditRect();
}

ui::TRect TgkDBCustomCombo::EditRect() const
{
    ui::TRect r = TgkDBCustomEdit::EditRect();
    r.Right = (ShowButton() ? host_->Left() : ClientWidth()) - 2;
    return r;
}

int TgkDBCustomCombo::ReservedButtonWidth() const { return host_->Width(); }

int TgkDBCustomCombo::TextRightEdge() const
{
    return ShowButton() ? host_->Left() - 1 : ClientWidth() - 1;
}

bool TgkDBCustomCombo::IsEditable() const { return TextEntryMode != 1 || IsDroppedDown(); }

void TgkDBCustomCombo::LayoutButton()
{
    if (host_ == nullptr) return;
    const int inset = frame_.IsFrameEnabled() ? 2 : 0;
    const int w = button_->Width();
    const int ch = ClientHeight();
    if (borderStyle_ == ui::bsSingle && !frame_.IsFrameEnabled() && !InGrid()) {
        host_->SetBounds(Width() - w - 4, inset, w, std::max(0, ch - inset));
        button_->SetBounds(0, 0, w, host_->Height());
    } else {
        host_->SetBounds(Width() - w - inset - FrameRingWidth(), inset, w, std::max(0, ch - 2 * inset));
        button_->SetBounds(0, -1, w, host_->Height() + 1);
    }
    SetEditRect();
    RefreshGlyph();
}

void TgkDBCustomCombo::Resize()
{
    TgkDBCustomEdit::Resize();
    LayoutButton();
}

void TgkDBCustomCombo::Loaded()
{
    if (buttonWidth_ == 0) button_->SetWidth(AutoButtonWidth());
    LayoutButton();
    TgkDBCustomEdit::Loaded();
}

// ---- Button face --------------------------------------------------------------------------------

void TgkDBCustomCombo::DrawButton(ui::TCanvas& canvas, const ui::TRect& rect, bool& defaultPaint)
{
    if (buttonStyle_ == cbsCustom) return;
    defaultPaint = false;
    const bool down = button_->Down();
    const bool readOnly = ui::TEdit::ReadOnly();
    if (buttonStyle_ == cbsDownArrow) {
        grid::gkDrawDropDownButton(canvas, rect, down, false, Enabled());
        return;
    }
    const bool noEdge = button_->Flat() && !MouseOver() && !readOnly;
    grid::gkDrawEllipsisButton(canvas, rect, down, false, effects_ != nullptr && effects_->Transparent(), noEdge);
}

void TgkDBCustomCombo::RefreshGlyph()
{
    if (button_ == nullptr || buttonStyle_ == cbsCustom) return;
    ui::TPicture& glyph = *button_->Glyph();
    const bool look = effects_ != nullptr && (effects_->Flat() || effects_->Transparent());
    if (buttonStyle_ == cbsDownArrow && look) {
        LoadDropDownGlyph(glyph);
        return;
    }
    const int w = button_->Width(), h = button_->Height();
    if (w <= 4 || h <= 4) return;
    // The window's own button draws its face and edges: it shows what lies inside them, the
    // face drawn over the button's whole size around a picture of its inside.
    ui::TBitmap face(w - 4, h - 4);
    face.Fill(rtl::clBtnFace);
    bool defaultPaint = true;
    DrawButton(*face.Canvas(), {-2, -2, w - 2, h - 2}, defaultPaint);
    if (defaultPaint) return;
    glyph.LoadFromBytes(ui::EncodeBmp(face));
    button_->Invalidate();
}

// ---- Opening and closing --------------------------------------------------------------------------

void TgkDBCustomCombo::DropDown()
{
    if (!OnButtonDialog) return;
    dialogActive_ = true;
    // A handler that raises leaves the control closed all the same.
    const rtl::TScopeExit closed([this] {
        dialogActive_ = false;
        Invalidate();
    });
    Invalidate();
    if (editOnDropDown_ && DataSource() != nullptr && DataSource()->DataSet() != nullptr) EditCanModify();
    OnButtonDialog(this);
    if (!IsEditable()) SetCaretHidden(true);
}

void TgkDBCustomCombo::CloseUp(bool accept)
{
    if (accept) SetModified(true);
}

void TgkDBCustomCombo::ToggleDropDown()
{
    if (IsDroppedDown())
        CloseUp(true);
    else
        DropDown();
}

void TgkDBCustomCombo::ButtonClick()
{
    if (IsDroppedDown()) {
        CloseUp(true);
        return;
    }
    if (CanFocus() && !Focused()) SetFocus();
    const ui::TCustomForm* form = ui::GetParentForm(this);
    const bool mdiChild = form != nullptr && form->FormStyle() == ui::fsMDIChild;
    if (Focused() || (mdiChild && form->ActiveControl() == this)) DropDown();
}

void TgkDBCustomCombo::ButtonPress()
{
    if (IsDroppedDown() && !Focused()) {
        SetFocus();
        if (!Focused()) return;
    }
    ToggleDropDown();
}

// ---- Keys and mouse -------------------------------------------------------------------------------

bool TgkDBCustomCombo::WantsKey(ui::TKey key) const
{
    if (IsDroppedDown() && (key == ui::VK_RETURN || key == ui::VK_ESCAPE)) return true;
    return TgkDBCustomEdit::WantsKey(key);
}

void TgkDBCustomCombo::KeyDown(ui::TKey& key, ui::TShiftState shift)
{
    if (ui::IsKeyDown(ui::VK_MENU)) shift.Include(ui::ssAlt);
    const bool alt = shift.Contains(ui::ssAlt);
    if ((alt && (key == ui::VK_UP || key == ui::VK_DOWN)) || (key == ui::VK_F4 && !alt)) {
        if (!BoundWithoutField()) ToggleDropDown();
        key = 0;
        return;
    }
    if ((key == ui::VK_RETURN || key == ui::VK_ESCAPE) && IsDroppedDown() && !alt) {
        CloseUp(key == ui::VK_RETURN);
        key = 0;
        return;
    }
    TgkDBCustomEdit::KeyDown(key, shift);
    // Characters go on to KeyPress, which decides what a text that may not be typed into
    // makes of them; Delete has no character and stops here.
    if (key == ui::VK_DELETE && !IsEditable()) key = 0;
}

void TgkDBCustomCombo::KeyPress(char& key)
{
    if (key == '\t' && !EditMask.empty()) {
        key = 0;
        return;
    }
    TgkDBCustomEdit::KeyPress(key);
}

void TgkDBCustomCombo::MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    if (button == ui::mbLeft && !IsTextEditable() && !BoundWithoutField()) {
        if (dynamic_cast<grid::TgkCustomDBGrid*>(Parent()) == nullptr && CanFocus() && !Focused()) SetFocus();
        ToggleDropDown();
    }
    TgkDBCustomEdit::MouseDown(button, shift, x, y);
}

void TgkDBCustomCombo::Dispatch(ui::TMessage& m)
{
    switch (m.Msg) {
    case ui::WM_SIZE:
        TgkDBCustomEdit::Dispatch(m);
        LayoutButton();
        return;
    case ui::CM_ENABLEDCHANGED:
        TgkDBCustomEdit::Dispatch(m);
        button_->SetEnabled(Enabled());
        RefreshGlyph();
        return;
    case ui::CM_ENTER:
    case ui::CM_EXIT:
        TgkDBCustomEdit::Dispatch(m);
        if (effects_->Flat()) {
            LayoutButton();
            button_->Invalidate();
        }
        return;
    default: break;
    }
    TgkDBCustomEdit::Dispatch(m);
}

}  // namespace editctrls
