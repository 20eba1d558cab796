#include "framedctrls/FcCmboBx.h"

#include <algorithm>
#include <utility>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Scope.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Screen.h"

namespace framedctrls {

namespace {

// A message the combo posts to itself: Enter was taken, move the focus as Tab does.
constexpr unsigned kTabOnEnter = ui::WM_USER + 0x0F02;

constexpr char32_t kBackspace = 8;
constexpr char32_t kEnter = 13;
constexpr char32_t kEscape = 27;

bool Printable(char32_t c) { return c >= 32 && c != 127 && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF); }

std::string Utf8(char32_t c)
{
    std::string s;
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xC0 | (c >> 6));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        s += static_cast<char>(0xE0 | (c >> 12));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | (c >> 18));
        s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
    return s;
}

// The text without its last character (a whole UTF-8 sequence).
std::string DropLastChar(const std::string& s) { return s.substr(0, rtl::Utf8PrevCharStart(s, s.size())); }

// Raises `flag` until the scope ends, then gives it back the value it had.
auto RaisedFor(bool& flag)
{
    const bool was = std::exchange(flag, true);
    return rtl::TScopeExit([&flag, was] { flag = was; });
}

}  // namespace

// ---- TFcCustomComboBox ---------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TFcCustomComboBox, ui::TComboBox)
{
    using C = TFcCustomComboBox;
    p.Color("Color", &C::ComboColor, &C::SetComboColor, rtl::clWindow).Stored(&C::FrameStored);
    p.Boolean("BeepOnInvalidKey", &C::BeepOnInvalidKey, &C::SetBeepOnInvalidKey, true);
    p.Integer("DropDownWidth", &C::DropDownWidth, &C::SetDropDownWidth, 0);
    p.Boolean("FlatButtons", &C::FlatButtons, &C::SetFlatButtons, true).Stored(&C::FrameStored);
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
    p.Boolean("TabOnEnter", &C::TabOnEnter, &C::SetTabOnEnter, false);
    p.Boolean("UseFrameController", &C::UseFrameController, &C::SetUseFrameController, true);
    p.Event("OnMouseEnter", &C::OnMouseEnter);
    p.Event("OnMouseLeave", &C::OnMouseLeave);
}

TFcCustomComboBox::TFcCustomComboBox(classes::TComponent* owner) : ui::TComboBox(owner) {}

TFcCustomComboBox::~TFcCustomComboBox()
{
    KillTimer(kSearchTimer);
    if (frameController_ != nullptr) frameController_->RemoveControl(this);
}

void TFcCustomComboBox::UpdateFrameState(bool mouseChange, bool value)
{
    if (mouseChange)
        mouseOver_ = value;
    else
        focused_ = value;
    frame_.Track(focused_ || mouseOver_);
    if (flatButtons_ || frame_.flat) Repaint();
}

void TFcCustomComboBox::InvalidKey()
{
    if (beepOnInvalidKey_) ui::Beep();
}

int TFcCustomComboBox::FindItem(const std::string& s) const
{
    const std::string key = rtl::AnsiUpperCase(s);
    auto* items = const_cast<TFcCustomComboBox*>(this)->Items();
    for (int i = 0; i < items->Count(); ++i)
        if (rtl::AnsiUpperCase(items->Get(i)).starts_with(key)) return i;
    return -1;
}

char32_t TFcCustomComboBox::DoKeyPress(char32_t key)
{
    // Key press handlers take a byte: characters beyond ASCII pass untouched.
    if (key >= 128) return key;
    char c = static_cast<char>(key);
    KeyPress(c);
    return static_cast<unsigned char>(c);
}

void TFcCustomComboBox::SetOwnText(const std::string& text)
{
    const auto own = RaisedFor(settingOwnText_);
    SetText(text);
}

void TFcCustomComboBox::TextSetFromOutside()
{
    if (settingOwnText_ || ComponentState().Contains(classes::csDesigning) || DroppedDown()) return;
    if (Style() != ui::csDropDown) return;
    // Enter's own text change (the item taken over) leaves the search as it was.
    if (enterPressed_)
        enterPressed_ = false;
    else
        searchText_ = Text();
    // A text that is the chosen item's own came with choosing it: nothing to complete.
    if (ItemIndex() >= 0 && Items()->Get(ItemIndex()) == Text()) return;
    const int index = FindItem(searchText_);
    if (index < 0) return;
    {
        const auto own = RaisedFor(settingOwnText_);
        if (ItemIndex() != index) SetItemIndex(index);
    }
    const int start = static_cast<int>(std::min(searchText_.size(), Text().size()));
    SetEditSel(start, static_cast<int>(Text().size()) - start);
}

void TFcCustomComboBox::SelectAndNotify(int index)
{
    {
        const auto own = RaisedFor(settingOwnText_);
        if (ItemIndex() != index) SetItemIndex(index);
    }
    Click();
    OnChange(this);
}

void TFcCustomComboBox::FindAndSelect(const std::string& s, char32_t key)
{
    const int index = FindItem(s);
    if (index < 0) {
        InvalidKey();
        return;
    }
    searchText_ = s;
    SelectAndNotify(index);
    DoKeyPress(key);
}

bool TFcCustomComboBox::AutoComplete(const std::string& s, char32_t key)
{
    const int index = FindItem(s);
    if (index < 0) return false;
    SelectAndNotify(index);
    DoKeyPress(key);
    const int start = static_cast<int>(std::min(s.size(), Text().size()));
    SetEditSel(start, static_cast<int>(Text().size()) - start);
    return true;
}

void TFcCustomComboBox::SetSelStart(int p)
{
    if (p < 0 || p >= 65536) throw rtl::ERangeError("Range check error");
    SetEditSel(p, 0);
}

void TFcCustomComboBox::SetSelLength(int l)
{
    if (l < 0 || SelStart() + l >= 65536) throw rtl::ERangeError("Range check error");
    SetEditSel(SelStart(), l);
}

void TFcCustomComboBox::RestartSearchTimer()
{
    KillTimer(kSearchTimer);
    SetTimer(kSearchTimer, kSearchMs);
}

void TFcCustomComboBox::SearchChar(char32_t c)
{
    if (c == kBackspace) {
        if (!searchText_.empty()) {
            searchText_ = DropLastChar(searchText_);
            if (searchText_.empty()) {
                SelectAndNotify(0);
                DoKeyPress(c);
                return;
            }
        } else {
            InvalidKey();
        }
        // An empty search finds the first item, as every item begins with it.
        FindAndSelect(searchText_, c);
        return;
    }
    if (c == kEscape) {
        SelectAndNotify(0);
        return;
    }
    if (Printable(c)) {
        searching_ = true;
        FindAndSelect(searchText_ + Utf8(c), c);
        RestartSearchTimer();
        searching_ = false;
    }
}

bool TFcCustomComboBox::EditChar(char32_t c)
{
    const std::string& text = Text();
    const int start = SelStart();
    const int length = SelLength();
    if (c == kEscape) {
        SetItemIndex(-1);
        searchText_.clear();
        Click();
        OnChange(this);
        DoKeyPress(c);
        return true;
    }
    if (c == kEnter) {
        enterPressed_ = true;
        return false;
    }
    if (c == kBackspace) {
        if (searchText_.empty()) {
            // Nothing to shorten: the text part deletes as it always does.
            InvalidKey();
            return false;
        }
        // The search text follows the text part: the selection, or the character before
        // the caret, goes.
        std::string s = text;
        int caret = start;
        if (length > 0) {
            s.erase(start, length);
        } else if (start > 0) {
            caret = static_cast<int>(rtl::Utf8PrevCharStart(s, start));
            s.erase(caret, start - caret);
        }
        searchText_ = s;
        OnChange(this);
        if (searchText_.empty()) {
            SetItemIndex(-1);
            Click();
            OnChange(this);
            DoKeyPress(c);
        }
        if (!searchText_.empty() && AutoComplete(searchText_, c)) return true;
        SetOwnText(s);
        SetEditSel(caret, 0);
        return true;
    }
    if (!Printable(c)) return false;
    c = DoKeyPress(c);
    if (!Printable(c)) return true;
    std::string s = text;
    if (length > 0) s.erase(start, length);
    s.insert(std::min<std::size_t>(start, s.size()), Utf8(c));
    const int caret = start + static_cast<int>(Utf8(c).size());
    searchText_ = s;
    if (AutoComplete(s, 0)) return true;
    // Typed as it is: the text with the character, the caret after it.
    SetOwnText(s);
    SetEditSel(caret, 0);
    OnChange(this);
    return true;
}

void TFcCustomComboBox::Wheel(int delta)
{
    if (delta == 0 || Items()->Count() == 0) return;
    const int next = delta < 0 ? std::min(ItemIndex() + 1, Items()->Count() - 1) : std::max(ItemIndex() - 1, 0);
    SelectAndNotify(next);
}

void TFcCustomComboBox::Dispatch(ui::TMessage& m)
{
    switch (m.Msg) {
    case ui::CM_ENTER:
        UpdateFrameState(false, true);
        TComboBox::Dispatch(m);
        return;
    case ui::CM_EXIT:
        TComboBox::Dispatch(m);
        searchText_.clear();
        if (Style() == ui::csDropDown && !Text().empty()) {
            // What was typed becomes the item that reads the same, letter case ignored.
            for (int i = 0; i < Items()->Count(); ++i)
                if (rtl::AnsiSameText(Items()->Get(i), Text())) {
                    SetItemIndex(i);
                    break;
                }
        }
        UpdateFrameState(false, false);
        return;
    case ui::CM_MOUSEENTER:
        TComboBox::Dispatch(m);
        UpdateFrameState(true, true);
        OnMouseEnter(this);
        return;
    case ui::CM_MOUSELEAVE:
        TComboBox::Dispatch(m);
        UpdateFrameState(true, false);
        OnMouseLeave(this);
        return;
    case ui::WM_SIZE:
        TComboBox::Dispatch(m);
        if (frame_.visible) Invalidate();
        return;
    case ui::CM_TEXTCHANGED:
        TComboBox::Dispatch(m);
        TextSetFromOutside();
        return;
    case ui::WM_CHAR: {
        const auto c = static_cast<char32_t>(m.WParam);
        if (Editable()) {
            if (EditChar(c)) {
                m.Result = 1;
                return;
            }
        } else {
            SearchChar(c);
            m.Result = 1;
            return;
        }
        TComboBox::Dispatch(m);
        return;
    }
    case ui::WM_TIMER:
        if (static_cast<unsigned>(m.WParam) == kSearchTimer) {
            if (!searching_) {
                KillTimer(kSearchTimer);
                searchText_.clear();
            }
            return;
        }
        TComboBox::Dispatch(m);
        return;
    case ui::WM_MOUSEWHEEL:
        // The open list scrolls by itself; a closed one steps through the items.
        if (!DroppedDown()) {
            Wheel(ui::SignedHiWord(m.WParam));
            m.Result = 1;
        }
        return;
    case kTabOnEnter:
        if (tabPending_) {
            tabPending_ = false;
            if (ui::TCustomForm* form = ui::GetParentForm(this)) form->SelectNext(this, true, true);
        }
        return;
    default: TComboBox::Dispatch(m);
    }
}

void TFcCustomComboBox::PostTab()
{
    tabPending_ = true;
    PostMessage(kTabOnEnter);
}

void TFcCustomComboBox::KeyDown(ui::TKey& key, ui::TShiftState shift)
{
    using namespace ui;
    switch (key) {
    case VK_ESCAPE:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_HOME:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
        if (!Editable())
            searchText_.clear();
        else if (key == VK_END || key == VK_HOME || key == VK_LEFT || key == VK_RIGHT)
            searchText_ = Text();
        else if (key != VK_ESCAPE)
            searchText_.clear();
        break;
    case VK_DELETE:
        if (Editable()) {
            std::string s = Text();
            const int start = std::min<int>(SelStart(), static_cast<int>(s.size()));
            const int end = SelLength() > 0 ? start + SelLength() : static_cast<int>(rtl::Utf8NextCharStart(s, start));
            s.erase(start, end - start);
            searchText_ = s;
        }
        break;
    case VK_INSERT:
        if (shift.Contains(ssShift)) pasting_ = true;
        break;
    case 'V':
    case 'X':
        if (shift.Contains(ssCtrl)) pasting_ = true;
        break;
    case VK_RETURN:
        if (tabOnEnter_ && !DroppedDown()) {
            key = 0;
            PostTab();
            return;
        }
        break;
    default: break;
    }
    TComboBox::KeyDown(key, shift);
}

void TFcCustomComboBox::KeyPress(char& key)
{
    if (tabOnEnter_ && key == '\r' && !DroppedDown()) {
        key = 0;
        PostTab();
        return;
    }
    if (Style() == ui::csDropDown && MaxLength() >= 1 && static_cast<unsigned char>(key) >= 32 &&
        static_cast<int>(rtl::Utf8CharCount(Text())) >= MaxLength() && SelLength() == 0) {
        ui::Beep();
        key = 0;
        return;
    }
    TComboBox::KeyPress(key);
}

bool TFcCustomComboBox::WantsKey(ui::TKey key) const
{
    return (tabOnEnter_ && key == ui::VK_RETURN) || TComboBox::WantsKey(key);
}

void TFcCustomComboBox::MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    if (button == ui::mbLeft && Style() == ui::csDropDown) searchText_ = Text();
    TComboBox::MouseDown(button, shift, x, y);
}

void TFcCustomComboBox::SetTextByUser(const std::string& text)
{
    {
        // Typed or pasted by the user: completed below (a paste) or by the key itself.
        const auto own = RaisedFor(settingOwnText_);
        TComboBox::SetTextByUser(text);
    }
    if (pasting_) {
        // A paste or a cut: complete from what the text part holds now.
        pasting_ = false;
        searchText_ = Text();
        AutoComplete(searchText_, 0);
    }
}

void TFcCustomComboBox::PaintOver(ui::TCanvas& canvas)
{
    if (!frame_.visible) return;
    const ui::TRect r{0, 0, Width(), Height()};
    ui::TRect inner;
    DrawBevel(canvas, r, Color(), inner, kAllSides, 2, Color());
    if (FlatButtonShown()) {
        const int bar = ui::ScrollBarExtent();
        const ui::TRect button{Width() - bar - 2, 2, Width() - 2, Height() - 2};
        canvas.Brush()->SetColor(Color());
        canvas.Brush()->SetStyle(ui::bsSolid);
        canvas.FillRect(button);
        const int x = button.Left + bar / 2 - 1;
        const int y = 2 + Height() / 2;
        canvas.Pen()->SetColor(rtl::clBlack);
        canvas.Brush()->SetColor(rtl::clBlack);
        canvas.Polygon({{x, y}, {x - 5, y - 5}, {x + 5, y - 5}});
    }
    if (frame_.style == fsFlat)
        DrawSides(canvas, r, frame_.color, inner, frame_.sides, frame_.color);
    else
        DrawFrame(canvas, r, frame_.style, inner, frame_.sides);
}

void TFcCustomComboBox::SetFlatButtons(bool v)
{
    if (v == flatButtons_) return;
    flatButtons_ = v;
    Invalidate();
}

void TFcCustomComboBox::SetComboColor(rtl::TColor c)
{
    if (c == Color()) return;
    SetColor(c);
}

void TFcCustomComboBox::SetFrameColor(rtl::TColor v)
{
    if (frame_.SetColor(v)) Invalidate();
}

void TFcCustomComboBox::SetFrameController(TFcFrameController* c) { AttachFrameController(*this, frameController_, c); }

void TFcCustomComboBox::SetFrameFlat(bool v)
{
    if (frame_.SetFlat(v, Loading(), [this] { SetFrameVisible(true); })) Invalidate();
}

void TFcCustomComboBox::SetFrameFlatStyle(TFrameStyle v)
{
    if (frame_.SetFlatStyle(v)) Invalidate();
}

void TFcCustomComboBox::SetFrameFocusStyle(TFrameStyle v)
{
    if (frame_.SetFocusStyle(v)) Invalidate();
}

void TFcCustomComboBox::SetFrameSides(TSides v)
{
    if (frame_.SetSides(v)) Invalidate();
}

void TFcCustomComboBox::SetFrameStyle(TFrameStyle v)
{
    if (frame_.SetStyle(v)) Invalidate();
}

void TFcCustomComboBox::SetFrameVisible(bool v)
{
    if (!frame_.SetVisible(v)) return;
    Changed();
    Invalidate();
}

void TFcCustomComboBox::Notification(classes::TComponent* component, classes::TOperation operation)
{
    TComboBox::Notification(component, operation);
    if (operation == classes::opRemove && component == frameController_) frameController_ = nullptr;
}

}  // namespace framedctrls

// ---- TFcColorNames ---------------------------------------------------------------------------

namespace framedctrls {

const std::array<const char*, 16>& TFcColorComboBox::BasicNames()
{
    static const std::array<const char*, 16> names{"Black", "Maroon", "Green",  "Olive", "Navy", "Purple",
                                                   "Teal",  "Gray",   "Silver", "Red",   "Lime", "Yellow",
                                                   "Blue",  "Fuchsia", "Aqua",  "White"};
    return names;
}

const std::array<rtl::TColor, 16>& TFcColorComboBox::BasicColors()
{
    static const std::array<rtl::TColor, 16> colors{0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080,
                                                    0x808000, 0x808080, 0xC0C0C0, 0x0000FF, 0x00FF00, 0x00FFFF,
                                                    0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
    return colors;
}

const std::array<const char*, 25>& TFcColorComboBox::SystemNames()
{
    static const std::array<const char*, 25> names{
        "ScrollBar",  "Background",    "ActiveCaption", "InactiveCaption", "Menu",
        "Window",     "WindowFrame",   "MenuText",      "WindowText",      "CaptionText",
        "ActiveBorder", "InactiveBorder", "AppWorkSpace", "Highlight",     "HighlightText",
        "BtnFace",    "BtnShadow",     "GrayText",      "BtnText",         "InactiveCaptionText",
        "BtnHighlight", "3DDkShadow",  "3DLight",       "InfoText",        "InfoBk"};
    return names;
}

namespace {

// The published names of the system colours ("3DDkShadow" is published as DkShadow3D).
const std::array<const char*, 25>& SystemPropertyNames()
{
    static const std::array<const char*, 25> names{
        "ScrollBar",  "Background",    "ActiveCaption", "InactiveCaption", "Menu",
        "Window",     "WindowFrame",   "MenuText",      "WindowText",      "CaptionText",
        "ActiveBorder", "InactiveBorder", "AppWorkSpace", "Highlight",     "HighlightText",
        "BtnFace",    "BtnShadow",     "GrayText",      "BtnText",         "InactiveCaptionText",
        "BtnHighlight", "DkShadow3D",  "Light3D",       "InfoText",        "InfoBk"};
    return names;
}

}  // namespace

GW_IMPLEMENT_CLASS(TFcColorNames, classes::TPersistent)
{
    using C = TFcColorNames;
    p.String("Default", &C::Default, &C::SetDefault, "Default");
    for (int i = 0; i < 16; ++i)
        p.String(
            TFcColorComboBox::BasicNames()[i], [i](const C& n) { return n.Basic(i); },
            [i](C& n, const std::string& s) { n.SetBasic(i, s); }, TFcColorComboBox::BasicNames()[i]);
    for (int i = 0; i < 25; ++i)
        p.String(
            SystemPropertyNames()[i], [i](const C& n) { return n.System(i); },
            [i](C& n, const std::string& s) { n.SetSystem(i, s); }, TFcColorComboBox::SystemNames()[i]);
    p.String("Custom", &C::Custom, &C::SetCustom, "Custom");
}

TFcColorNames::TFcColorNames(TFcColorComboBox* owner) : owner_(owner)
{
    default_ = "Default";
    custom_ = "Custom";
    for (int i = 0; i < 16; ++i) basic_[i] = TFcColorComboBox::BasicNames()[i];
    for (int i = 0; i < 25; ++i) system_[i] = TFcColorComboBox::SystemNames()[i];
}

namespace {

// Renames item `index` keeping the selection.
void Rename(TFcColorComboBox& combo, int index, const std::string& text)
{
    if (index < 0 || index >= combo.Items()->Count() || combo.Items()->Get(index) == text) return;
    const int selected = combo.ItemIndex();
    const std::any color = combo.Items()->GetObject(index);
    combo.Items()->Put(index, text);
    combo.Items()->PutObject(index, color);
    combo.SetItemIndex(selected);
}

}  // namespace

void TFcColorNames::SetDefault(const std::string& s)
{
    default_ = s;
    if (owner_ == nullptr) return;
    if (owner_->ShowDefaultColor()) Rename(*owner_, 0, s);
    if (!owner_->building_) owner_->namesChanged_ = true;
}

void TFcColorNames::SetBasic(int i, const std::string& s)
{
    basic_.at(i) = s;
    if (owner_ == nullptr) return;
    Rename(*owner_, i + (owner_->ShowDefaultColor() ? 1 : 0), s);
    if (!owner_->building_) owner_->namesChanged_ = true;
}

void TFcColorNames::SetSystem(int i, const std::string& s)
{
    system_.at(i) = s;
    if (owner_ == nullptr) return;
    if (owner_->ShowSysColors()) Rename(*owner_, 16 + i + (owner_->ShowDefaultColor() ? 1 : 0), s);
    if (!owner_->building_) owner_->namesChanged_ = true;
}

void TFcColorNames::SetCustom(const std::string& s)
{
    custom_ = s;
    if (owner_ == nullptr) return;
    if (owner_->ShowCustomColor()) Rename(*owner_, owner_->Items()->Count() - 1, s);
    if (!owner_->building_) owner_->namesChanged_ = true;
}

void TFcColorNames::Assign(const classes::TPersistent& source)
{
    const auto* other = dynamic_cast<const TFcColorNames*>(&source);
    if (other == nullptr) {
        classes::TPersistent::Assign(source);
        return;
    }
    if (ShowDefaultColor) SetDefault(other->default_);
    for (int i = 0; i < 16; ++i) SetBasic(i, other->basic_[i]);
    if (ShowSysColors)
        for (int i = 0; i < 25; ++i) SetSystem(i, other->system_[i]);
    if (ShowCustomColor) SetCustom(other->custom_);
}

// ---- TFcColorComboBox ------------------------------------------------------------------------

namespace {

bool NamesStored(const TFcColorComboBox& c) { return c.NamesChanged(); }

}  // namespace

GW_IMPLEMENT_CLASS(TFcColorComboBox, TFcCustomComboBox)
{
    using C = TFcColorComboBox;
    p.Color("DefaultColor", &C::DefaultColor, &C::SetDefaultColor, 0);
    p.Color("CustomColor", &C::CustomColor, &C::SetCustomColor, 0);
    p.Object("ColorNames", [](const C& c) { return c.ColorNames(); }).Stored(&NamesStored);
    p.Boolean("ShowSysColors", &C::ShowSysColors, &C::SetShowSysColors, true);
    p.Boolean("ShowColorNames", &C::ShowColorNames, &C::SetShowColorNames, true);
    p.Boolean("ShowDefaultColor", &C::ShowDefaultColor, &C::SetShowDefaultColor, true);
    p.Boolean("ShowCustomColor", &C::ShowCustomColor, &C::SetShowCustomColor, true);
    p.Set("ColorDlgOptions", ui::ColorDialogOptionInfo(), &C::ColorDlgOptions, &C::SetColorDlgOptions,
          ui::TColorDialogOptions{ui::cdFullOpen});
    p.Strings("CustomColors", [](const C& c) { return c.CustomColors(); });
    p.Color("SelectedColor", &C::GetSelectedColor, &C::SetSelectedColor, 0);
}

TFcColorComboBox::TFcColorComboBox(classes::TComponent* owner)
    : TFcCustomComboBox(owner), names_(std::make_unique<TFcColorNames>(this))
{
    SetStyle(ui::csOwnerDrawVariable);
    customColors_.OnChange = [this](rtl::TStringList&) {
        if (!building_) NormalizeCustomColors();
    };
    RecreateList();
}

TFcColorComboBox::~TFcColorComboBox() = default;

rtl::TColor TFcColorComboBox::GetItemColor(int index) const
{
    auto* items = const_cast<TFcColorComboBox*>(this)->Items();
    if (index < 0 || index >= items->Count()) return defaultColor_;
    const std::any object = items->GetObject(index);
    if (const auto* c = std::any_cast<rtl::TColor>(&object)) return *c;
    return 0;
}

void TFcColorComboBox::SetItemColor(int index, rtl::TColor c)
{
    if (index >= 0 && index < Items()->Count()) Items()->PutObject(index, std::any(c));
}

void TFcColorComboBox::RecreateList()
{
    // Names renamed after creation survive the rebuild.
    std::unique_ptr<TFcColorNames> kept;
    if (Items()->Count() > 0 && namesChanged_) {
        kept = std::make_unique<TFcColorNames>(nullptr);
        kept->default_ = names_->default_;
        kept->custom_ = names_->custom_;
        kept->basic_ = names_->basic_;
        kept->system_ = names_->system_;
    }
    building_ = true;
    names_->ShowSysColors = showSysColors_;
    names_->ShowDefaultColor = showDefaultColor_;
    names_->ShowCustomColor = showCustomColor_;
    Items()->BeginUpdate();
    Items()->Clear();
    if (showDefaultColor_) Items()->AddObject("Default", std::any(defaultColor_));
    for (int i = 0; i < 16; ++i) Items()->AddObject(BasicNames()[i], std::any(BasicColors()[i]));
    if (showSysColors_)
        for (int i = 0; i < 25; ++i)
            Items()->AddObject(SystemNames()[i], std::any(static_cast<rtl::TColor>(0x80000000u + i)));
    if (showCustomColor_) Items()->AddObject("Custom", std::any(customColor_));
    Items()->EndUpdate();
    SetDefaultNames();
    building_ = false;
    if (kept) names_->Assign(*kept);
    SetItemIndex(0);
}

void TFcColorComboBox::SetDefaultNames()
{
    const bool wasBuilding = building_;
    building_ = true;
    // The defaults are what the items were built with; keep a renamed set's flag as it is.
    names_->SetDefault("Default");
    for (int i = 0; i < 16; ++i) names_->SetBasic(i, BasicNames()[i]);
    for (int i = 0; i < 25; ++i) names_->SetSystem(i, SystemNames()[i]);
    names_->SetCustom("Custom");
    building_ = wasBuilding;
}

void TFcColorComboBox::NormalizeCustomColors()
{
    building_ = true;
    try {
        for (int i = 0; i < customColors_.Count(); ++i) {
            const std::string entry = customColors_.Get(i);
            const auto eq = entry.find('=');
            if (eq == std::string::npos) continue;
            const std::string value = entry.substr(eq + 1);
            const int n = rtl::HexToInt(value);  // EConvertError names the value
            const std::string hex = rtl::LowerCase(rtl::IntToHex(n & 0xFFFFFF, 6));
            customColors_.Put(i, entry.substr(0, eq + 1) + hex);
        }
    } catch (...) {
        building_ = false;
        throw;
    }
    building_ = false;
}

void TFcColorComboBox::SetCustomColors(const rtl::TStrings& colors)
{
    building_ = true;
    customColors_.Assign(colors);
    building_ = false;
    NormalizeCustomColors();
}

void TFcColorComboBox::SetDefaultColor(rtl::TColor c)
{
    defaultColor_ = c;
    if (showDefaultColor_) SetItemColor(0, c);
    Invalidate();
}

void TFcColorComboBox::SetCustomColor(rtl::TColor c)
{
    customColor_ = c;
    if (showCustomColor_) SetItemColor(Items()->Count() - 1, c);
    Invalidate();
}

void TFcColorComboBox::SetShowCustomColor(bool v)
{
    if (v == showCustomColor_) return;
    showCustomColor_ = v;
    RecreateList();
}

void TFcColorComboBox::SetShowDefaultColor(bool v)
{
    if (v == showDefaultColor_) return;
    showDefaultColor_ = v;
    RecreateList();
}

void TFcColorComboBox::SetShowSysColors(bool v)
{
    if (v == showSysColors_) return;
    showSysColors_ = v;
    RecreateList();
}

void TFcColorComboBox::SetShowColorNames(bool v)
{
    if (v == showColorNames_) return;
    showColorNames_ = v;
    Invalidate();
}

rtl::TColor TFcColorComboBox::GetSelectedColor() const
{
    return ItemIndex() >= 0 ? GetItemColor(ItemIndex()) : defaultColor_;
}

void TFcColorComboBox::SetSelectedColor(rtl::TColor c)
{
    int found = -1;
    for (int i = 0; i < Items()->Count(); ++i)
        if (GetItemColor(i) == c) {
            found = i;
            break;
        }
    if (found < 0) {
        // Only a shown "Custom" item can hold a colour that no other item has; without it
        // no item is selected (the last item would read back as another colour).
        SetCustomColor(c);
        found = showCustomColor_ ? CustomIndex() : -1;
    }
    SetItemIndex(found);
    if (!Loading()) OnChange(this);
}

void TFcColorComboBox::SetFrameVisible(bool v)
{
    const rtl::TColor selected = GetSelectedColor();
    TFcCustomComboBox::SetFrameVisible(v);
    if (!Loading()) SetSelectedColor(selected);
}

void TFcColorComboBox::Loaded()
{
    TFcCustomComboBox::Loaded();
    if (ItemIndex() < 0 && Items()->Count() > 0) SetItemIndex(0);
}

void TFcColorComboBox::Dispatch(ui::TMessage& m)
{
    if (m.Msg == ui::CM_FONTCHANGED) {
        // Item heights follow the font.
        TFcCustomComboBox::Dispatch(m);
        Changed();
        return;
    }
    TFcCustomComboBox::Dispatch(m);
}

void TFcColorComboBox::MeasureItem(int index, int& height)
{
    height = GetFontHeight(*Font()) + (index >= 0 ? 4 : 0);
}

void TFcColorComboBox::PaintItem(int index, const ui::TRect& rect, ui::TOwnerDrawState state)
{
    ui::TRect r = rect;
    // Rows keep a strip for the swatch left of the name.
    if (showColorNames_ && !state.Contains(ui::odComboBoxEdit)) r.Left += 24;
    TFcCustomComboBox::PaintItem(index, r, state);
}

void TFcColorComboBox::DrawItem(int index, const ui::TRect& rect, ui::TOwnerDrawState state)
{
    ui::TCanvas& canvas = *Canvas();
    ui::TRect r = rect;
    if (showColorNames_ && !state.Contains(ui::odComboBoxEdit)) r.Left -= 24;
    canvas.FillRect(r);
    if (index < 0 || index >= Items()->Count()) return;
    const bool field = state.Contains(ui::odComboBoxEdit);
    const bool isCustom = showCustomColor_ && index == Items()->Count() - 1;
    const int inset = field ? 2 : 4;
    ui::TRect swatch{r.Left + inset, r.Top + inset, r.Right - inset, r.Bottom - inset};
    if (showColorNames_)
        swatch.Right = swatch.Left + 14;
    else if (isCustom)
        swatch.Right -= 20;
    const rtl::TColor color = GetItemColor(index);
    canvas.Brush()->SetColor(color);
    canvas.Pen()->SetColor(rtl::clBtnShadow);
    canvas.Rectangle(swatch);
    const rtl::TColor rgb = rtl::ColorToRGB(color);
    const bool dark = (rgb & 0xFF) <= 0x80 && ((rgb >> 8) & 0xFF) <= 0x80 && ((rgb >> 16) & 0xFF) <= 0x80;
    ui::TRect inner;
    const rtl::TColor outline = dark ? rtl::clBlack : rtl::TColor{0x808080};
    DrawSides(canvas, swatch, outline, inner, kAllSides, outline);
    if (state.Contains(ui::odSelected)) {
        canvas.Brush()->SetColor(rtl::clHighlight);
        canvas.Pen()->SetColor(rtl::clHighlightText);
    } else {
        canvas.Brush()->SetColor(Color());
        canvas.Pen()->SetColor(Enabled() ? rtl::clBlack : rtl::clGrayText);
    }
    if (isCustom) {
        // An ellipsis mark: the item opens a dialog.
        for (int x : {16, 12, 8}) canvas.Rectangle(r.Right - x, r.Bottom - 7, r.Right - x + 2, r.Bottom - 4);
    }
    if (showColorNames_) {
        if (!Enabled()) canvas.Font()->SetColor(rtl::clGrayText);
        const int h = canvas.TextHeight("Yy");
        const int left = showColorNames_ ? swatch.Right + 6 : r.Left + 2;
        canvas.TextOut(left, r.Top + ((r.Bottom - r.Top) - h) / 2, Items()->Get(index));
    }
}

void TFcColorComboBox::CloseUp(bool accepted)
{
    TFcCustomComboBox::CloseUp(accepted);
    if (!accepted || !showCustomColor_ || ItemIndex() != CustomIndex() || ItemIndex() < 0) return;
    ui::TColorDialog dialog(nullptr);
    dialog.SetColor(GetSelectedColor());
    dialog.CustomColors()->Assign(customColors_);
    dialog.SetOptions(colorDlgOptions_);
    if (!dialog.Execute()) return;
    SetCustomColors(*dialog.CustomColors());
    SetCustomColor(dialog.Color());
    OnChange(this);
}

}  // namespace framedctrls
