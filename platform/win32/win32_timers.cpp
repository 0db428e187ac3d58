#include "platform/win32/win32_api.h"

#include "platform/win32/win32_timers.h"

#include <map>

namespace tovel::win32 {
namespace {

// Every timer of the program is a thread timer (SetTimer with no window).
// The framework's exit timer must tick in the one-shot runs, which make no
// window at all, and the tray's timers need no window of their own either, so
// one kind of system timer carries both. A thread timer's tick names only the
// id the system chose, so the live timers of every window system of the
// thread are listed here under those ids; a tick of a stopped timer finds no
// entry and reaches nobody.
struct LiveTimer {
    Win32Timers* Owner;
    TTimerSink* Sink;
    std::uintptr_t Id;
};

std::map<UINT_PTR, LiveTimer>& LiveTimers() {
    static std::map<UINT_PTR, LiveTimer> timers;
    return timers;
}

std::map<UINT_PTR, LiveTimer>::iterator FindTimer(const Win32Timers* owner,
                                                  const TTimerSink& sink, std::uintptr_t id) {
    auto& timers = LiveTimers();
    for (auto it = timers.begin(); it != timers.end(); ++it) {
        if (it->second.Owner == owner && it->second.Sink == &sink && it->second.Id == id) {
            return it;
        }
    }
    return timers.end();
}

void CALLBACK TimerProc(HWND /*window*/, UINT /*msg*/, UINT_PTR systemId, DWORD /*time*/) {
    const auto found = LiveTimers().find(systemId);
    if (found == LiveTimers().end()) {
        return;
    }
    // The sink may stop or start timers: nothing of the table is used after
    // this call.
    const LiveTimer timer = found->second;
    try {
        timer.Sink->TimerTick(timer.Id);
    } catch (...) {
        // The framework shows a handler's failure itself; nothing may cross
        // the system's call.
    }
}

}  // namespace

Win32Timers::~Win32Timers() {
    auto& timers = LiveTimers();
    for (auto it = timers.begin(); it != timers.end();) {
        if (it->second.Owner == this) {
            KillTimer(nullptr, it->first);
            it = timers.erase(it);
        } else {
            ++it;
        }
    }
}

bool Win32Timers::StartTimer(TTimerSink& sink, std::uintptr_t id, std::uint32_t interval) {
    // A running timer starts its period afresh as a new one.
    StopTimer(sink, id);
    const UINT_PTR systemId = SetTimer(nullptr, 0, interval, &TimerProc);
    if (systemId == 0) {
        return false;
    }
    LiveTimers()[systemId] = LiveTimer{this, &sink, id};
    return true;
}

bool Win32Timers::StopTimer(TTimerSink& sink, std::uintptr_t id) {
    const auto found = FindTimer(this, sink, id);
    if (found == LiveTimers().end()) {
        return false;
    }
    KillTimer(nullptr, found->first);
    LiveTimers().erase(found);
    return true;
}

}  // namespace tovel::win32
