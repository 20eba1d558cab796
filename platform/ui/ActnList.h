#pragma once
// Actions and action lists: one command (caption, hint, enabled and checked state, image,
// shortcut, OnExecute) shared by the menu items, buttons and tool buttons linked to it,
// which follow every change of the action. Image lists hold the small pictures of menus,
// tool bars and list views.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/classes/Actions.h"
#include "platform/classes/Component.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/Types.h"

namespace ui {

class TActionList;
class TImageList;

// Points a component's reference `field` at `value`, so that the field is told (through
// Notification) when the component it names is freed.
template <class T>
void SetReference(classes::TComponent& self, T*& field, T* value)
{
    if (field == value) return;
    if (field != nullptr) field->RemoveFreeNotification(&self);
    field = value;
    if (value != nullptr) value->FreeNotification(&self);
}

using classes::IActionClient;
using classes::TBasicAction;

class TCustomAction : public TBasicAction {
    GW_CLASS(TCustomAction)

public:
    explicit TCustomAction(classes::TComponent* owner);
    ~TCustomAction() override;

    TActionList* ActionList() const noexcept { return actionList_; }
    void SetActionList(TActionList* list);

    const std::string& Caption() const noexcept { return caption_; }
    void SetCaption(const std::string& v);
    const std::string& Hint() const noexcept { return hint_; }
    void SetHint(const std::string& v);
    bool Enabled() const noexcept { return enabled_; }
    void SetEnabled(bool v);
    bool Checked() const noexcept { return checked_; }
    void SetChecked(bool v);
    bool Visible() const noexcept { return visible_; }
    void SetVisible(bool v);
    int ImageIndex() const noexcept { return imageIndex_; }
    void SetImageIndex(int v);
    TShortCut ShortCut() const noexcept { return shortCut_; }
    void SetShortCut(TShortCut v);
    int HelpContext() const noexcept { return helpContext_; }
    void SetHelpContext(int v) { helpContext_ = v; }
    const std::string& Category() const noexcept { return category_; }
    void SetCategory(const std::string& v) { category_ = v; }

    // Without handlers of its own, an enabled action is offered to the focused control, the
    // controls it sits on and the active form, in that order (see ExecuteAction).
    bool Execute() override;
    bool Update() override;

    classes::TComponent* GetParentComponent() const override;
    void SetParentComponent(classes::TComponent* parent) override;

private:
    friend class TActionList;
    TActionList* actionList_ = nullptr;
    std::string caption_;
    std::string hint_;
    bool enabled_ = true;
    bool checked_ = false;
    bool visible_ = true;
    int imageIndex_ = -1;
    TShortCut shortCut_ = 0;
    int helpContext_ = 0;
    std::string category_;
};

class TAction : public TCustomAction {
    GW_CLASS(TAction)

public:
    explicit TAction(classes::TComponent* owner) : TCustomAction(owner) {}
};

class TActionList : public classes::TComponent {
    GW_CLASS(TActionList)

public:
    explicit TActionList(classes::TComponent* owner);
    ~TActionList() override;

    int ActionCount() const noexcept { return static_cast<int>(actions_.size()); }
    TImageList* Images() const noexcept { return images_; }
    void SetImages(TImageList* images);
    // Fires OnUpdate of every action.
    void UpdateActions();

    void GetChildren(const std::function<void(classes::TComponent*)>& proc, classes::TComponent* root) override;
    void Notification(classes::TComponent* component, classes::TOperation operation) override;

private:
    friend class TCustomAction;
    std::vector<TCustomAction*> actions_;
    TImageList* images_ = nullptr;
};

// Links `client` (a component showing actions) to `action` through its field, which it
// clears in Notification when the action is freed; the client takes over the action's
// state at once.
void LinkAction(classes::TComponent& self, IActionClient& client, TBasicAction*& field, TBasicAction* action);

// Every action list that exists (the application updates them when it is idle).
const std::vector<TActionList*>& AllActionLists();

// Pictures of one size, 0xAARRGGBB pixels. A form description stores them as one picture
// file (PNG or BMP) holding the images side by side ("Bitmap").
class TImageList : public classes::TComponent {
    GW_CLASS(TImageList)

public:
    explicit TImageList(classes::TComponent* owner);

    int Width() const noexcept { return width_; }
    void SetWidth(int w);
    int Height() const noexcept { return height_; }
    void SetHeight(int h);
    int Count() const noexcept { return static_cast<int>(images_.size()); }
    // Adds a picture of Width x Height pixels (a larger one is cut into several images side
    // by side; a smaller one is padded transparently). Returns the first new index.
    int Add(const TPicture& picture);
    // Adds Width x Height pixels; returns the index.
    int AddPixels(const std::vector<std::uint32_t>& pixels);
    // The pixels of image `index` (EListError outside the list).
    const std::vector<std::uint32_t>& Image(int index) const;

    void DefineProperties(classes::TFiler& filer) override;

private:
    void AddStrip(int width, int height, const std::vector<std::uint32_t>& pixels);
    std::string Strip() const;

    int width_ = 16;
    int height_ = 16;
    std::vector<std::vector<std::uint32_t>> images_;
};

}  // namespace ui
