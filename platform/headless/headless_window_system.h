#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "framework/peer.h"

namespace tovel::headless {

// Windows that exist only as records: deterministic, no system behind them.
// A test acts as the user by calling the framework's entry points, and reads
// back what the program asked of the system.
class HeadlessWindowSystem final : public TWindowSystem {
  public:
    struct MessageBoxCall {
        THandle Owner;
        std::u16string Text;
        std::u16string Caption;
        unsigned Flags;
    };

    std::unique_ptr<TWindowPeer> CreateWindowPeer(TWinControl& control) override;
    std::unique_ptr<TAppWindowPeer> CreateAppWindowPeer(TApplication& application) override;

    void RunMessageLoop(TApplication& application) override;
    void ProcessMessages(TApplication& application) override;
    void PostQuit() override { FQuitPosted = true; }

    int MessageBox(THandle owner, const std::u16string& text, const std::u16string& caption,
                   unsigned flags) override;
    THandle ActiveWindow() const override { return FActiveWindow; }
    bool SetForegroundWindow(THandle window) override;
    void SetBusyCursor(bool busy) override;
    std::uint32_t StartTimer(std::uint32_t interval, TTimerSink& sink) override;
    bool StopTimer(std::uint32_t id) override;
    int TextLineHeight(const TFont& font) override;
    std::u16string MenuFontName() override { return MenuFont; }
    int MonitorDpi(const TRect& /*rect*/) const override { return Dpi; }
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
    // at 96 DPI, scaled with the font's height.
    int LineHeightAt11Pixels = 13;
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
    void SetScreen(const TRect& screen, const TRect& workArea) {
        FScreen = screen;
        FWorkArea = workArea;
    }

    THandle NextHandle() { return ++FLastHandle * 4; }

  private:
    struct Timer {
        std::uint32_t Interval;
        std::uint64_t Due;
        TTimerSink* Sink;
    };
    // Fires the earliest timer due at or before `until`; answers whether one fired.
    bool FireNextTimer(std::uint64_t until);

    std::deque<std::function<void()>> FQueue;
    bool FQuitPosted = false;
    bool FBusy = false;
    std::vector<bool> FCursorChanges;
    std::vector<MessageBoxCall> FMessageBoxes;
    std::vector<THandle> FForeground;
    THandle FActiveWindow = 0;
    THandle FLastHandle = 0;
    int FWindowsCreated = 0;
    std::map<std::uint32_t, Timer> FTimers;
    std::uint32_t FLastTimerId = 0;
    std::uint64_t FNow = 0;
    TRect FScreen{0, 0, 1024, 768};
    TRect FWorkArea{0, 0, 1024, 748};
};

// The application window as a record of what was asked of it; minimising and
// restoring report the size change back as the system would.
class HeadlessAppWindowPeer final : public TAppWindowPeer {
  public:
    HeadlessAppWindowPeer(TApplication& application, THandle handle);

    THandle Handle() const override { return FHandle; }
    void SetText(const std::u16string& text) override { FText = text; }
    bool IsVisible() const override { return FVisible; }
    bool IsIconic() const override { return FIconic; }
    void Show(int command, bool animate) override;
    void ShowAt(THandle insertAfter, int left, int top, int width, int height) override;
    void Activate() override { FRequests.push_back(u"Activate"); }
    void DefaultHandler(TMessage& message) override;

    const std::u16string& Text() const { return FText; }
    const TRect& Bounds() const { return FBounds; }
    // What the application asked of its window, in order, e.g. "Show 6 noanimate".
    const std::vector<std::u16string>& Requests() const { return FRequests; }

  private:
    void Minimized();
    void Restored();

    TApplication& FApplication;
    THandle FHandle;
    std::u16string FText;
    bool FVisible = false;
    bool FIconic = false;
    TRect FBounds;
    std::vector<std::u16string> FRequests;
};

}  // namespace tovel::headless
