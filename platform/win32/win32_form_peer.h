#pragma once

#include <functional>

#include "framework/form.h"
#include "platform/win32/win32_api.h"

#include "platform/win32/win32_window_peer.h"

namespace tovel::win32 {

// Window styles of a form for its border style and border icons: the frame
// decides whether the user can size it, the icons which caption buttons exist.
struct FormWindowStyle {
    DWORD Style;
    DWORD ExStyle;
};
FormWindowStyle FormStyleFor(const TForm& form);

// A form's top-level window, owned by the application window. It owns the
// font every control of the form shows, reports the places the user or the
// system gives it, and gives the focus back to a control when it becomes
// active.
class Win32FormPeer final : public Win32WindowPeer {
  public:
    Win32FormPeer(Win32WindowSystem& system, TForm& form);
    ~Win32FormPeer() override;

    void Sync(TPeerAspect aspect) override;
    void DefaultHandler(TMessage& message) override;

  protected:
    HFONT ChildFont() const override { return FFont; }
    void MessageDispatched(UINT msg, WPARAM wParam, LPARAM lParam) override;

  private:
    void ApplyBounds();
    void ReportBounds();
    void ApplyFormFont();
    void ApplyFontToTree(TWinControl& parent);
    // Every control window inside parent, at any depth, parents first.
    static void ForEachControlPeer(TWinControl& parent,
                                   const std::function<void(Win32WindowPeer&)>& action);
    void ApplyWindowState();

    TForm& FForm;
    HFONT FFont = nullptr;
    // While the framework is told of a change the system made, its echo
    // must not be sent back to the window.
    bool FReporting = false;
};

// Whether a window is one of the program's forms (the dialog keys are run
// for those).
bool IsFormWindow(HWND window);

}  // namespace tovel::win32
