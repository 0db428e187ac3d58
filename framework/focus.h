#pragma once

#include <vector>

#include "framework/peer.h"

namespace tovel {

class TWinControl;

// Whether the user can move the focus to the control: a kind that takes the
// focus at all, visible and enabled together with all its parents.
bool CanFocus(const TWinControl& control);

// The controls below root that can take the focus, in tab order: each
// container's children by TabOrder, a child's own children right after it.
std::vector<TWinControl*> TabOrderList(const TWinControl& root);

// The next (or previous) tab stop after current, wrapping round; current
// itself when it is the only one, null when there is none.
TWinControl* FindNextTabStop(const TWinControl& root, const TWinControl* current, bool forward);

// Where an arrow key moves the focus from a control that does not use the
// arrows itself: the next (Right, Down) or previous (Left, Up) focusable
// sibling in tab order, tab stop or not, wrapping round within the parent.
TWinControl* FindArrowTarget(const TWinControl& current, bool forward);

// The control that gets the focus when the window is first activated.
TWinControl* FirstFocusControl(const TWinControl& root);

// The control below root whose window is the given one, or null; asks no
// control for a window it does not have yet.
TWinControl* ControlOfWindow(const TWinControl& root, THandle window);

}  // namespace tovel
