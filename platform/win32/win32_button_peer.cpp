#include "platform/win32/win32_api.h"

#include "platform/win32/win32_button_peer.h"

#include <utility>

#include "framework/std_controls.h"

namespace tovel::win32 {

Win32ButtonPeer::Win32ButtonPeer(Win32WindowSystem& system, TRadioButton& button)
    : Win32ButtonPeer(
          system, button, BS_RADIOBUTTON, [&button] { return button.Checked(); },
          [&button] { button.UserClick(); }) {}

Win32ButtonPeer::Win32ButtonPeer(Win32WindowSystem& system, TCheckBox& box)
    : Win32ButtonPeer(
          system, box, BS_CHECKBOX, [&box] { return box.Checked(); }, [&box] { box.UserClick(); }) {
}

Win32ButtonPeer::Win32ButtonPeer(Win32WindowSystem& system, TWinControl& control, DWORD buttonStyle,
                                 std::function<bool()> checked, std::function<void()> click)
    : Win32WindowPeer(system, control), FChecked(std::move(checked)), FClick(std::move(click)) {
    if (CreateChildWindow(L"BUTTON", ChildStyle() | buttonStyle, 0, control.Caption(), false)) {
        Sync(TPeerAspect::Checked);
    }
}

void Win32ButtonPeer::Sync(TPeerAspect aspect) {
    if (aspect != TPeerAspect::Checked) {
        Win32WindowPeer::Sync(aspect);
        return;
    }
    if (Window() != nullptr) {
        SendMessageW(Window(), BM_SETCHECK, FChecked() ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

void Win32ButtonPeer::Command(WORD code, WORD /*id*/) {
    if (code == BN_CLICKED) {
        FClick();
    }
}

}  // namespace tovel::win32
