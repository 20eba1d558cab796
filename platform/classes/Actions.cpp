#include "platform/classes/Actions.h"

#include <algorithm>

namespace classes {

GW_IMPLEMENT_CLASS(TBasicAction, TComponent)
{
    p.Event("OnExecute", &TBasicAction::OnExecute);
    p.Event("OnUpdate", &TBasicAction::OnUpdate);
}

TBasicAction::TBasicAction(TComponent* owner) : TComponent(owner) {}

TBasicAction::~TBasicAction() = default;

bool TBasicAction::Execute()
{
    if (!OnExecute) return false;
    OnExecute(this);
    return true;
}

bool TBasicAction::Update()
{
    if (!OnUpdate) return false;
    OnUpdate(this);
    return true;
}

bool TBasicAction::HandlesTarget(TObject* /*target*/) { return false; }

void TBasicAction::ExecuteTarget(TObject* /*target*/) {}

void TBasicAction::UpdateTarget(TObject* /*target*/) {}

void TBasicAction::AddClient(IActionClient* client)
{
    if (std::find(clients_.begin(), clients_.end(), client) == clients_.end()) clients_.push_back(client);
}

void TBasicAction::RemoveClient(IActionClient* client) { std::erase(clients_, client); }

void TBasicAction::Changed()
{
    for (IActionClient* c : std::vector<IActionClient*>(clients_)) c->ActionChanged();
}

bool ExecuteActionOn(TBasicAction* action, TObject* target)
{
    if (action == nullptr || target == nullptr || !action->HandlesTarget(target)) return false;
    action->ExecuteTarget(target);
    return true;
}

bool UpdateActionOn(TBasicAction* action, TObject* target)
{
    if (action == nullptr || target == nullptr || !action->HandlesTarget(target)) return false;
    action->UpdateTarget(target);
    return true;
}

bool TComponent::ExecuteAction(TBasicAction* action) { return ExecuteActionOn(action, this); }

bool TComponent::UpdateAction(TBasicAction* action) { return UpdateActionOn(action, this); }

}  // namespace classes
