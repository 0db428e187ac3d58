#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "framework/windowing.h"

namespace tovel::win32 {

class Win32WindowSystem;

// The real windows: the peers of forms and controls (which reach the rest of
// the window system through it), the application window, the message windows,
// and the other windows of the session.
class Win32Windowing : public TWindowing {
  public:
    explicit Win32Windowing(Win32WindowSystem& system) : FSystem(system) {}

    std::unique_ptr<TWindowPeer> CreateWindowPeer(TWinControl& control) override;
    std::unique_ptr<TAppWindowPeer> CreateAppWindowPeer(TApplication& application) override;
    std::unique_ptr<TMessageWindowPeer> CreateMessageWindow(TMessageHandler handler) override;

    THandle ActiveWindow() const override;
    THandle FocusedWindow() const override;
    bool BringToForeground(THandle window) override;
    THandle ForegroundWindow() const override;
    bool PostMessageTo(THandle window, std::uint32_t message, std::uintptr_t wParam,
                       std::intptr_t lParam) override;
    std::uint32_t RegisterSharedMessage(const std::u16string& name) override;
    bool AcceptFromLowerPrivilege(THandle window, std::uint32_t message) override;
    THandle WindowAt(TPoint point) override;
    TPoint ClientPoint(THandle window, TPoint point) override;
    std::uint32_t CommonControlsVersion() override;

  private:
    Win32WindowSystem& FSystem;
};

}  // namespace tovel::win32
