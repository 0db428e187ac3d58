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

// Window messages and command values the portable code handles, by their
// documented numbers, so that it needs no system header.
inline constexpr std::uint32_t WM_NULL = 0x0000;
inline constexpr std::uint32_t WM_DESTROY = 0x0002;
inline constexpr std::uint32_t WM_SIZE = 0x0005;
inline constexpr std::uint32_t WM_ACTIVATE = 0x0006;
inline constexpr std::uint32_t WM_CLOSE = 0x0010;
inline constexpr std::uint32_t WM_QUERYENDSESSION = 0x0011;
inline constexpr std::uint32_t WM_QUIT = 0x0012;
inline constexpr std::uint32_t WM_ENDSESSION = 0x0016;
inline constexpr std::uint32_t WM_SHOWWINDOW = 0x0018;
inline constexpr std::uint32_t WM_WINDOWPOSCHANGED = 0x0047;
inline constexpr std::uint32_t WM_CONTEXTMENU = 0x007B;
inline constexpr std::uint32_t WM_NCDESTROY = 0x0082;
inline constexpr std::uint32_t WM_COMMAND = 0x0111;
inline constexpr std::uint32_t WM_SYSCOMMAND = 0x0112;
inline constexpr std::uint32_t WM_TIMER = 0x0113;
inline constexpr std::uint32_t WM_MOUSEMOVE = 0x0200;
inline constexpr std::uint32_t WM_LBUTTONDOWN = 0x0201;
inline constexpr std::uint32_t WM_LBUTTONUP = 0x0202;
inline constexpr std::uint32_t WM_LBUTTONDBLCLK = 0x0203;
inline constexpr std::uint32_t WM_RBUTTONDOWN = 0x0204;
inline constexpr std::uint32_t WM_RBUTTONUP = 0x0205;
inline constexpr std::uint32_t WM_RBUTTONDBLCLK = 0x0206;
inline constexpr std::uint32_t WM_MBUTTONDOWN = 0x0207;
inline constexpr std::uint32_t WM_MBUTTONUP = 0x0208;
inline constexpr std::uint32_t WM_MBUTTONDBLCLK = 0x0209;
inline constexpr std::uint32_t WM_DPICHANGED = 0x02E0;
inline constexpr std::uint32_t WM_USER = 0x0400;

inline constexpr std::uintptr_t SIZE_RESTORED = 0;
inline constexpr std::uintptr_t SIZE_MINIMIZED = 1;

inline constexpr std::uintptr_t SC_MINIMIZE = 0xF020;
inline constexpr std::uintptr_t SC_MAXIMIZE = 0xF030;
inline constexpr std::uintptr_t SC_CLOSE = 0xF060;
inline constexpr std::uintptr_t SC_RESTORE = 0xF120;
inline constexpr std::uintptr_t SC_COMMAND_MASK = 0xFFF0;

inline constexpr std::intptr_t SW_PARENTCLOSING = 1;

// ShowWindow commands.
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOWMINIMIZED = 2;
inline constexpr int SW_SHOWNOACTIVATE = 4;
inline constexpr int SW_SHOW = 5;
inline constexpr int SW_MINIMIZE = 6;
inline constexpr int SW_SHOWNA = 8;
inline constexpr int SW_RESTORE = 9;

}  // namespace tovel
