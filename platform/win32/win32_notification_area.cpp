#include "platform/win32/win32_notification_area.h"

#include "platform/win32/win32_api.h"

#include <shellapi.h>

#include <cstddef>

namespace tovel::win32 {
namespace {

// The record in the system's own layout, as far as the balloon icon kind:
// on x64 the fields are padded to 8-byte handles, so the size the shell
// checks is that of this layout, not the 936 bytes of the 32-bit one.
constexpr DWORD kRecordSize = offsetof(NOTIFYICONDATAW, guidItem);

template <std::size_t N, std::size_t M>
void CopyField(WCHAR (&target)[N], const std::array<char16_t, M>& source) {
    static_assert(N == M, "the record's text fields keep their sizes");
    for (std::size_t i = 0; i < N; ++i) {
        target[i] = static_cast<WCHAR>(source[i]);
    }
}

}  // namespace

bool Win32NotificationArea::NotifyIcon(TNotifyIconOperation operation,
                                       const TNotifyIconDataEx& data) {
    NOTIFYICONDATAW record{};
    record.cbSize = kRecordSize;
    record.hWnd = reinterpret_cast<HWND>(data.hWnd);  // NOLINT: a handle travels as a number
    record.uID = data.uID;
    record.uFlags = data.uFlags;
    record.uCallbackMessage = data.uCallbackMessage;
    record.hIcon = reinterpret_cast<HICON>(data.hIcon);  // NOLINT
    CopyField(record.szTip, data.szTip);
    record.dwState = data.dwState;
    record.dwStateMask = data.dwStateMask;
    CopyField(record.szInfo, data.szInfo);
    record.uTimeout = data.uTimeoutOrVersion;
    CopyField(record.szInfoTitle, data.szInfoTitle);
    record.dwInfoFlags = data.dwInfoFlags;
    return Shell_NotifyIconW(static_cast<DWORD>(operation), &record) != FALSE;
}

THandle Win32NotificationArea::FindTrayTipWindow(bool balloon) {
    HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    if (taskbar == nullptr) {
        return 0;
    }
    DWORD shellProcess = 0;
    GetWindowThreadProcessId(taskbar, &shellProcess);
    constexpr LONG kNoPrefix = 0x02;  // TTS_NOPREFIX: set on the balloon window only
    for (HWND tip = FindWindowExW(nullptr, nullptr, L"tooltips_class32", nullptr); tip != nullptr;
         tip = FindWindowExW(nullptr, tip, L"tooltips_class32", nullptr)) {
        DWORD process = 0;
        GetWindowThreadProcessId(tip, &process);
        const bool isBalloon = (GetWindowLongW(tip, GWL_STYLE) & kNoPrefix) != 0;
        if (process == shellProcess && isBalloon == balloon) {
            return reinterpret_cast<THandle>(tip);  // NOLINT
        }
    }
    return 0;
}

}  // namespace tovel::win32
