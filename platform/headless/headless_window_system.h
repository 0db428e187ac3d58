#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "framework/form.h"
#include "framework/window_system.h"
#include "res/resource_ids.h"

namespace tovel {
class TComponent;
}

namespace tovel::headless {

class HeadlessAppWindowPeer;
class HeadlessMessageWindowPeer;
class HeadlessWindowPeer;

// Windows that exist only as records: deterministic, no system behind them.
// A test acts as the user by calling the framework's entry points, and reads
// back what the program asked of the system.
class HeadlessWindowSystem final : public TWindowSystem {
  public:
    struct MessageBoxCall {
        THandle Owner;
        std::u16string Text;
        std::u16string Caption;
        TMessageBoxStyle Style;
    };

    std::unique_ptr<TWindowPeer> CreateWindowPeer(TWinControl& control) override;
    std::unique_ptr<TAppWindowPeer> CreateAppWindowPeer(TApplication& application) override;

    void RunMessageLoop(TApplication& application) override;
    void ProcessMessages(TApplication& application) override;
    void PostQuit() override { FQuitPosted = true; }

    void ShowMessageBox(THandle owner, const std::u16string& text, const std::u16string& caption,
                        TMessageBoxStyle style) override;
    THandle ActiveWindow() const override { return FActiveWindow; }
    THandle FocusedWindow() const override { return FFocus; }
    bool BringToForeground(THandle window) override;
    THandle ForegroundWindow() const override { return Foreground; }
    void SetBusyCursor(bool busy) override;
    // Timers tick on the virtual clock; as on the system, a period shorter
    // than 10 ms runs at 10 ms.
    bool StartTimer(TTimerSink& sink, std::uintptr_t id, std::uint32_t interval) override;
    bool StopTimer(TTimerSink& sink, std::uintptr_t id) override;
    int TextLineHeight(const TFont& font) override;
    std::u16string MenuFontName() override {
        ++FMenuFontQueries;
        return MenuFont;
    }
    int MonitorDpi(const TRect& /*rect*/) const override {
        ++FDpiQueries;
        return Dpi;
    }
    TRect ScreenRect() const override { return FScreen; }
    TRect WorkArea() const override { return FWorkArea; }

    // Work for the message loop, run in order as if it were a message.
    void Post(std::function<void()> task) { FQueue.push_back(std::move(task)); }

    // The virtual clock, in milliseconds. Advancing it fires the timers that
    // fall due, in time order, as the message loop would.
    std::uint64_t Now() const { return FNow; }
    void AdvanceTime(std::uint64_t milliseconds);
    // How long the message loop may run on the virtual clock before it gives
    // up waiting (so a program that never ends cannot hang a test).
    std::uint64_t RunLimit = 60'000;
    // Font metrics and monitor: a 13-pixel line for the 11-pixel design font
    // at 96 DPI, scaled with the font's height; faces listed in
    // FaceLineHeightAt11Pixels have a line of their own.
    int LineHeightAt11Pixels = 13;
    std::map<std::u16string, int> FaceLineHeightAt11Pixels;
    std::u16string MenuFont = u"Yu Gothic UI";
    int Dpi = 96;

    // Makes the next StartTimer calls fail, as a system out of timers would.
    bool RefuseTimers = false;
    std::size_t RunningTimers() const { return FTimers.size(); }

    // Runs while a message box is open (the user reading it), if set.
    std::function<void(const MessageBoxCall&)> OnMessageBox;

    bool BusyCursor() const { return FBusy; }
    // Each switch of the hourglass, on or off, in order.
    const std::vector<bool>& CursorChanges() const { return FCursorChanges; }
    const std::vector<MessageBoxCall>& MessageBoxes() const { return FMessageBoxes; }
    const std::vector<THandle>& ForegroundRequests() const { return FForeground; }
    // How many system windows the program made (controls, forms, application).
    int WindowsCreated() const { return FWindowsCreated; }
    bool QuitPosted() const { return FQuitPosted; }
    // Forgets what was recorded so far (cursor changes, boxes, foreground).
    void ClearRecords() {
        FCursorChanges.clear();
        FMessageBoxes.clear();
        FForeground.clear();
    }

    void SetActiveWindow(THandle window) { FActiveWindow = window; }
    // The system makes a top-level window of the program the active one, as
    // a click on it or on the taskbar button, Alt+Tab or a foreground request
    // does: the window losing the activation hears so first, then the new
    // one, whose default handling takes the focus. Showing a form activates
    // it; hiding the active one activates its owner, the application window.
    void ActivateWindow(THandle window);
    void SetScreen(const TRect& screen, const TRect& workArea) {
        FScreen = screen;
        FWorkArea = workArea;
    }

    THandle NextHandle() { return ++FLastHandle * 4; }

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

    // ---- what the notification-area icon needs --------------------------------------

    struct PostedMessage {
        THandle Window;
        std::uint32_t Msg;
        std::uintptr_t WParam;
        std::intptr_t LParam;
    };
    // A menu item as it was shown when its menu opened.
    struct PopupItem {
        std::u16string Caption;
        bool Checked;
        bool RadioItem;
        bool Enabled;
        bool Default;
        bool IsLine;
    };
    struct PopupCall {
        TPoint Point;
        THandle Owner;
        TComponent* PopupComponent;
        // The window last made the foreground one before the menu opened.
        THandle Foreground;
        std::vector<PopupItem> Items;
    };

    std::unique_ptr<TMessageWindowPeer> CreateMessageWindow(TMessageHandler handler) override;
    std::uint32_t RegisterSharedMessage(const std::u16string& name) override;
    bool AcceptFromLowerPrivilege(THandle window, std::uint32_t message) override {
        FAcceptedFromLowerPrivilege.insert({window, message});
        return true;
    }
    std::uint32_t CommonControlsVersion() override { return ComCtlVersion; }
    bool ReadCursorPos(TPoint& point) override;
    std::uint32_t DoubleClickTime() override { return DoubleClickMs; }
    bool ShiftDown() override { return ShiftHeld; }
    bool ControlDown() override { return ControlHeld; }
    bool AltDown() override { return AltHeld; }
    bool PostMessageTo(THandle window, std::uint32_t message, std::uintptr_t wParam,
                       std::intptr_t lParam) override;
    int CaptionHeight() override { return CaptionBarHeight; }
    THandle WindowAt(TPoint /*point*/) override { return WindowUnderPoint; }
    TPoint ClientPoint(THandle window, TPoint point) override;
    TMenuItem* PopupMenu(TPopupMenu& menu, TPoint point, THandle owner) override;
    bool HasIconResource(int id) override { return IconResources.count(id) != 0; }
    THandle LoadIconResource(int id, int size) override;
    THandle DuplicateIcon(THandle icon) override;
    void FreeIcon(THandle icon) override;
    THandle WindowsLogoIcon() override;

    // Settable answers.
    std::uint32_t ComCtlVersion = 0x0006000A;  // 6.10
    TPoint CursorPos{};
    bool CursorPosFails = false;
    std::uint32_t DoubleClickMs = 500;
    bool ShiftHeld = false;
    bool ControlHeld = false;
    bool AltHeld = false;
    int CaptionBarHeight = 0;
    THandle WindowUnderPoint = 0;
    // Where each window's client area starts on the screen.
    std::map<THandle, TPoint> ClientOrigins;
    // The item the user picks at the next popup (none: the menu is dismissed);
    // cleared once used.
    TMenuItem* PopupChoice = nullptr;
    // The foreground window: the last one brought there, or the one a test
    // makes so (the user clicking another program's window).
    THandle Foreground = 0;
    // Runs while a menu is open, the user looking at it.
    std::function<void(const PopupCall&)> OnPopup;
    // The icon resources the program file holds.
    std::set<int> IconResources{kProgramIconResource, kTrayImageResources[0],
                                kTrayImageResources[1], kTrayImageResources[2]};

    // Sends a message to a message window as the system would (the shell's
    // icon callbacks, say); false when no such window exists. The result is
    // left in message.Result.
    bool SendToMessageWindow(THandle window, TMessage& message);
    // Sends a message to the application window (a broadcast reaching it).
    // While the program runs elevated, a registered message broadcast by the
    // shell, which is not, reaches it only if the window accepts it so.
    bool SendToApplicationWindow(TMessage& message);
    bool Elevated = false;
    // The message windows alive now, and how many were ever made.
    std::vector<THandle> MessageWindows() const;
    int MessageWindowsCreated() const { return FMessageWindowsCreated; }

    const std::vector<PostedMessage>& PostedMessages() const { return FPosted; }
    const std::vector<PopupCall>& Popups() const { return FPopups; }
    // Icons alive now; the resource an icon's picture came from (copies keep
    // their source's), -1 for a stock icon, or -2 for an unknown handle.
    std::size_t LiveIcons() const { return FIcons.size(); }
    // Pictures ever made (read, copied or stock), text measurements (each a
    // font made and a line measured), menu font and monitor DPI queries.
    int IconsMade() const { return FIconsMade; }
    int MenuFontQueries() const { return FMenuFontQueries; }
    int TextMeasurements() const { return FTextMeasurements; }
    int DpiQueries() const { return FDpiQueries; }
    int IconResourceOf(THandle icon) const;
    // FreeIcon calls for handles that were not alive (a double free).
    int BadIconDestroys() const { return FBadIconDestroys; }

  private:
    friend class HeadlessMessageWindowPeer;
    friend class HeadlessAppWindowPeer;
    friend class HeadlessWindowPeer;

    struct Timer {
        TTimerSink* Sink;
        std::uintptr_t Id;
        std::uint32_t Interval;
        std::uint64_t Due;
    };
    void MessageWindowGone(THandle window) { FMessageWindows.erase(window); }
    // Sends the message to the program's window with that handle; false when
    // there is none.
    bool SendTo(THandle window, TMessage& message);
    // The default handling of an activation: the window takes the focus.
    void DefaultActivation(THandle window, const TMessage& message);
    // A control's window takes the focus; its form becomes active first.
    void FocusWindow(THandle window, THandle form);
    // Fires the earliest timer due at or before `until`; answers whether one fired.
    bool FireNextTimer(std::uint64_t until);

    std::deque<std::function<void()>> FQueue;
    bool FQuitPosted = false;
    bool FBusy = false;
    std::vector<bool> FCursorChanges;
    std::vector<MessageBoxCall> FMessageBoxes;
    std::vector<THandle> FForeground;
    THandle FActiveWindow = 0;
    THandle FFocus = 0;
    THandle FLastHandle = 0;
    int FWindowsCreated = 0;
    // In the order they were started: of two timers due at once, the one
    // started first ticks first.
    std::vector<Timer> FTimers;
    std::uint64_t FNow = 0;
    TRect FScreen{0, 0, 1024, 768};
    TRect FWorkArea{0, 0, 1024, 748};

    std::map<THandle, HeadlessMessageWindowPeer*> FMessageWindows;
    std::map<const TWinControl*, HeadlessWindowPeer*> FWindows;
    int FMessageWindowsCreated = 0;
    HeadlessAppWindowPeer* FAppWindow = nullptr;
    std::map<std::u16string, std::uint32_t> FRegisteredMessages;
    std::set<std::pair<THandle, std::uint32_t>> FAcceptedFromLowerPrivilege;
    std::vector<PostedMessage> FPosted;
    std::vector<PopupCall> FPopups;
    struct IconRecord {
        int Resource;
        int Size;
    };
    std::map<THandle, IconRecord> FIcons;
    int FBadIconDestroys = 0;
    int FIconsMade = 0;
    int FTextMeasurements = 0;
    int FMenuFontQueries = 0;
    mutable int FDpiQueries = 0;
};

// The application window as a record of what was asked of it; minimising and
// restoring report the size change back as the system would.
class HeadlessAppWindowPeer final : public TAppWindowPeer {
  public:
    HeadlessAppWindowPeer(TApplication& application, THandle handle,
                          HeadlessWindowSystem* system = nullptr);
    ~HeadlessAppWindowPeer() override;

    THandle Handle() const override { return FHandle; }
    void SetText(const std::u16string& text) override { FText = text; }
    bool IsVisible() const override { return FVisible; }
    bool IsIconic() const override { return FIconic; }
    void Show(TShowCommand command, bool animate) override;
    void ShowAt(THandle insertAfter, int left, int top, int width, int height) override;
    void Activate() override;
    void DefaultHandler(TMessage& message) override;

    const std::u16string& Text() const { return FText; }
    const TRect& Bounds() const { return FBounds; }
    // A message the system sends the window.
    void Deliver(TMessage& message);
    // What the application asked of its window, in order, e.g. "Show 6 noanimate"
    // (the show command by its number) or "default minimize".
    const std::vector<std::u16string>& Requests() const { return FRequests; }

  private:
    void Minimized();
    void Restored();

    TApplication& FApplication;
    THandle FHandle;
    HeadlessWindowSystem* FSystem;
    std::u16string FText;
    bool FVisible = false;
    bool FIconic = false;
    TRect FBounds;
    std::vector<std::u16string> FRequests;
};

}  // namespace tovel::headless
