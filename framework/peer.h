#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "framework/geometry.h"
#include "framework/messages.h"
#include "framework/timer_service.h"

namespace tovel {

class TApplication;
class TMenuItem;
class TPopupMenu;
class TWinControl;
struct TFont;

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
    // Shows, hides, minimises or restores the window; with animate false the
    // system's minimise/restore animation is not played.
    virtual void Show(TShowCommand command, bool animate) = 0;
    // Shown at that place and size, placed behind insertAfter (or with its
    // z-order kept when insertAfter is 0).
    virtual void ShowAt(THandle insertAfter, int left, int top, int width, int height) = 0;
    virtual void Activate() = 0;
    virtual void DefaultHandler(TMessage& message) = 0;
};

// The kinds of message box the program shows.
enum class TMessageBoxStyle {
    // An error: the error icon and an OK button.
    Error,
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

// The windowing side of the platform: makes peers, runs the message loop and
// provides the few process-wide user-interface services, its timers among them.
class TWindowSystem : public TTimerService {
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
    virtual void ShowMessageBox(THandle owner, const std::u16string& text,
                                const std::u16string& caption, TMessageBoxStyle style) = 0;
    virtual THandle ActiveWindow() const = 0;
    // Makes the window the foreground one, the one the user works in.
    virtual bool BringToForeground(THandle window) = 0;
    // The hourglass over the program's windows while busy, the default otherwise.
    virtual void SetBusyCursor(bool busy) = 0;

    // The height of a line of text in the font (its cell height, measured on
    // the character "0"), in pixels.
    virtual int TextLineHeight(const TFont& font) = 0;
    // The face name of the system's menu font (from the non-client metrics),
    // or of the stock system font when those cannot be read.
    virtual std::u16string MenuFontName() = 0;
    // The DPI of the monitor nearest the centre of the rectangle (the system
    // DPI where monitors have none of their own).
    virtual int MonitorDpi(const TRect& rect) const = 0;

    // The primary monitor's whole area and its work area (less the taskbar).
    virtual TRect ScreenRect() const = 0;
    virtual TRect WorkArea() const = 0;

    // ---- what the notification-area icon needs of the window system --------------

    // A hidden pop-up tool window, no parent, no title, position and size 0,
    // every message of which goes to the handler.
    virtual std::unique_ptr<TMessageWindowPeer> CreateMessageWindow(TMessageHandler handler) = 0;
    // The number of a message known by name to every program of the session
    // (the same name gives the same number); 0 when the system refuses.
    virtual std::uint32_t RegisterSharedMessage(const std::u16string& name) = 0;
    // The common-controls library's file version: major in the high 16 bits.
    virtual std::uint32_t CommonControlsVersion() = 0;
    // The pointer in screen coordinates; false when it cannot be read.
    virtual bool ReadCursorPos(TPoint& point) = 0;
    virtual std::uint32_t DoubleClickTime() = 0;
    // Whether the Shift, Ctrl or Alt key is down at this moment (not as of
    // the message being handled).
    virtual bool ShiftDown() = 0;
    virtual bool ControlDown() = 0;
    virtual bool AltDown() = 0;
    // Puts the message in the window's queue and returns at once.
    virtual bool PostMessageTo(THandle window, std::uint32_t message, std::uintptr_t wParam,
                               std::intptr_t lParam) = 0;
    // The height of a window's caption bar, in pixels.
    virtual int CaptionHeight() = 0;
    // The window under the screen point, and a screen point in the window's
    // client coordinates.
    virtual THandle WindowAt(TPoint point) = 0;
    virtual TPoint ClientPoint(THandle window, TPoint point) = 0;
    // Opens the menu at the screen point, left-aligned, owned by the window;
    // answers the item the user chose (null when none), once the menu closed.
    virtual TMenuItem* PopupMenu(TPopupMenu& menu, TPoint point, THandle owner) = 0;
    // Icons: one image of the program's icon resource at the size asked for,
    // a copy of an icon (each freed with FreeIcon), and the system's stock
    // Windows-logo icon (shared by the system: freeing it does no harm).
    // HasIconResource answers whether the program carries the icon resource,
    // without reading a picture.
    virtual bool HasIconResource(int id) = 0;
    virtual THandle LoadIconResource(int id, int size) = 0;
    virtual THandle DuplicateIcon(THandle icon) = 0;
    virtual void FreeIcon(THandle icon) = 0;
    virtual THandle WindowsLogoIcon() = 0;
};

}  // namespace tovel
