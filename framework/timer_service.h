#pragma once

#include <cstdint>

namespace tovel {

// Receives the ticks of its system timers, on the user-interface thread, with
// the id the timer was started under.
class TTimerSink {
  public:
    virtual void TimerTick(std::uintptr_t id) = 0;

  protected:
    ~TTimerSink() = default;
};

// The system's periodic timers, the one source of ticks for the framework's
// timer component and for the light-weight message-window timers.
//
// A timer is named by its sink and an id of the sink's own choosing, as a
// window timer is named by its window and id: the receiver maps the id back
// to its live object, and several sinks may use the same ids. The system
// behind it is free to carry the timers without any window, which matters
// because the one-shot runs tick their exit timer without having made a
// window at all.
class TTimerService {
  public:
    // Starts the timer, or restarts its period from now when it runs: every
    // `interval` milliseconds (the system's shortest period at least) the
    // sink's TimerTick(id) runs from the message loop. Answers false when the
    // system refuses; no timer then runs under that name.
    virtual bool StartTimer(TTimerSink& sink, std::uintptr_t id, std::uint32_t interval) = 0;
    // Answers whether a running timer was stopped. A tick of a stopped timer
    // still on its way reaches nobody.
    virtual bool StopTimer(TTimerSink& sink, std::uintptr_t id) = 0;

    virtual ~TTimerService() = default;
};

}  // namespace tovel
