#include "platform/headless/headless_windowing.h"

#include "framework/control.h"
#include "framework/form.h"
#include "framework/layout.h"
#include "platform/headless/headless_app_window_peer.h"
#include "platform/headless/headless_handles.h"
#include "platform/headless/headless_message_loop.h"
#include "platform/headless/headless_window_peer.h"

namespace tovel::headless {

// A hidden window that only takes messages.
class HeadlessMessageWindowPeer final : public TMessageWindowPeer {
  public:
    HeadlessMessageWindowPeer(HeadlessWindowing& system, THandle handle,
                              TMessageHandler handler)
        : FSystem(system), FHandle(handle), FHandler(std::move(handler)) {}
    ~HeadlessMessageWindowPeer() override { FSystem.MessageWindowGone(FHandle); }

    THandle Handle() const override { return FHandle; }
    void DefaultHandler(TMessage& message) override { message.Result = 0; }

    void Deliver(TMessage& message) {
        if (FHandler) {
            FHandler(message);
        } else {
            DefaultHandler(message);
        }
    }

  private:
    HeadlessWindowing& FSystem;
    THandle FHandle;
    TMessageHandler FHandler;
};

std::unique_ptr<TWindowPeer> HeadlessWindowing::CreateWindowPeer(TWinControl& control) {
    ++FWindowsCreated;
    return std::make_unique<HeadlessWindowPeer>(*this, control, FHandles.NextHandle());
}

const HeadlessWindowing::NativeWindow* HeadlessWindowing::WindowOf(
    const TWinControl& control) const {
    const auto found = FWindows.find(&control);
    return found != FWindows.end() ? &found->second->Window() : nullptr;
}

void HeadlessWindowing::UserMovesWindow(const TWinControl& form, TPoint topLeft) {
    const auto found = FWindows.find(&form);
    if (found != FWindows.end()) {
        found->second->MovedByUser(topLeft);
    }
}

std::unique_ptr<TAppWindowPeer> HeadlessWindowing::CreateAppWindowPeer(
    TApplication& application) {
    ++FWindowsCreated;
    return std::make_unique<HeadlessAppWindowPeer>(application, FHandles.NextHandle(), this);
}

bool HeadlessWindowing::BringToForeground(THandle window) {
    FForeground.push_back(window);
    Foreground = window;
    ActivateWindow(window);
    return true;
}

bool HeadlessWindowing::SendTo(THandle window, TMessage& message) {
    if (FAppWindow != nullptr && FAppWindow->Handle() == window) {
        FAppWindow->Deliver(message);
        return true;
    }
    if (SendToMessageWindow(window, message)) {
        return true;
    }
    for (const auto& entry : FWindows) {
        if (entry.second->Handle() == window) {
            entry.second->Control().Dispatch(message);
            return true;
        }
    }
    return false;
}

void HeadlessWindowing::ActivateWindow(THandle window) {
    if (window == FActiveWindow) {
        return;
    }
    const THandle previous = FActiveWindow;
    if (previous != 0) {
        TMessage leaving{msg::kActivate, kActivateInactive, static_cast<std::intptr_t>(window), 0};
        SendTo(previous, leaving);
    }
    FActiveWindow = window;
    FFocus = 0;
    if (window != 0) {
        const bool minimised =
            FAppWindow != nullptr && FAppWindow->Handle() == window && FAppWindow->IsIconic();
        const std::uintptr_t state = 1 | (minimised ? std::uintptr_t{1} << 16 : 0);
        TMessage arriving{msg::kActivate, state, static_cast<std::intptr_t>(previous), 0};
        SendTo(window, arriving);
    }
}

void HeadlessWindowing::DefaultActivation(THandle window, const TMessage& message) {
    if (message.Msg == msg::kActivate && ActivatedOpen(message.WParam) && FActiveWindow == window) {
        FFocus = window;
    }
}

void HeadlessWindowing::FocusWindow(THandle window, THandle form) {
    if (form != 0 && form != FActiveWindow) {
        ActivateWindow(form);
    }
    FFocus = window;
}

std::unique_ptr<TMessageWindowPeer> HeadlessWindowing::CreateMessageWindow(
    TMessageHandler handler) {
    ++FMessageWindowsCreated;
    const THandle handle = FHandles.NextHandle();
    auto window = std::make_unique<HeadlessMessageWindowPeer>(*this, handle, std::move(handler));
    FMessageWindows[handle] = window.get();
    return window;
}

bool HeadlessWindowing::SendToMessageWindow(THandle window, TMessage& message) {
    const auto found = FMessageWindows.find(window);
    if (found == FMessageWindows.end()) {
        return false;
    }
    found->second->Deliver(message);
    return true;
}

bool HeadlessWindowing::SendToApplicationWindow(TMessage& message) {
    if (FAppWindow == nullptr) {
        return false;
    }
    const bool registered = message.Msg >= 0xC000;
    if (Elevated && registered &&
        FAcceptedFromLowerPrivilege.count({FAppWindow->Handle(), message.Msg}) == 0) {
        return false;  // the system's message filter dropped it
    }
    FAppWindow->Deliver(message);
    return true;
}

std::vector<THandle> HeadlessWindowing::MessageWindows() const {
    std::vector<THandle> handles;
    for (const auto& entry : FMessageWindows) {
        handles.push_back(entry.first);
    }
    return handles;
}

std::uint32_t HeadlessWindowing::RegisterSharedMessage(const std::u16string& name) {
    const auto found = FRegisteredMessages.find(name);
    if (found != FRegisteredMessages.end()) {
        return found->second;
    }
    const auto number = static_cast<std::uint32_t>(0xC000 + FRegisteredMessages.size());
    FRegisteredMessages.emplace(name, number);
    return number;
}

bool HeadlessWindowing::PostMessageTo(THandle window, std::uint32_t message,
                                         std::uintptr_t wParam, std::intptr_t lParam) {
    FPosted.push_back(PostedMessage{window, message, wParam, lParam});
    // Delivered by the message loop, as the system would.
    FLoop.Post([this, window, message, wParam, lParam] {
        TMessage posted{message, wParam, lParam, 0};
        SendTo(window, posted);
    });
    return true;
}

TPoint HeadlessWindowing::ClientPoint(THandle window, TPoint point) {
    const auto found = ClientOrigins.find(window);
    if (found != ClientOrigins.end()) {
        point.X -= found->second.X;
        point.Y -= found->second.Y;
    }
    return point;
}

}  // namespace tovel::headless
