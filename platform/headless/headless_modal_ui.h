#pragma once

#include <functional>
#include <string>
#include <vector>

#include "framework/modal_ui.h"

namespace tovel {
class TComponent;
}

namespace tovel::headless {

class HeadlessWindowing;

// Message boxes and popup menus as records: each "runs" by calling the test's
// handler, the user looking at it, and answers what the test scripted.
class HeadlessModalUi : public TModalUi {
  public:
    struct MessageBoxCall {
        THandle Owner;
        std::u16string Text;
        std::u16string Caption;
        TMessageBoxStyle Style;
    };
    // A menu item as it was shown when its menu opened.
    struct PopupItem {
        std::u16string Caption;
        bool Checked;
        bool RadioItem;
        bool Enabled;
        bool Default;
        bool IsLine;
    };
    struct PopupCall {
        TPoint Point;
        THandle Owner;
        TComponent* PopupComponent;
        // The window last made the foreground one before the menu opened.
        THandle Foreground;
        std::vector<PopupItem> Items;
    };

    explicit HeadlessModalUi(const HeadlessWindowing& windowing) : FWindowing(windowing) {}

    void ShowMessageBox(THandle owner, const std::u16string& text, const std::u16string& caption,
                        TMessageBoxStyle style) override;
    TMenuItem* PopupMenu(TPopupMenu& menu, TPoint point, THandle owner) override;

    // Runs while a message box is open (the user reading it), if set.
    std::function<void(const MessageBoxCall&)> OnMessageBox;
    // The item the user picks at the next popup (none: the menu is dismissed);
    // cleared once used.
    TMenuItem* PopupChoice = nullptr;
    // Runs while a menu is open, the user looking at it.
    std::function<void(const PopupCall&)> OnPopup;

    const std::vector<MessageBoxCall>& MessageBoxes() const { return FMessageBoxes; }
    const std::vector<PopupCall>& Popups() const { return FPopups; }
    void ForgetMessageBoxes() { FMessageBoxes.clear(); }

  private:
    const HeadlessWindowing& FWindowing;
    std::vector<MessageBoxCall> FMessageBoxes;
    std::vector<PopupCall> FPopups;
};

}  // namespace tovel::headless
