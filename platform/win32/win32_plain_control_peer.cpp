#include "platform/win32/win32_api.h"

#include "platform/win32/win32_plain_control_peer.h"

#include "framework/control.h"

namespace tovel::win32 {

Win32PlainControlPeer::Win32PlainControlPeer(Win32WindowSystem& system, TWinControl& control)
    : Win32WindowPeer(system, control) {
    CreateChildWindow(L"TWinControl", ChildStyle(), 0, control.Caption(), true);
}

}  // namespace tovel::win32
