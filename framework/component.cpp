#include "framework/component.h"

#include <algorithm>

namespace quorvane {

namespace {
void Erase(std::vector<TComponent*>& list, TComponent* item)
{
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}
}  // namespace

const TClassInfo& TPersistent::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TPersistent", &TObject::StaticClass());
    return info;
}

const TClassInfo& TComponent::StaticClass()
{
    static const TClassInfo& info =
        DescribeClass<TComponent>("TComponent", &TPersistent::StaticClass(), [](PropRegistrar<TComponent>& p) {
            p.AnsiText("Name", &TComponent::Name, &TComponent::SetName);
            p.Integer("Tag", &TComponent::Tag, &TComponent::SetTag);
        });
    return info;
}

TComponent::TComponent(TComponent* owner)
{
    if (owner) {
        if (owner->IsLoading()) state_ |= 1u << csLoading;
        owner->InsertComponent(this);
    }
}

TComponent::~TComponent()
{
    // A plain delete reaches here after the derived parts are gone; Free()
    // has done this while the object was whole.
    BeforeDestruction();
    if (owner_) owner_->RemoveComponent(this);
}

TComponent* TComponent::Components(int index) const
{
    if (index < 0 || index >= ComponentCount()) return nullptr;
    return components_[static_cast<size_t>(index)];
}

int TComponent::ComponentIndex() const
{
    if (!owner_) return -1;
    auto& list = owner_->components_;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

TComponent* TComponent::FindComponent(std::string_view name) const
{
    if (name.empty()) return nullptr;
    for (TComponent* c : components_)
        if (SameText(c->name_, name)) return c;
    return nullptr;
}

void TComponent::Insert(TComponent* component)
{
    components_.push_back(component);
    component->owner_ = this;
}

void TComponent::Remove(TComponent* component)
{
    Erase(components_, component);
    component->owner_ = nullptr;
}

void TComponent::InsertComponent(TComponent* component)
{
    if (!component || component->owner_ == this) return;
    if (component->owner_) component->owner_->RemoveComponent(component);
    Insert(component);
    Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component)
{
    if (!component || component->owner_ != this) return;
    Notification(component, opRemove);
    Remove(component);
}

void TComponent::Notification(TComponent* component, TOperation operation)
{
    if (operation == opRemove && component) {
        // Both directions: told once (here, or through an owner), this
        // component is not told again by the one going away, which would
        // reach it after it was freed if its own notice freed it.
        Erase(freeNotifies_, component);
        Erase(component->freeNotifies_, this);
    }
    // Copy: a notified component may change the list.
    const std::vector<TComponent*> owned = components_;
    for (TComponent* c : owned)
        if (c != component && std::find(components_.begin(), components_.end(), c) != components_.end())
            c->Notification(component, operation);
}

void TComponent::FreeNotification(TComponent* component)
{
    if (!component || component == this) return;
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end()) {
        freeNotifies_.push_back(component);
        component->FreeNotification(this);  // both directions: each forgets the other
    }
}

void TComponent::RemoveFreeNotification(TComponent* component)
{
    Erase(freeNotifies_, component);
}

void TComponent::DestroyComponents()
{
    while (!components_.empty()) {
        TComponent* last = components_.back();
        // Siblings that still refer to it hear of it first.
        Notification(last, opRemove);
        Remove(last);
        Free(last);
    }
}

void TComponent::BeforeDestruction()
{
    if (beforeDestructionDone_) return;
    beforeDestructionDone_ = true;
    state_ |= 1u << csDestroying;
    // Taken one at a time from the live list: a component freed by another's
    // notice (a skin engine dropping the menu bar that watched this menu)
    // takes itself off the list and is never called afterwards.
    while (!freeNotifies_.empty()) {
        TComponent* c = freeNotifies_.front();
        freeNotifies_.erase(freeNotifies_.begin());
        c->RemoveFreeNotification(this);
        c->Notification(this, opRemove);
    }
    DestroyComponents();
}

void TComponent::BeginLoading()
{
    state_ |= 1u << csLoading;
    for (TComponent* c : components_) c->BeginLoading();
}

void TComponent::EndLoading()
{
    try {
        if (IsLoading()) {
            state_ &= ~(1u << csLoading);
            Loaded();
        }
        const std::vector<TComponent*> owned = components_;
        for (TComponent* c : owned)
            if (std::find(components_.begin(), components_.end(), c) != components_.end()) c->EndLoading();
    } catch (...) {
        AbandonLoading();
        throw;
    }
}

void TComponent::AbandonLoading()
{
    state_ &= ~(1u << csLoading);
    for (TComponent* c : components_) c->AbandonLoading();
}

void TComponent::Loaded() {}

void Free(TObject* object)
{
    if (!object) return;
    if (auto* component = dynamic_cast<TComponent*>(object)) component->BeforeDestruction();
    delete object;
}

}  // namespace quorvane
