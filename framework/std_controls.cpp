#include "framework/std_controls.h"

#include "framework/application.h"
#include "framework/form.h"
#include "framework/layout.h"

namespace tovel {
namespace {

// Runs a user event's handler where a failure is shown and then forgotten.
template <typename Handler>
void RunUserEvent(TWinControl& control, Handler&& handler) {
    if (TApplication* application = control.Application()) {
        application->HandleEvent(handler);
    } else {
        handler();
    }
}

}  // namespace

// ---- TGroupBox -------------------------------------------------------------------

TRect TGroupBox::ChildArea() const {
    TForm* form = ParentForm();
    TApplication* application = Application();
    const int lineHeight = form != nullptr && application != nullptr
                               ? application->ScreenMetrics().TextLineHeight(form->Font())
                               : 13;
    return GroupBoxInnerRect(Width(), Height(), lineHeight);
}

// ---- TRadioButton ------------------------------------------------------------

TRadioButton::TRadioButton(TComponent* AOwner) : TWinControl(AOwner) {}

void TRadioButton::SetChecked(bool value) {
    if (FChecked == value) {
        return;
    }
    FChecked = value;
    // A radio pair is one tab stop: the checked button.
    SetTabStop(value);
    Changed(TPeerAspect::Checked);
    if (value && Parent() != nullptr) {
        for (TControl* sibling : Parent()->Controls()) {
            if (auto* radio = dynamic_cast<TRadioButton*>(sibling);
                radio != nullptr && radio != this) {
                radio->SetChecked(false);
            }
        }
    }
}

void TRadioButton::UserClick() {
    if (FChecked || !EffectivelyEnabled()) {
        return;
    }
    SetChecked(true);
    if (OnClick) {
        RunUserEvent(*this, [this] { OnClick(this); });
    }
}

// ---- TCheckBox ---------------------------------------------------------------

TCheckBox::TCheckBox(TComponent* AOwner) : TWinControl(AOwner) {
    SetTabStop(true);
}

void TCheckBox::SetChecked(bool value) {
    if (FChecked == value) {
        return;
    }
    FChecked = value;
    Changed(TPeerAspect::Checked);
    if (OnClick) {
        OnClick(this);
    }
}

void TCheckBox::UserClick() {
    if (!EffectivelyEnabled()) {
        return;
    }
    RunUserEvent(*this, [this] { SetChecked(!FChecked); });
}

// ---- TComboBox ---------------------------------------------------------------

TComboBox::TComboBox(TComponent* AOwner) : TWinControl(AOwner) {
    SetTabStop(true);
}

void TComboBox::AddItem(const std::u16string& text) {
    FItems.push_back(text);
    Changed(TPeerAspect::Items);
}

void TComboBox::ClearItems() {
    FItems.clear();
    FItemIndex = -1;
    Changed(TPeerAspect::Items);
}

void TComboBox::SetItemIndex(int value) {
    if (value < 0 || value >= static_cast<int>(FItems.size())) {
        value = -1;
    }
    if (FItemIndex != value) {
        FItemIndex = value;
        Changed(TPeerAspect::ItemIndex);
    }
}

void TComboBox::UserSelect(int index) {
    if (index < 0 || index >= static_cast<int>(FItems.size()) || !EffectivelyEnabled()) {
        return;
    }
    // Choosing the entry that is already selected still counts: it puts the
    // list's value back into force when something else changed it meanwhile.
    FItemIndex = index;
    Changed(TPeerAspect::ItemIndex);
    if (OnChange) {
        RunUserEvent(*this, [this] { OnChange(this); });
    }
}

}  // namespace tovel
