#include "platform/win32/win32_api.h"

#include "platform/win32/win32_window_table.h"

#include "platform/win32/common_controls.h"

#include <set>
#include <string>
#include <unordered_map>

namespace tovel::win32 {
namespace {

// Every window of the program lives on the one user-interface thread, so the
// table needs no lock.
std::unordered_map<HWND, Win32MessageTarget*>& Table() {
    static std::unordered_map<HWND, Win32MessageTarget*> table;
    return table;
}

// The target of a window of the program's own class that is being made: its
// first message (sent from inside CreateWindowExW) binds it.
Win32MessageTarget* gCreating = nullptr;

}  // namespace

LRESULT Win32MessageTarget::CallDefault(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (FWindow == nullptr) {
        return 0;
    }
    if (FOriginal != nullptr) {
        return CallWindowProcW(FOriginal, FWindow, msg, wParam, lParam);
    }
    return DefWindowProcW(FWindow, msg, wParam, lParam);
}

HWND Win32MessageTarget::CreateOwnWindow(DWORD exStyle, const wchar_t* className,
                                         const wchar_t* text, DWORD style, int x, int y, int width,
                                         int height, HWND parent) {
    gCreating = this;
    HWND window = CreateWindowExW(exStyle, className, text, style, x, y, width, height, parent,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    gCreating = nullptr;
    if (window != nullptr && FWindow == nullptr) {
        // No message reached the procedure during creation (not expected,
        // but the binding must not depend on it).
        FWindow = window;
        Table()[window] = this;
    }
    return window;
}

HWND Win32MessageTarget::CreateSubclassedWindow(DWORD exStyle, const wchar_t* className,
                                                const wchar_t* text, DWORD style, int x, int y,
                                                int width, int height, HWND parent, HMENU id) {
    HWND window = CreateWindowExW(exStyle, className, text, style, x, y, width, height, parent, id,
                                  GetModuleHandleW(nullptr), nullptr);
    if (window == nullptr) {
        return nullptr;
    }
    FWindow = window;
    FOriginal = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SharedWindowProc)));
    Table()[window] = this;
    return window;
}

void Win32MessageTarget::DestroyOwnedWindow() {
    HWND window = FWindow;
    if (window == nullptr) {
        return;
    }
    Table().erase(window);
    if (FOriginal != nullptr &&
        GetWindowLongPtrW(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&SharedWindowProc)) {
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FOriginal));
    }
    FWindow = nullptr;
    FOriginal = nullptr;
    DestroyWindow(window);
}

bool AnyLiveWindow() {
    return !Table().empty();
}

Win32MessageTarget* FindTarget(HWND window) {
    if (window == nullptr) {
        return nullptr;
    }
    auto& table = Table();
    auto it = table.find(window);
    return it != table.end() ? it->second : nullptr;
}

LRESULT CALLBACK SharedWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    Win32MessageTarget* target = FindTarget(window);
    if (target == nullptr && gCreating != nullptr && gCreating->FWindow == nullptr) {
        target = gCreating;
        gCreating = nullptr;
        target->FWindow = window;
        Table()[window] = target;
    }
    if (target == nullptr) {
        return DefWindowProcW(window, msg, wParam, lParam);
    }
    if (msg == WM_NCDESTROY) {
        // Destroyed by the system with its parent or owner: the target stays
        // alive but must no longer reach the window.
        WNDPROC original = target->FOriginal;
        Table().erase(window);
        target->FWindow = nullptr;
        target->FOriginal = nullptr;
        target->WindowDestroyed();
        return original != nullptr ? CallWindowProcW(original, window, msg, wParam, lParam)
                                   : DefWindowProcW(window, msg, wParam, lParam);
    }
    return target->HandleMessage(msg, wParam, lParam);
}

bool RegisterOwnClass(const wchar_t* className, HBRUSH background, HICON icon, HICON smallIcon) {
    static std::set<std::wstring> registered;
    if (registered.count(className) != 0) {
        return true;
    }
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof(cls);
    cls.style = CS_DBLCLKS;
    cls.lpfnWndProc = &SharedWindowProc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.hIcon = icon;
    cls.hIconSm = smallIcon;
    cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    cls.hbrBackground = background;
    cls.lpszClassName = className;
    if (RegisterClassExW(&cls) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return false;
    }
    registered.insert(className);
    return true;
}

namespace {

// The program icon at one size, read on its own. A shared image (LR_SHARED)
// would not do: the system finds it again by its name alone, whatever size
// is asked for, so whichever size was read first would serve for both.
// The common controls' reader picks the image of exactly that size and
// scales a larger one down rather than blow a smaller one up; the plain
// reader stands in where the library cannot be had.
HICON ReadProgramIcon(int width, int height) {
    using LoadIconWithScaleDownFn = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);
    const HINSTANCE program = GetModuleHandleW(nullptr);
    if (HMODULE comctl = CommonControls()) {
        const auto load = reinterpret_cast<LoadIconWithScaleDownFn>(
            reinterpret_cast<void (*)()>(GetProcAddress(comctl, "LoadIconWithScaleDown")));
        HICON icon = nullptr;
        if (load != nullptr &&
            SUCCEEDED(load(program, MAKEINTRESOURCEW(1), width, height, &icon))) {
            return icon;
        }
    }
    return static_cast<HICON>(
        LoadImageW(program, MAKEINTRESOURCEW(1), IMAGE_ICON, width, height, LR_DEFAULTCOLOR));
}

}  // namespace

HICON MainIcon(bool small) {
    // Read once per size and never destroyed: the window classes hold them
    // for the life of the process.
    static const HICON large =
        ReadProgramIcon(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
    static const HICON smallIcon =
        ReadProgramIcon(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
    return small ? smallIcon : large;
}

}  // namespace tovel::win32
