#pragma once

#include <cstdint>

namespace tovel {

// A window message as the framework sees it; Result is what the window
// procedure answers.
struct TMessage {
    std::uint32_t Msg = 0;
    std::uintptr_t WParam = 0;
    std::intptr_t LParam = 0;
    std::intptr_t Result = 0;
};

// The window messages the portable code handles, by their documented numbers,
// so that it needs no system header.
namespace msg {
inline constexpr std::uint32_t kNull = 0x0000;
inline constexpr std::uint32_t kDestroy = 0x0002;
inline constexpr std::uint32_t kSize = 0x0005;
inline constexpr std::uint32_t kActivate = 0x0006;
inline constexpr std::uint32_t kClose = 0x0010;
inline constexpr std::uint32_t kQueryEndSession = 0x0011;
inline constexpr std::uint32_t kQuit = 0x0012;
inline constexpr std::uint32_t kEndSession = 0x0016;
inline constexpr std::uint32_t kShowWindow = 0x0018;
inline constexpr std::uint32_t kWindowPosChanged = 0x0047;
inline constexpr std::uint32_t kContextMenu = 0x007B;
inline constexpr std::uint32_t kNcDestroy = 0x0082;
inline constexpr std::uint32_t kSysCommand = 0x0112;
inline constexpr std::uint32_t kTimer = 0x0113;
inline constexpr std::uint32_t kMouseMove = 0x0200;
inline constexpr std::uint32_t kLButtonDown = 0x0201;
inline constexpr std::uint32_t kLButtonUp = 0x0202;
inline constexpr std::uint32_t kLButtonDblClk = 0x0203;
inline constexpr std::uint32_t kRButtonDown = 0x0204;
inline constexpr std::uint32_t kRButtonUp = 0x0205;
inline constexpr std::uint32_t kRButtonDblClk = 0x0206;
inline constexpr std::uint32_t kMButtonDown = 0x0207;
inline constexpr std::uint32_t kMButtonUp = 0x0208;
inline constexpr std::uint32_t kMButtonDblClk = 0x0209;
// The first number a window class may use for messages of its own.
inline constexpr std::uint32_t kUser = 0x0400;
}  // namespace msg

// wParam of msg::kSize: what happened to the window.
inline constexpr std::uintptr_t kSizeRestored = 0;
inline constexpr std::uintptr_t kSizeMinimized = 1;

// wParam of msg::kActivate: the low word says how the window was activated
// (0 when it lost the activation), the high word whether it is minimised.
inline constexpr std::uintptr_t kActivateInactive = 0;
inline constexpr bool ActivatedOpen(std::uintptr_t wParam) {
    return (wParam & 0xFFFF) != kActivateInactive && ((wParam >> 16) & 0xFFFF) == 0;
}

// wParam of msg::kSysCommand. Its low four bits are the system's own, so a
// command is always compared after masking with kSysCommandMask.
inline constexpr std::uintptr_t kSysCommandMask = 0xFFF0;
inline constexpr std::uintptr_t kSysCmdMinimize = 0xF020;
inline constexpr std::uintptr_t kSysCmdRestore = 0xF120;

// lParam of msg::kShowWindow: hidden because the owner window is minimised.
inline constexpr std::intptr_t kShowParentClosing = 1;

// How a window is to be shown, by the system's show-command numbers.
enum class TShowCommand : int {
    Hide = 0,
    ShowMinimized = 2,
    Show = 5,
    Minimize = 6,
    // Shown in its current state, not activated.
    ShowNA = 8,
    Restore = 9,
};

}  // namespace tovel
