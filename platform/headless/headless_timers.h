#pragma once

#include <cstdint>
#include <vector>

#include "framework/timer_service.h"

namespace tovel::headless {

// The system's timers on a virtual clock, in milliseconds: nothing ticks
// until the clock is moved on, by the test or by the message loop.
class HeadlessTimers : public TTimerService {
  public:
    // As on the system, a period shorter than 10 ms runs at 10 ms.
    bool StartTimer(TTimerSink& sink, std::uintptr_t id, std::uint32_t interval) override;
    bool StopTimer(TTimerSink& sink, std::uintptr_t id) override;

    // Advancing the clock fires the timers that fall due, in time order, as
    // the message loop would.
    std::uint64_t Now() const { return FNow; }
    void AdvanceTime(std::uint64_t milliseconds);
    // Fires the earliest timer due at or before `until`; answers whether one fired.
    bool FireNextTimer(std::uint64_t until);

    // Makes the next StartTimer calls fail, as a system out of timers would.
    bool RefuseTimers = false;
    std::size_t RunningTimers() const { return FTimers.size(); }

  private:
    struct Timer {
        TTimerSink* Sink;
        std::uintptr_t Id;
        std::uint32_t Interval;
        std::uint64_t Due;
    };
    // In the order they were started: of two timers due at once, the one
    // started first ticks first.
    std::vector<Timer> FTimers;
    std::uint64_t FNow = 0;
};

}  // namespace tovel::headless
