#include "framework/tool_bar.h"

#include "framework/application.h"
#include "framework/layout.h"

namespace tovel {

TToolButton::TToolButton(TComponent* AOwner) : TControl(AOwner) {}

void TToolButton::SetStyle(TToolButtonStyle value) {
    if (FStyle != value) {
        FStyle = value;
        Changed(TPeerAspect::Buttons);
    }
}

void TToolButton::UserClick() {
    if (FStyle != TToolButtonStyle::tbsButton || !EffectivelyEnabled() || !OnClick) {
        return;
    }
    TApplication* application = Parent() != nullptr ? Parent()->Application() : nullptr;
    if (application != nullptr) {
        application->HandleEvent([this] { OnClick(this); });
    } else {
        OnClick(this);
    }
}

TToolBar::TToolBar(TComponent* AOwner) : TWinControl(AOwner) {}

std::vector<TToolButton*> TToolBar::Buttons() const {
    std::vector<TToolButton*> buttons;
    for (TControl* control : Controls()) {
        if (auto* button = dynamic_cast<TToolButton*>(control)) {
            buttons.push_back(button);
        }
    }
    return buttons;
}

void TToolBar::ChangeScale(int n, int d) {
    TWinControl::ChangeScale(n, d);
    SetButtonSize(MulDivRound(FButtonWidth, n, d), MulDivRound(FButtonHeight, n, d));
}

void TToolBar::SetButtonSize(int width, int height) {
    FButtonWidth = width;
    FButtonHeight = height;
    Changed(TPeerAspect::Buttons);
}

}  // namespace tovel
