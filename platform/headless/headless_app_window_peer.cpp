#include "platform/headless/headless_app_window_peer.h"

#include "framework/application.h"
#include "framework/text.h"
#include "platform/headless/headless_windowing.h"

namespace tovel::headless {

HeadlessAppWindowPeer::HeadlessAppWindowPeer(TApplication& application, THandle handle,
                                             HeadlessWindowing* system)
    : FApplication(application), FHandle(handle), FSystem(system) {
    if (FSystem != nullptr) {
        FSystem->FAppWindow = this;
    }
}

HeadlessAppWindowPeer::~HeadlessAppWindowPeer() {
    if (FSystem != nullptr && FSystem->FAppWindow == this) {
        FSystem->FAppWindow = nullptr;
    }
}

void HeadlessAppWindowPeer::Deliver(TMessage& message) {
    FApplication.Dispatch(message);
}

void HeadlessAppWindowPeer::Show(TShowCommand command, bool animate) {
    FRequests.push_back(u"Show " + IntToStr(static_cast<int>(command)) +
                        (animate ? u"" : u" noanimate"));
    switch (command) {
        case TShowCommand::Hide:
            FVisible = false;
            break;
        case TShowCommand::Minimize:
        case TShowCommand::ShowMinimized:
            FVisible = true;
            Minimized();
            break;
        case TShowCommand::Restore:
            FVisible = true;
            Restored();
            break;
        default:
            FVisible = true;
            break;
    }
}

void HeadlessAppWindowPeer::ShowAt(THandle insertAfter, int left, int top, int width, int height) {
    FRequests.push_back(u"ShowAt " + IntToStr(static_cast<long long>(insertAfter)) + u" " +
                        IntToStr(left) + u"," + IntToStr(top) + u"," + IntToStr(width) + u"," +
                        IntToStr(height));
    FBounds = tovel::Bounds(left, top, width, height);
    FVisible = true;
    // Placed without being told not to, the window is activated too.
    if (FSystem != nullptr) {
        FSystem->ActivateWindow(FHandle);
    }
}

void HeadlessAppWindowPeer::Activate() {
    FRequests.push_back(u"Activate");
    if (FSystem != nullptr) {
        FSystem->ActivateWindow(FHandle);
    }
}

void HeadlessAppWindowPeer::DefaultHandler(TMessage& message) {
    if (FSystem != nullptr) {
        FSystem->DefaultActivation(FHandle, message);
    }
    if (message.Msg != msg::kSysCommand) {
        return;
    }
    const auto command = message.WParam & kSysCommandMask;
    if (command == kSysCmdMinimize) {
        FRequests.push_back(u"default minimize");
        Minimized();
    } else if (command == kSysCmdRestore) {
        FRequests.push_back(u"default restore");
        Restored();
    }
}

void HeadlessAppWindowPeer::Minimized() {
    if (FIconic) {
        return;
    }
    FIconic = true;
    // The system tells the window about its new state, as it would.
    TMessage size{msg::kSize, kSizeMinimized, 0, 0};
    FApplication.Dispatch(size);
}

void HeadlessAppWindowPeer::Restored() {
    if (!FIconic) {
        return;
    }
    FIconic = false;
    TMessage size{msg::kSize, kSizeRestored, 0, 0};
    FApplication.Dispatch(size);
}

}  // namespace tovel::headless
