#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "framework/geometry.h"
#include "framework/peer.h"

namespace tovel {

class TApplication;
class TWinControl;

// The system's windows: makes the peers behind controls, forms and message
// windows, and asks and tells the other windows of the session.
class TWindowing {
  public:
    virtual std::unique_ptr<TWindowPeer> CreateWindowPeer(TWinControl& control) = 0;
    virtual std::unique_ptr<TAppWindowPeer> CreateAppWindowPeer(TApplication& application) = 0;
    // A hidden pop-up tool window, no parent, no title, position and size 0,
    // every message of which goes to the handler.
    virtual std::unique_ptr<TMessageWindowPeer> CreateMessageWindow(TMessageHandler handler) = 0;

    virtual THandle ActiveWindow() const = 0;
    // The window of the program's thread that has the keyboard focus, or 0.
    virtual THandle FocusedWindow() const = 0;
    // Makes the window the foreground one, the one the user works in.
    virtual bool BringToForeground(THandle window) = 0;
    // The foreground window of the session, whichever program's it is, or 0.
    virtual THandle ForegroundWindow() const = 0;
    // Puts the message in the window's queue and returns at once.
    virtual bool PostMessageTo(THandle window, std::uint32_t message, std::uintptr_t wParam,
                               std::intptr_t lParam) = 0;
    // The number of a message known by name to every program of the session
    // (the same name gives the same number); 0 when the system refuses.
    virtual std::uint32_t RegisterSharedMessage(const std::u16string& name) = 0;
    // Lets the message reach the window from programs of lower privilege too,
    // which the system keeps from the windows of a program run elevated;
    // false when the system refuses.
    virtual bool AcceptFromLowerPrivilege(THandle window, std::uint32_t message) = 0;
    // The window under the screen point, and a screen point in the window's
    // client coordinates.
    virtual THandle WindowAt(TPoint point) = 0;
    virtual TPoint ClientPoint(THandle window, TPoint point) = 0;
    // The common-controls library's file version: major in the high 16 bits.
    virtual std::uint32_t CommonControlsVersion() = 0;

  protected:
    ~TWindowing() = default;
};

}  // namespace tovel
