#pragma once

#include "platform/win32/win32_api.h"

#include <memory>
#include <string>

#include "framework/peer.h"
#include "platform/win32/win32_window_table.h"

namespace tovel::win32 {

class Win32WindowSystem;

// The system window of a form or of one of its controls. It mirrors the
// framework object's state into the window and turns the window's
// notifications into the framework's user entry points; the framework keeps
// every piece of state and every event rule.
//
// This is what every such window does; each kind of control has a peer of
// its own for the rest, chosen once, when the window system makes the peer.
class Win32WindowPeer : public TWindowPeer, public Win32MessageTarget {
  public:
    ~Win32WindowPeer() override;

    THandle Handle() const override;
    // Caption, enabled and visible state, bounds and tab stop; the kinds
    // mirror the rest of their state themselves.
    void Sync(TPeerAspect aspect) override;
    void DefaultHandler(TMessage& message) override;
    void BringToFront() override;
    void Activate() override;
    void SetFocus() override;

    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    Win32WindowPeer* ControlPeer() override { return this; }

    // The form's font reaches this control's window.
    void ApplyFont(HFONT font);

    // The peer behind a window of the program, or null: the application
    // window and the message windows have no control behind them.
    static Win32WindowPeer* FromWindow(HWND window);

  protected:
    Win32WindowPeer(Win32WindowSystem& system, TWinControl& control);

    Win32WindowSystem& System() const { return FSystem; }
    TWinControl& Control() const { return FControl; }

    // The styles every child window takes from its control's state.
    DWORD ChildStyle() const;
    // Makes the control's window inside its parent's window, at the control's
    // place, in the form's font: a system control of that class whose
    // messages come here, or with ownClass a window of the program's own
    // class of that name. False when no window was made (a control shows
    // only inside a window).
    bool CreateChildWindow(const wchar_t* className, DWORD style, DWORD exStyle,
                           const std::u16string& text, bool ownClass);
    void SetStyleBit(DWORD bit, bool on);
    // Unbinds and destroys the window (and with it the windows inside it);
    // what the windows use may be freed after this.
    void DestroyPeerWindow();

    // The font the controls inside this window show: only a form has one.
    virtual HFONT ChildFont() const { return nullptr; }
    // Sizes that follow the text follow a new font.
    virtual void FontApplied() {}
    // A notification of this control, reported to its parent by WM_COMMAND.
    virtual void Command(WORD code, WORD id);
    // After the framework handled a message of this window, while the peer
    // is still there.
    virtual void MessageDispatched(UINT msg, WPARAM wParam, LPARAM lParam);

  private:
    HFONT ControlFont() const;

    Win32WindowSystem& FSystem;
    TWinControl& FControl;
    // Cleared when the peer goes: a handler may free its own control, and
    // the window procedure must not touch the peer after that.
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
    // A name was given to the annotation service for the window: it is
    // cleared there before the window goes.
    bool FNamed = false;
};

}  // namespace tovel::win32
