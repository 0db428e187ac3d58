#include "platform/headless/headless_window_peer.h"

#include "framework/control.h"
#include "framework/form.h"
#include "platform/headless/headless_app_window_peer.h"

namespace tovel::headless {

HeadlessWindowPeer::HeadlessWindowPeer(HeadlessWindowing& system, TWinControl& control,
                                       THandle handle)
    : FSystem(system), FControl(control), FHandle(handle),
      FForm(dynamic_cast<TForm*>(&control)) {
    FWindow.Text = control.Caption();
    FWindow.AccessibleName = control.AccessibleName();
    FWindow.Enabled = FForm != nullptr ? control.Enabled() : control.EffectivelyEnabled();
    // A form's window is made hidden and shown once the form says so.
    FWindow.Visible = FForm == nullptr && control.Visible();
    if (FForm != nullptr) {
        FWindow.Font = FForm->Font();
        FWindow.Bounds = tovel::Bounds(control.Left(), control.Top(), 0, 0);
        PlaceForm();
    } else {
        FWindow.Bounds = control.BoundsRect();
        if (const NativeWindow* form =
                control.ParentForm() != nullptr ? system.WindowOf(*control.ParentForm())
                                                : nullptr) {
            FWindow.Font = form->Font;
        }
    }
    FSystem.FWindows[&control] = this;
}

void HeadlessWindowPeer::Sync(TPeerAspect aspect) {
    switch (aspect) {
        case TPeerAspect::Caption:
            FWindow.Text = FControl.Caption();
            break;
        case TPeerAspect::Enabled:
            // The system does not carry a parent's disabled state over to
            // its children: a control's window follows its reachability.
            FWindow.Enabled =
                FForm != nullptr ? FControl.Enabled() : FControl.EffectivelyEnabled();
            break;
        case TPeerAspect::Visible:
            FWindow.Visible = FControl.Visible();
            if (FForm != nullptr) {
                ShownOrHidden();
            }
            break;
        case TPeerAspect::Bounds:
            if (FReporting) {
                break;
            }
            if (FForm != nullptr) {
                PlaceForm();
            } else {
                FWindow.Bounds = FControl.BoundsRect();
            }
            break;
        case TPeerAspect::AccessibleName:
            FWindow.AccessibleName = FControl.AccessibleName();
            break;
        case TPeerAspect::Font:
            if (FForm != nullptr) {
                FWindow.Font = FForm->Font();
                HandDownFont(*FForm);
            }
            break;
        default:
            break;
    }
}

void HeadlessWindowPeer::MovedByUser(TPoint topLeft) {
    FWindow.Bounds = tovel::Bounds(topLeft.X, topLeft.Y, FWindow.Bounds.Width(),
                                   FWindow.Bounds.Height());
    ReportBounds();
}

THandle HeadlessWindowPeer::FormHandle() const {
    const TForm* form = FForm != nullptr ? FForm : FControl.ParentForm();
    if (form == nullptr) {
        return 0;
    }
    const auto found = FSystem.FWindows.find(form);
    return found != FSystem.FWindows.end() ? found->second->FHandle : 0;
}

void HeadlessWindowPeer::ShownOrHidden() {
    if (FWindow.Visible) {
        FSystem.ActivateWindow(FHandle);
    } else if (FSystem.FActiveWindow == FHandle) {
        FSystem.ActivateWindow(FSystem.FAppWindow != nullptr ? FSystem.FAppWindow->Handle()
                                                             : 0);
    }
}

void HeadlessWindowPeer::PlaceForm() {
    const TRect& frame = FSystem.FormFrame;
    const int clientWidth = FWindow.Bounds.Width() - frame.Left - frame.Right;
    const int clientHeight = FWindow.Bounds.Height() - frame.Top - frame.Bottom;
    int width = FControl.Width();
    int height = FControl.Height();
    const bool clientAsked =
        (FForm->ClientWidth() != 0 || FForm->ClientHeight() != 0) &&
        (FForm->ClientWidth() != clientWidth || FForm->ClientHeight() != clientHeight);
    if (clientAsked) {
        width = FForm->ClientWidth() + frame.Left + frame.Right;
        height = FForm->ClientHeight() + frame.Top + frame.Bottom;
    }
    FWindow.Bounds = tovel::Bounds(FControl.Left(), FControl.Top(), width, height);
    ReportBounds();
}

void HeadlessWindowPeer::ReportBounds() {
    FReporting = true;
    FControl.SetBoundsRect(FWindow.Bounds);
    FReporting = false;
}

void HeadlessWindowPeer::HandDownFont(const TWinControl& parent) {
    for (TControl* child : parent.Controls()) {
        if (auto* win = dynamic_cast<TWinControl*>(child)) {
            const auto found = FSystem.FWindows.find(win);
            if (found != FSystem.FWindows.end()) {
                found->second->FWindow.Font = FWindow.Font;
            }
            HandDownFont(*win);
        }
    }
}

}  // namespace tovel::headless
