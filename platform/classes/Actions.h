#pragma once
// A command shared by the things that show or invoke it, and the way an action finds what it
// acts on. An action with no OnExecute (OnUpdate) of its own is offered to candidate targets:
// each component's ExecuteAction (UpdateAction) asks the action whether it handles that
// component and, if so, lets it act on it. Controls pass the offer on to what they are linked
// to (a data-aware control to its data source), which is how a data-set action reaches the
// data set of the focused grid without knowing the grid.
//
// Lives beside TComponent, below the user interface, so that data links can take part.

#include <vector>

#include "platform/classes/Component.h"

namespace classes {

// Something that shows an action (a control, a menu item).
class IActionClient {
public:
    virtual void ActionChanged() = 0;

protected:
    ~IActionClient() = default;
};

class TBasicAction : public TComponent {
    GW_CLASS(TBasicAction)

public:
    explicit TBasicAction(TComponent* owner);
    ~TBasicAction() override;

    // Fires OnExecute; false when there is none (or the action is disabled).
    virtual bool Execute();
    // Fires OnUpdate; false when there is none.
    virtual bool Update();

    // Whether this action can act on `target`. None by default.
    virtual bool HandlesTarget(TObject* target);
    // Acts on a target it handles.
    virtual void ExecuteTarget(TObject* target);
    // Brings its own state (enabled, checked) up to date from a target it handles.
    virtual void UpdateTarget(TObject* target);

    void AddClient(IActionClient* client);
    void RemoveClient(IActionClient* client);

    TNotifyEvent OnExecute;
    TNotifyEvent OnUpdate;

protected:
    // Tells every client.
    void Changed();

private:
    std::vector<IActionClient*> clients_;
};

// The offer of `action` to `target` alone: true when the action handles it and acted.
bool ExecuteActionOn(TBasicAction* action, TObject* target);
bool UpdateActionOn(TBasicAction* action, TObject* target);

}  // namespace classes
