#pragma once

#include "framework/peer.h"
#include "platform/headless/headless_windowing.h"

namespace tovel {
class TForm;
}

namespace tovel::headless {

// The window of a form or a control: a record of what the program pushed to
// it, kept as the system would keep it. A form's window reports its outer
// rectangle back to the form, as the real one does after it was placed.
class HeadlessWindowPeer final : public TWindowPeer {
  public:
    HeadlessWindowPeer(HeadlessWindowing& system, TWinControl& control, THandle handle);
    ~HeadlessWindowPeer() override { FSystem.FWindows.erase(&FControl); }

    THandle Handle() const override { return FHandle; }
    void DefaultHandler(TMessage& message) override { FSystem.DefaultActivation(FHandle, message); }
    void BringToFront() override {}
    void Activate() override { FSystem.ActivateWindow(FormHandle()); }
    void SetFocus() override { FSystem.FocusWindow(FHandle, FormHandle()); }
    TWinControl& Control() const { return FControl; }

    void Sync(TPeerAspect aspect) override;

    const HeadlessWindowing::NativeWindow& Window() const { return FWindow; }
    void MovedByUser(TPoint topLeft);

  private:
    using NativeWindow = HeadlessWindowing::NativeWindow;

    THandle FormHandle() const;
    // Showing a form's window activates it; hiding the active one passes the
    // activation to its owner, the application window.
    void ShownOrHidden();
    // The form asks either for a client size (at creation, or its own
    // scaling) or for an outer rectangle (centring, or the one the system
    // suggests); which of the two changed tells them apart.
    void PlaceForm();
    void ReportBounds();
    void HandDownFont(const TWinControl& parent);

    HeadlessWindowing& FSystem;
    TWinControl& FControl;
    THandle FHandle;
    TForm* FForm;
    NativeWindow FWindow;
    bool FReporting = false;
};

}  // namespace tovel::headless
