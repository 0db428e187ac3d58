#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "framework/form.h"
#include "framework/windowing.h"

namespace tovel::headless {

class HeadlessAppWindowPeer;
class HeadlessHandles;
class HeadlessMessageLoop;
class HeadlessMessageWindowPeer;
class HeadlessWindowPeer;

// The program's windows as records, with the active window and the keyboard
// focus kept as the system keeps them, and the other windows of the session
// as settable answers.
class HeadlessWindowing : public TWindowing {
  public:
    HeadlessWindowing(HeadlessHandles& handles, HeadlessMessageLoop& loop)
        : FHandles(handles), FLoop(loop) {}

    std::unique_ptr<TWindowPeer> CreateWindowPeer(TWinControl& control) override;
    std::unique_ptr<TAppWindowPeer> CreateAppWindowPeer(TApplication& application) override;
    std::unique_ptr<TMessageWindowPeer> CreateMessageWindow(TMessageHandler handler) override;

    THandle ActiveWindow() const override { return FActiveWindow; }
    THandle FocusedWindow() const override { return FFocus; }
    bool BringToForeground(THandle window) override;
    THandle ForegroundWindow() const override { return Foreground; }
    // Delivered by the message loop, as the system would.
    bool PostMessageTo(THandle window, std::uint32_t message, std::uintptr_t wParam,
                       std::intptr_t lParam) override;
    std::uint32_t RegisterSharedMessage(const std::u16string& name) override;
    bool AcceptFromLowerPrivilege(THandle window, std::uint32_t message) override {
        FAcceptedFromLowerPrivilege.insert({window, message});
        return true;
    }
    THandle WindowAt(TPoint /*point*/) override { return WindowUnderPoint; }
    TPoint ClientPoint(THandle window, TPoint point) override;
    std::uint32_t CommonControlsVersion() override { return ComCtlVersion; }

    // Settable answers.
    std::uint32_t ComCtlVersion = 0x0006000A;  // 6.10
    THandle WindowUnderPoint = 0;
    // Where each window's client area starts on the screen.
    std::map<THandle, TPoint> ClientOrigins;
    // The foreground window: the last one brought there, or the one a test
    // makes so (the user clicking another program's window).
    THandle Foreground = 0;

    void SetActiveWindow(THandle window) { FActiveWindow = window; }
    // The system makes a top-level window of the program the active one, as
    // a click on it or on the taskbar button, Alt+Tab or a foreground request
    // does: the window losing the activation hears so first, then the new
    // one, whose default handling takes the focus. Showing a form activates
    // it; hiding the active one activates its owner, the application window.
    void ActivateWindow(THandle window);

    // ---- the windows of forms and controls, as the system holds them -----------------

    // What a window last received from the program: the system's side of the
    // state, which the framework's own copy must reach.
    struct NativeWindow {
        std::u16string Text;
        bool Enabled = true;
        bool Visible = false;
        // A form's outer rectangle on the screen (its client area plus
        // FormFrame); a control's rectangle in its parent's client area.
        TRect Bounds;
        // The font the window draws its text in: a form's own; a control's is
        // the one its form's window handed down.
        TFont Font;
        // The name screen readers are given for the window; empty for the
        // system's own.
        std::u16string AccessibleName;
    };
    // The window of the control, or null while it has none.
    const NativeWindow* WindowOf(const TWinControl& control) const;
    // The user drags a form's window so that its top-left corner is at the
    // point: the system moves it and tells the form, as it would.
    void UserMovesWindow(const TWinControl& form, TPoint topLeft);
    // The frame and caption bar around a form's client area, in pixels on
    // each side: left, top, right, bottom.
    TRect FormFrame{3, 26, 3, 3};

    // ---- messages from outside the program -------------------------------------------

    struct PostedMessage {
        THandle Window;
        std::uint32_t Msg;
        std::uintptr_t WParam;
        std::intptr_t LParam;
    };
    // Sends a message to a message window as the system would (the shell's
    // icon callbacks, say); false when no such window exists. The result is
    // left in message.Result.
    bool SendToMessageWindow(THandle window, TMessage& message);
    // Sends a message to the application window (a broadcast reaching it).
    // While the program runs elevated, a registered message broadcast by the
    // shell, which is not, reaches it only if the window accepts it so.
    bool SendToApplicationWindow(TMessage& message);
    bool Elevated = false;

    // ---- what was asked of the system ------------------------------------------------

    // The message windows alive now, and how many were ever made.
    std::vector<THandle> MessageWindows() const;
    int MessageWindowsCreated() const { return FMessageWindowsCreated; }
    // How many system windows the program made (controls, forms, application).
    int WindowsCreated() const { return FWindowsCreated; }
    const std::vector<PostedMessage>& PostedMessages() const { return FPosted; }
    const std::vector<THandle>& ForegroundRequests() const { return FForeground; }
    void ForgetForegroundRequests() { FForeground.clear(); }

  private:
    friend class HeadlessMessageWindowPeer;
    friend class HeadlessAppWindowPeer;
    friend class HeadlessWindowPeer;

    void MessageWindowGone(THandle window) { FMessageWindows.erase(window); }
    // Sends the message to the program's window with that handle; false when
    // there is none.
    bool SendTo(THandle window, TMessage& message);
    // The default handling of an activation: the window takes the focus.
    void DefaultActivation(THandle window, const TMessage& message);
    // A control's window takes the focus; its form becomes active first.
    void FocusWindow(THandle window, THandle form);

    HeadlessHandles& FHandles;
    HeadlessMessageLoop& FLoop;
    std::vector<THandle> FForeground;
    THandle FActiveWindow = 0;
    THandle FFocus = 0;
    int FWindowsCreated = 0;
    std::map<THandle, HeadlessMessageWindowPeer*> FMessageWindows;
    std::map<const TWinControl*, HeadlessWindowPeer*> FWindows;
    int FMessageWindowsCreated = 0;
    HeadlessAppWindowPeer* FAppWindow = nullptr;
    std::map<std::u16string, std::uint32_t> FRegisteredMessages;
    std::set<std::pair<THandle, std::uint32_t>> FAcceptedFromLowerPrivilege;
    std::vector<PostedMessage> FPosted;
};

}  // namespace tovel::headless
