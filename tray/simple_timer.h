#pragma once

#include <cstdint>
#include <memory>

#include "framework/events.h"
#include "framework/id_allocator.h"
#include "framework/object.h"
#include "framework/peer.h"
#include "framework/timer_service.h"

namespace tovel {

class TSimpleTimer;

// The hidden window shared by every light-weight timer of one window system:
// each running timer is a system timer under the timer's id, whose ticks come
// to this window's procedure as timer messages, and the window turns each back
// into the call of that timer's handler. The window is made when a timer
// first starts, so timers that never run cost no window.
class TSimpleTimerHandler : public TObject, private TTimerSink {
  public:
    explicit TSimpleTimerHandler(TWindowSystem& windowSystem);
    ~TSimpleTimerHandler() override;

    void AddTimer() { ++FRefCount; }
    void RemoveTimer() {
        if (FRefCount > 0) {
            --FRefCount;
        }
    }
    // Live timers, and timers running now (kept for inspection only).
    std::uint32_t RefCount() const { return FRefCount; }
    std::uint32_t ActiveCount() const { return FActiveCount; }

    // The shared window, or 0 while no timer has run yet.
    THandle WindowHandle() const { return FWindow ? FWindow->Handle() : 0; }

    // The window's procedure.
    void HandleTimerMessage(TMessage& message);

  private:
    friend class TSimpleTimer;

    // The window, made now if need be; null when it cannot be made.
    TMessageWindowPeer* Window();
    // The system timer of the timer with that id, set or stopped.
    bool StartSystemTimer(std::uint32_t id, std::uint32_t interval);
    bool StopSystemTimer(std::uint32_t id);
    void TimerTick(std::uintptr_t id) override;

    TWindowSystem& FWindowSystem;
    std::uint32_t FRefCount = 0;
    std::uint32_t FActiveCount = 0;
    std::unique_ptr<TMessageWindowPeer> FWindow;
    // The live timers by id; an id comes back only after the whole range, so
    // a late tick of a freed timer does not reach a newer one.
    TIdAllocator<TSimpleTimer> FTimers;
};

// The shared handler of the window system's timers, or null while no timer
// lives. Kept per window system: each owns its windows, and tests run several
// in one process. The handler is made with the first timer and freed with the
// last (its window with it), so the table holds no handler of a window system
// that has gone.
TSimpleTimerHandler* SharedTimerHandler(TWindowSystem& windowSystem);
TSimpleTimerHandler& AcquireTimerHandler(TWindowSystem& windowSystem);
void ReleaseTimerHandler(TWindowSystem& windowSystem);

// A periodic call of OnTimer on the user-interface thread, costing one system
// timer and no window of its own. A plain object, made and freed by code. A
// new timer is stopped; writing Enabled true starts it from now.
class TSimpleTimer : public TObject {
  public:
    // 1000 ms, no handler.
    explicit TSimpleTimer(TWindowSystem& windowSystem);
    TSimpleTimer(TWindowSystem& windowSystem, std::uint32_t interval, TNotifyEvent onTimer);
    ~TSimpleTimer() override;

    static std::unique_ptr<TSimpleTimer> Create(TWindowSystem& windowSystem) {
        return std::make_unique<TSimpleTimer>(windowSystem);
    }
    static std::unique_ptr<TSimpleTimer> CreateEx(TWindowSystem& windowSystem,
                                                  std::uint32_t interval, TNotifyEvent onTimer) {
        return std::make_unique<TSimpleTimer>(windowSystem, interval, std::move(onTimer));
    }

    // The id of its system timer, unique among the live timers.
    std::uint32_t Id() const { return FId; }

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    std::uint32_t Interval() const { return FInterval; }
    void SetInterval(std::uint32_t value);
    bool AutoDisable() const { return FAutoDisable; }
    void SetAutoDisable(bool value) { FAutoDisable = value; }
    int Tag() const { return FTag; }
    void SetTag(int value) { FTag = value; }
    const TNotifyEvent& OnTimer() const { return FOnTimer; }
    void SetOnTimer(TNotifyEvent value);

  protected:
    // Starts the system timer afresh; answers whether the timer now runs.
    bool Arm();
    // Stops the system timer; answers whether one was running.
    bool Disarm(bool clearEnabled);

  private:
    friend class TSimpleTimerHandler;

    void InitTimer(std::uint32_t interval, TNotifyEvent onTimer);
    void Tick();

    TWindowSystem& FWindowSystem;
    TSimpleTimerHandler* FHandler = nullptr;
    std::uint32_t FId = 0;
    bool FEnabled = false;
    std::uint32_t FInterval = 1000;
    bool FAutoDisable = false;
    int FTag = 0;
    TNotifyEvent FOnTimer;
};

}  // namespace tovel
