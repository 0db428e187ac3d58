#include "platform/headless/headless_modal_ui.h"

#include "framework/menu.h"
#include "platform/headless/headless_windowing.h"

namespace tovel::headless {

void HeadlessModalUi::ShowMessageBox(THandle owner, const std::u16string& text,
                                     const std::u16string& caption, TMessageBoxStyle style) {
    FMessageBoxes.push_back(MessageBoxCall{owner, text, caption, style});
    if (OnMessageBox) {
        OnMessageBox(FMessageBoxes.back());
    }
}

TMenuItem* HeadlessModalUi::PopupMenu(TPopupMenu& menu, TPoint point, THandle owner) {
    const std::vector<THandle>& foreground = FWindowing.ForegroundRequests();
    PopupCall call{point, owner, menu.PopupComponent(), foreground.empty() ? 0 : foreground.back(),
                   {}};
    for (const TMenuItem* item : menu.Items()->Items()) {
        call.Items.push_back(PopupItem{item->Caption(), item->Checked(), item->RadioItem(),
                                       item->Enabled(), item->Default(), item->IsLine()});
    }
    FPopups.push_back(call);
    if (OnPopup) {
        OnPopup(FPopups.back());
    }
    TMenuItem* choice = PopupChoice;
    PopupChoice = nullptr;
    // The system's menu lets no one choose a line or a greyed item.
    if (choice != nullptr && (choice->IsLine() || !choice->Enabled())) {
        return nullptr;
    }
    return choice;
}

}  // namespace tovel::headless
