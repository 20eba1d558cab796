#pragma once
// The library's check box: a custom-painted control with the check state of the layer's check
// box, its own glyph and text layout, an optional image list for the glyph, an edit frame,
// indents, mouse enter and leave events, and, data-aware, a mapping between the state and a
// field's value that accepts several ";"-separated spellings per state. It is also the cell
// control whose copy a grid paints into check-box cells.
//
// Promises:
// - GetState (bound): the field null gives NullAndBlankState; a Boolean field its value; any
//   other field's text is compared, letter case ignored, with each spelling of ValueChecked,
//   then of ValueUnchecked; no match gives NullAndBlankState. Unbound: State.
// - Writing back: cbGrayed clears the field; a Boolean field takes Checked; any other field
//   the first spelling of ValueChecked or ValueUnchecked.
// - A bound box toggles only when its data set goes into edit mode (a refused edit leaves the
//   state); an unbound one unless ReadOnly. Space toggles on release; Escape throws the
//   change away (and, in a grid cell with nothing changed, hands the key to the grid).
// - Leaving the control writes the record; when that raises, the focus comes back and the
//   error passes on.
// - Painting: background (not for a grid copy or a transparent frame), glyph (images when the
//   list holds the state's image, else the drawn box), text, focus rectangle.
// - Images is cleared when the image list is freed.

#include <memory>
#include <string>
#include <string_view>

#include "editctrls/gkFrame.h"
#include "platform/db/DataSet.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/CustomControl.h"

namespace db {
class TDataSource;
}

namespace editctrls {

using ui::TCheckBoxState;


// Points `field` at `value`, moving `self`'s free notification (which clears the field when
// the component goes) from the old component to the new one.
template <class T>
void gkReferTo(classes::TComponent& self, T*& field, T* value)
{
    if (field == value) return;
    if (field != nullptr) field->RemoveFreeNotification(&self);
    field = value;
    if (field != nullptr) field->FreeNotification(&self);
}

// Binds a data-aware control's link to `source`, with the free notification that unbinds it.
void gkSetLinkSource(classes::TComponent& self, db::TFieldDataLink& link, db::TDataSource* source);

// "taLeftJustify", "taRightJustify": which side of the glyph the text stands.
const classes::TEnumInfo& LeftRightInfo();

// The state a text stands for among ";"-separated spellings (letter case ignored).
TCheckBoxState gkStateOfText(std::string_view text, std::string_view checkedValues, std::string_view uncheckedValues,
                             TCheckBoxState noMatch);
// The first ";"-separated spelling.
std::string gkFirstSpelling(std::string_view values);

// Offsets of the glyph and the text from their usual places.
class TgkWinButtonIndents : public classes::TPersistent {
    GW_CLASS(TgkWinButtonIndents)

public:
    explicit TgkWinButtonIndents(ui::TControl* control = nullptr) : control_(control) {}
    void Assign(const classes::TPersistent& source) override;
    int ButtonX() const noexcept { return buttonX_; }
    void SetButtonX(int v) { Set(buttonX_, v); }
    int ButtonY() const noexcept { return buttonY_; }
    void SetButtonY(int v) { Set(buttonY_, v); }
    int TextX() const noexcept { return textX_; }
    void SetTextX(int v) { Set(textX_, v); }
    int TextY() const noexcept { return textY_; }
    void SetTextY(int v) { Set(textY_, v); }
    // Called after a change (the owner repaints).
    std::function<void()> OnChange;

private:
    void Set(int& field, int v);
    ui::TControl* control_;
    int buttonX_ = 0, buttonY_ = 0, textX_ = 0, textY_ = 0;
};

class TgkCustomCheckBox : public ui::TCustomControl {
    GW_CLASS(TgkCustomCheckBox)

public:
    explicit TgkCustomCheckBox(classes::TComponent* owner);
    ~TgkCustomCheckBox() override;

    // ---- The check state ----------------------------------------------------------------
    TCheckBoxState State() const noexcept { return state_; }
    // A change repaints and fires OnClick (not while loading).
    void SetState(TCheckBoxState s);
    bool Checked() const noexcept { return state_ == ui::cbChecked; }
    void SetChecked(bool v) { SetState(v ? ui::cbChecked : ui::cbUnchecked); }
    bool AllowGrayed() const noexcept { return allowGrayed_; }
    void SetAllowGrayed(bool v) { allowGrayed_ = v; }
    classes::TAlignment Alignment() const noexcept { return alignment_; }
    void SetAlignment(classes::TAlignment a);
    // The user's toggle: unchecked, checked, and grayed when allowed, in turn.
    virtual void Toggle();
    bool ReadOnly() const noexcept { return readOnly_; }
    void SetReadOnly(bool v) { readOnly_ = v; }

    // ---- Options -----------------------------------------------------------------------
    TgkEditFrame* Frame() noexcept { return &frame_; }
    TgkWinButtonIndents* Indents() noexcept { return &indents_; }
    bool AlwaysTransparent = false;
    const std::string& ValueChecked() const noexcept { return valueChecked_; }
    void SetValueChecked(const std::string& v);
    const std::string& ValueUnchecked() const noexcept { return valueUnchecked_; }
    void SetValueUnchecked(const std::string& v);
    // Read back as ValueChecked / ValueUnchecked while empty.
    const std::string& DisplayValueChecked() const noexcept { return displayChecked_.empty() ? valueChecked_ : displayChecked_; }
    void SetDisplayValueChecked(const std::string& v);
    const std::string& DisplayValueUnchecked() const noexcept { return displayUnchecked_.empty() ? valueUnchecked_ : displayUnchecked_; }
    void SetDisplayValueUnchecked(const std::string& v);
    bool ShowFocusRect() const noexcept { return showFocusRect_; }
    void SetShowFocusRect(bool v);
    bool DynamicCaption() const noexcept { return dynamicCaption_; }
    void SetDynamicCaption(bool v);
    ui::TImageList* Images() const noexcept { return images_; }
    void SetImages(ui::TImageList* images);
    bool WordWrap() const noexcept { return wordWrap_; }
    void SetWordWrap(bool v);
    bool ShowAsButton() const noexcept { return showAsButton_; }
    void SetShowAsButton(bool v);
    TCheckBoxState NullAndBlankState() const noexcept { return nullAndBlankState_; }
    void SetNullAndBlankState(TCheckBoxState s);
    bool ShowText() const noexcept { return showText_; }
    void SetShowText(bool v);
    bool Modified() const noexcept { return modified_; }
    classes::TNotifyEvent OnMouseEnter;
    classes::TNotifyEvent OnMouseLeave;

    // ---- Layout and painting -------------------------------------------------------------
    virtual void PaintTo(ui::TCanvas& canvas);
    virtual std::string GetDisplayText();
    virtual int GlyphLeftMargin() const { return 0; }
    virtual bool IsMouseOverGlyph(bool pressed);
    virtual bool FillsBackground() const { return true; }
    virtual TCheckBoxState GetState();
    virtual ui::TRect CalcTextRect(ui::TCanvas& canvas);
    virtual void DataChange() {}
    virtual void DoMouseEnter();
    virtual void DoMouseLeave();
    virtual ui::TImageList* GetImages() const { return images_; }
    virtual bool IsGlyphHidden() { return false; }
    virtual db::TField* GetField() const { return nullptr; }
    // 1: left, 0: right, 2: centre.
    virtual int GlyphPosition() const { return alignment_ == classes::taLeftJustify ? 0 : 1; }
    virtual ui::TRect CalcGlyphRect();
    // A grid has the control paint a copy of itself into a cell (a group's button: the group).
    virtual bool PaintingCopy() const { return ControlState().Contains(csPaintCopy); }
    // Transparent frame, or a look that fills no background.
    bool TransparentWindow() const override;
    // Standing over the current cell of a focused data grid (painted highlighted).
    bool OverFocusedGridCell() const;
    // The mouse's left button is down over the glyph (pressed look).
    bool GlyphPressed() const noexcept { return mouseDownOnGlyph_; }

    void Dispatch(ui::TMessage& message) override;
    void KeyDown(ui::TKey& key, ui::TShiftState shift) override;
    void KeyUp(ui::TKey& key, ui::TShiftState shift) override;
    void MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    void MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    void Notification(classes::TComponent* component, classes::TOperation operation) override;
    bool WantsKey(ui::TKey key) const override;

protected:
    void Paint() override;
    virtual void DrawGlyph(ui::TCanvas& canvas, const ui::TRect& glyph, TCheckBoxState state);
    // Fills the client area as the control's look asks; answers the text colour to use.
    virtual rtl::TColor PaintBackground(ui::TCanvas& canvas, bool highlight);
    void PaintText(ui::TCanvas& canvas, rtl::TColor fontColor);
    // 0: the check box's own box; else the DFCS_ kind drawn (a radio button's).
    virtual unsigned GlyphKind() const { return 0; }
    // The brush a group holds for its buttons' background (clNone: none).
    virtual rtl::TColor HeldBackground() const { return rtl::clNone; }
    // Room taken between the glyph and the text (a group button's picture).
    virtual int TextShift() const { return 0; }
    virtual void DrawBesideGlyph(ui::TCanvas& /*canvas*/, const ui::TRect& /*glyph*/) {}
    // Frames the glyph with a white box (the expand button's look).
    bool framedGlyph_ = false;
    // Escape in a grid cell with nothing changed goes to the grid.
    bool HandToGrid(ui::TKey& key, ui::TShiftState shift);
    virtual void ExitControl() {}
    virtual bool EnterEdit() { return true; }
    virtual void ResetLink() {}
    void SetModifiedFlag(bool v) noexcept { modified_ = v; }
    bool spacePressed_ = false;

private:
    TCheckBoxState state_ = ui::cbUnchecked;
    bool allowGrayed_ = false;
    classes::TAlignment alignment_ = classes::taRightJustify;
    bool readOnly_ = false;
    TgkEditFrame frame_;
    TgkWinButtonIndents indents_;
    std::string valueChecked_ = "True";
    std::string valueUnchecked_ = "False";
    std::string displayChecked_;
    std::string displayUnchecked_;
    bool showFocusRect_ = true;
    bool dynamicCaption_ = false;
    ui::TImageList* images_ = nullptr;
    bool wordWrap_ = false;
    bool modified_ = false;
    bool showAsButton_ = false;
    TCheckBoxState nullAndBlankState_ = ui::cbUnchecked;
    bool showText_ = true;
    bool mouseDownOnGlyph_ = false;
    bool mouseInside_ = false;
};

class TgkDBCustomCheckBox : public TgkCustomCheckBox {
    GW_CLASS(TgkDBCustomCheckBox)

public:
    explicit TgkDBCustomCheckBox(classes::TComponent* owner);
    ~TgkDBCustomCheckBox() override;

    db::TDataSource* DataSource() const;
    void SetDataSource(db::TDataSource* source);
    const std::string& DataField() const;
    void SetDataField(const std::string& name);
    db::TFieldDataLink* DataLink() const noexcept { return link_.get(); }

    TCheckBoxState GetState() override;
    db::TField* GetField() const override;
    void DataChange() override;
    void Toggle() override;
    // Writes the state into the field (the link's update).
    virtual void UpdateData();
    void Notification(classes::TComponent* component, classes::TOperation operation) override;
    // The control's own handling first, then the field data link's.
    bool ExecuteAction(classes::TBasicAction* action) override;
    bool UpdateAction(classes::TBasicAction* action) override;
    void Dispatch(ui::TMessage& message) override;

protected:
    void ExitControl() override;
    bool EnterEdit() override;
    void ResetLink() override;
    bool Bound() const;

private:
    std::unique_ptr<db::TFieldDataLink> link_;
};

class TgkCheckBox : public TgkDBCustomCheckBox {
    GW_CLASS(TgkCheckBox)

public:
    using TgkDBCustomCheckBox::TgkDBCustomCheckBox;
};

// Registers the published check-box, radio and expand-button classes for stored forms.
void RegisterCheckBoxClasses();

}  // namespace editctrls
