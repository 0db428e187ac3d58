#pragma once

#include <functional>
#include <string>

#include "framework/modal_ui.h"

namespace tovel::win32 {

// The system's message box and popup menu.
class Win32ModalUi : public TModalUi {
  public:
    // Shows a message box in place of MessageBoxW, given the box's system
    // flags; while it runs, the other windows are disabled just as for a real
    // box. For tests, which must not block on a box nobody will close.
    using MessageBoxHandler = std::function<void(THandle owner, const std::u16string& text,
                                                 const std::u16string& caption, unsigned flags)>;

    void ShowMessageBox(THandle owner, const std::u16string& text, const std::u16string& caption,
                        TMessageBoxStyle style) override;
    TMenuItem* PopupMenu(TPopupMenu& menu, TPoint point, THandle owner) override;

    void SetMessageBoxHandler(MessageBoxHandler handler) {
        FMessageBoxHandler = std::move(handler);
    }

  private:
    MessageBoxHandler FMessageBoxHandler;
};

}  // namespace tovel::win32
