#pragma once

#include <cstdint>
#include <vector>

#include "framework/pointer_and_keys.h"

namespace tovel::headless {

// The pointer and the keyboard as settable answers; the cursor shapes the
// program asked for, recorded.
class HeadlessPointerAndKeys : public TPointerAndKeys {
  public:
    void SetBusyCursor(bool busy) override;
    bool ReadCursorPos(TPoint& point) override;
    std::uint32_t DoubleClickTime() override { return DoubleClickMs; }
    bool ShiftDown() override { return ShiftHeld; }
    bool ControlDown() override { return ControlHeld; }
    bool AltDown() override { return AltHeld; }

    TPoint CursorPos{};
    bool CursorPosFails = false;
    std::uint32_t DoubleClickMs = 500;
    bool ShiftHeld = false;
    bool ControlHeld = false;
    bool AltHeld = false;

    bool BusyCursor() const { return FBusy; }
    // Each switch of the hourglass, on or off, in order.
    const std::vector<bool>& CursorChanges() const { return FCursorChanges; }
    void ForgetCursorChanges() { FCursorChanges.clear(); }

  private:
    bool FBusy = false;
    std::vector<bool> FCursorChanges;
};

}  // namespace tovel::headless
