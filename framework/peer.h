#pragma once

#include <cstdint>
#include <functional>
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
    AccessibleName,
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
    // Makes a form's window the active one of the program; its activation
    // message then decides which control gets the keyboard.
    virtual void Activate() = 0;
    // Gives the window the keyboard focus.
    virtual void SetFocus() = 0;
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
    // Shows, hides, minimises or restores the window; with animate false the
    // system's minimise/restore animation is not played.
    virtual void Show(TShowCommand command, bool animate) = 0;
    // Shown at that place and size, placed behind insertAfter (or with its
    // z-order kept when insertAfter is 0).
    virtual void ShowAt(THandle insertAfter, int left, int top, int width, int height) = 0;
    virtual void Activate() = 0;
    virtual void DefaultHandler(TMessage& message) = 0;
};

// A hidden top-level window that only receives messages: the shared window
// of the tray icons and the one of the light-weight timers.
class TMessageWindowPeer {
  public:
    virtual ~TMessageWindowPeer() = default;

    virtual THandle Handle() const = 0;
    // The system's default handling of a message.
    virtual void DefaultHandler(TMessage& message) = 0;
};

// Receives every message of a message window; sets message.Result.
using TMessageHandler = std::function<void(TMessage& message)>;

}  // namespace tovel
