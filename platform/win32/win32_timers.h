#pragma once

#include <cstdint>

#include "framework/timer_service.h"

namespace tovel::win32 {

// The system's timers as thread timers, which need no window; the ones still
// running when this object goes are stopped with it.
class Win32Timers : public TTimerService {
  public:
    Win32Timers() = default;
    Win32Timers(const Win32Timers&) = delete;
    Win32Timers& operator=(const Win32Timers&) = delete;
    ~Win32Timers() override;

    bool StartTimer(TTimerSink& sink, std::uintptr_t id, std::uint32_t interval) override;
    bool StopTimer(TTimerSink& sink, std::uintptr_t id) override;
};

}  // namespace tovel::win32
