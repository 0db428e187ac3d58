// The window system's services for the notification-area icon: message
// windows, registered messages, the pointer and keys, popup menus and icons.
#include "platform/win32/win32_api.h"

#include "platform/win32/win32_window_system.h"

#include <shlwapi.h>
#include <map>

#include "framework/menu.h"
#include "platform/win32/common_controls.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_window_class.h"
#include "platform/win32/win32_window_table.h"

namespace tovel::win32 {
namespace {

// A hidden top-level window that only receives messages; each goes to the
// handler the program gave, through the shared window procedure.
class Win32MessageWindowPeer final : public TMessageWindowPeer, public Win32MessageTarget {
  public:
    explicit Win32MessageWindowPeer(TMessageHandler handler) : FHandler(std::move(handler)) {
        RegisterOwnClass(L"TPUtilWindow", nullptr, nullptr, nullptr);
        CreateOwnWindow(WS_EX_TOOLWINDOW, L"TPUtilWindow", L"", WS_POPUP, 0, 0, 0, 0, nullptr);
        FReady = true;
    }
    ~Win32MessageWindowPeer() override { DestroyOwnedWindow(); }

    THandle Handle() const override { return ToHandle(Window()); }
    void DefaultHandler(TMessage& message) override {
        message.Result = CallDefault(message.Msg, message.WParam, message.LParam);
    }

    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        TMessage message{msg, wParam, lParam, 0};
        if (!FHandler || !FReady) {
            // The messages of its creation are the system's business.
            DefaultHandler(message);
            return message.Result;
        }
        try {
            FHandler(message);
        } catch (...) {
            // The handlers show their own failures; nothing may cross the
            // system's call.
        }
        return message.Result;
    }

  private:
    TMessageHandler FHandler;
    bool FReady = false;
};

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

std::unique_ptr<TMessageWindowPeer> Win32WindowSystem::CreateMessageWindow(
    TMessageHandler handler) {
    return std::make_unique<Win32MessageWindowPeer>(std::move(handler));
}

std::uint32_t Win32WindowSystem::RegisterSharedMessage(const std::u16string& name) {
    return RegisterWindowMessageW(Wide(name));
}

bool Win32WindowSystem::AcceptFromLowerPrivilege(THandle window, std::uint32_t message) {
    // Windows 7 and later have it; found at run time so that the program still
    // starts where it is missing, with the filter as it was.
    using ChangeFilterFn = BOOL(WINAPI*)(HWND, UINT, DWORD, PCHANGEFILTERSTRUCT);
    static const auto change = reinterpret_cast<ChangeFilterFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "ChangeWindowMessageFilterEx")));
    return change != nullptr && change(AsWindow(window), message, MSGFLT_ALLOW, nullptr) != FALSE;
}

std::uint32_t Win32WindowSystem::CommonControlsVersion() {
    // The library this process uses (version 6 when the manifest asks for
    // it), loaded now if nothing has needed it yet.
    HMODULE comctl = CommonControls();
    if (comctl == nullptr) {
        return 0;
    }
    using DllGetVersionFn = HRESULT(CALLBACK*)(DLLVERSIONINFO*);
    auto getVersion = reinterpret_cast<DllGetVersionFn>(
        reinterpret_cast<void*>(GetProcAddress(comctl, "DllGetVersion")));
    if (getVersion == nullptr) {
        return 0;
    }
    DLLVERSIONINFO info{};
    info.cbSize = sizeof(info);
    if (FAILED(getVersion(&info))) {
        return 0;
    }
    return (info.dwMajorVersion << 16) | (info.dwMinorVersion & 0xFFFF);
}

bool Win32WindowSystem::ReadCursorPos(TPoint& point) {
    POINT p{};
    if (!::GetCursorPos(&p)) {
        return false;
    }
    point = TPoint{p.x, p.y};
    return true;
}

std::uint32_t Win32WindowSystem::DoubleClickTime() {
    return GetDoubleClickTime();
}

bool Win32WindowSystem::ShiftDown() {
    return GetAsyncKeyState(VK_SHIFT) < 0;
}

bool Win32WindowSystem::ControlDown() {
    return GetAsyncKeyState(VK_CONTROL) < 0;
}

bool Win32WindowSystem::AltDown() {
    return GetAsyncKeyState(VK_MENU) < 0;
}

bool Win32WindowSystem::PostMessageTo(THandle window, std::uint32_t message, std::uintptr_t wParam,
                                      std::intptr_t lParam) {
    return PostMessageW(AsWindow(window), message, wParam, lParam) != FALSE;
}

int Win32WindowSystem::CaptionHeight() {
    return GetSystemMetrics(SM_CYCAPTION);
}

THandle Win32WindowSystem::WindowAt(TPoint point) {
    return ToHandle(::WindowFromPoint(POINT{point.X, point.Y}));
}

TPoint Win32WindowSystem::ClientPoint(THandle window, TPoint point) {
    POINT p{point.X, point.Y};
    ::ScreenToClient(AsWindow(window), &p);
    return TPoint{p.x, p.y};
}

TMenuItem* Win32WindowSystem::PopupMenu(TPopupMenu& menu, TPoint point, THandle owner) {
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

bool Win32WindowSystem::HasIconResource(int id) {
    // Finding the resource reads no picture and needs no display.
    return FindResourceW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), RT_GROUP_ICON) != nullptr;
}

THandle Win32WindowSystem::LoadIconResource(int id, int size) {
    return ToHandle(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size,
                               size, LR_DEFAULTCOLOR));
}

THandle Win32WindowSystem::DuplicateIcon(THandle icon) {
    return ToHandle(::CopyIcon(AsIcon(icon)));
}

void Win32WindowSystem::FreeIcon(THandle icon) {
    if (icon != 0) {
        ::DestroyIcon(AsIcon(icon));
    }
}

THandle Win32WindowSystem::WindowsLogoIcon() {
    // Shared by the system: a later DestroyIcon leaves it alone.
    return ToHandle(LoadIconW(nullptr, IDI_WINLOGO));
}

}  // namespace tovel::win32
