#pragma once

#include "platform/win32/win32_api.h"

#include "framework/peer.h"
#include "platform/win32/win32_window_table.h"

namespace tovel::win32 {

class Win32WindowSystem;

// The hidden application window: a zero-size pop-up that owns the forms and
// carries the program's taskbar button while one of them is shown.
class Win32AppWindowPeer final : public TAppWindowPeer, public Win32MessageTarget {
  public:
    Win32AppWindowPeer(Win32WindowSystem& system, TApplication& application);
    ~Win32AppWindowPeer() override;

    THandle Handle() const override;
    void SetText(const std::u16string& text) override;
    bool IsVisible() const override;
    bool IsIconic() const override;
    void Show(TShowCommand command, bool animate) override;
    void ShowAt(THandle insertAfter, int left, int top, int width, int height) override;
    void Activate() override;
    void DefaultHandler(TMessage& message) override;

    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

  private:
    // Switches the system's show/minimise transition of this one window off
    // or back on; the user's global animation setting is never touched.
    void SetTransitionsDisabled(bool disabled);

    Win32WindowSystem& FSystem;
    TApplication& FApplication;
    bool FTransitionsDisabled = false;
};

}  // namespace tovel::win32
