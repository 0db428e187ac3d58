#include "platform/win32/win32_api.h"

#include "platform/win32/win32_pointer_and_keys.h"

#include "platform/win32/win32_window_table.h"

namespace tovel::win32 {

void Win32PointerAndKeys::SetBusyCursor(bool busy) {
    FBusy = busy;
    // Windows ask for their cursor only when the mouse moves: the one under
    // the pointer is brought up to date now, if it is one of this thread's.
    // A program with no window (a one-shot) has none under the pointer, and
    // asking where the pointer is would wake the display for nothing.
    if (!AnyLiveWindow()) {
        return;
    }
    POINT point{};
    if (!::GetCursorPos(&point)) {
        return;
    }
    HWND under = ::WindowFromPoint(point);
    if (under == nullptr || GetWindowThreadProcessId(under, nullptr) != GetCurrentThreadId()) {
        return;
    }
    if (busy) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    } else {
        const LRESULT hit = SendMessageW(under, WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y));
        SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under),
                     MAKELPARAM(static_cast<WORD>(hit), WM_MOUSEMOVE));
    }
}

bool Win32PointerAndKeys::ReadCursorPos(TPoint& point) {
    POINT p{};
    if (!::GetCursorPos(&p)) {
        return false;
    }
    point = TPoint{p.x, p.y};
    return true;
}

std::uint32_t Win32PointerAndKeys::DoubleClickTime() {
    return GetDoubleClickTime();
}

bool Win32PointerAndKeys::ShiftDown() {
    return GetAsyncKeyState(VK_SHIFT) < 0;
}

bool Win32PointerAndKeys::ControlDown() {
    return GetAsyncKeyState(VK_CONTROL) < 0;
}

bool Win32PointerAndKeys::AltDown() {
    return GetAsyncKeyState(VK_MENU) < 0;
}

}  // namespace tovel::win32
