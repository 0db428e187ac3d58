#pragma once

#include <vector>

#include "framework/geometry.h"

namespace tovel {

class TControl;
class TWinControl;

// Rounds x * n / d to the nearest integer, halves away from zero, without
// overflowing for any int operands (d > 0).
int MulDivRound(int x, int n, int d);

// Scales a rectangle by n/d edge by edge, so controls that touch keep touching.
TRect ScaleRect(const TRect& rect, int n, int d);

// The part of a group box of the given size that its children fill: a
// 2-pixel margin, below a caption line of lineHeight pixels.
TRect GroupBoxInnerRect(int width, int height, int lineHeight);

// Where a window of the given outer size stands when centred in the work
// area; never above or left of it, even when it does not fit.
TPoint CentreInWorkArea(const TRect& workArea, int width, int height);

// Docks the children of a container into the area: the top-docked ones one
// under another from the top (in the order of their stored top edges), the
// bottom-docked ones one above another from the bottom (the lowest stored
// first), the client-docked one takes what remains. Every docked child spans
// the area's full width and keeps its own height. Undocked children stay.
void DockChildren(const std::vector<TControl*>& children, const TRect& area);

}  // namespace tovel
