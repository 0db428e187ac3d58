#pragma once

#include "platform/win32/win32_api.h"

#include "platform/win32/win32_window_peer.h"

namespace tovel::win32 {

// A control of no system kind: an empty window of the program's own class
// that only holds its children.
class Win32PlainControlPeer final : public Win32WindowPeer {
  public:
    Win32PlainControlPeer(Win32WindowSystem& system, TWinControl& control);
};

}  // namespace tovel::win32
