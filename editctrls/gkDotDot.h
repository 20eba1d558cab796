#pragma once
// TgkDBCustomCombo: the masked data-aware edit with a button at its right edge that opens
// whatever a descendant drops down (the base fires OnButtonDialog; the combo box shows its
// list). The button sits in a small windowed strip inside the edit, and the edit's text
// rectangle stops short of it. It shows an ellipsis, a drop-down arrow or the user's glyph,
// and may look flat or transparent (ButtonEffects).
//
// Promises:
// - Alt+Down, Alt+Up and F4 toggle the drop-down; Enter accepts and Escape cancels an open
//   one; keys that change text are dropped while the text may not be edited.
// - IsDroppedDown is true exactly while the drop-down is open (in the base: while
//   OnButtonDialog runs; a handler that raises still leaves it closed).
// - A copy painted into a grid cell shows no button.
// - The button classes share their names with the date-time picker's; they live in their
//   own namespace here.

#include <cstdint>

#include "editctrls/gkDBEdit.h"
#include "editctrls/gkDTDropDown.h"
#include "editctrls/gkFrame.h"
#include "platform/ui/StdCtrls.h"

namespace editctrls {

class TgkDBCustomCombo;

namespace dotdot {

// The strip at the edit's right edge holding the button.
class TBtnWinControl : public ui::TWinControl {
    GW_CLASS(TBtnWinControl)

public:
    TBtnWinControl(classes::TComponent* owner, TgkDBCustomCombo* combo);
    TgkDBCustomCombo* Combo() const noexcept { return combo_; }
    void Dispatch(ui::TMessage& message) override;

private:
    TgkDBCustomCombo* combo_;
};

class TgkComboDlgButton : public ui::TSpeedButton {
    GW_CLASS(TgkComboDlgButton)

public:
    TgkComboDlgButton(classes::TComponent* owner, TgkDBCustomCombo* combo);
    void MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    void Dispatch(ui::TMessage& message) override;

private:
    TgkDBCustomCombo* combo_;
};

class TgkComboButtonEffects : public TgkButtonEffects {
    GW_CLASS(TgkComboButtonEffects)

public:
    using TgkButtonEffects::TgkButtonEffects;
    void Refresh() override;
};

}  // namespace dotdot

class TgkDBCustomCombo : public TgkDBCustomEdit {
    GW_CLASS(TgkDBCustomCombo)

public:
    explicit TgkDBCustomCombo(classes::TComponent* owner);
    ~TgkDBCustomCombo() override;

    // ---- Button -------------------------------------------------------------------------
    bool ShowButton() const;
    virtual void SetShowButton(bool v);
    TgkComboButtonStyle ButtonStyle() const noexcept { return buttonStyle_; }
    void SetButtonStyle(TgkComboButtonStyle v);
    // 0: the larger of the scroll-bar width and 15.
    int ButtonWidth() const noexcept { return buttonWidth_; }
    void SetButtonWidth(int v);
    // The user's picture under cbsCustom (read by a stored form into the button's glyph).
    ui::TPicture* ButtonGlyph() const;
    virtual bool IsButtonGlyphStored() const { return buttonStyle_ == cbsCustom; }
    dotdot::TgkComboButtonEffects* ButtonEffects() const noexcept { return effects_.get(); }
    bool LimitEditRect() const noexcept { return limitEditRect_; }
    void SetLimitEditRect(bool v);
    dotdot::TBtnWinControl* ButtonHost() const noexcept { return host_; }
    dotdot::TgkComboDlgButton* Button() const noexcept { return button_; }
    // The button's width when ButtonWidth is 0.
    static int AutoButtonWidth();
    // Places the strip and the button (after sizing, loading, a width change, a flat entry).
    void LayoutButton();
    // Gives the button the face DrawButton paints (or the arrow glyph of a flat look).
    void RefreshGlyph();
    // Paints the button's face: nothing for cbsCustom (defaultPaint stays true), else the
    // arrow or the ellipsis.
    virtual void DrawButton(ui::TCanvas& canvas, const ui::TRect& rect, bool& defaultPaint);

    // ---- Drop-down ----------------------------------------------------------------------
    // 1: the text is not typed into (it only opens the drop-down).
    std::uint8_t TextEntryMode = 0;
    virtual bool IsTextEditable() const { return TextEntryMode != 1; }
    bool IsEditable() const override;
    bool IsDroppedDown() const override { return dialogActive_; }
    // Fires OnButtonDialog while marked dropped down.
    virtual void DropDown();
    // Accept marks the text modified.
    virtual void CloseUp(bool accept);
    void ToggleDropDown();
    classes::TEvent<classes::TObject*> OnButtonDialog;

    // ---- Edit base queries --------------------------------------------------------------
    bool HasButton() const override { return ShowButton(); }
    // The text stops two pixels short of the button (or of the client width without one).
    ui::TRect EditRect() const override;
    int ReservedButtonWidth() const override;
    int TextRightEdge() const override;

    // ---- Input --------------------------------------------------------------------------
    void KeyDown(ui::TKey& key, ui::TShiftState shift) override;
    void KeyPress(char& key) override;
    bool WantsKey(ui::TKey key) const override;
    void MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    void Dispatch(ui::TMessage& message) override;
    void Loaded() override;

    // The button's click (switch 2 on) and press (switch 2 off) open or close.
    void ButtonClick();
    void ButtonPress();

protected:
    void Resize() override;
    // DropDown first asks for edit mode.
    bool editOnDropDown_ = true;

private:
    dotdot::TBtnWinControl* host_ = nullptr;
    dotdot::TgkComboDlgButton* button_ = nullptr;
    std::unique_ptr<dotdot::TgkComboButtonEffects> effects_;
    TgkComboButtonStyle buttonStyle_ = cbsEllipsis;
    bool dialogActive_ = false;
    bool limitEditRect_ = false;
    int buttonWidth_ = 0;
};

}  // namespace editctrls
