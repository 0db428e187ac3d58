#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "framework/peer.h"

namespace tovel::win32 {

// The real windows: peers for forms and controls, the application window,
// the message loop and the few process-wide services of the user interface.
class Win32WindowSystem : public TWindowSystem {
  public:
    // Shows a message box in place of MessageBoxW; while it runs, the other
    // windows are disabled just as for a real box. For tests, which must not
    // block on a box nobody will close.
    using MessageBoxHandler = std::function<int(THandle owner, const std::u16string& text,
                                                const std::u16string& caption, unsigned flags)>;

    Win32WindowSystem();
    ~Win32WindowSystem() override;

    std::unique_ptr<TWindowPeer> CreateWindowPeer(TWinControl& control) override;
    std::unique_ptr<TAppWindowPeer> CreateAppWindowPeer(TApplication& application) override;

    void RunMessageLoop(TApplication& application) override;
    void ProcessMessages(TApplication& application) override;
    void PostQuit() override;

    int MessageBox(THandle owner, const std::u16string& text, const std::u16string& caption,
                   unsigned flags) override;
    THandle ActiveWindow() const override;
    bool SetForegroundWindow(THandle window) override;
    void SetBusyCursor(bool busy) override;
    bool StartTimer(TTimerSink& sink, std::uintptr_t id, std::uint32_t interval) override;
    bool StopTimer(TTimerSink& sink, std::uintptr_t id) override;
    int TextLineHeight(const TFont& font) override;
    std::u16string MenuFontName() override;
    int MonitorDpi(const TRect& rect) const override;
    TRect ScreenRect() const override;
    TRect WorkArea() const override;

    std::unique_ptr<TMessageWindowPeer> CreateMessageWindow(TMessageHandler handler) override;
    std::uint32_t RegisterWindowMessage(const std::u16string& name) override;
    std::uint32_t CommonControlsVersion() override;
    bool GetCursorPos(TPoint& point) override;
    std::uint32_t DoubleClickTime() override;
    bool KeyDown(int virtualKey) override;
    bool PostMessage(THandle window, std::uint32_t message, std::uintptr_t wParam,
                     std::intptr_t lParam) override;
    int SystemMetric(int index) override;
    THandle WindowFromPoint(TPoint point) override;
    TPoint ScreenToClient(THandle window, TPoint point) override;
    TMenuItem* PopupMenu(TPopupMenu& menu, TPoint point, THandle owner) override;
    bool HasIconResource(int id) override;
    THandle LoadIconResource(int id, int size) override;
    THandle CopyIcon(THandle icon) override;
    void DestroyIcon(THandle icon) override;
    THandle LoadSystemIcon(int id) override;

    bool BusyCursor() const { return FBusy; }
    void SetMessageBoxHandler(MessageBoxHandler handler) {
        FMessageBoxHandler = std::move(handler);
    }

  private:
    bool FBusy = false;
    MessageBoxHandler FMessageBoxHandler;
};

}  // namespace tovel::win32
