#pragma once

#include "platform/notification_area.h"

namespace tovel::win32 {

// The taskbar's notification area through Shell_NotifyIconW.
class Win32NotificationArea final : public NotificationArea {
  public:
    bool NotifyIcon(TNotifyIconOperation operation, const TNotifyIconDataEx& data) override;
    THandle FindTrayTipWindow(bool balloon) override;
};

}  // namespace tovel::win32
