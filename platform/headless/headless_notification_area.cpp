#include "platform/headless/headless_notification_area.h"

#include <algorithm>

namespace tovel::headless {
namespace {

void TakeFields(HeadlessNotificationArea::Icon& icon, const TNotifyIconDataEx& data) {
    if ((data.uFlags & NIF_MESSAGE) != 0) {
        icon.CallbackMessage = data.uCallbackMessage;
    }
    if ((data.uFlags & NIF_ICON) != 0) {
        icon.Picture = data.hIcon;
    }
    if ((data.uFlags & NIF_TIP) != 0) {
        icon.Tip = FieldText(data.szTip);
    }
    if ((data.uFlags & NIF_INFO) != 0) {
        icon.BalloonText = FieldText(data.szInfo);
        icon.BalloonTitle = FieldText(data.szInfoTitle);
    }
}

}  // namespace

bool HeadlessNotificationArea::NotifyIcon(std::uint32_t message, const TNotifyIconDataEx& data) {
    const bool accepted = Apply(message, data);
    FRequests.push_back(Request{message, data, accepted});
    return accepted;
}

bool HeadlessNotificationArea::Apply(std::uint32_t message, const TNotifyIconDataEx& data) {
    if (!FTaskbarPresent) {
        return false;
    }
    const auto key = std::make_pair(data.hWnd, data.uID);
    const auto found = FIcons.find(key);
    switch (message) {
        case NIM_ADD: {
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
        case NIM_MODIFY:
            if (found == FIcons.end()) {
                return false;
            }
            TakeFields(found->second, data);
            return true;
        case NIM_DELETE:
            if (found == FIcons.end()) {
                return false;
            }
            FIcons.erase(found);
            return true;
        case NIM_SETFOCUS:
            return found != FIcons.end();
        case NIM_SETVERSION:
            if (found == FIcons.end()) {
                return false;
            }
            found->second.Version = data.uTimeoutOrVersion;
            return data.uTimeoutOrVersion <= 4;
        default:
            return false;
    }
}

std::size_t HeadlessNotificationArea::CountOf(std::uint32_t message) const {
    return static_cast<std::size_t>(
        std::count_if(FRequests.begin(), FRequests.end(),
                      [message](const Request& request) { return request.Message == message; }));
}

const HeadlessNotificationArea::Icon* HeadlessNotificationArea::SingleIcon() const {
    return FIcons.size() == 1 ? &FIcons.begin()->second : nullptr;
}

void HeadlessNotificationArea::RemoveTaskbar() {
    FTaskbarPresent = false;
    FIcons.clear();
}

}  // namespace tovel::headless
