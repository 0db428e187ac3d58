#pragma once

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "platform/notification_area.h"

namespace tovel::headless {

// A notification area that keeps its icons as records and answers requests
// the way the shell does: an icon is added once, changed and removed only
// while it is there, and nothing is accepted while there is no taskbar.
class HeadlessNotificationArea final : public NotificationArea {
  public:
    struct Request {
        TNotifyIconOperation Operation;
        TNotifyIconDataEx Data;
        bool Accepted;
    };
    // An icon as the shell shows it.
    struct Icon {
        THandle Window = 0;
        std::uint32_t Id = 0;
        std::uint32_t CallbackMessage = 0;
        THandle Picture = 0;
        std::u16string Tip;
        std::u16string BalloonText;
        std::u16string BalloonTitle;
        std::uint32_t Version = 0;
    };

    bool NotifyIcon(TNotifyIconOperation operation, const TNotifyIconDataEx& data) override;
    THandle FindTrayTipWindow(bool balloon) override { return balloon ? BalloonWindow : TipWindow; }

    // Every request in order, with a copy of the record as it was sent.
    const std::vector<Request>& Requests() const { return FRequests; }
    std::size_t CountOf(TNotifyIconOperation operation) const;
    void ClearRequests() { FRequests.clear(); }

    const std::map<std::pair<THandle, std::uint32_t>, Icon>& Icons() const { return FIcons; }
    // The only icon shown, or null when there is none or more than one.
    const Icon* SingleIcon() const;

    bool TaskbarPresent() const { return FTaskbarPresent; }
    // Explorer ends: the taskbar goes and its icons with it.
    void RemoveTaskbar();
    // A taskbar comes (back), empty; telling the windows is the caller's part.
    void CreateTaskbar() { FTaskbarPresent = true; }

    // The next RefuseAdds add requests are refused, as by a shell too busy
    // to answer within its time-out; with RefusedAddsLand each is carried
    // out all the same, as a timed-out request may still be.
    std::size_t RefuseAdds = 0;
    bool RefusedAddsLand = false;

    // The tip and balloon windows the window walk finds.
    THandle TipWindow = 0;
    THandle BalloonWindow = 0;

  private:
    bool Apply(TNotifyIconOperation operation, const TNotifyIconDataEx& data);

    std::vector<Request> FRequests;
    std::map<std::pair<THandle, std::uint32_t>, Icon> FIcons;
    bool FTaskbarPresent = true;
};

}  // namespace tovel::headless
