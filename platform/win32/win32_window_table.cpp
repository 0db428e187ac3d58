#include "platform/win32/win32_api.h"

#include "platform/win32/win32_window_table.h"

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

}  // namespace tovel::win32
