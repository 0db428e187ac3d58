#include "framework/menu.h"

#include <algorithm>

namespace tovel {

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {}

TMenuItem::~TMenuItem() {
    if (FParent != nullptr) {
        FParent->Remove(this);
    }
    for (TMenuItem* item : std::vector<TMenuItem*>(FItems)) {
        item->FParent = nullptr;
    }
}

void TMenuItem::SetChecked(bool value) {
    if (FChecked == value) {
        return;
    }
    FChecked = value;
    if (value && FRadioItem && FParent != nullptr) {
        for (TMenuItem* sibling : FParent->FItems) {
            if (sibling != this && sibling->FRadioItem && sibling->FGroupIndex == FGroupIndex) {
                sibling->FChecked = false;
            }
        }
    }
}

void TMenuItem::Add(TMenuItem* item) {
    if (item->FParent != nullptr) {
        item->FParent->Remove(item);
    }
    item->FParent = this;
    FItems.push_back(item);
}

void TMenuItem::Remove(TMenuItem* item) {
    FItems.erase(std::remove(FItems.begin(), FItems.end(), item), FItems.end());
    item->FParent = nullptr;
}

void TMenuItem::Click() {
    if (!FEnabled || IsLine()) {
        return;
    }
    if (FAutoCheck) {
        SetChecked(!FChecked);
    }
    if (OnClick) {
        OnClick(this);
    }
}

void TMenuItem::RethinkHotkeys() {
    std::vector<std::u16string> captions;
    captions.reserve(FItems.size());
    for (const TMenuItem* item : FItems) {
        captions.push_back(item->FCaption);
    }
    const std::vector<std::u16string> keyed = WithAccessKeys(captions);
    for (std::size_t i = 0; i < FItems.size(); ++i) {
        FItems[i]->FCaption = keyed[i];
        FItems[i]->RethinkHotkeys();
    }
}

TPopupMenu::TPopupMenu(TComponent* AOwner) : TComponent(AOwner), FItems(new TMenuItem(nullptr)) {}

TPopupMenu::~TPopupMenu() {
    // The items belong to the form; only the root is the menu's own.
    delete FItems;
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove && AComponent == FPopupComponent) {
        FPopupComponent = nullptr;
    }
}

}  // namespace tovel

namespace tovel {

void TPopupMenu::PreparePopup() {
    if (FAutoHotkeys) {
        FItems->RethinkHotkeys();
    }
}

}  // namespace tovel
