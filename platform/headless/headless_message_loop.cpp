#include "platform/headless/headless_message_loop.h"

#include "framework/application.h"
#include "platform/headless/headless_timers.h"

namespace tovel::headless {

void HeadlessMessageLoop::RunMessageLoop(TApplication& application) {
    // With nothing left to deliver and no timer to wait for, the loop returns
    // instead of waiting: the test is the user, and acts between runs.
    const std::uint64_t limit = FTimers.Now() + RunLimit;
    while (!application.Terminated()) {
        if (!FQueue.empty()) {
            ProcessMessages(application);
        } else if (!FTimers.FireNextTimer(limit)) {
            break;
        }
    }
}

void HeadlessMessageLoop::ProcessMessages(TApplication& application) {
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

}  // namespace tovel::headless
