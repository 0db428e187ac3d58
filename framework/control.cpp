#include "framework/control.h"

#include <algorithm>

#include "framework/application.h"
#include "framework/form.h"
#include "framework/layout.h"

namespace tovel {

// ---- TControl ----------------------------------------------------------------

TControl::TControl(TComponent* AOwner) : TComponent(AOwner) {}

TControl::~TControl() {
    if (FParent != nullptr) {
        FParent->RemoveControl(this);
    }
}

void TControl::SetParent(TWinControl* AParent) {
    if (FParent == AParent) {
        return;
    }
    if (FParent != nullptr) {
        FParent->RemoveControl(this);
    }
    if (AParent != nullptr) {
        AParent->InsertControl(this);
    }
}

void TControl::SetCaption(const std::u16string& value) {
    if (FCaption != value) {
        FCaption = value;
        Changed(TPeerAspect::Caption);
    }
}

void TControl::SetEnabled(bool value) {
    if (FEnabled != value) {
        FEnabled = value;
        Changed(TPeerAspect::Enabled);
        EnabledChanged();
    }
}

void TControl::SetVisible(bool value) {
    if (FVisible != value) {
        FVisible = value;
        Changed(TPeerAspect::Visible);
    }
}

bool TControl::EffectivelyEnabled() const {
    for (const TControl* c = this; c != nullptr; c = c->FParent) {
        if (!c->FEnabled) {
            return false;
        }
    }
    return true;
}

bool TControl::Showing() const {
    for (const TControl* c = this; c != nullptr; c = c->FParent) {
        if (!c->FVisible) {
            return false;
        }
    }
    return true;
}

void TControl::SetBounds(int left, int top, int width, int height) {
    SetBoundsRect(tovel::Bounds(left, top, width, height));
}

void TControl::SetBoundsRect(const TRect& rect) {
    if (!(FBounds == rect)) {
        FBounds = rect;
        Changed(TPeerAspect::Bounds);
    }
}

void TControl::SetTabStop(bool value) {
    if (FTabStop != value) {
        FTabStop = value;
        Changed(TPeerAspect::TabStop);
    }
}

TForm* TControl::ParentForm() const {
    const TControl* c = this;
    while (c->FParent != nullptr) {
        c = c->FParent;
    }
    return dynamic_cast<TForm*>(const_cast<TControl*>(c));
}

void TControl::ChangeScale(int n, int d) {
    SetBoundsRect(ScaleRect(FBounds, n, d));
}

void TControl::Changed(TPeerAspect aspect) {
    if (FParent != nullptr) {
        FParent->ChildChanged(*this, aspect);
    }
}

// ---- TWinControl -------------------------------------------------------------

TWinControl::TWinControl(TComponent* AOwner)
    : TControl(AOwner), WindowProc([this](TMessage& message) { WndProc(message); }) {}

TWinControl::~TWinControl() {
    // A window goes with its children: free them while this object is whole.
    while (!FControls.empty()) {
        delete FControls.back();
    }
    FPeer.reset();
}

TApplication* TWinControl::Application() const {
    if (TForm* form = ParentForm()) {
        return form->Application();
    }
    return nullptr;
}

THandle TWinControl::Handle() {
    HandleNeeded();
    return FPeer ? FPeer->Handle() : 0;
}

void TWinControl::HandleNeeded() {
    if (FPeer != nullptr) {
        return;
    }
    if (Parent() != nullptr) {
        Parent()->HandleNeeded();
        if (FPeer != nullptr) {
            return;  // the parent made its children's windows, this one among them
        }
    }
    CreateHandle();
}

void TWinControl::CreateHandle() {
    TApplication* application = Application();
    if (application == nullptr) {
        return;
    }
    FPeer = application->Windowing().CreateWindowPeer(*this);
    // Children are shown with their parent, so their windows come now too.
    for (TControl* control : std::vector<TControl*>(FControls)) {
        if (auto* win = dynamic_cast<TWinControl*>(control); win != nullptr && !win->FPeer) {
            win->CreateHandle();
        }
    }
}

void TWinControl::DestroyHandle() {
    for (TControl* control : FControls) {
        if (auto* win = dynamic_cast<TWinControl*>(control)) {
            win->DestroyHandle();
        }
    }
    FPeer.reset();
}

void TWinControl::WndProc(TMessage& message) {
    if (FPeer != nullptr) {
        FPeer->DefaultHandler(message);
    }
}

void TWinControl::Dispatch(TMessage& message) {
    // A copy runs, so a procedure may be swapped out while it handles a message.
    const TWndMethod procedure = WindowProc;
    if (TApplication* application = Application()) {
        application->HandleEvent([&procedure, &message] { procedure(message); });
    } else {
        procedure(message);
    }
}

void TWinControl::SetAccessibleName(const std::u16string& value) {
    if (FAccessibleName != value) {
        FAccessibleName = value;
        Changed(TPeerAspect::AccessibleName);
    }
}

void TWinControl::Changed(TPeerAspect aspect) {
    if (FPeer != nullptr) {
        FPeer->Sync(aspect);
    }
}

void TWinControl::ChildChanged(TControl& /*child*/, TPeerAspect /*aspect*/) {
    // A windowless child is drawn by this window: let the peer redo it.
    if (FPeer != nullptr) {
        FPeer->Sync(TPeerAspect::Buttons);
    }
}

void TWinControl::ChangeScale(int n, int d) {
    TControl::ChangeScale(n, d);
    for (TControl* control : FControls) {
        control->ChangeScale(n, d);
    }
}

void TWinControl::EnabledChanged() {
    for (TControl* control : FControls) {
        control->Changed(TPeerAspect::Enabled);
        control->EnabledChanged();
    }
}

void TWinControl::AlignControls() {
    DockChildren(FControls, ChildArea());
    for (TControl* control : FControls) {
        if (auto* win = dynamic_cast<TWinControl*>(control)) {
            win->AlignControls();
        }
    }
}

TRect TWinControl::ChildArea() const {
    return TRect{0, 0, Width(), Height()};
}

void TWinControl::InsertControl(TControl* control) {
    control->FParent = this;
    FControls.push_back(control);
    if (auto* win = dynamic_cast<TWinControl*>(control); win != nullptr && FPeer != nullptr) {
        win->CreateHandle();
    } else if (FPeer != nullptr) {
        ChildChanged(*control, TPeerAspect::Buttons);
    }
}

void TWinControl::RemoveControl(TControl* control) {
    if (auto* win = dynamic_cast<TWinControl*>(control)) {
        win->DestroyHandle();
    }
    FControls.erase(std::remove(FControls.begin(), FControls.end(), control), FControls.end());
    control->FParent = nullptr;
    if (FPeer != nullptr && dynamic_cast<TWinControl*>(control) == nullptr) {
        ChildChanged(*control, TPeerAspect::Buttons);
    }
}

}  // namespace tovel
