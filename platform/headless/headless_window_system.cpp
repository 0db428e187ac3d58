#include "platform/headless/headless_window_system.h"

#include "framework/application.h"
#include "framework/control.h"
#include "framework/text.h"

namespace tovel::headless {
namespace {

class HeadlessWindowPeer final : public TWindowPeer {
  public:
    explicit HeadlessWindowPeer(THandle handle) : FHandle(handle) {}
    THandle Handle() const override { return FHandle; }
    void Sync(TPeerAspect /*aspect*/) override {}
    void DefaultHandler(TMessage& /*message*/) override {}
    void BringToFront() override {}

  private:
    THandle FHandle;
};

}  // namespace

std::unique_ptr<TWindowPeer> HeadlessWindowSystem::CreateWindowPeer(TWinControl& /*control*/) {
    ++FWindowsCreated;
    return std::make_unique<HeadlessWindowPeer>(NextHandle());
}

std::unique_ptr<TAppWindowPeer> HeadlessWindowSystem::CreateAppWindowPeer(
    TApplication& application) {
    ++FWindowsCreated;
    return std::make_unique<HeadlessAppWindowPeer>(application, NextHandle());
}

void HeadlessWindowSystem::RunMessageLoop(TApplication& application) {
    // With nothing left to deliver the loop returns instead of waiting: the
    // test is the user, and acts between runs.
    while (!application.Terminated() && !FQueue.empty()) {
        ProcessMessages(application);
    }
}

void HeadlessWindowSystem::ProcessMessages(TApplication& application) {
    std::deque<std::function<void()>> pending;
    pending.swap(FQueue);
    while (!pending.empty() && !application.Terminated()) {
        auto task = std::move(pending.front());
        pending.pop_front();
        application.HandleEvent(task);
    }
    // What was not delivered before the end stays for a later look.
    for (auto it = pending.rbegin(); it != pending.rend(); ++it) {
        FQueue.push_front(std::move(*it));
    }
}

int HeadlessWindowSystem::MessageBox(THandle owner, const std::u16string& text,
                                     const std::u16string& caption, unsigned flags) {
    FMessageBoxes.push_back(MessageBoxCall{owner, text, caption, flags});
    if (OnMessageBox) {
        OnMessageBox(FMessageBoxes.back());
    }
    return 1;  // IDOK
}

bool HeadlessWindowSystem::SetForegroundWindow(THandle window) {
    FForeground.push_back(window);
    return true;
}

void HeadlessWindowSystem::SetBusyCursor(bool busy) {
    FBusy = busy;
    FCursorChanges.push_back(busy);
}

// ---- HeadlessAppWindowPeer ------------------------------------------------------

HeadlessAppWindowPeer::HeadlessAppWindowPeer(TApplication& application, THandle handle)
    : FApplication(application), FHandle(handle) {}

void HeadlessAppWindowPeer::Show(int command, bool animate) {
    FRequests.push_back(u"Show " + IntToStr(command) + (animate ? u"" : u" noanimate"));
    switch (command) {
        case SW_HIDE:
            FVisible = false;
            break;
        case SW_MINIMIZE:
        case SW_SHOWMINIMIZED:
            FVisible = true;
            Minimized();
            break;
        case SW_RESTORE:
            FVisible = true;
            Restored();
            break;
        default:
            FVisible = true;
            break;
    }
}

void HeadlessAppWindowPeer::ShowAt(THandle insertAfter, int left, int top, int width, int height) {
    FRequests.push_back(u"ShowAt " + IntToStr(static_cast<long long>(insertAfter)) + u" " +
                        IntToStr(left) + u"," + IntToStr(top) + u"," + IntToStr(width) + u"," +
                        IntToStr(height));
    FBounds = tovel::Bounds(left, top, width, height);
    FVisible = true;
}

void HeadlessAppWindowPeer::DefaultHandler(TMessage& message) {
    if (message.Msg != WM_SYSCOMMAND) {
        return;
    }
    const auto command = message.WParam & SC_COMMAND_MASK;
    if (command == SC_MINIMIZE) {
        FRequests.push_back(u"DefWindowProc SC_MINIMIZE");
        Minimized();
    } else if (command == SC_RESTORE) {
        FRequests.push_back(u"DefWindowProc SC_RESTORE");
        Restored();
    }
}

void HeadlessAppWindowPeer::Minimized() {
    if (FIconic) {
        return;
    }
    FIconic = true;
    // The system tells the window about its new state, as it would.
    TMessage size{WM_SIZE, SIZE_MINIMIZED, 0, 0};
    FApplication.Dispatch(size);
}

void HeadlessAppWindowPeer::Restored() {
    if (!FIconic) {
        return;
    }
    FIconic = false;
    TMessage size{WM_SIZE, SIZE_RESTORED, 0, 0};
    FApplication.Dispatch(size);
}

}  // namespace tovel::headless
