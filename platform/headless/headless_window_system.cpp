#include "platform/headless/headless_window_system.h"

#include "framework/application.h"
#include "framework/control.h"
#include "framework/form.h"
#include "framework/layout.h"
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
    // With nothing left to deliver and no timer to wait for, the loop returns
    // instead of waiting: the test is the user, and acts between runs.
    const std::uint64_t limit = FNow + RunLimit;
    while (!application.Terminated()) {
        if (!FQueue.empty()) {
            ProcessMessages(application);
        } else if (!FireNextTimer(limit)) {
            break;
        }
    }
}

std::uint32_t HeadlessWindowSystem::StartTimer(std::uint32_t interval, TTimerSink& sink) {
    if (RefuseTimers || interval == 0) {
        return 0;
    }
    const std::uint32_t id = ++FLastTimerId;
    FTimers[id] = Timer{interval, FNow + interval, &sink};
    return id;
}

bool HeadlessWindowSystem::StopTimer(std::uint32_t id) {
    return FTimers.erase(id) != 0;
}

void HeadlessWindowSystem::AdvanceTime(std::uint64_t milliseconds) {
    const std::uint64_t until = FNow + milliseconds;
    while (FireNextTimer(until)) {
    }
    FNow = until;
}

bool HeadlessWindowSystem::FireNextTimer(std::uint64_t until) {
    auto next = FTimers.end();
    for (auto it = FTimers.begin(); it != FTimers.end(); ++it) {
        if (next == FTimers.end() || it->second.Due < next->second.Due) {
            next = it;
        }
    }
    if (next == FTimers.end() || next->second.Due > until) {
        return false;
    }
    FNow = next->second.Due;
    next->second.Due += next->second.Interval;
    // The sink may stop or start timers, so the entry is not used after this.
    next->second.Sink->TimerTick();
    return true;
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

int HeadlessWindowSystem::TextLineHeight(const TFont& font) {
    const int height = font.Height < 0 ? -font.Height : font.Height;
    return MulDivRound(LineHeightAt11Pixels, height, 11);
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
