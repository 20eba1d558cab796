#pragma once
// Main and popup menus and their items. An item with the caption "-" is a separator; an
// item linked to an action follows it and executes it when clicked.

#include <functional>
#include <string>
#include <vector>

#include "platform/classes/Component.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/Types.h"

namespace ui {

class TMenu;

// Where an item starts a new column of its menu: not at all, or with a plain or a ruled
// break before it.
enum TMenuBreak { mbNone, mbBreak, mbBarBreak };
const classes::TEnumInfo& MenuBreakInfo();

class TMenuItem : public classes::TComponent, public IActionClient {
    GW_CLASS(TMenuItem)

public:
    explicit TMenuItem(classes::TComponent* owner);
    ~TMenuItem() override;

    const std::string& Caption() const noexcept { return caption_; }
    void SetCaption(const std::string& v);
    bool IsLine() const { return caption_ == "-"; }
    bool Checked() const noexcept { return checked_; }
    void SetChecked(bool v);
    bool Enabled() const noexcept { return enabled_; }
    void SetEnabled(bool v);
    bool Visible() const noexcept { return visible_; }
    void SetVisible(bool v);
    bool Default() const noexcept { return default_; }
    void SetDefault(bool v);
    bool RadioItem() const noexcept { return radioItem_; }
    void SetRadioItem(bool v);
    int GroupIndex() const noexcept { return groupIndex_; }
    void SetGroupIndex(int v) { groupIndex_ = v; }
    int ImageIndex() const noexcept { return imageIndex_; }
    void SetImageIndex(int v);
    TShortCut ShortCut() const noexcept { return shortCut_; }
    void SetShortCut(TShortCut v);
    const std::string& Hint() const noexcept { return hint_; }
    void SetHint(const std::string& v) { hint_ = v; }
    TMenuBreak Break() const noexcept { return break_; }
    void SetBreak(TMenuBreak v);

    TBasicAction* Action() const noexcept { return action_; }
    void SetAction(TBasicAction* action);
    void ActionChanged() override;

    // Sub-items.
    int Count() const noexcept { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int index) const;
    void Add(TMenuItem* item);
    void Insert(int index, TMenuItem* item);
    void Delete(int index);
    void Remove(TMenuItem* item);
    void Clear();
    int IndexOf(const TMenuItem* item) const;
    TMenuItem* Parent() const noexcept { return parent_; }
    int MenuIndex() const;
    // The menu the item belongs to (through its parents), nullptr when none.
    TMenu* GetParentMenu() const;
    // The sub-item of that name, searched through all levels; nullptr when none.
    TMenuItem* Find(std::string_view caption) const;

    // The user chose the item (or a program does so): OnClick, else the action.
    virtual void Click();
    TNotifyEvent OnClick;

    classes::TComponent* GetParentComponent() const override;
    void SetParentComponent(classes::TComponent* parent) override;
    void GetChildren(const std::function<void(classes::TComponent*)>& proc, classes::TComponent* root) override;
    void Notification(classes::TComponent* component, classes::TOperation operation) override;

private:
    friend class TMenu;
    void Changed(bool structure);

    std::string caption_;
    bool checked_ = false;
    bool enabled_ = true;
    bool visible_ = true;
    bool default_ = false;
    bool radioItem_ = false;
    int groupIndex_ = 0;
    int imageIndex_ = -1;
    TShortCut shortCut_ = 0;
    std::string hint_;
    TMenuBreak break_ = mbNone;
    TBasicAction* action_ = nullptr;
    std::vector<TMenuItem*> items_;
    TMenuItem* parent_ = nullptr;
    TMenu* menu_ = nullptr;  // set on a menu's root item
};

class TMenu : public classes::TComponent {
    GW_CLASS(TMenu)

public:
    explicit TMenu(classes::TComponent* owner);
    ~TMenu() override;

    // The invisible root item; the menu's items are its sub-items.
    TMenuItem* Items() const noexcept { return items_; }
    TImageList* Images() const noexcept { return images_; }
    void SetImages(TImageList* images);

    // The window showing the menu listens here: item (nullptr: the whole menu) changed;
    // `structure` when items were added, removed or moved.
    std::function<void(TMenuItem* item, bool structure)> OnChanged;

    void GetChildren(const std::function<void(classes::TComponent*)>& proc, classes::TComponent* root) override;
    void Notification(classes::TComponent* component, classes::TOperation operation) override;

private:
    friend class TMenuItem;
    TMenuItem* items_;
    TImageList* images_ = nullptr;
};

class TMainMenu : public TMenu {
    GW_CLASS(TMainMenu)

public:
    explicit TMainMenu(classes::TComponent* owner) : TMenu(owner) {}
};

class TPopupMenu : public TMenu {
    GW_CLASS(TPopupMenu)

public:
    explicit TPopupMenu(classes::TComponent* owner) : TMenu(owner) {}

    // Fires OnPopup, then shows the menu at screen point (x, y) (through the window
    // system; headless, the menu is only marked as shown there).
    virtual void Popup(int x, int y);
    // The control the menu was last popped up for.
    classes::TComponent* PopupComponent() const noexcept { return popupComponent_; }
    void SetPopupComponent(classes::TComponent* c) { popupComponent_ = c; }
    TPoint PopupPoint() const noexcept { return popupPoint_; }
    bool AutoPopup() const noexcept { return autoPopup_; }
    void SetAutoPopup(bool v) { autoPopup_ = v; }

    TNotifyEvent OnPopup;

private:
    classes::TComponent* popupComponent_ = nullptr;
    TPoint popupPoint_;
    bool autoPopup_ = true;
};

// "Ctrl+S" style text of a shortcut and back (0 for text that names none).
std::string ShortCutToText(TShortCut shortCut);
TShortCut TextToShortCut(std::string_view text);

// The caption without its "&" accelerator marks ("&&" stays one "&").
std::string StripHotkey(std::string_view caption);

}  // namespace ui
