#pragma once

#include "framework/icon_source.h"
#include "framework/message_loop.h"
#include "framework/modal_ui.h"
#include "framework/pointer_and_keys.h"
#include "framework/screen_metrics.h"
#include "framework/timer_service.h"
#include "framework/windowing.h"

namespace tovel {

// The windowing side of the platform as the one object the program hands
// around: the parts it is put together from, each an object of its own. It
// adds nothing of its own: each part of the program takes only the parts it
// uses, and what is shared per window system is keyed by this object.
class TWindowSystem {
  public:
    TWindowSystem(TWindowing& windowing, TMessageLoop& messageLoop, TScreenMetrics& screenMetrics,
                  TPointerAndKeys& pointerAndKeys, TModalUi& modalUi, TIconSource& icons,
                  TTimerService& timers)
        : FWindowing(windowing), FMessageLoop(messageLoop), FScreenMetrics(screenMetrics),
          FPointerAndKeys(pointerAndKeys), FModalUi(modalUi), FIcons(icons), FTimers(timers) {}
    TWindowSystem(const TWindowSystem&) = delete;
    TWindowSystem& operator=(const TWindowSystem&) = delete;

    TWindowing& Windowing() const { return FWindowing; }
    TMessageLoop& MessageLoop() const { return FMessageLoop; }
    TScreenMetrics& ScreenMetrics() const { return FScreenMetrics; }
    TPointerAndKeys& PointerAndKeys() const { return FPointerAndKeys; }
    TModalUi& ModalUi() const { return FModalUi; }
    TIconSource& Icons() const { return FIcons; }
    TTimerService& Timers() const { return FTimers; }

    // The part of the given interface, for code written over several kinds.
    template <typename TPart>
    TPart& Part() const;

  protected:
    ~TWindowSystem() = default;

  private:
    TWindowing& FWindowing;
    TMessageLoop& FMessageLoop;
    TScreenMetrics& FScreenMetrics;
    TPointerAndKeys& FPointerAndKeys;
    TModalUi& FModalUi;
    TIconSource& FIcons;
    TTimerService& FTimers;
};

template <>
inline TWindowing& TWindowSystem::Part<TWindowing>() const {
    return FWindowing;
}
template <>
inline TMessageLoop& TWindowSystem::Part<TMessageLoop>() const {
    return FMessageLoop;
}
template <>
inline TScreenMetrics& TWindowSystem::Part<TScreenMetrics>() const {
    return FScreenMetrics;
}
template <>
inline TPointerAndKeys& TWindowSystem::Part<TPointerAndKeys>() const {
    return FPointerAndKeys;
}
template <>
inline TModalUi& TWindowSystem::Part<TModalUi>() const {
    return FModalUi;
}
template <>
inline TIconSource& TWindowSystem::Part<TIconSource>() const {
    return FIcons;
}
template <>
inline TTimerService& TWindowSystem::Part<TTimerService>() const {
    return FTimers;
}

}  // namespace tovel
