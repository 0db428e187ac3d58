#include "framework/component.h"

#include <algorithm>

namespace tovel {

TComponent::TComponent(TComponent* AOwner) : FOwner(nullptr) {
    if (AOwner != nullptr) {
        AOwner->InsertComponent(this);
    }
}

TComponent::~TComponent() {
    DestroyComponents();
    if (FOwner != nullptr) {
        FOwner->RemoveComponent(this);
    }
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
    // Copy: a component may free another in reaction to a notice.
    const std::vector<TComponent*> components = FComponents;
    for (auto it = components.rbegin(); it != components.rend(); ++it) {
        if (std::find(FComponents.begin(), FComponents.end(), *it) != FComponents.end()) {
            (*it)->Notification(AComponent, Operation);
        }
    }
}

void TComponent::LoadComponents() {
    for (TComponent* component : std::vector<TComponent*>(FComponents)) {
        component->Loaded();
    }
    Loaded();
}

void TComponent::DestroyComponents() {
    while (!FComponents.empty()) {
        // The component's destructor takes itself out of the list.
        delete FComponents.back();
    }
}

void TComponent::InsertComponent(TComponent* AComponent) {
    AComponent->FOwner = this;
    FComponents.push_back(AComponent);
    Notification(AComponent, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
    FComponents.erase(std::remove(FComponents.begin(), FComponents.end(), AComponent),
                      FComponents.end());
    AComponent->FOwner = nullptr;
    Notification(AComponent, TOperation::opRemove);
}

}  // namespace tovel
