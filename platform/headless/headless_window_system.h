#pragma once

#include <deque>
#include <functional>
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
    TRect ScreenRect() const override { return FScreen; }
    TRect WorkArea() const override { return FWorkArea; }

    // Work for the message loop, run in order as if it were a message.
    void Post(std::function<void()> task) { FQueue.push_back(std::move(task)); }

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

    void SetActiveWindow(THandle window) { FActiveWindow = window; }
    void SetScreen(const TRect& screen, const TRect& workArea) {
        FScreen = screen;
        FWorkArea = workArea;
    }

    THandle NextHandle() { return ++FLastHandle * 4; }

  private:
    std::deque<std::function<void()>> FQueue;
    bool FQuitPosted = false;
    bool FBusy = false;
    std::vector<bool> FCursorChanges;
    std::vector<MessageBoxCall> FMessageBoxes;
    std::vector<THandle> FForeground;
    THandle FActiveWindow = 0;
    THandle FLastHandle = 0;
    int FWindowsCreated = 0;
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
