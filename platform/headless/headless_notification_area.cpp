#include "platform/headless/headless_notification_area.h"

#include <algorithm>

namespace tovel::headless {
namespace {

void TakeFields(HeadlessNotificationArea::Icon& icon, const TNotifyIconDataEx& data) {
    if ((data.uFlags & notify_field::kMessage) != 0) {
        icon.CallbackMessage = data.uCallbackMessage;
    }
    if ((data.uFlags & notify_field::kIcon) != 0) {
        icon.Picture = data.hIcon;
    }
    if ((data.uFlags & notify_field::kTip) != 0) {
        icon.Tip = FieldText(data.szTip);
    }
    if ((data.uFlags & notify_field::kInfo) != 0) {
        icon.BalloonText = FieldText(data.szInfo);
        icon.BalloonTitle = FieldText(data.szInfoTitle);
    }
}

}  // namespace

bool HeadlessNotificationArea::NotifyIcon(TNotifyIconOperation operation,
                                          const TNotifyIconDataEx& data) {
    bool accepted = false;
    if (operation == TNotifyIconOperation::Add && RefuseAdds > 0) {
        --RefuseAdds;
        if (RefusedAddsLand) {
            Apply(operation, data);
        }
    } else {
        accepted = Apply(operation, data);
    }
    FRequests.push_back(Request{operation, data, accepted});
    return accepted;
}

bool HeadlessNotificationArea::Apply(TNotifyIconOperation operation,
                                     const TNotifyIconDataEx& data) {
    if (!FTaskbarPresent) {
        return false;
    }
    const auto key = std::make_pair(data.hWnd, data.uID);
    const auto found = FIcons.find(key);
    switch (operation) {
        case TNotifyIconOperation::Add: {
            if (found != FIcons.end()) {
                return false;
            }
            Icon icon;
            icon.Window = data.hWnd;
            icon.Id = data.uID;
            TakeFields(icon, data);
            FIcons.emplace(key, icon);
            return true;
        }
        case TNotifyIconOperation::Modify:
            if (found == FIcons.end()) {
                return false;
            }
            TakeFields(found->second, data);
            return true;
        case TNotifyIconOperation::Delete:
            if (found == FIcons.end()) {
                return false;
            }
            FIcons.erase(found);
            return true;
        case TNotifyIconOperation::SetFocus:
            return found != FIcons.end();
        case TNotifyIconOperation::SetVersion:
            if (found == FIcons.end()) {
                return false;
            }
            found->second.Version = data.uTimeoutOrVersion;
            return data.uTimeoutOrVersion <= 4;
        default:
            return false;
    }
}

std::size_t HeadlessNotificationArea::CountOf(TNotifyIconOperation operation) const {
    return static_cast<std::size_t>(std::count_if(
        FRequests.begin(), FRequests.end(),
        [operation](const Request& request) { return request.Operation == operation; }));
}

const HeadlessNotificationArea::Icon* HeadlessNotificationArea::SingleIcon() const {
    return FIcons.size() == 1 ? &FIcons.begin()->second : nullptr;
}

void HeadlessNotificationArea::RemoveTaskbar() {
    FTaskbarPresent = false;
    FIcons.clear();
}

}  // namespace tovel::headless
