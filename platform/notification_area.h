#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "framework/peer.h"

namespace tovel {

// What a request asks of the notification area.
enum class TNotifyIconOperation : std::uint32_t {
    Add = 0,
    Modify = 1,
    Delete = 2,
    SetFocus = 3,
    SetVersion = 4,
};

// Which fields of the record a request carries (uFlags).
namespace notify_field {
inline constexpr std::uint32_t kMessage = 0x01;
inline constexpr std::uint32_t kIcon = 0x02;
inline constexpr std::uint32_t kTip = 0x04;
inline constexpr std::uint32_t kInfo = 0x10;
}  // namespace notify_field

// The balloon's icon (dwInfoFlags).
namespace balloon_icon {
inline constexpr std::uint32_t kNone = 0;
inline constexpr std::uint32_t kInfo = 1;
inline constexpr std::uint32_t kWarning = 2;
inline constexpr std::uint32_t kError = 3;
inline constexpr std::uint32_t kUser = 4;
}  // namespace balloon_icon

// Notifications the shell sends with the callback message (in lParam),
// beside the mouse messages.
namespace notify_event {
inline constexpr std::uint32_t kSelect = 0x0400;
inline constexpr std::uint32_t kKeySelect = 0x0401;
inline constexpr std::uint32_t kBalloonShow = 0x0402;
inline constexpr std::uint32_t kBalloonHide = 0x0403;
inline constexpr std::uint32_t kBalloonTimeout = 0x0404;
inline constexpr std::uint32_t kBalloonUserClick = 0x0405;
}  // namespace notify_event

// The notify-icon record, field for field as the shell takes it up to the
// balloon icon kind. Texts are zero-terminated UTF-16 in fixed arrays; the
// platform lays the record out in the system's own form.
struct TNotifyIconDataEx {
    // The size of the record in its original 32-bit layout.
    static constexpr std::uint32_t kRecordSize = 936;

    std::uint32_t cbSize = kRecordSize;
    THandle hWnd = 0;
    std::uint32_t uID = 0;
    std::uint32_t uFlags = 0;
    std::uint32_t uCallbackMessage = 0;
    THandle hIcon = 0;
    std::array<char16_t, 128> szTip{};
    std::uint32_t dwState = 0;
    std::uint32_t dwStateMask = 0;
    std::array<char16_t, 256> szInfo{};
    // uTimeout (balloon time in ms) and uVersion share this field.
    std::uint32_t uTimeoutOrVersion = 0;
    std::array<char16_t, 64> szInfoTitle{};
    std::uint32_t dwInfoFlags = 0;
};

// The text of a zero-terminated field (all of it when no zero is found).
template <std::size_t N>
std::u16string FieldText(const std::array<char16_t, N>& field) {
    std::size_t length = 0;
    while (length < N && field[length] != 0) {
        ++length;
    }
    return std::u16string(field.data(), length);
}

// The taskbar's notification area of the logon session.
class NotificationArea {
  public:
    virtual ~NotificationArea() = default;

    // Adds, changes or removes an icon: answers whether the shell accepted
    // the request.
    virtual bool NotifyIcon(TNotifyIconOperation operation, const TNotifyIconDataEx& data) = 0;

    // The notification area's tip window of this process (balloon false) or
    // its balloon window (balloon true), 0 when there is none: the first
    // top-level "tooltips_class32" window of the process that owns
    // "Shell_TrayWnd" whose style has the no-prefix bit (0x02) clear, or set.
    virtual THandle FindTrayTipWindow(bool balloon) = 0;
};

}  // namespace tovel
