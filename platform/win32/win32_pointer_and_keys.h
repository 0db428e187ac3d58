#pragma once

#include <cstdint>

#include "framework/pointer_and_keys.h"

namespace tovel::win32 {

// The pointer, the keyboard's state and the busy cursor, which the program's
// windows show while BusyCursor is on.
class Win32PointerAndKeys : public TPointerAndKeys {
  public:
    void SetBusyCursor(bool busy) override;
    bool ReadCursorPos(TPoint& point) override;
    std::uint32_t DoubleClickTime() override;
    bool ShiftDown() override;
    bool ControlDown() override;
    bool AltDown() override;

    bool BusyCursor() const { return FBusy; }

  private:
    bool FBusy = false;
};

}  // namespace tovel::win32
