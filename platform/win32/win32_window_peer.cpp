#include "platform/win32/win32_api.h"

#include "platform/win32/win32_window_peer.h"

#include "framework/control.h"
#include "framework/form.h"
#include "platform/win32/common_controls.h"
#include "platform/win32/win32_accessible_name.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_window_class.h"
#include "platform/win32/win32_window_system.h"

namespace tovel::win32 {

Win32WindowPeer* Win32WindowPeer::FromWindow(HWND window) {
    Win32MessageTarget* target = FindTarget(window);
    return target != nullptr ? target->ControlPeer() : nullptr;
}

Win32WindowPeer::Win32WindowPeer(Win32WindowSystem& system, TWinControl& control)
    : FSystem(system), FControl(control) {
    // A form's window comes before its controls: the common controls are
    // ready (and version 6's themed classes registered) before any is made.
    CommonControls();
}

Win32WindowPeer::~Win32WindowPeer() {
    DestroyPeerWindow();
}

void Win32WindowPeer::DestroyPeerWindow() {
    *FAlive = false;
    if (FNamed && Window() != nullptr) {
        ClearAccessibleName(Window());
        FNamed = false;
    }
    DestroyOwnedWindow();
}

THandle Win32WindowPeer::Handle() const {
    return ToHandle(Window());
}

// ---- Creation ------------------------------------------------------------------

DWORD Win32WindowPeer::ChildStyle() const {
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    if (FControl.Visible()) {
        style |= WS_VISIBLE;
    }
    // A control inside a disabled group box takes no input and looks it: the
    // system does not carry a parent's disabled state over to its children.
    if (!FControl.EffectivelyEnabled()) {
        style |= WS_DISABLED;
    }
    if (FControl.TabStop()) {
        style |= WS_TABSTOP;
    }
    return style;
}

bool Win32WindowPeer::CreateChildWindow(const wchar_t* className, DWORD style, DWORD exStyle,
                                        const std::u16string& text, bool ownClass) {
    TWinControl* parent = FControl.Parent();
    HWND parentWindow = parent != nullptr && parent->Peer() != nullptr
                            ? AsWindow(parent->Peer()->Handle())
                            : nullptr;
    if (parentWindow == nullptr) {
        return false;
    }
    const TRect& r = FControl.BoundsRect();
    if (ownClass) {
        RegisterOwnClass(className, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr, nullptr);
        CreateOwnWindow(exStyle, className, Wide(text), style, r.Left, r.Top, r.Width(), r.Height(),
                        parentWindow);
    } else {
        CreateSubclassedWindow(exStyle, className, Wide(text), style, r.Left, r.Top, r.Width(),
                               r.Height(), parentWindow, nullptr);
    }
    if (Window() == nullptr) {
        return false;
    }
    if (HFONT font = ControlFont()) {
        SendMessageW(Window(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    // Only a named control reaches for the annotation service.
    if (!FControl.AccessibleName().empty()) {
        SetAccessibleName(Window(), FControl.AccessibleName());
        FNamed = true;
    }
    return true;
}

HFONT Win32WindowPeer::ControlFont() const {
    TForm* form = FControl.ParentForm();
    if (form == nullptr || form->Peer() == nullptr) {
        return nullptr;
    }
    Win32WindowPeer* formPeer = FromWindow(AsWindow(form->Peer()->Handle()));
    return formPeer != nullptr ? formPeer->ChildFont() : nullptr;
}

void Win32WindowPeer::ApplyFont(HFONT font) {
    if (Window() == nullptr) {
        return;
    }
    SendMessageW(Window(), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    FontApplied();
}

// ---- Mirroring the framework's state ---------------------------------------------

void Win32WindowPeer::Sync(TPeerAspect aspect) {
    HWND window = Window();
    if (window == nullptr) {
        return;
    }
    switch (aspect) {
        case TPeerAspect::Caption:
            SetWindowTextW(window, Wide(FControl.Caption()));
            break;
        case TPeerAspect::Enabled:
            EnableWindow(window, FControl.EffectivelyEnabled() ? TRUE : FALSE);
            break;
        case TPeerAspect::Visible:
            ShowWindow(window, FControl.Visible() ? SW_SHOWNA : SW_HIDE);
            break;
        case TPeerAspect::Bounds: {
            const TRect& r = FControl.BoundsRect();
            SetWindowPos(window, nullptr, r.Left, r.Top, r.Width(), r.Height(),
                         SWP_NOZORDER | SWP_NOACTIVATE);
            break;
        }
        case TPeerAspect::TabStop:
            SetStyleBit(WS_TABSTOP, FControl.TabStop());
            break;
        case TPeerAspect::AccessibleName:
            SetAccessibleName(window, FControl.AccessibleName());
            // A service that declined the name may still hold a part of it.
            FNamed = FNamed || !FControl.AccessibleName().empty();
            break;
        default:
            break;  // state that only some kinds have
    }
}

void Win32WindowPeer::SetStyleBit(DWORD bit, bool on) {
    const auto style = static_cast<DWORD>(GetWindowLongW(Window(), GWL_STYLE));
    const DWORD wanted = on ? (style | bit) : (style & ~bit);
    if (wanted != style) {
        SetWindowLongW(Window(), GWL_STYLE, static_cast<LONG>(wanted));
    }
}

void Win32WindowPeer::BringToFront() {
    if (Window() != nullptr) {
        SetWindowPos(Window(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

void Win32WindowPeer::Activate() {
    if (Window() == nullptr) {
        return;
    }
    // A form that a message box of its own keeps disabled hands the
    // activation to that box, as a click on the taskbar button would.
    HWND target = GetLastActivePopup(Window());
    if (target == nullptr || !IsWindowVisible(target) || !IsWindowEnabled(target)) {
        target = Window();
    }
    SetActiveWindow(target);
}

void Win32WindowPeer::SetFocus() {
    if (Window() != nullptr) {
        ::SetFocus(Window());
    }
}

// ---- Messages --------------------------------------------------------------------

LRESULT Win32WindowPeer::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    TMessage message{msg, wParam, lParam, 0};
    if (FControl.Peer() != this) {
        // Still being made: the framework does not know this window yet.
        DefaultHandler(message);
        return message.Result;
    }
    const std::shared_ptr<bool> alive = FAlive;
    FControl.Dispatch(message);
    if (*alive && Window() != nullptr) {
        MessageDispatched(msg, wParam, lParam);
    }
    return message.Result;
}

void Win32WindowPeer::MessageDispatched(UINT /*msg*/, WPARAM /*wParam*/, LPARAM /*lParam*/) {}

void Win32WindowPeer::DefaultHandler(TMessage& message) {
    switch (message.Msg) {
        case WM_SETCURSOR:
            if (FSystem.BusyCursor()) {
                SetCursor(LoadCursorW(nullptr, IDC_WAIT));
                message.Result = TRUE;
                return;
            }
            break;
        case WM_COMMAND:
            // A control reports to its parent; the report is the control's.
            if (message.LParam != 0) {
                if (Win32WindowPeer* child = FromWindow(reinterpret_cast<HWND>(message.LParam))) {
                    child->Command(HIWORD(message.WParam), LOWORD(message.WParam));
                    message.Result = 0;
                    return;
                }
            }
            break;
        default:
            break;
    }
    message.Result = CallDefault(message.Msg, message.WParam, message.LParam);
}

void Win32WindowPeer::Command(WORD /*code*/, WORD /*id*/) {}

}  // namespace tovel::win32
