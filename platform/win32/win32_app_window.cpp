#include "platform/win32/win32_api.h"

#include "platform/win32/win32_app_window.h"

#include "framework/application.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_window_class.h"
#include "platform/win32/win32_window_system.h"

namespace tovel::win32 {
namespace {

// DWMWA_TRANSITIONS_FORCEDISABLED of dwmapi.h.
constexpr DWORD kTransitionsForceDisabled = 3;

using DwmSetWindowAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);

// dwmapi is loaded only when first needed, and only from the system folder,
// so neither a one-shot run pays for it nor can a planted copy be picked up.
DwmSetWindowAttributeFn DwmSetWindowAttributeEntry() {
    static DwmSetWindowAttributeFn entry = [] {
        HMODULE dwm = LoadLibraryExW(L"dwmapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (dwm == nullptr) {
            return DwmSetWindowAttributeFn{nullptr};
        }
        return reinterpret_cast<DwmSetWindowAttributeFn>(
            reinterpret_cast<void*>(GetProcAddress(dwm, "DwmSetWindowAttribute")));
    }();
    return entry;
}

}  // namespace

Win32AppWindowPeer::Win32AppWindowPeer(Win32WindowSystem& system, TApplication& application)
    : FSystem(system), FApplication(application) {
    RegisterOwnClass(L"TApplication", reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), MainIcon(false),
                     MainIcon(true));
    const TRect screen = system.ScreenRect();
    CreateOwnWindow(0, L"TApplication", Wide(application.Title()),
                    WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                    screen.Left + screen.Width() / 2, screen.Top + screen.Height() / 2, 0, 0,
                    nullptr);
}

Win32AppWindowPeer::~Win32AppWindowPeer() {
    DestroyOwnedWindow();
}

THandle Win32AppWindowPeer::Handle() const {
    return reinterpret_cast<THandle>(Window());
}

void Win32AppWindowPeer::SetText(const std::u16string& text) {
    if (Window() != nullptr) {
        SetWindowTextW(Window(), Wide(text));
    }
}

bool Win32AppWindowPeer::IsVisible() const {
    return Window() != nullptr && IsWindowVisible(Window()) != FALSE;
}

bool Win32AppWindowPeer::IsIconic() const {
    return Window() != nullptr && ::IsIconic(Window()) != FALSE;
}

void Win32AppWindowPeer::Show(TShowCommand command, bool animate) {
    if (Window() == nullptr) {
        return;
    }
    // The transition is switched off for this window rather than through the
    // user's global animation setting, which a crash in between would leave
    // changed (and whose writes would show among the program's setting
    // writes). It stays off until an animated request switches it on again,
    // because the compositor reads it after ShowWindow has returned.
    SetTransitionsDisabled(!animate);
    ShowWindow(Window(), static_cast<int>(command));
}

void Win32AppWindowPeer::ShowAt(THandle insertAfter, int left, int top, int width, int height) {
    if (Window() == nullptr) {
        return;
    }
    UINT flags = SWP_SHOWWINDOW;
    if (insertAfter == 0) {
        flags |= SWP_NOZORDER;
    }
    SetWindowPos(Window(), reinterpret_cast<HWND>(insertAfter), left, top, width, height, flags);
}

void Win32AppWindowPeer::Activate() {
    if (Window() != nullptr) {
        SetActiveWindow(Window());
    }
}

void Win32AppWindowPeer::SetTransitionsDisabled(bool disabled) {
    if (disabled == FTransitionsDisabled) {
        return;
    }
    if (DwmSetWindowAttributeFn set = DwmSetWindowAttributeEntry()) {
        const BOOL value = disabled ? TRUE : FALSE;
        if (SUCCEEDED(set(Window(), kTransitionsForceDisabled, &value, sizeof(value)))) {
            FTransitionsDisabled = disabled;
        }
    }
}

LRESULT Win32AppWindowPeer::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    TMessage message{msg, wParam, lParam, 0};
    if (FApplication.Peer() == this) {
        FApplication.Dispatch(message);
    } else {
        DefaultHandler(message);  // still being made
    }
    return message.Result;
}

void Win32AppWindowPeer::DefaultHandler(TMessage& message) {
    if (message.Msg == WM_SETCURSOR && FSystem.BusyCursor()) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        message.Result = TRUE;
        return;
    }
    if (message.Msg == WM_SYSCOMMAND) {
        const auto command = message.WParam & kSysCommandMask;
        if (command == SC_MINIMIZE || command == SC_RESTORE) {
            // The system's own minimise and restore are the animated ones.
            SetTransitionsDisabled(false);
        }
    }
    message.Result = CallDefault(message.Msg, message.WParam, message.LParam);
}

}  // namespace tovel::win32
