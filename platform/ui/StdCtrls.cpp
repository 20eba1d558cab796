#include "platform/ui/StdCtrls.h"

#include <algorithm>

#include "platform/classes/Filer.h"
#include "platform/rtl/Scope.h"
#include "platform/rtl/SysUtils.h"

namespace ui {

namespace {

const classes::TEnumInfo& ScrollStyleInfo()
{
    static const classes::TEnumInfo info{"TScrollStyle", {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"}};
    return info;
}

const classes::TEnumInfo& BitBtnKindInfo()
{
    static const classes::TEnumInfo info{"TBitBtnKind",
                                         {"bkCustom", "bkOK", "bkCancel", "bkHelp", "bkYes", "bkNo", "bkClose",
                                          "bkAbort", "bkRetry", "bkIgnore", "bkAll"}};
    return info;
}

const classes::TEnumInfo& ButtonLayoutInfo()
{
    static const classes::TEnumInfo info{"TButtonLayout",
                                         {"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"}};
    return info;
}

const classes::TEnumInfo& ListBoxStyleInfo()
{
    static const classes::TEnumInfo info{"TListBoxStyle", {"lbStandard", "lbOwnerDrawFixed", "lbOwnerDrawVariable"}};
    return info;
}

const classes::TEnumInfo& ComboBoxStyleInfo()
{
    static const classes::TEnumInfo info{
        "TComboBoxStyle", {"csDropDown", "csSimple", "csDropDownList", "csOwnerDrawFixed", "csOwnerDrawVariable"}};
    return info;
}

}  // namespace

const classes::TEnumInfo& CheckBoxStateInfo()
{
    static const classes::TEnumInfo info{"TCheckBoxState", {"cbUnchecked", "cbChecked", "cbGrayed"}};
    return info;
}

const classes::TEnumInfo& BevelCutInfo()
{
    static const classes::TEnumInfo info{"TBevelCut", {"bvNone", "bvLowered", "bvRaised", "bvSpace"}};
    return info;
}

// ---- TLabel --------------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TLabel, TControl)
{
    p.String("Caption", &TLabel::Caption, &TLabel::SetCaption);
    p.Enumeration("Alignment", AlignmentInfo(), &TLabel::Alignment, &TLabel::SetAlignment, taLeftJustify);
    p.Enumeration("Layout", TextLayoutInfo(), &TLabel::Layout, &TLabel::SetLayout, tlTop);
    p.Boolean("AutoSize", &TLabel::AutoSize, &TLabel::SetAutoSize, true);
    p.Boolean("WordWrap", &TLabel::WordWrap, &TLabel::SetWordWrap, false);
    p.Boolean("Transparent", &TLabel::Transparent, &TLabel::SetTransparent, false);
    p.Boolean("ParentColor", &TLabel::ParentColor, &TLabel::SetParentColor, true);
    p.Component<TWinControl>("FocusControl", &TLabel::FocusControl, &TLabel::SetFocusControl);
}

TLabel::TLabel(classes::TComponent* owner) : TControl(owner)
{
    SetBounds(0, 0, 32, 13);
    SetParentColor(true);
}

void TLabel::SetAlignment(TAlignment a)
{
    if (alignment_ == a) return;
    alignment_ = a;
    Changed();
}

void TLabel::SetLayout(TTextLayout l)
{
    if (layout_ == l) return;
    layout_ = l;
    Changed();
}

void TLabel::SetAutoSize(bool v)
{
    if (autoSize_ == v) return;
    autoSize_ = v;
    Changed();
}

void TLabel::SetWordWrap(bool v)
{
    if (wordWrap_ == v) return;
    wordWrap_ = v;
    Changed();
}

void TLabel::SetTransparent(bool v)
{
    if (transparent_ == v) return;
    transparent_ = v;
    Changed();
}

void TLabel::SetFocusControl(TWinControl* c) { SetReference(*this, focusControl_, c); }

void TLabel::Notification(classes::TComponent* component, classes::TOperation operation)
{
    TControl::Notification(component, operation);
    if (operation == classes::opRemove && component == focusControl_) focusControl_ = nullptr;
}

// ---- TPanel, TGroupBox ---------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TPanel, TWinControl)
{
    p.String("Caption", &TPanel::Caption, &TPanel::SetCaption);
    p.Enumeration("Alignment", AlignmentInfo(), &TPanel::Alignment, &TPanel::SetAlignment, taCenter);
    p.Enumeration("BevelInner", BevelCutInfo(), &TPanel::BevelInner, &TPanel::SetBevelInner, bvNone);
    p.Enumeration("BevelOuter", BevelCutInfo(), &TPanel::BevelOuter, &TPanel::SetBevelOuter, bvRaised);
    p.Integer("BevelWidth", &TPanel::BevelWidth, &TPanel::SetBevelWidth, 1);
    p.Integer("BorderWidth", &TPanel::BorderWidth, &TPanel::SetBorderWidth, 0);
    p.Enumeration("BorderStyle", BorderStyleInfo(), &TPanel::BorderStyle, &TPanel::SetBorderStyle, bsNone);
}

TPanel::TPanel(classes::TComponent* owner) : TWinControl(owner) { SetBounds(0, 0, 185, 41); }

void TPanel::SetAlignment(TAlignment a)
{
    if (alignment_ == a) return;
    alignment_ = a;
    Changed();
}

void TPanel::SetBevelInner(TBevelCut b)
{
    if (bevelInner_ == b) return;
    bevelInner_ = b;
    Realign();
}

void TPanel::SetBevelOuter(TBevelCut b)
{
    if (bevelOuter_ == b) return;
    bevelOuter_ = b;
    Realign();
}

void TPanel::SetBevelWidth(int w)
{
    const auto value = std::max(w, 1);
    if (value == bevelWidth_) return;
    bevelWidth_ = value;
    Realign();
}

void TPanel::SetBorderWidth(int w)
{
    const auto value = std::max(w, 0);
    if (value == borderWidth_) return;
    borderWidth_ = value;
    Realign();
}

void TPanel::SetBorderStyle(TFormBorderStyle s)
{
    borderStyle_ = s == bsNone ? bsNone : bsSingle;
    Realign();
}

TRect TPanel::AlignRect() const
{
    int inset = borderWidth_;
    if (bevelOuter_ != bvNone) inset += bevelWidth_;
    if (bevelInner_ != bvNone) inset += bevelWidth_;
    if (borderStyle_ == bsSingle) inset += 1;
    TRect r = ClientRect();
    return {r.Left + inset, r.Top + inset, std::max(r.Left + inset, r.Right - inset),
            std::max(r.Top + inset, r.Bottom - inset)};
}

GW_IMPLEMENT_CLASS(TGroupBox, TWinControl) { p.String("Caption", &TGroupBox::Caption, &TGroupBox::SetCaption); }

TGroupBox::TGroupBox(classes::TComponent* owner) : TWinControl(owner) { SetBounds(0, 0, 185, 105); }

TRect TGroupBox::AlignRect() const
{
    // Below the caption, inside the frame.
    TRect r = ClientRect();
    return {r.Left + 2, r.Top + 16, std::max(r.Left + 2, r.Right - 2), std::max(r.Top + 16, r.Bottom - 2)};
}

// ---- Edits ---------------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TCustomEdit, TWinControl)
{
    p.Color("Color", &TCustomEdit::Color, &TCustomEdit::SetColor, rtl::clWindow);
    p.Boolean("ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly, false);
    p.Integer("MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength, 0);
    p.Boolean("TabStop", &TCustomEdit::TabStop, &TCustomEdit::SetTabStop, true);
    p.Event("OnChange", &TCustomEdit::OnChange);
}

TCustomEdit::TCustomEdit(classes::TComponent* owner) : TWinControl(owner)
{
    SetBounds(0, 0, 121, 21);
    SetColor(rtl::clWindow);
    SetTabStop(true);
}

void TCustomEdit::SetReadOnly(bool v)
{
    if (readOnly_ == v) return;
    readOnly_ = v;
    Changed();
}

void TCustomEdit::SetMaxLength(int v)
{
    const auto value = std::max(v, 0);
    if (value == maxLength_) return;
    maxLength_ = value;
    Changed();
}

const classes::TEnumInfo& EditCharCaseInfo()
{
    static const classes::TEnumInfo info{"TEditCharCase", {"ecNormal", "ecUpperCase", "ecLowerCase"}};
    return info;
}

namespace {

// ASCII letters only: other letters keep their bytes, so no UTF-8 sequence is touched.
std::string WithCase(std::string text, TEditCharCase c)
{
    for (char& ch : text) {
        if (c == ecUpperCase && ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
        if (c == ecLowerCase && ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    }
    return text;
}

}  // namespace

void TCustomEdit::SetAlignment(TAlignment a)
{
    if (a == alignment_) return;
    alignment_ = a;
    Changed();
}

void TCustomEdit::SetCharCase(TEditCharCase c)
{
    if (c == charCase_) return;
    charCase_ = c;
    if (c != ecNormal) SetText(WithCase(Text(), c));
    Changed();
}

void TCustomEdit::SetHideSelection(bool v)
{
    if (v == hideSelection_) return;
    hideSelection_ = v;
    Changed();
}

void TCustomEdit::SetTextByUser(const std::string& text)
{
    if (text == Text()) return;
    modified_ = true;
    SetText(text);
}

int TCustomEdit::SelStart() const noexcept
{
    return std::clamp(selStart_, 0, static_cast<int>(Text().size()));
}

int TCustomEdit::SelLength() const noexcept
{
    return std::clamp(selLength_, 0, static_cast<int>(Text().size()) - SelStart());
}

void TCustomEdit::SetSelectionByUser(int start, int length)
{
    selStart_ = start;
    selLength_ = length;
}

void TCustomEdit::SetSel(int start, int length)
{
    const int size = static_cast<int>(Text().size());
    selStart_ = std::clamp(start, 0, size);
    selLength_ = std::clamp(length, 0, size - selStart_);
    ++selSerial_;
    Changed();
}

void TCustomEdit::ScrollCaret()
{
    ++scrollCaretSerial_;
    Changed();
}

void TCustomEdit::SetCaretHidden(bool hidden)
{
    if (hidden == caretHidden_) return;
    caretHidden_ = hidden;
    Changed();
}

void TCustomEdit::SetTextMargins(const TRect& margins)
{
    if (margins == textMargins_) return;
    textMargins_ = margins;
    Changed();
}

void TCustomEdit::TextChanged()
{
    if (charCase_ != ecNormal && !casing_) {
        const std::string cased = WithCase(Text(), charCase_);
        if (cased != Text()) {
            // Setting the cased text comes back here once; that call reports the change.
            casing_ = true;
            SetText(cased);
            casing_ = false;
            return;
        }
    }
    TWinControl::TextChanged();
    if (!Loading()) Change();
}

void TCustomEdit::Change() { OnChange(this); }

GW_IMPLEMENT_CLASS(TEdit, TCustomEdit)
{
    p.String("Text", &TEdit::Text, &TEdit::SetText);
    p.Char("PasswordChar", &TEdit::PasswordChar, &TEdit::SetPasswordChar, 0);
}

TEdit::TEdit(classes::TComponent* owner) : TCustomEdit(owner) {}

void TEdit::SetPasswordChar(char c)
{
    if (passwordChar_ == c) return;
    passwordChar_ = c;
    Changed();
}

GW_IMPLEMENT_CLASS(TMemo, TCustomEdit)
{
    p.Strings("Lines", [](const TMemo& m) { return &m.lines_; });
    p.Enumeration("ScrollBars", ScrollStyleInfo(), &TMemo::ScrollBars, &TMemo::SetScrollBars, ssNone);
    p.Boolean("WordWrap", &TMemo::WordWrap, &TMemo::SetWordWrap, true);
    p.Boolean("WantTabs", &TMemo::WantTabs, &TMemo::SetWantTabs, false);
    p.Boolean("WantReturns", &TMemo::WantReturns, &TMemo::SetWantReturns, true);
}

TMemo::TMemo(classes::TComponent* owner) : TCustomEdit(owner)
{
    SetBounds(0, 0, 185, 89);
    lines_.OnChange = [this] {
        if (syncing_) return;
        std::string text;
        for (int i = 0; i < lines_.Count(); ++i) {
            if (i > 0) text += "\r\n";
            text += lines_.Get(i);
        }
        syncing_ = true;
        SetText(text);
        syncing_ = false;
    };
}

void TMemo::TextChanged()
{
    if (!syncing_) {
        syncing_ = true;
        lines_.SetText(Text());
        syncing_ = false;
    }
    TCustomEdit::TextChanged();
}

void TMemo::SetScrollBars(TScrollStyle s)
{
    if (scrollBars_ == s) return;
    scrollBars_ = s;
    Changed();
}

void TMemo::SetWordWrap(bool v)
{
    if (wordWrap_ == v) return;
    wordWrap_ = v;
    Changed();
}

bool TMemo::WantsKey(TKey key) const
{
    return (key == VK_RETURN && wantReturns_) || (key == VK_TAB && wantTabs_);
}

GW_IMPLEMENT_CLASS(TSpinEdit, TCustomEdit)
{
    p.Integer("MinValue", &TSpinEdit::MinValue, &TSpinEdit::SetMinValue, 0);
    p.Integer("MaxValue", &TSpinEdit::MaxValue, &TSpinEdit::SetMaxValue, 0);
    p.Integer("Increment", &TSpinEdit::Increment, &TSpinEdit::SetIncrement, 1);
    p.Integer("Value", &TSpinEdit::Value, &TSpinEdit::SetValue, 0);
}

TSpinEdit::TSpinEdit(classes::TComponent* owner) : TCustomEdit(owner) { SetText("0"); }

int TSpinEdit::Value() const { return CheckValue(rtl::StrToIntDef(rtl::Trim(Text()), minValue_)); }

void TSpinEdit::SetValue(int v) { SetText(std::to_string(CheckValue(v))); }

int TSpinEdit::CheckValue(int v) const
{
    if (maxValue_ == 0 && minValue_ == 0) return v;
    return std::clamp(v, minValue_, std::max(minValue_, maxValue_));
}

void TSpinEdit::SetMinValue(int v)
{
    if (minValue_ == v) return;
    minValue_ = v;
    Changed();
}

void TSpinEdit::SetMaxValue(int v)
{
    if (maxValue_ == v) return;
    maxValue_ = v;
    Changed();
}

// ---- Buttons -------------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TButton, TWinControl)
{
    p.String("Caption", &TButton::Caption, &TButton::SetCaption);
    p.Boolean("Default", &TButton::Default, &TButton::SetDefault, false);
    p.Boolean("Cancel", &TButton::Cancel, &TButton::SetCancel, false);
    p.Integer("ModalResult", &TButton::ModalResult, &TButton::SetModalResult, mrNone);
    p.Boolean("TabStop", &TButton::TabStop, &TButton::SetTabStop, true);
}

TButton::TButton(classes::TComponent* owner) : TWinControl(owner)
{
    SetBounds(0, 0, 75, 25);
    SetTabStop(true);
}

void TButton::SetDefault(bool v)
{
    if (default_ == v) return;
    default_ = v;
    Changed();
}

void TButton::Click()
{
    if (TCustomForm* form = GetParentForm(this); form != nullptr && modalResult_ != mrNone)
        form->SetModalResult(modalResult_);
    TWinControl::Click();
}

GW_IMPLEMENT_CLASS(TBitBtn, TButton)
{
    p.Enumeration("Kind", BitBtnKindInfo(), &TBitBtn::Kind, &TBitBtn::SetKind, bkCustom);
    p.Object("Glyph", [](const TBitBtn& b) { return &b.glyph_; });
    p.Enumeration("Layout", ButtonLayoutInfo(), &TBitBtn::Layout, &TBitBtn::SetLayout, blGlyphLeft);
}

TBitBtn::TBitBtn(classes::TComponent* owner) : TButton(owner)
{
    glyph_.OnChange = [this] { Changed(); };
}

void TBitBtn::SetKind(TBitBtnKind kind)
{
    kind_ = kind;
    if (!Loading()) ApplyKind(true);
}

void TBitBtn::ApplyKind(bool all)
{
    struct KindInfo {
        const char* caption;
        TModalResult result;
    };
    static const KindInfo kinds[] = {{"", mrNone},      {"OK", mrOk},         {"Cancel", mrCancel}, {"&Help", mrNone},
                                     {"&Yes", mrYes},   {"&No", mrNo},        {"&Close", mrNone},   {"Abort", mrAbort},
                                     {"&Retry", mrRetry}, {"&Ignore", mrIgnore}, {"&All", mrAll}};
    if (kind_ == bkCustom) return;
    const KindInfo& k = kinds[kind_];
    if (all || Caption().empty()) SetCaption(k.caption);
    if (all || ModalResult() == mrNone) SetModalResult(k.result);
    if (kind_ == bkOK || kind_ == bkYes) SetDefault(true);
    if (kind_ == bkCancel || kind_ == bkNo) SetCancel(true);
}

void TBitBtn::Loaded()
{
    TButton::Loaded();
    ApplyKind(false);
}

void TBitBtn::SetLayout(TButtonLayout l)
{
    if (layout_ == l) return;
    layout_ = l;
    Changed();
}

void TBitBtn::Click()
{
    if (kind_ == bkClose) {
        if (TCustomForm* form = GetParentForm(this)) {
            form->Close();
            TWinControl::Click();
            return;
        }
    }
    if (kind_ == bkHelp && !OnClick) {
        Application().HelpContext(HelpContext());
        return;
    }
    TButton::Click();
}

GW_IMPLEMENT_CLASS(TSpeedButton, TControl)
{
    p.String("Caption", &TSpeedButton::Caption, &TSpeedButton::SetCaption);
    p.Object("Glyph", [](const TSpeedButton& b) { return &b.glyph_; });
    p.Boolean("Flat", &TSpeedButton::Flat, &TSpeedButton::SetFlat, false);
    p.Integer("GroupIndex", &TSpeedButton::GroupIndex, &TSpeedButton::SetGroupIndex, 0);
    p.Boolean("AllowAllUp", &TSpeedButton::AllowAllUp, &TSpeedButton::SetAllowAllUp, false);
    p.Boolean("Down", &TSpeedButton::Down, &TSpeedButton::SetDown, false);
    p.Enumeration("Layout", ButtonLayoutInfo(), &TSpeedButton::Layout, &TSpeedButton::SetLayout, blGlyphLeft);
}

TSpeedButton::TSpeedButton(classes::TComponent* owner) : TControl(owner)
{
    SetBounds(0, 0, 23, 22);
    glyph_.OnChange = [this] { Changed(); };
}

void TSpeedButton::SetFlat(bool v)
{
    if (flat_ == v) return;
    flat_ = v;
    Changed();
}

void TSpeedButton::SetDown(bool v)
{
    if (groupIndex_ == 0) v = false;
    if (v == down_) return;
    down_ = v;
    if (down_ && parent_ != nullptr) {
        for (int i = 0; i < parent_->ControlCount(); ++i) {
            auto* other = dynamic_cast<TSpeedButton*>(parent_->Controls(i));
            if (other != nullptr && other != this && other->groupIndex_ == groupIndex_ && other->down_) {
                other->down_ = false;
                other->Changed();
            }
        }
    }
    Changed();
}

void TSpeedButton::SetLayout(TButtonLayout l)
{
    if (layout_ == l) return;
    layout_ = l;
    Changed();
}

void TSpeedButton::Click()
{
    if (groupIndex_ != 0) {
        if (!down_)
            SetDown(true);
        else if (allowAllUp_)
            SetDown(false);
    }
    TControl::Click();
}

// ---- Check box, radio button, radio group --------------------------------------------------

GW_IMPLEMENT_CLASS(TCheckBox, TWinControl)
{
    p.String("Caption", &TCheckBox::Caption, &TCheckBox::SetCaption);
    p.Enumeration("Alignment", AlignmentInfo(), &TCheckBox::Alignment, &TCheckBox::SetAlignment, taRightJustify);
    p.Boolean("AllowGrayed", &TCheckBox::AllowGrayed, &TCheckBox::SetAllowGrayed, false);
    p.Boolean("Checked", &TCheckBox::Checked, &TCheckBox::SetChecked, false);
    p.Enumeration("State", CheckBoxStateInfo(), &TCheckBox::State, &TCheckBox::SetState, cbUnchecked)
        .Stored([](const TCheckBox&) { return false; });
    p.Boolean("TabStop", &TCheckBox::TabStop, &TCheckBox::SetTabStop, true);
}

TCheckBox::TCheckBox(classes::TComponent* owner) : TWinControl(owner)
{
    SetBounds(0, 0, 97, 17);
    SetTabStop(true);
}

void TCheckBox::SetState(TCheckBoxState s)
{
    if (s == state_) return;
    state_ = s;
    Changed();
    if (!Loading()) Click();
}

void TCheckBox::SetAlignment(TAlignment a)
{
    if (alignment_ == a) return;
    alignment_ = a;
    Changed();
}

void TCheckBox::Toggle()
{
    switch (state_) {
    case cbUnchecked: SetState(cbChecked); break;
    case cbChecked: SetState(allowGrayed_ ? cbGrayed : cbUnchecked); break;
    case cbGrayed: SetState(cbUnchecked); break;
    }
}

GW_IMPLEMENT_CLASS(TRadioButton, TWinControl)
{
    p.String("Caption", &TRadioButton::Caption, &TRadioButton::SetCaption);
    p.Enumeration("Alignment", AlignmentInfo(), &TRadioButton::Alignment, &TRadioButton::SetAlignment,
                  taRightJustify);
    p.Boolean("Checked", &TRadioButton::Checked, &TRadioButton::SetChecked, false);
}

TRadioButton::TRadioButton(classes::TComponent* owner) : TWinControl(owner) { SetBounds(0, 0, 113, 17); }

void TRadioButton::SetChecked(bool v)
{
    if (v == checked_) return;
    checked_ = v;
    SetTabStop(v);
    if (v && parent_ != nullptr) {
        for (int i = 0; i < parent_->ControlCount(); ++i) {
            auto* other = dynamic_cast<TRadioButton*>(parent_->Controls(i));
            if (other != nullptr && other != this) other->SetChecked(false);
        }
    }
    Changed();
    if (v && !Loading()) TWinControl::Click();
}

void TRadioButton::SetAlignment(TAlignment a)
{
    if (alignment_ == a) return;
    alignment_ = a;
    Changed();
}

void TRadioButton::Click()
{
    if (!checked_)
        SetChecked(true);
    else
        TWinControl::Click();
}

GW_IMPLEMENT_CLASS(TRadioGroup, TGroupBox)
{
    p.Strings("Items", [](const TRadioGroup& g) { return &g.items_; });
    p.Integer("Columns", &TRadioGroup::Columns, &TRadioGroup::SetColumns, 1);
    p.Integer("ItemIndex", &TRadioGroup::ItemIndex, &TRadioGroup::SetItemIndex, -1);
    p.Boolean("TabStop", &TRadioGroup::TabStop, &TRadioGroup::SetTabStop, true);
}

TRadioGroup::TRadioGroup(classes::TComponent* owner) : TGroupBox(owner)
{
    SetTabStop(true);
    items_.OnChange = [this] {
        if (itemIndex_ >= items_.Count() && !Loading()) itemIndex_ = -1;
        Changed();
    };
}

void TRadioGroup::SetItemIndex(int index)
{
    if (Loading()) {
        itemIndex_ = index;
        return;
    }
    if (index < -1 || index >= items_.Count()) index = -1;
    if (index == itemIndex_) return;
    itemIndex_ = index;
    Changed();
    Click();
}

void TRadioGroup::SetColumns(int n)
{
    const auto value = std::clamp(n, 1, 16);
    if (value == columns_) return;
    columns_ = value;
    Changed();
}

bool TRadioGroup::ItemEnabled(int index) const
{
    return index >= 0 && index < items_.Count();
}

// ---- List box ------------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TListBox, TWinControl)
{
    p.Color("Color", &TListBox::Color, &TListBox::SetColor, rtl::clWindow);
    p.Strings("Items", [](const TListBox& l) { return &l.items_; });
    p.Boolean("MultiSelect", &TListBox::MultiSelect, &TListBox::SetMultiSelect, false);
    p.Boolean("ExtendedSelect", &TListBox::ExtendedSelect, &TListBox::SetExtendedSelect, true);
    p.Boolean("Sorted", &TListBox::Sorted, &TListBox::SetSorted, false);
    p.Enumeration("Style", ListBoxStyleInfo(), &TListBox::Style, &TListBox::SetStyle, lbStandard);
    p.Integer("ItemHeight", &TListBox::ItemHeight, &TListBox::SetItemHeight, 16);
    p.Boolean("TabStop", &TListBox::TabStop, &TListBox::SetTabStop, true);
    p.Event("OnDrawItem", &TListBox::OnDrawItem);
}

void TListBox::PaintItem(int index, const TRect& rect, TOwnerDrawState state)
{
    canvas_.SetFont(*Font());
    canvas_.Brush()->SetStyle(bsSolid);
    if (state.Contains(odSelected)) {
        canvas_.Brush()->SetColor(rtl::clHighlight);
        canvas_.Font()->SetColor(rtl::clHighlightText);
    } else {
        canvas_.Brush()->SetColor(Color());
    }
    DrawItem(index, rect, state);
    if (state.Contains(odFocused)) canvas_.DrawFocusRect(rect);
}

void TListBox::DrawItem(int index, const TRect& rect, TOwnerDrawState state)
{
    if (OnDrawItem) {
        OnDrawItem(this, index, rect, state);
        return;
    }
    canvas_.FillRect(rect);
    if (index >= 0 && index < items_.Count()) canvas_.TextOut(rect.Left + 2, rect.Top, items_.Get(index));
}

TListBox::TListBox(classes::TComponent* owner) : TWinControl(owner)
{
    SetBounds(0, 0, 121, 97);
    SetColor(rtl::clWindow);
    SetTabStop(true);
    items_.OnChange = [this] { ItemsChanged(); };
}

TListBox::~TListBox() { DestroyPeers(); }

void TListBox::ItemsChanged()
{
    // The selected flags travel with their items; a single selection follows its item.
    if (!multiSelect_) {
        itemIndex_ = -1;
        for (int i = 0; i < items_.Count() && itemIndex_ < 0; ++i)
            if (items_.Selected(i)) itemIndex_ = i;
    } else if (itemIndex_ >= items_.Count()) {
        itemIndex_ = -1;
    }
    if (topIndex_ >= items_.Count()) topIndex_ = std::max(0, items_.Count() - 1);
    Changed();
}

void TListBox::SetItemIndex(int index)
{
    if (index < -1 || index >= items_.Count()) index = -1;
    if (!multiSelect_) {
        for (int i = 0; i < items_.Count(); ++i) items_.SetSelected(i, i == index);
    } else if (index >= 0) {
        items_.SetSelected(index, true);
    }
    if (index == itemIndex_) return;
    itemIndex_ = index;
    Changed();
}

void TListBox::SetMultiSelect(bool v)
{
    if (multiSelect_ == v) return;
    multiSelect_ = v;
    Changed();
}

bool TListBox::Selected(int index) const { return items_.Selected(index); }

void TListBox::SetSelected(int index, bool selected)
{
    if (!multiSelect_) {
        if (selected)
            SetItemIndex(index);
        else if (index == itemIndex_)
            SetItemIndex(-1);
        return;
    }
    items_.SetSelected(index, selected);
}

int TListBox::SelCount() const { return multiSelect_ ? items_.SelCount() : -1; }

void TListBox::SetStyle(TListBoxStyle s)
{
    if (style_ == s) return;
    style_ = s;
    Changed();
}

void TListBox::SetItemHeight(int h)
{
    const auto value = std::max(h, 1);
    if (value == itemHeight_) return;
    itemHeight_ = value;
    Changed();
}

void TListBox::SetTopIndex(int index)
{
    const auto value = std::clamp(index, 0, std::max(0, items_.Count() - 1));
    if (value == topIndex_) return;
    topIndex_ = value;
    Changed();
    TopIndexChanged();
}

void TListBox::ScrolledByUser(int topIndex)
{
    if (topIndex == topIndex_) return;
    topIndex_ = topIndex;
    TopIndexChanged();
}

int TListBox::ItemAtPos(TPoint p, bool existing) const
{
    if (p.X < 0 || p.X >= ClientWidth() || p.Y < 0 || p.Y >= ClientHeight()) return -1;
    const int index = topIndex_ + p.Y / itemHeight_;
    if (index < items_.Count()) return index;
    return existing ? -1 : items_.Count();
}

TRect TListBox::ItemRect(int index) const
{
    const int top = (index - topIndex_) * itemHeight_;
    return {0, top, ClientWidth(), top + itemHeight_};
}

void TListBox::SelectByUser(int index, const std::vector<int>& selected)
{
    if (multiSelect_) {
        auto update = rtl::MakeScope(items_, &TItemStrings::BeginUpdate, &TItemStrings::EndUpdate);
        for (int i = 0; i < items_.Count(); ++i)
            items_.SetSelected(i, std::find(selected.begin(), selected.end(), i) != selected.end());
    }
    SetItemIndex(index);
    Click();
}

GW_IMPLEMENT_CLASS(TCheckListBox, TListBox) { p.Event("OnClickCheck", &TCheckListBox::OnClickCheck); }

TCheckListBox::TCheckListBox(classes::TComponent* owner) : TListBox(owner) {}

void TCheckListBox::PaintItem(int index, const TRect& rect, TOwnerDrawState state)
{
    // The strip behind the check box is the list's, whatever the item's state.
    Canvas()->Brush()->SetStyle(bsSolid);
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect({rect.Left, rect.Top, rect.Left + kCheckWidth, rect.Bottom});
    const int top = rect.Top + (rect.Height() - 13) / 2;
    const bool checked = index >= 0 && index < items_.Count() && Checked(index);
    DrawCheck({rect.Left, top, rect.Left + 13, top + 13}, checked, Enabled() && !state.Contains(odDisabled));
    if (checked) state.Include(odChecked);
    TListBox::PaintItem(index, {rect.Left + kCheckWidth, rect.Top, rect.Right, rect.Bottom}, state);
}

void TCheckListBox::DrawCheck(const TRect& box, bool checked, bool enabled)
{
    TCanvas& c = *Canvas();
    c.Brush()->SetColor(enabled ? rtl::clWindow : rtl::clBtnFace);
    c.FillRect(box);
    c.Brush()->SetColor(rtl::clBtnShadow);
    c.FrameRect(box);
    if (!checked) return;
    c.Pen()->SetColor(enabled ? rtl::clWindowText : rtl::clGrayText);
    c.Pen()->SetWidth(1);
    c.Pen()->SetMode(pmCopy);
    c.Pen()->SetStyle(psSolid);
    // A tick, two pixels thick.
    for (int d = 0; d < 2; ++d) {
        c.MoveTo(box.Left + 3, box.Top + 5 + d);
        c.LineTo(box.Left + 5, box.Top + 7 + d);
        c.LineTo(box.Left + 10, box.Top + 2 + d);
    }
}

void TCheckListBox::ToggleByUser(int index)
{
    SetChecked(index, !Checked(index));
    OnClickCheck(this);
}

// ---- Combo box -----------------------------------------------------------------------------

namespace {

// The offset moved back onto the start of the UTF-8 sequence it falls in, within the text.
int OnBoundary(const std::string& text, int offset)
{
    int p = std::clamp(offset, 0, static_cast<int>(text.size()));
    while (p > 0 && p < static_cast<int>(text.size()) && (static_cast<unsigned char>(text[p]) & 0xC0) == 0x80) --p;
    return p;
}

}  // namespace

GW_IMPLEMENT_CLASS(TComboBox, TWinControl)
{
    p.Color("Color", &TComboBox::Color, &TComboBox::SetColor, rtl::clWindow);
    p.Enumeration("Style", ComboBoxStyleInfo(), &TComboBox::Style, &TComboBox::SetStyle, csDropDown);
    p.Strings("Items", [](const TComboBox& c) { return &c.items_; });
    p.Boolean("Sorted", &TComboBox::Sorted, &TComboBox::SetSorted, false);
    p.Integer("ItemIndex", &TComboBox::ItemIndex, &TComboBox::SetItemIndex, -1);
    p.String("Text", &TComboBox::Text, &TComboBox::SetText);
    p.Integer("DropDownCount", &TComboBox::DropDownCount, &TComboBox::SetDropDownCount, 8);
    p.Integer("MaxLength", &TComboBox::MaxLength, &TComboBox::SetMaxLength, 0);
    p.Integer("ItemHeight", &TComboBox::ItemHeight, &TComboBox::SetItemHeight, 16);
    p.Boolean("TabStop", &TComboBox::TabStop, &TComboBox::SetTabStop, true);
    p.Event("OnChange", &TComboBox::OnChange);
    p.Event("OnSelect", &TComboBox::OnSelect);
    p.Event("OnDropDown", &TComboBox::OnDropDown);
    p.Event("OnCloseUp", &TComboBox::OnCloseUp);
}

TComboBox::TComboBox(classes::TComponent* owner) : TWinControl(owner)
{
    SetBounds(0, 0, 145, 21);
    SetColor(rtl::clWindow);
    SetTabStop(true);
    items_.OnChange = [this] { ItemsChanged(); };
}

TComboBox::~TComboBox() { DestroyPeers(); }


void TComboBox::ItemsChanged()
{
    // The chosen item is the one that reads as the text, wherever it moved.
    if (itemIndex_ >= 0 && !Loading()) {
        const int old = itemIndex_;
        itemIndex_ = -1;
        for (int i = 0; i < items_.Count(); ++i)
            if (items_.Get(i) == Text()) {
                itemIndex_ = i;
                break;
            }
        if (itemIndex_ < 0 && old >= 0 && !Editable()) {
            settingIndex_ = true;
            SetText({});
            settingIndex_ = false;
        }
    }
    Changed();
}

void TComboBox::SetStyle(TComboBoxStyle s)
{
    if (style_ == s) return;
    style_ = s;
    Changed();
}

void TComboBox::SetItemIndex(int index)
{
    if (Loading()) {
        itemIndex_ = index;
        return;
    }
    if (index < -1 || index >= items_.Count()) index = -1;
    const bool listOnly = !Editable();
    if (index == itemIndex_ && (index >= 0 ? Text() == items_.Get(index) : !listOnly || Text().empty()))
        return;
    itemIndex_ = index;
    settingIndex_ = true;
    if (index >= 0)
        SetText(items_.Get(index));
    else if (listOnly)
        SetText({});
    settingIndex_ = false;
    Changed();
}

void TComboBox::TextChanged()
{
    // A program's text selects the item that reads the same. A list without free text
    // takes an item's text only (letter case ignored).
    if (!settingIndex_ && !Loading()) {
        if (!Editable()) {
            itemIndex_ = items_.IndexOf(Text());
            settingIndex_ = true;
            SetText(itemIndex_ >= 0 ? items_.Get(itemIndex_) : std::string());
            settingIndex_ = false;
        } else {
            itemIndex_ = -1;
            for (int i = 0; i < items_.Count(); ++i)
                if (items_.Get(i) == Text()) {
                    itemIndex_ = i;
                    break;
                }
        }
    }
    // The selection stays inside the new text.
    selStart_ = OnBoundary(Text(), selStart_);
    selLength_ = std::max(OnBoundary(Text(), selStart_ + selLength_) - selStart_, 0);
    TWinControl::TextChanged();
}

void TComboBox::SetMaxLength(int n)
{
    const auto value = std::max(n, 0);
    if (value == maxLength_) return;
    maxLength_ = value;
    Changed();
}

void TComboBox::SetItemHeight(int h)
{
    const auto value = std::max(h, 1);
    if (value == itemHeight_) return;
    itemHeight_ = value;
    Changed();
}

void TComboBox::Clear()
{
    items_.Clear();
    SetItemIndex(-1);
    SetText({});
}

void TComboBox::Loaded()
{
    TWinControl::Loaded();
    // Items, ItemIndex and Text were read in any order: the index wins when it names an item.
    if (itemIndex_ >= 0 && itemIndex_ < items_.Count())
        SetItemIndex(itemIndex_);
    else
        itemIndex_ = items_.IndexOf(Text());
}

void TComboBox::SelectByUser(int index)
{
    SetItemIndex(index);
    Click();
    if (OnSelect)
        OnSelect(this);
    else
        OnChange(this);
}

void TComboBox::SetTextByUser(const std::string& text)
{
    if (text == Text()) return;
    SetText(text);
    OnChange(this);
}

void TComboBox::DropDownByUser()
{
    droppedDown_ = true;
    OnDropDown(this);
}

void TComboBox::CloseUpByUser(bool accepted)
{
    droppedDown_ = false;
    CloseUp(accepted);
}

void TComboBox::CloseUp(bool /*accepted*/) { OnCloseUp(this); }

void TComboBox::SetDropDownWidth(int w)
{
    const int value = std::max(w, 0);
    if (value == dropDownWidth_) return;
    dropDownWidth_ = value;
    Changed();
}

void TComboBox::SetEditSel(int start, int length)
{
    const int s = OnBoundary(Text(), start);
    const int e = OnBoundary(Text(), std::max(start, 0) + std::max(length, 0));
    selStart_ = s;
    selLength_ = std::max(e - s, 0);
    // The window takes the selection even when it is the same: its text may have moved it.
    ++selSerial_;
    Changed();
}

void TComboBox::EditSelByUser(int start, int length)
{
    selStart_ = OnBoundary(Text(), start);
    selLength_ = std::max(OnBoundary(Text(), start + length) - selStart_, 0);
}

void TComboBox::MeasureItem(int /*index*/, int& height) { height = itemHeight_; }

void TComboBox::PaintItem(int index, const TRect& rect, TOwnerDrawState state)
{
    canvas_.SetFont(*Font());
    if (state.Contains(odSelected)) {
        canvas_.Brush()->SetColor(rtl::clHighlight);
        canvas_.Font()->SetColor(rtl::clHighlightText);
    } else {
        canvas_.Brush()->SetColor(Color());
    }
    canvas_.Brush()->SetStyle(bsSolid);
    DrawItem(index, rect, state);
}

void TComboBox::DrawItem(int index, const TRect& rect, TOwnerDrawState state)
{
    if (OnDrawItem) {
        OnDrawItem(this, index, rect, state);
        return;
    }
    canvas_.FillRect(rect);
    if (index >= 0 && index < items_.Count()) canvas_.TextOut(rect.Left + 2, rect.Top, items_.Get(index));
}

}  // namespace ui
