#include "platform/classes/Component.h"

#include <algorithm>

#include "platform/rtl/SysUtils.h"

namespace classes {

GW_IMPLEMENT_CLASS(TComponent, TPersistent)
{
    p.String("Name", &TComponent::Name, &TComponent::SetName).Stored([](const TComponent&) { return false; });
    p.Integer("Tag", &TComponent::Tag, &TComponent::SetTag, 0);
}

bool IsValidIdent(std::string_view name)
{
    if (name.empty()) return false;
    const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
    if (!letter(name.front())) return false;
    return std::all_of(name.begin() + 1, name.end(), [&](char c) { return letter(c) || (c >= '0' && c <= '9'); });
}

TComponent::TComponent(TComponent* owner)
{
    if (owner != nullptr) owner->InsertComponent(this);
}

TComponent::~TComponent()
{
    Destroying();
    // Tell (and forget) every component that asked to hear of this one's end.
    while (!freeNotifies_.empty()) {
        TComponent* other = freeNotifies_.back();
        freeNotifies_.pop_back();
        auto& theirs = other->freeNotifies_;
        theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
        other->Notification(this, opRemove);
    }
    DestroyComponents();
    if (owner_ != nullptr) owner_->RemoveComponent(this);
}

void TComponent::Destroying()
{
    if (state_.Contains(csDestroying)) return;
    state_.Include(csDestroying);
    for (TComponent* c : components_) c->Destroying();
}

TComponent* TComponent::Components(int index) const
{
    if (index < 0 || index >= ComponentCount())
        throw rtl::EListError("List index out of bounds (" + std::to_string(index) + ")");
    return components_[static_cast<std::size_t>(index)];
}

TComponent* TComponent::FindComponent(std::string_view name) const
{
    if (name.empty()) return nullptr;
    for (TComponent* c : components_)
        if (rtl::SameText(c->name_, name)) return c;
    return nullptr;
}

void TComponent::ValidateName(const std::string& name) const
{
    if (name.empty()) return;
    if (!IsValidIdent(name)) throw EComponentError("'" + name + "' is not a valid component name");
    if (owner_ != nullptr) {
        const TComponent* other = owner_->FindComponent(name);
        if (other != nullptr && other != this) throw EComponentError("A component named " + name + " already exists");
    }
}

void TComponent::SetName(const std::string& name)
{
    if (name == name_) return;
    ValidateName(name);
    name_ = name;
}

void TComponent::InsertComponent(TComponent* component)
{
    if (component == nullptr || component->owner_ == this) return;
    // Keep names unique within the new owner.
    if (!component->name_.empty()) {
        const TComponent* other = FindComponent(component->name_);
        if (other != nullptr) throw EComponentError("A component named " + component->name_ + " already exists");
    }
    if (component->owner_ != nullptr) component->owner_->RemoveComponent(component);
    components_.push_back(component);
    component->owner_ = this;
    Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component)
{
    if (component == nullptr || component->owner_ != this) return;
    components_.erase(std::remove(components_.begin(), components_.end(), component), components_.end());
    component->owner_ = nullptr;
    Notification(component, opRemove);
}

void TComponent::DestroyComponents()
{
    while (!components_.empty()) {
        TComponent* c = components_.back();
        // Leave silently: the owner is going, and the component tells whoever asked.
        components_.pop_back();
        c->owner_ = nullptr;
        delete c;
    }
}

void TComponent::SetDesigning(bool designing)
{
    SetComponentStateFlag(csDesigning, designing);
    for (TComponent* c : components_) c->SetDesigning(designing);
}

void TComponent::FreeNotification(TComponent* component)
{
    if (component == nullptr || component == this) return;
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end())
        freeNotifies_.push_back(component);
    auto& theirs = component->freeNotifies_;
    if (std::find(theirs.begin(), theirs.end(), this) == theirs.end()) theirs.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* component)
{
    if (component == nullptr) return;
    freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), component), freeNotifies_.end());
    auto& theirs = component->freeNotifies_;
    theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
}

void TComponent::Loaded() { state_.Exclude(csLoading); }

void TComponent::Notification(TComponent* component, TOperation operation)
{
    if (operation == opRemove && component != nullptr) RemoveFreeNotification(component);
    // Owned components may come and go while they are told; walk by index from the end.
    for (std::size_t i = components_.size(); i-- > 0;) {
        if (i >= components_.size()) {
            if (components_.empty()) break;
            i = components_.size() - 1;
        }
        components_[i]->Notification(component, operation);
    }
}

void TComponent::GetChildren(const std::function<void(TComponent*)>&, TComponent*) {}

void TComponent::SetParentComponent(TComponent*) {}

void TComponent::SetComponentStateFlag(TComponentStateFlag flag, bool on)
{
    if (on)
        state_.Include(flag);
    else
        state_.Exclude(flag);
}

void TComponent::RegisterHandler(std::string name, std::any handler)
{
    for (auto& [n, h] : handlers_) {
        if (rtl::SameText(n, name)) {
            h = std::move(handler);
            return;
        }
    }
    handlers_.emplace_back(std::move(name), std::move(handler));
}

const std::any* TComponent::FindHandler(std::string_view name) const
{
    for (const auto& [n, h] : handlers_)
        if (rtl::SameText(n, name)) return &h;
    return nullptr;
}

}  // namespace classes
