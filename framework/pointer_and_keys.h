#pragma once

#include <cstdint>

#include "framework/geometry.h"

namespace tovel {

// The pointer and the keyboard as they are at this moment, and the cursor
// shape the program shows.
class TPointerAndKeys {
  public:
    // The hourglass over the program's windows while busy, the default otherwise.
    virtual void SetBusyCursor(bool busy) = 0;
    // The pointer in screen coordinates; false when it cannot be read.
    virtual bool ReadCursorPos(TPoint& point) = 0;
    // The longest time between the two clicks of a double-click, in milliseconds.
    virtual std::uint32_t DoubleClickTime() = 0;
    // Whether the Shift, Ctrl or Alt key is down at this moment (not as of
    // the message being handled).
    virtual bool ShiftDown() = 0;
    virtual bool ControlDown() = 0;
    virtual bool AltDown() = 0;

  protected:
    ~TPointerAndKeys() = default;
};

}  // namespace tovel
