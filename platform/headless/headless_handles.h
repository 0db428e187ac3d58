#pragma once

#include "framework/peer.h"

namespace tovel::headless {

// The handles of the headless system's objects, windows and icons alike, from
// one counter: no two live objects of any kind share a handle.
class HeadlessHandles {
  public:
    THandle NextHandle() { return ++FLastHandle * 4; }

  private:
    THandle FLastHandle = 0;
};

}  // namespace tovel::headless
