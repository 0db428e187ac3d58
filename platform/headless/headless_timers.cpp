#include "platform/headless/headless_timers.h"

namespace tovel::headless {

bool HeadlessTimers::StartTimer(TTimerSink& sink, std::uintptr_t id, std::uint32_t interval) {
    // A timer started again begins its period afresh, as a new one; refused,
    // it does not run at all.
    StopTimer(sink, id);
    if (RefuseTimers) {
        return false;
    }
    const std::uint32_t period = interval < 10 ? 10 : interval;
    FTimers.push_back(Timer{&sink, id, period, FNow + period});
    return true;
}

bool HeadlessTimers::StopTimer(TTimerSink& sink, std::uintptr_t id) {
    for (auto it = FTimers.begin(); it != FTimers.end(); ++it) {
        if (it->Sink == &sink && it->Id == id) {
            FTimers.erase(it);
            return true;
        }
    }
    return false;
}

void HeadlessTimers::AdvanceTime(std::uint64_t milliseconds) {
    const std::uint64_t until = FNow + milliseconds;
    while (FireNextTimer(until)) {
    }
    FNow = until;
}

bool HeadlessTimers::FireNextTimer(std::uint64_t until) {
    auto next = FTimers.end();
    for (auto it = FTimers.begin(); it != FTimers.end(); ++it) {
        if (next == FTimers.end() || it->Due < next->Due) {
            next = it;
        }
    }
    if (next == FTimers.end() || next->Due > until) {
        return false;
    }
    FNow = next->Due;
    next->Due += next->Interval;
    // The receiver may stop or start timers, so the entry is not used after this.
    TTimerSink* sink = next->Sink;
    sink->TimerTick(next->Id);
    return true;
}

}  // namespace tovel::headless
