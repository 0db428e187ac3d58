#pragma once

#include <functional>

#include "framework/object.h"

namespace tovel {

using TNotifyEvent = std::function<void(TObject* Sender)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

// A set of keys and buttons held during a mouse event.
enum TShiftStateFlag : unsigned {
    ssShift = 1u << 0,
    ssAlt = 1u << 1,
    ssCtrl = 1u << 2,
    ssLeft = 1u << 3,
    ssRight = 1u << 4,
    ssMiddle = 1u << 5,
};
using TShiftState = unsigned;

using TMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;

}  // namespace tovel
