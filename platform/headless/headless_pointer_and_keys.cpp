#include "platform/headless/headless_pointer_and_keys.h"

namespace tovel::headless {

void HeadlessPointerAndKeys::SetBusyCursor(bool busy) {
    FBusy = busy;
    FCursorChanges.push_back(busy);
}

bool HeadlessPointerAndKeys::ReadCursorPos(TPoint& point) {
    if (CursorPosFails) {
        return false;
    }
    point = CursorPos;
    return true;
}

}  // namespace tovel::headless
