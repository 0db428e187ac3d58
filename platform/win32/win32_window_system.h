#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "framework/window_system.h"

namespace tovel::win32 {

// The real windows: peers for forms and controls, the application window,
// the message loop and the few process-wide services of the user interface.
class Win32WindowSystem : public TWindowSystem {
  public:
    // Shows a message box in place of MessageBoxW, given the box's system
    // flags; while it runs, the other windows are disabled just as for a real
    // box. For tests, which must not block on a box nobody will close.
    using MessageBoxHandler = std::function<void(THandle owner, const std::u16string& text,
                                                 const std::u16string& caption, unsigned flags)>;

    Win32WindowSystem();
    ~Win32WindowSystem() override;

    std::unique_ptr<TWindowPeer> CreateWindowPeer(TWinControl& control) override;
    std::unique_ptr<TAppWindowPeer> CreateAppWindowPeer(TApplication& application) override;

    void RunMessageLoop(TApplication& application) override;
    void ProcessMessages(TApplication& application) override;
    void PostQuit() override;

    void ShowMessageBox(THandle owner, const std::u16string& text, const std::u16string& caption,
                        TMessageBoxStyle style) override;
    THandle ActiveWindow() const override;
    THandle FocusedWindow() const override;
    bool BringToForeground(THandle window) override;
    THandle ForegroundWindow() const override;
    void SetBusyCursor(bool busy) override;
    bool StartTimer(TTimerSink& sink, std::uintptr_t id, std::uint32_t interval) override;
    bool StopTimer(TTimerSink& sink, std::uintptr_t id) override;
    int TextLineHeight(const TFont& font) override;
    std::u16string MenuFontName() override;
    int MonitorDpi(const TRect& rect) const override;
    TRect ScreenRect() const override;
    TRect WorkArea() const override;

    std::unique_ptr<TMessageWindowPeer> CreateMessageWindow(TMessageHandler handler) override;
    std::uint32_t RegisterSharedMessage(const std::u16string& name) override;
    bool AcceptFromLowerPrivilege(THandle window, std::uint32_t message) override;
    std::uint32_t CommonControlsVersion() override;
    bool ReadCursorPos(TPoint& point) override;
    std::uint32_t DoubleClickTime() override;
    bool ShiftDown() override;
    bool ControlDown() override;
    bool AltDown() override;
    bool PostMessageTo(THandle window, std::uint32_t message, std::uintptr_t wParam,
                       std::intptr_t lParam) override;
    int CaptionHeight() override;
    THandle WindowAt(TPoint point) override;
    TPoint ClientPoint(THandle window, TPoint point) override;
    TMenuItem* PopupMenu(TPopupMenu& menu, TPoint point, THandle owner) override;
    bool HasIconResource(int id) override;
    THandle LoadIconResource(int id, int size) override;
    THandle DuplicateIcon(THandle icon) override;
    void FreeIcon(THandle icon) override;
    THandle WindowsLogoIcon() override;

    bool BusyCursor() const { return FBusy; }
    void SetMessageBoxHandler(MessageBoxHandler handler) {
        FMessageBoxHandler = std::move(handler);
    }

  private:
    bool FBusy = false;
    MessageBoxHandler FMessageBoxHandler;
};

}  // namespace tovel::win32
