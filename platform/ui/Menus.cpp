#include "platform/ui/Menus.h"

#include <algorithm>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Controls.h"

namespace ui {

// ---- TMenuItem -----------------------------------------------------------------------------

const classes::TEnumInfo& MenuBreakInfo()
{
    static const classes::TEnumInfo info{"TMenuBreak", {"mbNone", "mbBreak", "mbBarBreak"}};
    return info;
}

GW_IMPLEMENT_CLASS(TMenuItem, classes::TComponent)
{
    p.Component<TBasicAction>("Action", &TMenuItem::Action, &TMenuItem::SetAction);
    p.Enumeration("Break", MenuBreakInfo(), &TMenuItem::Break, &TMenuItem::SetBreak, mbNone);
    p.String("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption);
    p.Boolean("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked, false);
    p.Boolean("Default", &TMenuItem::Default, &TMenuItem::SetDefault, false);
    p.Boolean("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled, true);
    p.Integer("GroupIndex", &TMenuItem::GroupIndex, &TMenuItem::SetGroupIndex, 0);
    p.String("Hint", &TMenuItem::Hint, &TMenuItem::SetHint);
    p.Integer("ImageIndex", &TMenuItem::ImageIndex, &TMenuItem::SetImageIndex, -1);
    p.Boolean("RadioItem", &TMenuItem::RadioItem, &TMenuItem::SetRadioItem, false);
    p.Integer("ShortCut", &TMenuItem::ShortCut, &TMenuItem::SetShortCut, 0);
    p.Boolean("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible, true);
    p.Event("OnClick", &TMenuItem::OnClick);
}

TMenuItem::TMenuItem(classes::TComponent* owner) : TComponent(owner) {}

TMenuItem::~TMenuItem()
{
    if (action_ != nullptr) action_->RemoveClient(this);
    for (TMenuItem* item : items_) item->parent_ = nullptr;
    if (parent_ != nullptr) parent_->Remove(this);
}

void TMenuItem::Changed(bool structure)
{
    if (TMenu* menu = GetParentMenu(); menu != nullptr && menu->OnChanged) menu->OnChanged(this, structure);
}

void TMenuItem::SetCaption(const std::string& v)
{
    if (v == caption_) return;
    const bool line = IsLine();
    caption_ = v;
    Changed(line != IsLine());
}

void TMenuItem::SetBreak(TMenuBreak v)
{
    if (v == break_) return;
    break_ = v;
    Changed(true);
}

void TMenuItem::SetChecked(bool v)
{
    if (v == checked_) return;
    checked_ = v;
    if (v && radioItem_ && parent_ != nullptr)
        for (TMenuItem* other : parent_->items_)
            if (other != this && other->radioItem_ && other->groupIndex_ == groupIndex_) other->SetChecked(false);
    Changed(false);
}

void TMenuItem::SetEnabled(bool v)
{
    if (v == enabled_) return;
    enabled_ = v;
    Changed(false);
}

void TMenuItem::SetVisible(bool v)
{
    if (v == visible_) return;
    visible_ = v;
    Changed(false);
}

void TMenuItem::SetDefault(bool v)
{
    if (default_ == v) return;
    default_ = v;
    Changed(false);
}

void TMenuItem::SetRadioItem(bool v)
{
    if (radioItem_ == v) return;
    radioItem_ = v;
    Changed(false);
}

void TMenuItem::SetImageIndex(int v)
{
    if (imageIndex_ == v) return;
    imageIndex_ = v;
    Changed(false);
}

void TMenuItem::SetShortCut(TShortCut v)
{
    if (shortCut_ == v) return;
    shortCut_ = v;
    Changed(false);
}

void TMenuItem::SetAction(TBasicAction* action) { LinkAction(*this, *this, action_, action); }

void TMenuItem::ActionChanged()
{
    const auto* action = dynamic_cast<const TCustomAction*>(action_);
    if (action == nullptr) return;
    caption_ = action->Caption();
    hint_ = action->Hint();
    enabled_ = action->Enabled();
    checked_ = action->Checked();
    visible_ = action->Visible();
    imageIndex_ = action->ImageIndex();
    shortCut_ = action->ShortCut();
    Changed(false);
}

TMenuItem* TMenuItem::Items(int index) const
{
    if (index < 0 || index >= Count()) ListIndexError(index);
    return items_[static_cast<std::size_t>(index)];
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item)
{
    if (item->parent_ != nullptr) throw rtl::Exception("Menu inserted twice");
    index = std::clamp(index, 0, Count());
    items_.insert(items_.begin() + index, item);
    item->parent_ = this;
    Changed(true);
}

void TMenuItem::Delete(int index)
{
    TMenuItem* item = Items(index);
    items_.erase(items_.begin() + index);
    item->parent_ = nullptr;
    Changed(true);
}

void TMenuItem::Remove(TMenuItem* item)
{
    const int index = IndexOf(item);
    if (index >= 0) Delete(index);
}

void TMenuItem::Clear()
{
    while (!items_.empty()) {
        TMenuItem* item = items_.back();
        items_.pop_back();
        item->parent_ = nullptr;
        delete item;
    }
    Changed(true);
}

int TMenuItem::IndexOf(const TMenuItem* item) const
{
    const auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

int TMenuItem::MenuIndex() const { return parent_ != nullptr ? parent_->IndexOf(this) : -1; }

TMenu* TMenuItem::GetParentMenu() const
{
    const TMenuItem* item = this;
    while (item->parent_ != nullptr) item = item->parent_;
    return item->menu_;
}

TMenuItem* TMenuItem::Find(std::string_view caption) const
{
    const std::string wanted = StripHotkey(caption);
    for (TMenuItem* item : items_) {
        if (rtl::AnsiSameText(StripHotkey(item->caption_), wanted)) return item;
        if (TMenuItem* found = item->Find(caption)) return found;
    }
    return nullptr;
}

void TMenuItem::Click()
{
    if (!enabled_) return;
    if (OnClick)
        OnClick(this);
    else if (action_ != nullptr)
        action_->Execute();
}

classes::TComponent* TMenuItem::GetParentComponent() const
{
    if (parent_ == nullptr) return nullptr;
    if (parent_->menu_ != nullptr) return parent_->menu_;
    return parent_;
}

void TMenuItem::SetParentComponent(classes::TComponent* parent)
{
    if (parent_ != nullptr) parent_->Remove(this);
    if (auto* menu = dynamic_cast<TMenu*>(parent))
        menu->Items()->Add(this);
    else if (auto* item = dynamic_cast<TMenuItem*>(parent))
        item->Add(this);
}

void TMenuItem::GetChildren(const std::function<void(classes::TComponent*)>& proc, classes::TComponent* root)
{
    for (TMenuItem* item : items_)
        if (item->Owner() == root) proc(item);
}

void TMenuItem::Notification(classes::TComponent* component, classes::TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == classes::opRemove && component == action_) action_ = nullptr;
}

// ---- TMenu ---------------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TMenu, classes::TComponent)
{
    p.Component<TImageList>("Images", &TMenu::Images, &TMenu::SetImages);
}

TMenu::TMenu(classes::TComponent* owner) : TComponent(owner), items_(new TMenuItem(nullptr)) { items_->menu_ = this; }

TMenu::~TMenu()
{
    OnChanged = nullptr;
    // The items belong to the menu's owner; only the invisible root is the menu's own.
    for (TMenuItem* item : items_->items_) item->parent_ = nullptr;
    items_->items_.clear();
    delete items_;
}

void TMenu::SetImages(TImageList* images)
{
    if (images == images_) return;
    SetReference(*this, images_, images);
    if (OnChanged) OnChanged(nullptr, true);
}

void TMenu::GetChildren(const std::function<void(classes::TComponent*)>& proc, classes::TComponent* root)
{
    items_->GetChildren(proc, root);
}

void TMenu::Notification(classes::TComponent* component, classes::TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == classes::opRemove && component == images_) images_ = nullptr;
}

GW_IMPLEMENT_CLASS(TMainMenu, TMenu) {}

GW_IMPLEMENT_CLASS(TPopupMenu, TMenu)
{
    p.Boolean("AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup, true);
    p.Event("OnPopup", &TPopupMenu::OnPopup);
}

void TPopupMenu::Popup(int x, int y)
{
    popupPoint_ = {x, y};
    OnPopup(this);
    if (IWindowSystem* ws = WindowSystem()) ws->Popup(*this, x, y);
}

// ---- Shortcuts and captions ----------------------------------------------------------------

namespace {

std::string KeyName(int key)
{
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return std::string(1, static_cast<char>(key));
    if (key >= VK_F1 && key <= VK_F12) return "F" + std::to_string(key - VK_F1 + 1);
    switch (key) {
    case VK_BACK: return "BkSp";
    case VK_TAB: return "Tab";
    case VK_RETURN: return "Enter";
    case VK_ESCAPE: return "Esc";
    case VK_SPACE: return "Space";
    case VK_PRIOR: return "PgUp";
    case VK_NEXT: return "PgDn";
    case VK_END: return "End";
    case VK_HOME: return "Home";
    case VK_LEFT: return "Left";
    case VK_UP: return "Up";
    case VK_RIGHT: return "Right";
    case VK_DOWN: return "Down";
    case VK_INSERT: return "Ins";
    case VK_DELETE: return "Del";
    default: return {};
    }
}

}  // namespace

std::string ShortCutToText(TShortCut shortCut)
{
    const std::string name = KeyName(shortCut & 0xFF);
    if (name.empty()) return {};
    std::string text;
    if (shortCut & scShift) text += "Shift+";
    if (shortCut & scCtrl) text += "Ctrl+";
    if (shortCut & scAlt) text += "Alt+";
    return text + name;
}

TShortCut TextToShortCut(std::string_view text)
{
    TShortCut mods = 0;
    for (;;) {
        const auto plus = text.find('+');
        if (plus == std::string_view::npos || plus + 1 >= text.size()) break;
        const std::string_view mod = text.substr(0, plus);
        if (rtl::SameText(mod, "Shift"))
            mods |= scShift;
        else if (rtl::SameText(mod, "Ctrl"))
            mods |= scCtrl;
        else if (rtl::SameText(mod, "Alt"))
            mods |= scAlt;
        else
            return 0;
        text.remove_prefix(plus + 1);
    }
    for (int key = 1; key < 256; ++key) {
        const std::string name = KeyName(key);
        if (!name.empty() && rtl::SameText(name, text)) return mods | key;
    }
    return 0;
}

std::string StripHotkey(std::string_view caption)
{
    std::string result;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&') {
            if (i + 1 < caption.size() && caption[i + 1] == '&') {
                result += '&';
                ++i;
            }
            continue;
        }
        result += caption[i];
    }
    return result;
}

}  // namespace ui
