#pragma once

#include <string>

#include "framework/component.h"
#include "framework/events.h"

namespace tovel {

class TPopupMenu;

// The notification-area icon of a form: its picture (an index into the
// form's tray images), its tip, whether it is shown, and the bringing back of
// the main window.
class TCoolTrayIcon : public TComponent {
  public:
    explicit TCoolTrayIcon(TComponent* AOwner);

    int IconIndex() const { return FIconIndex; }
    void SetIconIndex(int value) { FIconIndex = value; }
    const std::u16string& Hint() const { return FHint; }
    void SetHint(const std::u16string& value) { FHint = value; }
    bool IconVisible() const { return FIconVisible; }
    void SetIconVisible(bool value) { FIconVisible = value; }

    TPopupMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* value) { FPopupMenu = value; }
    bool MinimizeToTray() const { return FMinimizeToTray; }
    void SetMinimizeToTray(bool value) { FMinimizeToTray = value; }

    TNotifyEvent OnDblClick;

    // Restores and shows the owner form, and brings it to the front.
    void ShowMainForm();

    void Notification(TComponent* AComponent, TOperation Operation) override;

  private:
    int FIconIndex = 0;
    std::u16string FHint;
    bool FIconVisible = false;
    TPopupMenu* FPopupMenu = nullptr;
    bool FMinimizeToTray = false;
};

}  // namespace tovel
