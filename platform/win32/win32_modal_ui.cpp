#include "platform/win32/win32_api.h"

#include "platform/win32/win32_modal_ui.h"

#include <map>
#include <vector>

#include "framework/menu.h"
#include "platform/win32/common_controls.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"

namespace tovel::win32 {
namespace {

struct DisableList {
    HWND Keep;
    std::vector<HWND> Disabled;
};

BOOL CALLBACK DisableOne(HWND window, LPARAM context) {
    auto* list = reinterpret_cast<DisableList*>(context);
    if (window != list->Keep && IsWindowEnabled(window)) {
        EnableWindow(window, FALSE);
        list->Disabled.push_back(window);
    }
    return TRUE;
}

// Adds the visible items of a menu level, numbering them in `ids`.
void AddMenuItems(HMENU menu, const TMenuItem& parent, std::map<UINT, TMenuItem*>& ids) {
    for (TMenuItem* item : parent.Items()) {
        if (!item->Visible()) {
            continue;
        }
        if (item->IsLine()) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_STRING | MIIM_ID;
        info.fType = MFT_STRING | (item->RadioItem() ? MFT_RADIOCHECK : 0);
        info.fState = (item->Checked() ? MFS_CHECKED : 0) | (item->Enabled() ? 0 : MFS_DISABLED) |
                      (item->Default() ? MFS_DEFAULT : 0);
        const UINT id = static_cast<UINT>(ids.size() + 1);
        info.wID = id;
        std::u16string caption = item->Caption();
        info.dwTypeData = const_cast<wchar_t*>(Wide(caption));
        if (!item->Items().empty()) {
            info.fMask |= MIIM_SUBMENU;
            info.hSubMenu = CreatePopupMenu();
            AddMenuItems(info.hSubMenu, *item, ids);
        }
        ids[id] = item;
        InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &info);
    }
}

}  // namespace

void Win32ModalUi::ShowMessageBox(THandle owner, const std::u16string& text,
                                       const std::u16string& caption, TMessageBoxStyle style) {
    UINT flags = MB_OK;
    switch (style) {
        case TMessageBoxStyle::Error:
            flags = MB_OK | MB_ICONERROR;
            break;
    }
    // The box disables its owner itself; the program's other top-level
    // windows are disabled here, and afterwards exactly those are enabled.
    DisableList list{AsWindow(owner), {}};
    EnumThreadWindows(GetCurrentThreadId(), &DisableOne, reinterpret_cast<LPARAM>(&list));
    if (FMessageBoxHandler) {
        FMessageBoxHandler(owner, text, caption, flags);
    } else {
        // The box's buttons are controls too: the themed ones of version 6.
        CommonControls();
        MessageBoxW(AsWindow(owner), Wide(text), Wide(caption), flags);
    }
    for (auto it = list.Disabled.rbegin(); it != list.Disabled.rend(); ++it) {
        if (IsWindow(*it)) {
            EnableWindow(*it, TRUE);
        }
    }
}

TMenuItem* Win32ModalUi::PopupMenu(TPopupMenu& menu, TPoint point, THandle owner) {
    HMENU popup = CreatePopupMenu();
    if (popup == nullptr || menu.Items() == nullptr) {
        return nullptr;
    }
    // Ids stand for the items only while the menu is open.
    std::map<UINT, TMenuItem*> ids;
    AddMenuItems(popup, *menu.Items(), ids);
    const auto chosen =
        static_cast<UINT>(TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RETURNCMD | TPM_NONOTIFY,
                                         point.X, point.Y, 0, AsWindow(owner), nullptr));
    DestroyMenu(popup);
    auto it = ids.find(chosen);
    return it != ids.end() ? it->second : nullptr;
}

}  // namespace tovel::win32
