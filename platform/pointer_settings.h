#pragma once

#include <cstdint>

namespace tovel {

// How far a write reaches: the fWinIni argument of the system parameter call.
enum class UpdateScope : std::uint32_t {
    Unannounced = 0,  // in force at once, not stored, and no WM_SETTINGCHANGE to other windows
    SessionOnly = 2,  // SPIF_SENDCHANGE: in force at once for every program, not stored
    Persistent = 3,   // SPIF_UPDATEINIFILE | SPIF_SENDCHANGE: also survives the next logon
};

// Wheel lines value meaning "one screen per notch": the system's WHEEL_PAGESCROLL
// read as signed. (The system headers define these names as macros, hence the k names.)
inline constexpr std::int32_t kWheelPageScroll = -1;

// Wheel routing values MOUSEWHEEL_ROUTING_FOCUS, _HYBRID and _MOUSE_POS: the focused
// window, a hybrid that may be read but is never written (it counts as "focus"), and
// the window under the pointer.
inline constexpr std::int32_t kRoutingFocus = 0;
inline constexpr std::int32_t kRoutingHybrid = 1;
inline constexpr std::int32_t kRoutingMousePos = 2;

// The only way the program's logic reaches the three per-user mouse settings.
// Results of the underlying calls are not reported: a read that fails yields 0.
class SystemPointerSettings {
  public:
    virtual ~SystemPointerSettings() = default;

    virtual std::int32_t GetWheelScrollLines() = 0;
    virtual void SetWheelScrollLines(std::int32_t lines, UpdateScope scope) = 0;
    virtual std::int32_t GetMouseSpeed() = 0;
    virtual void SetMouseSpeed(std::int32_t speed, UpdateScope scope) = 0;
    virtual std::int32_t GetWheelRouting() = 0;
    virtual void SetWheelRouting(std::int32_t routing, UpdateScope scope) = 0;
};

}  // namespace tovel
