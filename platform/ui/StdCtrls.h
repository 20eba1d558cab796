#pragma once
// The standard controls: label, panel, group box, edit, memo, spin edit, buttons (push,
// bitmap, speed), check box, radio button, radio group, list box, check list box and combo
// box. Each keeps its whole state; the methods named "...ByUser" are how the window system
// reports the user's input, and they fire the events the user's action fires.

#include <string>

#include <memory>

#include "platform/ui/Canvas.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/ItemStrings.h"

namespace ui {

class TLabel : public TControl {
    GW_CLASS(TLabel)

public:
    explicit TLabel(classes::TComponent* owner);

    TAlignment Alignment() const noexcept { return alignment_; }
    void SetAlignment(TAlignment a);
    TTextLayout Layout() const noexcept { return layout_; }
    void SetLayout(TTextLayout l);
    bool AutoSize() const noexcept { return autoSize_; }
    void SetAutoSize(bool v);
    bool WordWrap() const noexcept { return wordWrap_; }
    void SetWordWrap(bool v);
    bool Transparent() const noexcept { return transparent_; }
    void SetTransparent(bool v);
    TWinControl* FocusControl() const noexcept { return focusControl_; }
    void SetFocusControl(TWinControl* c);
    void Notification(classes::TComponent* component, classes::TOperation operation) override;

private:
    TAlignment alignment_ = taLeftJustify;
    TTextLayout layout_ = tlTop;
    bool autoSize_ = true;
    bool wordWrap_ = false;
    bool transparent_ = false;
    TWinControl* focusControl_ = nullptr;
};

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

class TPanel : public TWinControl {
    GW_CLASS(TPanel)

public:
    explicit TPanel(classes::TComponent* owner);

    TAlignment Alignment() const noexcept { return alignment_; }
    void SetAlignment(TAlignment a);
    TBevelCut BevelInner() const noexcept { return bevelInner_; }
    void SetBevelInner(TBevelCut b);
    TBevelCut BevelOuter() const noexcept { return bevelOuter_; }
    void SetBevelOuter(TBevelCut b);
    int BevelWidth() const noexcept { return bevelWidth_; }
    void SetBevelWidth(int w);
    int BorderWidth() const noexcept { return borderWidth_; }
    void SetBorderWidth(int w);
    TFormBorderStyle BorderStyle() const noexcept { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle s);
    TRect AlignRect() const override;

private:
    TAlignment alignment_ = taCenter;
    TBevelCut bevelInner_ = bvNone;
    TBevelCut bevelOuter_ = bvRaised;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;
    TFormBorderStyle borderStyle_ = bsNone;
};

class TGroupBox : public TWinControl {
    GW_CLASS(TGroupBox)

public:
    explicit TGroupBox(classes::TComponent* owner);
    TRect AlignRect() const override;
};

// ---- Edits -------------------------------------------------------------------------------

// What CharCase does to the text: keep it, or make it upper or lower case (ASCII letters).
enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
const classes::TEnumInfo& EditCharCaseInfo();

class TCustomEdit : public TWinControl {
    GW_CLASS(TCustomEdit)

public:
    explicit TCustomEdit(classes::TComponent* owner);

    // Left or right alignment of the text (taCenter shows as left). The text is kept.
    TAlignment Alignment() const noexcept { return alignment_; }
    void SetAlignment(TAlignment a);
    // A case other than ecNormal converts the text now and every text set later.
    TEditCharCase CharCase() const noexcept { return charCase_; }
    void SetCharCase(TEditCharCase c);
    // Getting the focus selects the whole text.
    bool AutoSelect() const noexcept { return autoSelect_; }
    void SetAutoSelect(bool v) { autoSelect_ = v; }
    // The selection shows only while the edit has the focus.
    bool HideSelection() const noexcept { return hideSelection_; }
    void SetHideSelection(bool v);
    // The height follows the font.
    bool AutoSize() const noexcept { return autoSize_; }
    void SetAutoSize(bool v) { autoSize_ = v; }

    bool ReadOnly() const noexcept { return readOnly_; }
    void SetReadOnly(bool v);
    int MaxLength() const noexcept { return maxLength_; }
    void SetMaxLength(int v);
    // Set by the user's typing, cleared by the program.
    bool Modified() const noexcept { return modified_; }
    void SetModified(bool v) { modified_ = v; }
    // The user changed the text.
    void SetTextByUser(const std::string& text);
    void Clear() { SetText({}); }
    // The selection as the user left it (EM_GETSEL): byte offsets into Text, kept inside
    // the text; start = the caret when nothing is selected.
    int SelStart() const noexcept;
    int SelLength() const noexcept;
    // The user moved the caret or the selection.
    void SetSelectionByUser(int start, int length);
    // The program's selection (byte offsets, kept inside the text), applied to the window.
    void SetSel(int start, int length);
    void SelectAll() { SetSel(0, static_cast<int>(Text().size())); }
    // Counts the program's SetSel calls: the window applies a selection once, so a later move
    // of the user's stays.
    int SelSerial() const noexcept { return selSerial_; }
    // Asks the window to scroll its caret into view (EM_SCROLLCARET), once; counted as the
    // selection is. A one-line window keeps its caret in view by itself.
    void ScrollCaret();
    int ScrollCaretSerial() const noexcept { return scrollCaretSerial_; }
    // Controls that show their text's parts as selections hide the caret; it stays hidden
    // until shown again.
    bool CaretHidden() const noexcept { return caretHidden_; }
    void SetCaretHidden(bool hidden);
    // Insets of the text from the client edges (the formatting rectangle), in pixels; added to
    // any frame ring.
    const TRect& TextMargins() const noexcept { return textMargins_; }
    void SetTextMargins(const TRect& margins);
    // The window draws its own sunken border (an edit without one is flat, as in a grid cell).
    virtual bool ShowsBorder() const { return true; }

    TNotifyEvent OnChange;

protected:
    void TextChanged() override;
    virtual void Change();

private:
    bool readOnly_ = false;
    int maxLength_ = 0;
    bool modified_ = false;
    int selStart_ = 0;
    int selLength_ = 0;
    int selSerial_ = 0;
    int scrollCaretSerial_ = 0;
    bool caretHidden_ = false;
    TRect textMargins_;
    TAlignment alignment_ = taLeftJustify;
    TEditCharCase charCase_ = ecNormal;
    bool autoSelect_ = true;
    bool hideSelection_ = true;
    bool autoSize_ = true;
    bool casing_ = false;
};

class TEdit : public TCustomEdit {
    GW_CLASS(TEdit)

public:
    explicit TEdit(classes::TComponent* owner);
    // 0: the text shows; another character hides each typed one.
    char PasswordChar() const noexcept { return passwordChar_; }
    void SetPasswordChar(char c);

private:
    char passwordChar_ = 0;
};

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

class TMemo : public TCustomEdit {
    GW_CLASS(TMemo)

public:
    explicit TMemo(classes::TComponent* owner);

    // The lines; Text is the lines joined by CR LF.
    TItemStrings* Lines() noexcept { return &lines_; }
    TScrollStyle ScrollBars() const noexcept { return scrollBars_; }
    void SetScrollBars(TScrollStyle s);
    bool WordWrap() const noexcept { return wordWrap_; }
    void SetWordWrap(bool v);
    bool WantTabs() const noexcept { return wantTabs_; }
    void SetWantTabs(bool v) { wantTabs_ = v; }
    bool WantReturns() const noexcept { return wantReturns_; }
    void SetWantReturns(bool v) { wantReturns_ = v; }
    bool WantsKey(TKey key) const override;

protected:
    void TextChanged() override;

private:
    TItemStrings lines_;
    TScrollStyle scrollBars_ = ssNone;
    bool wordWrap_ = true;
    bool wantTabs_ = false;
    bool wantReturns_ = true;
    bool syncing_ = false;
};

// An edit holding an integer between MinValue and MaxValue (no limits when both are 0).
class TSpinEdit : public TCustomEdit {
    GW_CLASS(TSpinEdit)

public:
    explicit TSpinEdit(classes::TComponent* owner);

    int Value() const;
    void SetValue(int v);
    int MinValue() const noexcept { return minValue_; }
    void SetMinValue(int v);
    int MaxValue() const noexcept { return maxValue_; }
    void SetMaxValue(int v);
    int Increment() const noexcept { return increment_; }
    void SetIncrement(int v) { increment_ = v; }
    // The value limited to the range.
    int CheckValue(int v) const;

private:
    int minValue_ = 0;
    int maxValue_ = 0;
    int increment_ = 1;
};

// ---- Buttons -----------------------------------------------------------------------------

class TButton : public TWinControl {
    GW_CLASS(TButton)

public:
    explicit TButton(classes::TComponent* owner);

    // Enter presses the default button, Escape the cancel button.
    bool Default() const noexcept { return default_; }
    void SetDefault(bool v);
    bool Cancel() const noexcept { return cancel_; }
    void SetCancel(bool v) { cancel_ = v; }
    // Given to the form when the button is clicked.
    TModalResult ModalResult() const noexcept { return modalResult_; }
    void SetModalResult(TModalResult r) { modalResult_ = r; }
    void Click() override;

private:
    bool default_ = false;
    bool cancel_ = false;
    TModalResult modalResult_ = mrNone;
};

enum TBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

class TBitBtn : public TButton {
    GW_CLASS(TBitBtn)

public:
    explicit TBitBtn(classes::TComponent* owner);

    // A kind other than bkCustom gives the button its caption, modal result and default or
    // cancel role.
    TBitBtnKind Kind() const noexcept { return kind_; }
    void SetKind(TBitBtnKind kind);
    TPicture* Glyph() noexcept { return &glyph_; }
    TButtonLayout Layout() const noexcept { return layout_; }
    void SetLayout(TButtonLayout l);
    void Click() override;
    void Loaded() override;

private:
    // Caption, modal result and role of the kind; with `all` false only what is unset.
    void ApplyKind(bool all);

    TBitBtnKind kind_ = bkCustom;
    TPicture glyph_;
    TButtonLayout layout_ = blGlyphLeft;
};

// A flat button that takes no focus; with a GroupIndex it stays down, one per group.
class TSpeedButton : public TControl {
    GW_CLASS(TSpeedButton)

public:
    explicit TSpeedButton(classes::TComponent* owner);

    TPicture* Glyph() noexcept { return &glyph_; }
    bool Flat() const noexcept { return flat_; }
    void SetFlat(bool v);
    int GroupIndex() const noexcept { return groupIndex_; }
    void SetGroupIndex(int v) { groupIndex_ = v; }
    bool Down() const noexcept { return down_; }
    void SetDown(bool v);
    bool AllowAllUp() const noexcept { return allowAllUp_; }
    void SetAllowAllUp(bool v) { allowAllUp_ = v; }
    TButtonLayout Layout() const noexcept { return layout_; }
    void SetLayout(TButtonLayout l);
    void Click() override;

private:
    TPicture glyph_;
    bool flat_ = false;
    int groupIndex_ = 0;
    bool down_ = false;
    bool allowAllUp_ = false;
    TButtonLayout layout_ = blGlyphLeft;
};

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

// A change of Checked fires OnClick, whether the user or the program made it.
class TCheckBox : public TWinControl {
    GW_CLASS(TCheckBox)

public:
    explicit TCheckBox(classes::TComponent* owner);

    bool Checked() const noexcept { return state_ == cbChecked; }
    void SetChecked(bool v) { SetState(v ? cbChecked : cbUnchecked); }
    TCheckBoxState State() const noexcept { return state_; }
    void SetState(TCheckBoxState s);
    bool AllowGrayed() const noexcept { return allowGrayed_; }
    void SetAllowGrayed(bool v) { allowGrayed_ = v; }
    TAlignment Alignment() const noexcept { return alignment_; }
    void SetAlignment(TAlignment a);
    // The user toggled it (unchecked, checked, and grayed when allowed, in turn).
    void Toggle();

private:
    TCheckBoxState state_ = cbUnchecked;
    bool allowGrayed_ = false;
    TAlignment alignment_ = taRightJustify;
};

// Checking a radio button unchecks the other radio buttons of its parent and fires
// OnClick.
class TRadioButton : public TWinControl {
    GW_CLASS(TRadioButton)

public:
    explicit TRadioButton(classes::TComponent* owner);

    bool Checked() const noexcept { return checked_; }
    void SetChecked(bool v);
    TAlignment Alignment() const noexcept { return alignment_; }
    void SetAlignment(TAlignment a);
    // The user chose it.
    void Click() override;

private:
    bool checked_ = false;
    TAlignment alignment_ = taRightJustify;
};

// A group box of radio buttons, one per item; ItemIndex is the checked one (-1: none).
// A change of ItemIndex fires OnClick.
class TRadioGroup : public TGroupBox {
    GW_CLASS(TRadioGroup)

public:
    explicit TRadioGroup(classes::TComponent* owner);

    TItemStrings* Items() noexcept { return &items_; }
    int ItemIndex() const noexcept { return itemIndex_; }
    void SetItemIndex(int index);
    int Columns() const noexcept { return columns_; }
    void SetColumns(int n);
    // Whether item `index`'s button is enabled: every item's button is.
    bool ItemEnabled(int index) const;

private:
    TItemStrings items_;
    int itemIndex_ = -1;
    int columns_ = 1;
};

// ---- Lists -------------------------------------------------------------------------------

enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable };

// The state of an item being drawn by its owner.
// odComboBoxEdit: the item drawn is a combo box's selection field, not a row of its list.
enum TOwnerDrawStateFlag { odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault, odComboBoxEdit };
using TOwnerDrawState = classes::TSet<TOwnerDrawStateFlag>;
using TDrawItemEvent = classes::TEvent<TWinControl*, int, const TRect&, TOwnerDrawState>;

// Items with one selection (ItemIndex) or, with MultiSelect, a selected flag per item. The
// user's click fires OnClick. Rows are ItemHeight pixels high, the first one shown being
// TopIndex, so ItemAtPos answers without a window.
class TListBox : public TWinControl {
    GW_CLASS(TListBox)

public:
    explicit TListBox(classes::TComponent* owner);
    // The window goes first: it reads the items while it lives.
    ~TListBox() override;

    TItemStrings* Items() noexcept { return &items_; }
    int ItemIndex() const noexcept { return itemIndex_; }
    void SetItemIndex(int index);
    bool MultiSelect() const noexcept { return multiSelect_; }
    void SetMultiSelect(bool v);
    bool ExtendedSelect() const noexcept { return extendedSelect_; }
    void SetExtendedSelect(bool v) { extendedSelect_ = v; }
    bool Selected(int index) const;
    void SetSelected(int index, bool selected);
    int SelCount() const;
    bool Sorted() const noexcept { return items_.Sorted(); }
    void SetSorted(bool v) { items_.SetSorted(v); }
    TListBoxStyle Style() const noexcept { return style_; }
    void SetStyle(TListBoxStyle s);
    int ItemHeight() const noexcept { return itemHeight_; }
    void SetItemHeight(int h);
    int TopIndex() const noexcept { return topIndex_; }
    void SetTopIndex(int index);
    // The item at client point p; -1 when none (or, without `existing`, Count when below
    // the last item).
    int ItemAtPos(TPoint p, bool existing) const;
    TRect ItemRect(int index) const;
    void Clear() { items_.Clear(); }

    // The user's selection: ItemIndex (and, with MultiSelect, the selected flags) then
    // OnClick.
    void SelectByUser(int index, const std::vector<int>& selected = {});
    void ScrolledByUser(int topIndex);
    // The first row shown changed (by the program or the user's scrolling); what a
    // descendant draws relative to the rows follows here.
    virtual void TopIndexChanged() {}

    // ---- Owner drawing (Style other than lbStandard) ----------------------------------------
    // What item drawing draws on (bound to the window while an item is painted).
    TCanvas* Canvas() noexcept { return &canvas_; }
    bool OwnerDrawn() const noexcept { return style_ != lbStandard; }
    // The window system paints item `index` in its row `rect`: the canvas takes the list's
    // font and the colours of the state (highlight when selected), DrawItem draws, and a
    // focused item gets the focus frame.
    virtual void PaintItem(int index, const TRect& rect, TOwnerDrawState state);
    // Draws the item: OnDrawItem when assigned, else the background and the item's text.
    virtual void DrawItem(int index, const TRect& rect, TOwnerDrawState state);
    TDrawItemEvent OnDrawItem;

private:
    void ItemsChanged();
    TCanvas canvas_;

protected:
    TItemStrings items_;
    int itemIndex_ = -1;
    bool multiSelect_ = false;
    bool extendedSelect_ = true;
    TListBoxStyle style_ = lbStandard;
    int itemHeight_ = 16;
    int topIndex_ = 0;
};

class TCheckListBox : public TListBox {
    GW_CLASS(TCheckListBox)

public:
    explicit TCheckListBox(classes::TComponent* owner);
    bool Checked(int index) const { return items_.Checked(index); }
    void SetChecked(int index, bool checked) { items_.SetChecked(index, checked); }
    // The user toggled item `index`'s check box: Checked, then OnClickCheck.
    void ToggleByUser(int index);
    TNotifyEvent OnClickCheck;

    // Owner-drawn rows keep a strip this wide at their left for the check box; the item
    // itself is drawn right of it.
    static constexpr int kCheckWidth = 14;
    void PaintItem(int index, const TRect& rect, TOwnerDrawState state) override;
    // Draws the check box of an owner-drawn row in `box` (13 x 13).
    virtual void DrawCheck(const TRect& box, bool checked, bool enabled);
};

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

// A drop-down list with (csDropDown) or without (csDropDownList) free text. A program's
// change of ItemIndex or Text fires nothing; the user's choice fires OnClick and OnSelect
// (OnChange when there is no OnSelect), the user's typing OnChange. The owner-drawn styles
// are lists without free text whose rows and selection field the control draws itself.
//
// Typed characters reach the control as WM_CHAR (a code point) before the window takes
// them, and the wheel as WM_MOUSEWHEEL: a Result of 1 keeps the window from handling them.
class TComboBox : public TWinControl {
    GW_CLASS(TComboBox)

public:
    explicit TComboBox(classes::TComponent* owner);
    ~TComboBox() override;

    TItemStrings* Items() noexcept { return &items_; }
    TComboBoxStyle Style() const noexcept { return style_; }
    void SetStyle(TComboBoxStyle s);
    int ItemIndex() const noexcept { return itemIndex_; }
    void SetItemIndex(int index);
    bool Sorted() const noexcept { return items_.Sorted(); }
    void SetSorted(bool v) { items_.SetSorted(v); }
    int DropDownCount() const noexcept { return dropDownCount_; }
    void SetDropDownCount(int n) { dropDownCount_ = n; }
    int MaxLength() const noexcept { return maxLength_; }
    void SetMaxLength(int n);
    int ItemHeight() const noexcept { return itemHeight_; }
    void SetItemHeight(int h);
    // Width of the open list in pixels; 0: the combo's own width.
    int DropDownWidth() const noexcept { return dropDownWidth_; }
    virtual void SetDropDownWidth(int w);
    bool DroppedDown() const noexcept { return droppedDown_; }
    void Clear();
    // Whether the combo has a text part the user types into.
    bool Editable() const noexcept { return style_ == csDropDown || style_ == csSimple; }

    // The selection in the text part: byte offsets into Text, on UTF-8 sequence boundaries.
    int SelStart() const noexcept { return selStart_; }
    int SelLength() const noexcept { return selLength_; }
    // Sets the selection (clamped to the text); the window follows.
    void SetEditSel(int start, int length);
    // The user moved the caret or the selection.
    void EditSelByUser(int start, int length);
    // Counts the program's SetEditSel calls (the window applies only those).
    int EditSelSerial() const noexcept { return selSerial_; }

    void SelectByUser(int index);
    virtual void SetTextByUser(const std::string& text);
    void DropDownByUser();
    // The list closed: `accepted` is false when it was cancelled (Escape).
    void CloseUpByUser(bool accepted = true);
    void Loaded() override;

    // ---- Owner drawing (csOwnerDrawFixed, csOwnerDrawVariable) ------------------------------
    bool OwnerDrawn() const noexcept { return style_ == csOwnerDrawFixed || style_ == csOwnerDrawVariable; }
    TCanvas* Canvas() noexcept { return &canvas_; }
    // The height of row `index` (-1: the selection field); ItemHeight by default.
    virtual void MeasureItem(int index, int& height);
    // The window system paints item `index` (or, with odComboBoxEdit, the selection field)
    // in `rect`: the canvas takes the font and the colours of the state, then DrawItem.
    virtual void PaintItem(int index, const TRect& rect, TOwnerDrawState state);
    // OnDrawItem when assigned, else the background and the item's text.
    virtual void DrawItem(int index, const TRect& rect, TOwnerDrawState state);
    TDrawItemEvent OnDrawItem;

    TNotifyEvent OnChange;
    TNotifyEvent OnSelect;
    TNotifyEvent OnDropDown;
    TNotifyEvent OnCloseUp;

protected:
    void TextChanged() override;
    // The list closed (after DroppedDown turned false): fires OnCloseUp.
    virtual void CloseUp(bool accepted);

private:
    void ItemsChanged();

    TItemStrings items_;
    TCanvas canvas_;
    TComboBoxStyle style_ = csDropDown;
    int itemIndex_ = -1;
    int dropDownCount_ = 8;
    int maxLength_ = 0;
    int itemHeight_ = 16;
    int dropDownWidth_ = 0;
    int selStart_ = 0;
    int selLength_ = 0;
    int selSerial_ = 0;
    bool droppedDown_ = false;
    bool settingIndex_ = false;
};

const classes::TEnumInfo& BevelCutInfo();
const classes::TEnumInfo& CheckBoxStateInfo();

}  // namespace ui
