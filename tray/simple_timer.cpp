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

std::uint32_t TSimpleTimerHandler::Register(TSimpleTimer* timer) {
    // Ids are not reused while the handler lives, so a late tick of a freed
    // timer cannot reach a newer one; 0 is never handed out.
    do {
        ++FLastId;
    } while (FLastId == 0 || FTimers.count(FLastId) != 0);
    FTimers[FLastId] = timer;
    return FLastId;
}

void TSimpleTimerHandler::Unregister(std::uint32_t id) {
    FTimers.erase(id);
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
    const auto found = FTimers.find(static_cast<std::uint32_t>(message.WParam));
    if (message.WParam > UINT32_MAX || found == FTimers.end()) {
        return;
    }
    found->second->Tick();
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
    FId = FHandler->Register(this);
}

TSimpleTimer::~TSimpleTimer() {
    if (FEnabled) {
        Disarm(true);
    }
    FHandler->Unregister(FId);
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
    TMessageWindowPeer* window = FHandler != nullptr ? FHandler->Window() : nullptr;
    if (window == nullptr || !window->SetTimer(FId, FInterval)) {
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
    // No window yet means no timer has run: nothing to stop, nothing to make.
    TMessageWindowPeer* window = FHandler != nullptr ? FHandler->FWindow.get() : nullptr;
    const bool stopped = window != nullptr && window->KillTimer(FId);
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
