#include "tray/tray_icon_handler.h"

#include "tray/cool_tray_icon.h"
#include "tray/shared_handler.h"

namespace tovel {
namespace {

// The common-controls version from which the shell announces a new taskbar.
constexpr std::uint32_t kTaskbarCreatedComCtlVersion = 0x00040047;  // 4.71

}  // namespace

TTrayIconHandler::TTrayIconHandler(TWindowing& windows) : FWindows(windows) {}

THandle TTrayIconHandler::Handle() {
    if (FWindow == nullptr) {
        FWindow = FWindows.CreateMessageWindow(
            [this](TMessage& message) { HandleIconMessage(message); });
        if (FWindow == nullptr) {
            return 0;
        }
        // Registered with the shared window rather than once per process: the
        // number must come from the window system the icons live on, and
        // asking for the common-controls version may load that library, which
        // a run that shows no icon must not pay for. The same name always
        // gives the same number, so a later window gets it again.
        if (FWindows.CommonControlsVersion() >= kTaskbarCreatedComCtlVersion) {
            FTaskbarCreatedMessage = FWindows.RegisterSharedMessage(u"TaskbarCreated");
        }
    }
    return FWindow->Handle();
}

void TTrayIconHandler::LetTaskbarCreatedReach(THandle window) {
    Handle();
    if (FTaskbarCreatedMessage != 0 && window != 0) {
        FWindows.AcceptFromLowerPrivilege(window, FTaskbarCreatedMessage);
    }
}

TTrayIconHandler::~TTrayIconHandler() = default;

void TTrayIconHandler::HandleIconMessage(TMessage& message) {
    switch (message.Msg) {
        case TrayCallbackMessage:
            // A notification for an icon whose component has gone is dropped.
            if (TCoolTrayIcon* icon = Find(message.WParam)) {
                icon->HandleIconNotification(static_cast<std::uint32_t>(message.LParam));
            }
            return;
        case msg::kDestroy:
        case msg::kClose:
        case msg::kQueryEndSession:
        case msg::kQuit:
        case msg::kEndSession:
        case msg::kNcDestroy:
            // The window goes only with its last icon, and never objects to
            // the end of the session.
            message.Result = 1;
            return;
        default:
            if (FWindow) {
                FWindow->DefaultHandler(message);
            }
            return;
    }
}

namespace {
using SharedTTrayIconHandler =
    TSharedHandler<TTrayIconHandler, &TTrayIconHandler::Add, &TTrayIconHandler::Remove,
                   TWindowing>;
}  // namespace

TTrayIconHandler* SharedTrayIconHandler(TWindowSystem& windowSystem) {
    return SharedTTrayIconHandler::Find(windowSystem);
}

TTrayIconHandler& AcquireTrayIconHandler(TWindowSystem& windowSystem) {
    return SharedTTrayIconHandler::Acquire(windowSystem);
}

void ReleaseTrayIconHandler(TWindowSystem& windowSystem) {
    SharedTTrayIconHandler::Release(windowSystem);
}

}  // namespace tovel
