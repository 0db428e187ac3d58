#pragma once

#include <cstdint>

#include "framework/component.h"
#include "framework/events.h"
#include "framework/timer_service.h"

namespace tovel {

class TApplication;

// A periodic timer component: while enabled, with a handler and a non-zero
// interval, OnTimer runs every Interval milliseconds on the user-interface
// thread. A failure in the handler is shown and the timer goes on.
class TTimer : public TComponent, private TTimerSink {
  public:
    TTimer(TApplication& application, TComponent* AOwner);
    ~TTimer() override;

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    std::uint32_t Interval() const { return FInterval; }
    void SetInterval(std::uint32_t value);

    TNotifyEvent OnTimer;

    // Whether a system timer is running for it now.
    bool Running() const { return FRunning; }

    void Loaded() override { UpdateTimer(); }

  private:
    void UpdateTimer();
    void TimerTick(std::uintptr_t id) override;

    TApplication& FApplication;
    bool FEnabled = true;
    std::uint32_t FInterval = 1000;
    bool FRunning = false;
};

}  // namespace tovel
