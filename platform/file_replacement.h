#pragma once

#include <cstdint>

#include "platform/file_system.h"

namespace tovel {

// What to do with the new copy of a file, written beside it, when the system's
// replace of the old file by it has failed.
enum class FailedReplaceAction {
    // The old file is still under its name: the new copy is thrown away.
    DiscardNewCopy,
    // The replace took the old file away from its name and then could not move
    // the new copy there, so no file has the name: the new copy is moved into
    // place. Should that fail too, the new copy is kept where it is, the last
    // copy of the data.
    MoveNewCopyIntoPlace,
};

// The replace's error code decides: "unable to move the replacement" leaves the
// old file gone (no backup was asked for) or renamed; "unable to remove the
// replaced" and every other code leave it as it was.
constexpr FailedReplaceAction AfterFailedReplace(std::uint32_t error) {
    return error == kErrorUnableToMoveReplacement || error == kErrorUnableToMoveReplacement2
               ? FailedReplaceAction::MoveNewCopyIntoPlace
               : FailedReplaceAction::DiscardNewCopy;
}

}  // namespace tovel
