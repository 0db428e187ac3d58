#include "framework/timer.h"

#include "framework/application.h"

namespace tovel {

TTimer::TTimer(TApplication& application, TComponent* AOwner)
    : TComponent(AOwner), FApplication(application) {}

TTimer::~TTimer() {
    if (FTimerId != 0) {
        FApplication.WindowSystem().StopTimer(FTimerId);
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
    if (FTimerId != 0) {
        FApplication.WindowSystem().StopTimer(FTimerId);
        FTimerId = 0;
    }
    if (FEnabled && FInterval != 0) {
        FTimerId = FApplication.WindowSystem().StartTimer(FInterval, *this);
    }
}

void TTimer::TimerTick() {
    if (OnTimer) {
        FApplication.HandleEvent([this] { OnTimer(this); });
    }
}

}  // namespace tovel
