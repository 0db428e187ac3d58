#pragma once

#include "platform/win32/win32_api.h"

#include "platform/win32/win32_window_peer.h"

namespace tovel {
class TGroupBox;
}

namespace tovel::win32 {

// A group box: the system's framed caption, holding its controls as real
// child windows so that the dialog keys go into it.
class Win32GroupBoxPeer final : public Win32WindowPeer {
  public:
    Win32GroupBoxPeer(Win32WindowSystem& system, TGroupBox& box);

    void DefaultHandler(TMessage& message) override;
};

}  // namespace tovel::win32
