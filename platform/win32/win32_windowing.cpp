#include "platform/win32/win32_api.h"

#include "platform/win32/win32_windowing.h"

#include <shlwapi.h>

#include "framework/form.h"
#include "framework/std_controls.h"
#include "framework/tool_bar.h"
#include "platform/win32/common_controls.h"
#include "platform/win32/win32_app_window.h"
#include "platform/win32/win32_button_peer.h"
#include "platform/win32/win32_combo_box_peer.h"
#include "platform/win32/win32_form_peer.h"
#include "platform/win32/win32_group_box_peer.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_plain_control_peer.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_tool_bar_peer.h"
#include "platform/win32/win32_window_class.h"
#include "platform/win32/win32_window_system.h"
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

}  // namespace

std::unique_ptr<TWindowPeer> Win32Windowing::CreateWindowPeer(TWinControl& control) {
    // The one place where the kind of control chooses its peer; the control
    // reports its kind, so the casts below match the object's class.
    switch (control.ControlKind()) {
        case TControlKind::Form:
            return std::make_unique<Win32FormPeer>(FSystem, static_cast<TForm&>(control));
        case TControlKind::GroupBox:
            return std::make_unique<Win32GroupBoxPeer>(FSystem, static_cast<TGroupBox&>(control));
        case TControlKind::RadioButton:
            return std::make_unique<Win32ButtonPeer>(FSystem, static_cast<TRadioButton&>(control));
        case TControlKind::CheckBox:
            return std::make_unique<Win32ButtonPeer>(FSystem, static_cast<TCheckBox&>(control));
        case TControlKind::ComboBox:
            return std::make_unique<Win32ComboBoxPeer>(FSystem, static_cast<TComboBox&>(control));
        case TControlKind::ToolBar:
            return std::make_unique<Win32ToolBarPeer>(FSystem, static_cast<TToolBar&>(control));
        case TControlKind::Plain:
            break;
    }
    return std::make_unique<Win32PlainControlPeer>(FSystem, control);
}

std::unique_ptr<TAppWindowPeer> Win32Windowing::CreateAppWindowPeer(TApplication& application) {
    return std::make_unique<Win32AppWindowPeer>(FSystem, application);
}

std::unique_ptr<TMessageWindowPeer> Win32Windowing::CreateMessageWindow(
    TMessageHandler handler) {
    return std::make_unique<Win32MessageWindowPeer>(std::move(handler));
}

THandle Win32Windowing::ActiveWindow() const {
    return ToHandle(GetActiveWindow());
}

THandle Win32Windowing::FocusedWindow() const {
    return ToHandle(GetFocus());
}

bool Win32Windowing::BringToForeground(THandle window) {
    return ::SetForegroundWindow(AsWindow(window)) != FALSE;
}

THandle Win32Windowing::ForegroundWindow() const {
    return ToHandle(::GetForegroundWindow());
}

bool Win32Windowing::PostMessageTo(THandle window, std::uint32_t message, std::uintptr_t wParam,
                                      std::intptr_t lParam) {
    return PostMessageW(AsWindow(window), message, wParam, lParam) != FALSE;
}

std::uint32_t Win32Windowing::RegisterSharedMessage(const std::u16string& name) {
    return RegisterWindowMessageW(Wide(name));
}

bool Win32Windowing::AcceptFromLowerPrivilege(THandle window, std::uint32_t message) {
    // Windows 7 and later have it; found at run time so that the program still
    // starts where it is missing, with the filter as it was.
    using ChangeFilterFn = BOOL(WINAPI*)(HWND, UINT, DWORD, PCHANGEFILTERSTRUCT);
    static const auto change = reinterpret_cast<ChangeFilterFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "ChangeWindowMessageFilterEx")));
    return change != nullptr && change(AsWindow(window), message, MSGFLT_ALLOW, nullptr) != FALSE;
}

std::uint32_t Win32Windowing::CommonControlsVersion() {
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

THandle Win32Windowing::WindowAt(TPoint point) {
    return ToHandle(::WindowFromPoint(POINT{point.X, point.Y}));
}

TPoint Win32Windowing::ClientPoint(THandle window, TPoint point) {
    POINT p{point.X, point.Y};
    ::ScreenToClient(AsWindow(window), &p);
    return TPoint{p.x, p.y};
}

}  // namespace tovel::win32
