#include "tray/simple_timer.h"
#include "tray/shared_handler.h"

namespace tovel {
// ---- TSimpleTimerHandler ------------------------------------------------------

TSimpleTimerHandler::TSimpleTimerHandler(TWindowSystem& windowSystem)
    : FWindowSystem(windowSystem) {}

TMessageWindowPeer* TSimpleTimerHandler::Window() {
    if (FWindow == nullptr) {
        FWindow = FWindowSystem.CreateMessageWindow(
            [this](TMessage& message) { HandleTimerMessage(message); });
    }
    return FWindow.get();
}

TSimpleTimerHandler::~TSimpleTimerHandler() = default;

bool TSimpleTimerHandler::StartSystemTimer(std::uint32_t id, std::uint32_t interval) {
    // The ticks go to the window's procedure: without the window no timer runs.
    return Window() != nullptr && FWindowSystem.StartTimer(*this, id, interval);
}

bool TSimpleTimerHandler::StopSystemTimer(std::uint32_t id) {
    return FWindowSystem.StopTimer(*this, id);
}

void TSimpleTimerHandler::TimerTick(std::uintptr_t id) {
    // The system timers are the window system's own and need no window, so
    // their ticks are handed to this window's procedure here, as the timer
    // message a timer of the window would bring.
    TMessage tick{msg::kTimer, id, 0, 0};
    HandleTimerMessage(tick);
}

void TSimpleTimerHandler::HandleTimerMessage(TMessage& message) {
    if (message.Msg != msg::kTimer) {
        if (FWindow) {
            FWindow->DefaultHandler(message);
        }
        return;
    }
    // A tick whose id names no live timer (one freed while its tick was on
    // the way) is dropped.
    if (TSimpleTimer* timer = FTimers.Find(message.WParam)) {
        timer->Tick();
    }
}

namespace {
using SharedTSimpleTimerHandler =
    TSharedHandler<TSimpleTimerHandler, &TSimpleTimerHandler::AddTimer,
                   &TSimpleTimerHandler::RemoveTimer>;
}  // namespace

TSimpleTimerHandler* SharedTimerHandler(TWindowSystem& windowSystem) {
    return SharedTSimpleTimerHandler::Find(windowSystem);
}

TSimpleTimerHandler& AcquireTimerHandler(TWindowSystem& windowSystem) {
    return SharedTSimpleTimerHandler::Acquire(windowSystem);
}

void ReleaseTimerHandler(TWindowSystem& windowSystem) {
    SharedTSimpleTimerHandler::Release(windowSystem);
}

// ---- TSimpleTimer -------------------------------------------------------------

TSimpleTimer::TSimpleTimer(TWindowSystem& windowSystem) : FWindowSystem(windowSystem) {
    InitTimer(1000, nullptr);
}

TSimpleTimer::TSimpleTimer(TWindowSystem& windowSystem, std::uint32_t interval,
                           TNotifyEvent onTimer)
    : FWindowSystem(windowSystem) {
    InitTimer(interval, std::move(onTimer));
}

void TSimpleTimer::InitTimer(std::uint32_t interval, TNotifyEvent onTimer) {
    FAutoDisable = false;
    FEnabled = false;
    FInterval = interval;
    SetOnTimer(std::move(onTimer));
    FHandler = &AcquireTimerHandler(FWindowSystem);
    FId = FHandler->FTimers.Allocate(this);
}

TSimpleTimer::~TSimpleTimer() {
    if (FEnabled) {
        Disarm(true);
    }
    FHandler->FTimers.Release(FId);
    ReleaseTimerHandler(FWindowSystem);
}

void TSimpleTimer::SetEnabled(bool value) {
    if (value) {
        Arm();
    } else {
        Disarm(true);
    }
}

void TSimpleTimer::SetInterval(std::uint32_t value) {
    if (value == FInterval) {
        return;
    }
    FInterval = value;
    if (FEnabled) {
        if (value != 0) {
            Arm();
        } else {
            // Stays enabled: a later non-zero interval starts it again.
            Disarm(false);
        }
    }
}

void TSimpleTimer::SetOnTimer(TNotifyEvent value) {
    FOnTimer = std::move(value);
    if (!FOnTimer && FEnabled) {
        Disarm(false);
    }
}

bool TSimpleTimer::Arm() {
    if (FInterval == 0) {
        return false;
    }
    if (FEnabled) {
        Disarm(true);
    }
    // Id 0 names no timer: every id was in use when this one was made.
    if (FHandler == nullptr || FId == 0 || !FHandler->StartSystemTimer(FId, FInterval)) {
        return false;
    }
    FEnabled = true;
    ++FHandler->FActiveCount;
    return true;
}

bool TSimpleTimer::Disarm(bool clearEnabled) {
    if (clearEnabled) {
        FEnabled = false;
    }
    const bool stopped = FHandler != nullptr && FId != 0 && FHandler->StopSystemTimer(FId);
    if (stopped && FHandler->FActiveCount > 0) {
        --FHandler->FActiveCount;
    }
    return stopped;
}

void TSimpleTimer::Tick() {
    if (FAutoDisable) {
        Disarm(true);
    }
    if (FOnTimer) {
        // A copy runs, so the handler may replace itself.
        const TNotifyEvent handler = FOnTimer;
        handler(this);
    }
}

}  // namespace tovel
