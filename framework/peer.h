#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "framework/geometry.h"
#include "framework/messages.h"

namespace tovel {

class TApplication;
class TWinControl;

// A window handle as the portable code carries it: opaque, 0 for none.
using THandle = std::uintptr_t;

// What a window-backed object asks its peer to bring in line with the
// object's own state. The framework owns the state; the peer mirrors it.
enum class TPeerAspect {
    Caption,
    Enabled,
    Visible,
    Bounds,
    Checked,
    Items,
    ItemIndex,
    Font,
    TabStop,
    Buttons,
    WindowState,
};

// The system window behind a control or a form. A headless peer does nothing,
// so tests drive the framework through the same entry points a real peer calls.
class TWindowPeer {
  public:
    virtual ~TWindowPeer() = default;

    virtual THandle Handle() const = 0;
    virtual void Sync(TPeerAspect aspect) = 0;
    // The system's own handling of a message the framework did not take.
    virtual void DefaultHandler(TMessage& message) = 0;
    virtual void BringToFront() = 0;
};

// The hidden application window: the owner of the main window and the
// carrier of the program's taskbar button.
class TAppWindowPeer {
  public:
    virtual ~TAppWindowPeer() = default;

    virtual THandle Handle() const = 0;
    virtual void SetText(const std::u16string& text) = 0;
    virtual bool IsVisible() const = 0;
    virtual bool IsIconic() const = 0;
    // ShowWindow; with animate false the system's minimise/restore animation
    // is not played.
    virtual void Show(int command, bool animate) = 0;
    // SetWindowPos with SWP_SHOWWINDOW: shown at that place and size, placed
    // behind insertAfter (or with its z-order kept when insertAfter is 0).
    virtual void ShowAt(THandle insertAfter, int left, int top, int width, int height) = 0;
    virtual void Activate() = 0;
    virtual void DefaultHandler(TMessage& message) = 0;
};

// Message box flags used by the program, by their documented values.
inline constexpr unsigned MB_OK = 0x00000000;
inline constexpr unsigned MB_ICONERROR = 0x00000010;

// The windowing side of the platform: makes peers, runs the message loop and
// provides the few process-wide user-interface services.
class TWindowSystem {
  public:
    virtual ~TWindowSystem() = default;

    virtual std::unique_ptr<TWindowPeer> CreateWindowPeer(TWinControl& control) = 0;
    virtual std::unique_ptr<TAppWindowPeer> CreateAppWindowPeer(TApplication& application) = 0;

    // Dispatches messages until the application is terminated.
    virtual void RunMessageLoop(TApplication& application) = 0;
    // Dispatches whatever is pending and returns.
    virtual void ProcessMessages(TApplication& application) = 0;
    // Wakes the message loop so it sees that the application has ended.
    virtual void PostQuit() = 0;

    // A modal message box; the program's other windows take no input meanwhile.
    virtual int MessageBox(THandle owner, const std::u16string& text, const std::u16string& caption,
                           unsigned flags) = 0;
    virtual THandle ActiveWindow() const = 0;
    virtual bool SetForegroundWindow(THandle window) = 0;
    // The hourglass over the program's windows while busy, the default otherwise.
    virtual void SetBusyCursor(bool busy) = 0;
    // The primary monitor's whole area and its work area (less the taskbar).
    virtual TRect ScreenRect() const = 0;
    virtual TRect WorkArea() const = 0;
};

}  // namespace tovel
