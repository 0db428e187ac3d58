#include "platform/win32/win32_pointer_settings.h"

#include <windows.h>

#include <cstdint>

namespace tovel::win32 {
namespace {

// Not in every SDK's headers: the wheel routing actions of Windows 10.
constexpr UINT kGetMouseWheelRouting = 0x201C;
constexpr UINT kSetMouseWheelRouting = 0x201D;

std::int32_t Read(UINT action) {
    // A failed read leaves the 0 in place; nothing reports it.
    INT value = 0;
    SystemParametersInfoW(action, 0, &value, 0);
    return value;
}

// Windows reads these values from the pointer argument itself, not through it.
void WriteInPointer(UINT action, std::int32_t value, UpdateScope scope) {
    SystemParametersInfoW(action, 0,
                          reinterpret_cast<PVOID>(static_cast<INT_PTR>(value)),  // NOLINT
                          static_cast<UINT>(scope));
}

}  // namespace

std::int32_t Win32PointerSettings::GetWheelScrollLines() { return Read(SPI_GETWHEELSCROLLLINES); }

void Win32PointerSettings::SetWheelScrollLines(std::int32_t lines, UpdateScope scope) {
    // The line count travels in uiParam; -1 becomes 0xFFFFFFFF, the page-scroll value.
    SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, static_cast<UINT>(lines), nullptr,
                          static_cast<UINT>(scope));
}

std::int32_t Win32PointerSettings::GetMouseSpeed() { return Read(SPI_GETMOUSESPEED); }

void Win32PointerSettings::SetMouseSpeed(std::int32_t speed, UpdateScope scope) {
    WriteInPointer(SPI_SETMOUSESPEED, speed, scope);
}

std::int32_t Win32PointerSettings::GetWheelRouting() { return Read(kGetMouseWheelRouting); }

std::optional<std::int32_t> Win32PointerSettings::ReadWheelRouting() {
    INT value = 0;
    if (!SystemParametersInfoW(kGetMouseWheelRouting, 0, &value, 0)) {
        return std::nullopt;
    }
    return value;
}

void Win32PointerSettings::SetWheelRouting(std::int32_t routing, UpdateScope scope) {
    WriteInPointer(kSetMouseWheelRouting, routing, scope);
}

}  // namespace tovel::win32
