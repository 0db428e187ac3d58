#include "platform/win32/win32_api.h"

#include "platform/win32/win32_group_box_peer.h"

#include "framework/std_controls.h"

namespace tovel::win32 {

Win32GroupBoxPeer::Win32GroupBoxPeer(Win32WindowSystem& system, TGroupBox& box)
    : Win32WindowPeer(system, box) {
    CreateChildWindow(L"BUTTON", ChildStyle() | BS_GROUPBOX, WS_EX_CONTROLPARENT, box.Caption(),
                      false);
}

void Win32GroupBoxPeer::DefaultHandler(TMessage& message) {
    if (message.Msg == WM_ERASEBKGND) {
        // A group box paints only its frame and caption; its parent clips it
        // out, so the inside is filled here.
        RECT r{};
        GetClientRect(Window(), &r);
        FillRect(reinterpret_cast<HDC>(message.WParam), &r, GetSysColorBrush(COLOR_BTNFACE));
        message.Result = 1;
        return;
    }
    Win32WindowPeer::DefaultHandler(message);
}

}  // namespace tovel::win32
