#include "platform/win32/win32_api.h"

#include "platform/win32/win32_combo_box_peer.h"

#include <string>

#include "framework/std_controls.h"
#include "platform/win32/win32_text.h"

namespace tovel::win32 {

Win32ComboBoxPeer::Win32ComboBoxPeer(Win32WindowSystem& system, TComboBox& combo)
    : Win32WindowPeer(system, combo), FCombo(combo) {
    if (CreateChildWindow(L"COMBOBOX", ChildStyle() | CBS_DROPDOWNLIST | WS_VSCROLL, 0, u"",
                          false)) {
        ApplyItems();
        ApplyDropDown();
    }
}

void Win32ComboBoxPeer::Sync(TPeerAspect aspect) {
    if (Window() == nullptr) {
        return;
    }
    switch (aspect) {
        case TPeerAspect::Caption:
            break;  // a list shows its entries, not a caption
        case TPeerAspect::Bounds:
            ApplyDropDown();
            break;
        case TPeerAspect::Items:
            ApplyItems();
            break;
        case TPeerAspect::ItemIndex:
            SendMessageW(Window(), CB_SETCURSEL, static_cast<WPARAM>(FCombo.ItemIndex()), 0);
            break;
        default:
            Win32WindowPeer::Sync(aspect);
            break;
    }
}

void Win32ComboBoxPeer::ApplyItems() {
    HWND window = Window();
    SendMessageW(window, WM_SETREDRAW, FALSE, 0);
    SendMessageW(window, CB_RESETCONTENT, 0, 0);
    for (const std::u16string& item : FCombo.Items()) {
        SendMessageW(window, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item)));
    }
    SendMessageW(window, CB_SETCURSEL, static_cast<WPARAM>(FCombo.ItemIndex()), 0);
    SendMessageW(window, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(window, nullptr, TRUE);
}

void Win32ComboBoxPeer::ApplyDropDown() {
    HWND window = Window();
    const int count = FCombo.DropDownCount() > 0 ? FCombo.DropDownCount() : 1;
    // The version-6 list takes its height from the count; the older one from
    // the window's height, which therefore covers the field and the list.
    SendMessageW(window, CB_SETMINVISIBLE, static_cast<WPARAM>(count), 0);
    const auto itemHeight = static_cast<int>(SendMessageW(window, CB_GETITEMHEIGHT, 0, 0));
    // The field's height follows the font, whatever height the window asks
    // for; the list below it gets room for exactly `count` entries and its
    // border, so that the list's rounding to whole entries keeps them all.
    RECT field{};
    GetWindowRect(window, &field);
    const TRect& r = FCombo.BoundsRect();
    const int fieldHeight = field.bottom > field.top ? field.bottom - field.top : r.Height();
    const int height = fieldHeight + count * (itemHeight > 0 ? itemHeight : r.Height()) +
                       2 * GetSystemMetrics(SM_CYBORDER) + 2;
    SetWindowPos(window, nullptr, r.Left, r.Top, r.Width(), height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32ComboBoxPeer::FontApplied() {
    // The field's height and the entries' follow the font.
    ApplyDropDown();
}

void Win32ComboBoxPeer::Command(WORD code, WORD /*id*/) {
    if (code == CBN_SELCHANGE && Window() != nullptr) {
        const auto index = static_cast<int>(SendMessageW(Window(), CB_GETCURSEL, 0, 0));
        FCombo.UserSelect(index);
    }
}

}  // namespace tovel::win32
