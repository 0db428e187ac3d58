#include "framework/application.h"

#include <algorithm>

#include "framework/exception.h"
#include "framework/form.h"

namespace tovel {
namespace {

// Posted to the application window to hand its activation on to a form.
constexpr std::uint32_t kPassActivation = msg::kUser + 1;

}  // namespace

TApplication::TApplication(TWindowSystem& windowSystem)
    : TComponent(nullptr), FWindowSystem(windowSystem) {}

TApplication::~TApplication() {
    // The forms' components unhook themselves from this object as they go.
    DestroyComponents();
    FPeer.reset();
}

THandle TApplication::Handle() {
    if (FPeer == nullptr) {
        FPeer = Windowing().CreateAppWindowPeer(*this);
        if (FPeer != nullptr) {
            FPeer->SetText(FTitle);
        }
    }
    return FPeer != nullptr ? FPeer->Handle() : 0;
}

void TApplication::SetTitle(const std::u16string& value) {
    FTitle = value;
    if (FPeer != nullptr) {
        FPeer->SetText(FTitle);
    }
}

void TApplication::Run() {
    if (FMainForm != nullptr && FShowMainForm && !FTerminated) {
        FMainForm->Show();
    }
    if (!FTerminated) {
        FWindowSystem.MessageLoop().RunMessageLoop(*this);
    }
}

void TApplication::Terminate() {
    if (!FTerminated) {
        FTerminated = true;
        FWindowSystem.MessageLoop().PostQuit();
    }
}

void TApplication::ProcessMessages() {
    FWindowSystem.MessageLoop().ProcessMessages(*this);
}

void TApplication::HookMainWindow(const void* owner, TWindowHook hook) {
    FHooks.push_back(HookEntry{owner, std::move(hook)});
}

void TApplication::UnhookMainWindow(const void* owner) {
    auto it = std::find_if(FHooks.begin(), FHooks.end(),
                           [owner](const HookEntry& entry) { return entry.Owner == owner; });
    if (it != FHooks.end()) {
        FHooks.erase(it);
    }
}

bool TApplication::MainFormShown() const {
    return FMainForm != nullptr && (FMainForm->Visible() || FShowMainForm) && FMainForm->Enabled();
}

TForm* TApplication::FormToActivate() const {
    const auto usable = [](const TForm* form) { return form->Visible() && form->Enabled(); };
    if (FMainForm != nullptr && usable(FMainForm)) {
        return FMainForm;
    }
    const auto found = std::find_if(FForms.begin(), FForms.end(), usable);
    return found != FForms.end() ? *found : nullptr;
}

void TApplication::Minimize() {
    Handle();
    if (FPeer == nullptr || FPeer->IsIconic()) {
        return;
    }
    if (MainFormShown()) {
        // Stand in for the main form on the taskbar: the minimise animation
        // then runs from the form's place to the button.
        FPeer->ShowAt(FMainForm->Handle(), FMainForm->Left(), FMainForm->Top(), FMainForm->Width(),
                      0);
        TMessage minimize{msg::kSysCommand, kSysCmdMinimize, 0, 0};
        FPeer->DefaultHandler(minimize);
    } else {
        FPeer->Show(TShowCommand::Minimize, false);
    }
}

void TApplication::Restore() {
    if (FPeer == nullptr || !FPeer->IsIconic()) {
        return;
    }
    FPeer->Activate();
    if (MainFormShown()) {
        TMessage restore{msg::kSysCommand, kSysCmdRestore, 0, 0};
        FPeer->DefaultHandler(restore);
    } else {
        FPeer->Show(TShowCommand::Restore, false);
    }
    const TRect screen = ScreenMetrics().ScreenRect();
    FPeer->ShowAt(0, screen.Left + screen.Width() / 2, screen.Top + screen.Height() / 2, 0, 0);
    if (FMainForm != nullptr && FMainForm->WindowState() == TWindowState::wsMinimized &&
        !FMainForm->Visible()) {
        FMainForm->SetWindowState(TWindowState::wsNormal);
        FMainForm->Show();
    }
}

void TApplication::Dispatch(TMessage& message) {
    HandleEvent([this, &message] {
        for (const HookEntry& entry : std::vector<HookEntry>(FHooks)) {
            if (entry.Hook(message)) {
                return;
            }
        }
        WndProc(message);
    });
}

void TApplication::WndProc(TMessage& message) {
    switch (message.Msg) {
        case msg::kActivate:
            if (FPeer != nullptr) {
                FPeer->DefaultHandler(message);
            }
            // The application window carries the taskbar button, so a click
            // on the button, Alt+Tab and bringing the program to the front
            // all activate it; but it has no size and no controls. The form
            // the user sees takes the activation over, and with it the
            // keyboard, once this activation has run its course: the system
            // would give the focus back to this window after a nested one,
            // and a restore from the tray activates this window before the
            // form is shown. While minimised, the restore shows the form anyway.
            if (ActivatedOpen(message.WParam)) {
                Windowing().PostMessageTo(Handle(), kPassActivation, 0, 0);
            }
            return;
        case kPassActivation:
            if (TForm* form = FormToActivate();
                form != nullptr && Windowing().ActiveWindow() == Handle() && form->Handle() != 0) {
                form->Peer()->Activate();
            }
            return;
        case msg::kSysCommand:
            switch (message.WParam & kSysCommandMask) {
                case kSysCmdMinimize:
                    Minimize();
                    return;
                case kSysCmdRestore:
                    Restore();
                    return;
                default:
                    break;
            }
            break;
        case msg::kClose:
            if (FMainForm != nullptr) {
                FMainForm->Close();
            }
            return;
        case msg::kQueryEndSession:
            // A main form that never got a window of its own (resident in
            // the notification area) is asked here, so it still saves what
            // it keeps before the session ends.
            if (FMainForm != nullptr && !FMainForm->HandleAllocated()) {
                FMainForm->Dispatch(message);
                return;
            }
            message.Result = 1;
            return;
        case msg::kEndSession:
            if (message.WParam != 0) {
                Terminate();
            }
            return;
        default:
            break;
    }
    if (FPeer != nullptr) {
        FPeer->DefaultHandler(message);
    }
}

void TApplication::HandleEvent(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& failure) {
        ShowException(failure);
    }
}

void TApplication::ShowException(const std::exception& failure) {
    ModalUi().ShowMessageBox(MessageBoxOwner(), FailureBoxText(ExceptionMessage(failure)),
                             FTitle, TMessageBoxStyle::Error);
}

THandle TApplication::MessageBoxOwner() {
    const THandle active = Windowing().ActiveWindow();
    return active != 0 ? active : Handle();
}

void TApplication::SetCursor(TCursor value) {
    if (FCursor != value) {
        FCursor = value;
        PointerAndKeys().SetBusyCursor(value == TCursor::crHourGlass);
    }
}

void TApplication::FormVisibilityChanged() {
    const bool anyVisible = std::any_of(FForms.begin(), FForms.end(),
                                        [](const TForm* form) { return form->Visible(); });
    if (anyVisible) {
        Handle();
        if (FPeer != nullptr && !FPeer->IsVisible()) {
            FPeer->Show(TShowCommand::ShowNA, true);
        }
    } else if (FPeer != nullptr && FPeer->IsVisible()) {
        FPeer->Show(TShowCommand::Hide, true);
    }
}

void TApplication::FormDestroyed(TForm& form) {
    FForms.erase(std::remove(FForms.begin(), FForms.end(), &form), FForms.end());
    if (FMainForm == &form) {
        FMainForm = nullptr;
    }
}

}  // namespace tovel
