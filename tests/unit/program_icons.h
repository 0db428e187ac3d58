#pragma once

#include <set>

#include "res/resource_ids.h"

namespace tovel::testing {

// The icon resources Tovel.exe carries (res/Tovel.rc): the program's icon and
// the three tray images. A headless window system made with them stands in
// for the real program file.
inline std::set<int> ProgramIconResources() {
    return {kProgramIconResource, kTrayImageResources[0], kTrayImageResources[1],
            kTrayImageResources[2]};
}

}  // namespace tovel::testing
