#pragma once
// Components: named objects with an owner that frees them, found by name, told when other
// components come and go, and read from and written to the component text form.
//
// Ownership: a component created with an owner is freed by that owner (delete the owner,
// and every component it owns goes with it); a component without an owner is freed by
// whoever created it. Deleting a component removes it from its owner first.

#include <any>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/classes/Persistent.h"
#include "platform/classes/Sets.h"

namespace classes {

enum TComponentStateFlag {
    csLoading,     // being read; cleared by Loaded
    csReading,     // its properties are being read
    csWriting,     // being written
    csDestroying,  // being freed
    csDesigning,   // in a designer
};
using TComponentState = TSet<TComponentStateFlag>;

enum TOperation { opInsert, opRemove };

namespace detail {
struct TStreamAccess;
}

class TBasicAction;

class TComponent : public TPersistent {
    GW_CLASS(TComponent)

public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;

    TComponent* Owner() const noexcept { return owner_; }
    TPersistent* GetOwner() const override { return owner_; }

    const std::string& Name() const noexcept { return name_; }
    // An identifier (letters, digits, "_", not starting with a digit) or empty, unique among
    // the components of the same owner ignoring letter case. EComponentError
    // "'<name>' is not a valid component name" or "A component named <name> already exists".
    void SetName(const std::string& name);

    int Tag() const noexcept { return tag_; }
    void SetTag(int tag) noexcept { tag_ = tag; }

    // The components this one owns, in the order they were inserted.
    int ComponentCount() const noexcept { return static_cast<int>(components_.size()); }
    TComponent* Components(int index) const;
    // The owned component of that name, letter case ignored; nullptr when none.
    TComponent* FindComponent(std::string_view name) const;
    template <class T>
    T* FindComponent(std::string_view name) const
    {
        return dynamic_cast<T*>(FindComponent(name));
    }

    // Takes ownership of `component` (which leaves its previous owner), or gives it up.
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);
    // Frees every owned component.
    void DestroyComponents();

    TComponentState ComponentState() const noexcept { return state_; }
    // Marks this component and the components it owns as being designed.
    void SetDesigning(bool designing);

    // `component` is told (Notification opRemove) when this component is freed, and this
    // component when `component` is freed, whoever owns them.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    // Called for each component once its description has been read (the whole text, fixups
    // included). The default clears csLoading.
    virtual void Loaded();
    // `component` was inserted into or removed from this component's owner list, or a
    // component this one asked to be told about is being freed. The default forgets a freed
    // component's free notification and passes the news on to every owned component.
    virtual void Notification(TComponent* component, TOperation operation);

    // ---- Streaming hooks ----------------------------------------------------------------
    // The components written nested inside this one when `root` is written. The default
    // lists none.
    virtual void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root);
    // The component this one is placed on (a control's parent); nullptr by default.
    virtual TComponent* GetParentComponent() const { return nullptr; }
    // Places this component on `parent` when it is read nested inside it. The default does
    // nothing.
    virtual void SetParentComponent(TComponent* parent);

    // ---- Actions ------------------------------------------------------------------------
    // `action` is offered to this component as its target: true when it acted (Actions.h).
    // The default lets the action act when it handles this component; controls also pass
    // the offer on to what they are linked to.
    virtual bool ExecuteAction(TBasicAction* action);
    virtual bool UpdateAction(TBasicAction* action);

    // ---- Event handlers reached by name -------------------------------------------------
    // A form registers its handlers so that its stored description can bind events to them.
    // The handler is an std::function of the event's exact signature.
    void RegisterHandler(std::string name, std::any handler);
    template <class C, class... Args>
    void RegisterHandler(std::string name, C* self, void (C::*method)(Args...))
    {
        RegisterHandler(std::move(name), std::any(std::function<void(Args...)>(
                                             [self, method](Args... args) { (self->*method)(std::forward<Args>(args)...); })));
    }
    // The handler of that name (letter case ignored); nullptr when none.
    const std::any* FindHandler(std::string_view name) const;

protected:
    void SetComponentStateFlag(TComponentStateFlag flag, bool on);

private:
    friend struct detail::TStreamAccess;
    void Destroying();
    void ValidateName(const std::string& name) const;

    TComponent* owner_ = nullptr;
    std::string name_;
    int tag_ = 0;
    TComponentState state_;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
    std::vector<std::pair<std::string, std::any>> handlers_;
};

namespace detail {
// The reader's and writer's access to a component's state.
struct TStreamAccess {
    static void SetState(TComponent& c, TComponentStateFlag flag, bool on) { c.SetComponentStateFlag(flag, on); }
};
}  // namespace detail

// A valid component name: letters, digits and "_", not starting with a digit.
bool IsValidIdent(std::string_view name);

}  // namespace classes
