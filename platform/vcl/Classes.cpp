#include "platform/vcl/Classes.h"

#include <algorithm>

TComponent::TComponent(TComponent* AOwner) {
    if (AOwner != nullptr) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
    state_.Include(TComponentStateFlag::csDestroying);
    // Tell everybody who asked; they drop their references to us.
    while (!freeNotifies_.empty()) {
        TComponent* other = freeNotifies_.back();
        freeNotifies_.pop_back();
        auto& back = other->freeNotifies_;
        back.erase(std::remove(back.begin(), back.end(), this), back.end());
        other->Notification(this, TOperation::opRemove);
    }
    // Destroy what we own, the last created first.
    while (!components_.empty()) {
        TComponent* child = components_.back();
        delete child;  // its destructor removes it from components_
    }
    if (owner_ != nullptr) owner_->RemoveComponent(this);
}

TComponent* TComponent::FindComponent(const std::string& name) const {
    for (TComponent* c : components_) {
        if (c->Name() == name) return c;
    }
    return nullptr;
}

void TComponent::Loaded() { state_.Exclude(TComponentStateFlag::csLoading); }

void TComponent::FreeNotification(TComponent* component) {
    if (component == nullptr || component == this) return;
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end()) {
        freeNotifies_.push_back(component);
        component->freeNotifies_.push_back(this);
    }
    state_.Include(TComponentStateFlag::csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
    RemoveNotification(component);
    if (component != nullptr) component->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* component) {
    freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), component),
                        freeNotifies_.end());
    if (freeNotifies_.empty()) state_.Exclude(TComponentStateFlag::csFreeNotification);
}

void TComponent::SetDesigning(bool value, bool setChildren) {
    if (value) {
        state_.Include(TComponentStateFlag::csDesigning);
    } else {
        state_.Exclude(TComponentStateFlag::csDesigning);
    }
    if (setChildren) {
        for (TComponent* c : components_) c->SetDesigning(value, true);
    }
}

void TComponent::SetStateFlag(TComponentStateFlag flag, bool on) {
    if (on) {
        state_.Include(flag);
    } else {
        state_.Exclude(flag);
    }
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == TOperation::opRemove && AComponent != nullptr) {
        RemoveNotification(AComponent);
    }
    // Owned components hear about each other's creation and destruction, as in the form designer.
    for (TComponent* c : components_) {
        if (c != AComponent) c->Notification(AComponent, Operation);
    }
}

void TComponent::InsertComponent(TComponent* component) {
    components_.push_back(component);
    component->owner_ = this;
    // A component placed on a form that is being designed is being designed too, from its
    // constructor on (the house presets of the maker's components depend on it).
    if (state_.Contains(TComponentStateFlag::csDesigning)) {
        component->state_.Include(TComponentStateFlag::csDesigning);
    }
    Notification(component, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
    Notification(component, TOperation::opRemove);
    components_.erase(std::remove(components_.begin(), components_.end(), component),
                      components_.end());
    component->owner_ = nullptr;
}

void ReadStoredForm(TComponent& root, const std::function<void()>& apply) {
    std::vector<TComponent*> all;
    for (int i = 0; i < root.ComponentCount(); ++i) all.push_back(root.Components(i));
    all.push_back(&root);
    for (TComponent* c : all) {
        c->SetStateFlag(TComponentStateFlag::csLoading, true);
        c->SetStateFlag(TComponentStateFlag::csReading, true);
    }
    apply();
    // The reader is done; Loaded() then clears csLoading on each in turn, the root last.
    for (TComponent* c : all) c->SetStateFlag(TComponentStateFlag::csReading, false);
    for (TComponent* c : all) c->Loaded();
}
