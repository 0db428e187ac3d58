// How the tray icon hides the main window into the notification area and
// brings it back, through hooks on the application window and on the window
// of the form that owns the component.
#include "framework/form.h"
#include "tray/cool_tray_icon.h"

namespace tovel {

struct TCoolTrayIcon::TOwnerHookLink {
    TCoolTrayIcon* Icon;
    TWndMethod OldWndProc;
};

// The procedure a component puts on its owner window.
struct TCoolTrayIcon::TOwnerHookProc {
    std::shared_ptr<TOwnerHookLink> Link;

    void operator()(TMessage& message) const {
        // Held while it runs: the component may unhook itself meanwhile.
        const std::shared_ptr<TOwnerHookLink> link = Link;
        if (link->Icon != nullptr) {
            link->Icon->HandleOwnerMessage(message);
        } else if (link->OldWndProc) {
            const TWndMethod previous = link->OldWndProc;
            previous(message);
        }
    }
};

void TCoolTrayIcon::HideTaskbarIcon() {
    // An application window not made yet shows no button: nothing to hide,
    // and no reason to make it.
    TAppWindowPeer* window = FApplication.Peer();
    if (window != nullptr && window->IsVisible()) {
        window->Show(TShowCommand::Hide, true);
    }
}

void TCoolTrayIcon::ShowTaskbarIcon() {
    FApplication.Handle();
    TAppWindowPeer* window = FApplication.Peer();
    if (window != nullptr && !window->IsVisible()) {
        window->Show(TShowCommand::Show, true);
    }
}

void TCoolTrayIcon::HideMainForm() {
    TForm* mainForm = FApplication.MainForm();
    if (OwnerWindow() == nullptr || mainForm == nullptr) {
        return;
    }
    mainForm->SetVisible(false);
    HideTaskbarIcon();
}

void TCoolTrayIcon::ShowMainForm() {
    TForm* mainForm = FApplication.MainForm();
    if (OwnerWindow() == nullptr || mainForm == nullptr) {
        return;
    }
    FApplication.Restore();
    if (mainForm->WindowState() == TWindowState::wsMinimized) {
        mainForm->SetWindowState(TWindowState::wsNormal);
    }
    mainForm->SetVisible(true);
    Windowing().BringToForeground(FApplication.Handle());
}

void TCoolTrayIcon::HideToTray() {
    HideMainForm();
    SetIconVisible(true);
}

bool TCoolTrayIcon::HandleAppMessage(TMessage& message) {
    TForm* mainForm = FApplication.MainForm();
    switch (message.Msg) {
        case msg::kSize:
            if (message.WParam == kSizeMinimized && FMinimizeToTray) {
                HideToTray();
            }
            break;
        case msg::kWindowPosChanged:
            if (SettingMDIForm && mainForm != nullptr) {
                if (mainForm->FormStyle() == TFormStyle::fsMDIForm) {
                    bool showMainForm = true;
                    if (OnStartup) {
                        OnStartup(this, showMainForm);
                    }
                    if (!showMainForm) {
                        HideTaskbarIcon();
                    }
                }
                SettingMDIForm = false;
            }
            break;
        case msg::kSysCommand:
            if ((message.WParam & kSysCommandMask) == kSysCmdRestore && mainForm != nullptr) {
                if (mainForm->WindowState() == TWindowState::wsMinimized) {
                    mainForm->SetWindowState(TWindowState::wsNormal);
                }
                mainForm->SetVisible(true);
            }
            break;
        default:
            break;
    }
    // A new taskbar has no icons: a visible one is added again. (Showing it
    // made the shared window, which registered the message.)
    const std::uint32_t taskbarCreated = FHandler->TaskbarCreatedMessage();
    if (taskbarCreated != 0 && message.Msg == taskbarCreated && FIconVisible) {
        FIconInShell = false;
        ShowTrayIcon();
    }
    return false;
}

void TCoolTrayIcon::HookOwnerWindow() {
    TWinControl* owner = OwnerWindow();
    if (owner == nullptr) {
        return;
    }
    FOwnerHook = std::make_shared<TOwnerHookLink>(TOwnerHookLink{this, owner->WindowProc});
    owner->WindowProc = TOwnerHookProc{FOwnerHook};
}

void TCoolTrayIcon::UnhookOwnerWindow() {
    TWinControl* owner = OwnerWindow();
    if (owner == nullptr || FOwnerHook == nullptr || !FOwnerHook->OldWndProc) {
        return;
    }
    const auto* installed = owner->WindowProc.target<TOwnerHookProc>();
    if (installed != nullptr && installed->Link == FOwnerHook) {
        owner->WindowProc = FOwnerHook->OldWndProc;
    } else {
        // Another hook came later and holds this one: it stays as a
        // pass-through to the procedure it replaced.
        FOwnerHook->Icon = nullptr;
    }
    FOwnerHook = nullptr;
}

bool TCoolTrayIcon::TryMinimizeToTray(TMessage& message) {
    if (!FMinimizeToTray || !OnMinimizeToTray) {
        return false;
    }
    OnMinimizeToTray(this);
    HideToTray();
    message.Result = 1;
    return true;
}

void TCoolTrayIcon::HandleOwnerMessage(TMessage& message) {
    TWinControl* owner = OwnerWindow();
    switch (message.Msg) {
        case msg::kShowWindow:
            if (message.WParam == 1 && message.LParam == 0) {
                // Shown by a ShowWindow call: to the front, with its button.
                Windowing().BringToForeground(FApplication.Handle());
                if (owner != nullptr) {
                    Windowing().BringToForeground(owner->Handle());
                }
            } else if (message.WParam == 0 && message.LParam == kShowParentClosing &&
                       !FApplication.Terminated()) {
                if (TryMinimizeToTray(message)) {
                    return;
                }
            }
            break;
        case msg::kSysCommand:
            if ((message.WParam & kSysCommandMask) == kSysCmdMinimize &&
                TryMinimizeToTray(message)) {
                return;
            }
            break;
        default:
            break;
    }
    // Copied: the procedure may be swapped out while it runs.
    const TWndMethod previous = FOwnerHook != nullptr ? FOwnerHook->OldWndProc : TWndMethod{};
    if (previous) {
        previous(message);
    } else if (owner != nullptr) {
        owner->WndProc(message);
    }
}

}  // namespace tovel
