#include "framework/timer.h"

#include "framework/application.h"

namespace tovel {
namespace {

// The component is its own sink and has one system timer: any id will do.
constexpr std::uintptr_t kTimerId = 1;

}  // namespace

TTimer::TTimer(TApplication& application, TComponent* AOwner)
    : TComponent(AOwner), FApplication(application) {}

TTimer::~TTimer() {
    if (FRunning) {
        FApplication.WindowSystem().StopTimer(*this, kTimerId);
    }
}

void TTimer::SetEnabled(bool value) {
    if (FEnabled != value) {
        FEnabled = value;
        UpdateTimer();
    }
}

void TTimer::SetInterval(std::uint32_t value) {
    if (FInterval != value) {
        FInterval = value;
        UpdateTimer();
    }
}

void TTimer::UpdateTimer() {
    TTimerService& timers = FApplication.WindowSystem();
    if (FEnabled && FInterval != 0) {
        // Started again, a running timer begins its period afresh.
        FRunning = timers.StartTimer(*this, kTimerId, FInterval);
    } else if (FRunning) {
        timers.StopTimer(*this, kTimerId);
        FRunning = false;
    }
}

void TTimer::TimerTick(std::uintptr_t /*id*/) {
    if (OnTimer) {
        FApplication.HandleEvent([this] { OnTimer(this); });
    }
}

}  // namespace tovel
