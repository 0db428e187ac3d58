#include "tray/cool_tray_icon.h"

#include "framework/application.h"
#include "framework/form.h"
#include "framework/menu.h"

namespace tovel {

TCoolTrayIcon::TCoolTrayIcon(TComponent* AOwner) : TComponent(AOwner) {}

void TCoolTrayIcon::ShowMainForm() {
    auto* owner = dynamic_cast<TWinControl*>(Owner());
    TApplication* application = owner != nullptr ? owner->Application() : nullptr;
    if (application == nullptr || application->MainForm() == nullptr) {
        return;
    }
    TForm* mainForm = application->MainForm();
    application->Restore();
    if (mainForm->WindowState() == TWindowState::wsMinimized) {
        mainForm->SetWindowState(TWindowState::wsNormal);
    }
    mainForm->Show();
    application->WindowSystem().SetForegroundWindow(application->Handle());
}

void TCoolTrayIcon::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove && AComponent == FPopupMenu) {
        FPopupMenu = nullptr;
    }
}

}  // namespace tovel
