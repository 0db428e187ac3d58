#pragma once

#include <string>

#include "framework/geometry.h"
#include "framework/peer.h"

namespace tovel {

class TMenuItem;
class TPopupMenu;

// The kinds of message box the program shows.
enum class TMessageBoxStyle {
    // An error: the error icon and an OK button.
    Error,
};

// The system's own modal pieces of user interface: each runs until the user
// closes it, and only then returns.
class TModalUi {
  public:
    // A modal message box; the program's other windows take no input meanwhile.
    virtual void ShowMessageBox(THandle owner, const std::u16string& text,
                                const std::u16string& caption, TMessageBoxStyle style) = 0;
    // Opens the menu at the screen point, left-aligned, owned by the window;
    // answers the item the user chose (null when none), once the menu closed.
    virtual TMenuItem* PopupMenu(TPopupMenu& menu, TPoint point, THandle owner) = 0;

  protected:
    ~TModalUi() = default;
};

}  // namespace tovel
