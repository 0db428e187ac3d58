#include "platform/win32/win32_api.h"

#include "platform/win32/win32_window_system.h"

#include <map>
#include <vector>

#include "framework/application.h"
#include "framework/form.h"
#include "framework/std_controls.h"
#include "framework/tool_bar.h"
#include "platform/win32/common_controls.h"
#include "platform/win32/win32_app_window.h"
#include "platform/win32/win32_button_peer.h"
#include "platform/win32/win32_combo_box_peer.h"
#include "platform/win32/win32_font.h"
#include "platform/win32/win32_form_peer.h"
#include "platform/win32/win32_group_box_peer.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_plain_control_peer.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_tool_bar_peer.h"
#include "platform/win32/win32_window_table.h"

namespace tovel::win32 {
namespace {

// The primary monitor's information: found through the monitor API, since
// the parameter service would show up among the program's settings calls.
MONITORINFO PrimaryMonitor() {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    HMONITOR monitor = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    if (monitor == nullptr || !GetMonitorInfoW(monitor, &info)) {
        const RECT whole{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        info.rcMonitor = whole;
        info.rcWork = whole;
    }
    return info;
}

// Hands a message to its window, running the dialog keys (Tab, the arrows)
// first when the active window is one of the program's forms.
void Deliver(MSG& msg) {
    HWND active = GetActiveWindow();
    if (active != nullptr && IsFormWindow(active) && IsDialogMessageW(active, &msg)) {
        return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

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

// Every timer of the program is a thread timer (SetTimer with no window).
// The framework's exit timer must tick in the one-shot runs, which make no
// window at all, and the tray's timers need no window of their own either, so
// one kind of system timer carries both. A thread timer's tick names only the
// id the system chose, so the live timers of every window system of the
// thread are listed here under those ids; a tick of a stopped timer finds no
// entry and reaches nobody.
struct LiveTimer {
    Win32WindowSystem* Owner;
    TTimerSink* Sink;
    std::uintptr_t Id;
};

std::map<UINT_PTR, LiveTimer>& LiveTimers() {
    static std::map<UINT_PTR, LiveTimer> timers;
    return timers;
}

std::map<UINT_PTR, LiveTimer>::iterator FindTimer(const Win32WindowSystem* owner,
                                                  const TTimerSink& sink, std::uintptr_t id) {
    auto& timers = LiveTimers();
    for (auto it = timers.begin(); it != timers.end(); ++it) {
        if (it->second.Owner == owner && it->second.Sink == &sink && it->second.Id == id) {
            return it;
        }
    }
    return timers.end();
}

void CALLBACK TimerProc(HWND /*window*/, UINT /*msg*/, UINT_PTR systemId, DWORD /*time*/) {
    const auto found = LiveTimers().find(systemId);
    if (found == LiveTimers().end()) {
        return;
    }
    // The sink may stop or start timers: nothing of the table is used after
    // this call.
    const LiveTimer timer = found->second;
    try {
        timer.Sink->TimerTick(timer.Id);
    } catch (...) {
        // The framework shows a handler's failure itself; nothing may cross
        // the system's call.
    }
}

using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

// shcore (Windows 8.1 and later) knows each monitor's DPI; it is loaded from
// the system folder when first needed.
GetDpiForMonitorFn GetDpiForMonitorEntry() {
    static GetDpiForMonitorFn entry = [] {
        HMODULE shcore = LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (shcore == nullptr) {
            return GetDpiForMonitorFn{nullptr};
        }
        return reinterpret_cast<GetDpiForMonitorFn>(
            reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")));
    }();
    return entry;
}

}  // namespace

Win32WindowSystem::Win32WindowSystem() = default;

Win32WindowSystem::~Win32WindowSystem() {
    auto& timers = LiveTimers();
    for (auto it = timers.begin(); it != timers.end();) {
        if (it->second.Owner == this) {
            KillTimer(nullptr, it->first);
            it = timers.erase(it);
        } else {
            ++it;
        }
    }
}

bool Win32WindowSystem::StartTimer(TTimerSink& sink, std::uintptr_t id, std::uint32_t interval) {
    // A running timer starts its period afresh as a new one.
    StopTimer(sink, id);
    const UINT_PTR systemId = SetTimer(nullptr, 0, interval, &TimerProc);
    if (systemId == 0) {
        return false;
    }
    LiveTimers()[systemId] = LiveTimer{this, &sink, id};
    return true;
}

bool Win32WindowSystem::StopTimer(TTimerSink& sink, std::uintptr_t id) {
    const auto found = FindTimer(this, sink, id);
    if (found == LiveTimers().end()) {
        return false;
    }
    KillTimer(nullptr, found->first);
    LiveTimers().erase(found);
    return true;
}

int Win32WindowSystem::TextLineHeight(const TFont& font) {
    const int fallback = (font.Height < 0 ? -font.Height : font.Height) + 2;
    HFONT made = CreateSystemFont(font);
    if (made == nullptr) {
        return fallback;
    }
    int height = fallback;
    if (HDC dc = GetDC(nullptr)) {
        HGDIOBJ old = SelectObject(dc, made);
        SIZE size{};
        if (GetTextExtentPoint32W(dc, L"0", 1, &size) && size.cy > 0) {
            height = size.cy;
        }
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
    }
    DeleteObject(made);
    return height;
}

std::u16string Win32WindowSystem::MenuFontName() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
        return FromWide(metrics.lfMenuFont.lfFaceName);
    }
    LOGFONTW stock{};
    if (GetObjectW(GetStockObject(SYSTEM_FONT), sizeof(stock), &stock) != 0) {
        return FromWide(stock.lfFaceName);
    }
    return u"";
}

int Win32WindowSystem::MonitorDpi(const TRect& rect) const {
    const POINT centre{rect.Left + rect.Width() / 2, rect.Top + rect.Height() / 2};
    if (GetDpiForMonitorFn getDpi = GetDpiForMonitorEntry()) {
        UINT x = 0;
        UINT y = 0;
        // MDT_EFFECTIVE_DPI
        if (SUCCEEDED(getDpi(MonitorFromPoint(centre, MONITOR_DEFAULTTONEAREST), 0, &x, &y)) &&
            x > 0) {
            return static_cast<int>(x);
        }
    }
    int dpi = 96;
    if (HDC dc = GetDC(nullptr)) {
        dpi = GetDeviceCaps(dc, LOGPIXELSX);
        ReleaseDC(nullptr, dc);
    }
    return dpi > 0 ? dpi : 96;
}

std::unique_ptr<TWindowPeer> Win32WindowSystem::CreateWindowPeer(TWinControl& control) {
    // The one place where the kind of control chooses its peer; the control
    // reports its kind, so the casts below match the object's class.
    switch (control.ControlKind()) {
        case TControlKind::Form:
            return std::make_unique<Win32FormPeer>(*this, static_cast<TForm&>(control));
        case TControlKind::GroupBox:
            return std::make_unique<Win32GroupBoxPeer>(*this, static_cast<TGroupBox&>(control));
        case TControlKind::RadioButton:
            return std::make_unique<Win32ButtonPeer>(*this, static_cast<TRadioButton&>(control));
        case TControlKind::CheckBox:
            return std::make_unique<Win32ButtonPeer>(*this, static_cast<TCheckBox&>(control));
        case TControlKind::ComboBox:
            return std::make_unique<Win32ComboBoxPeer>(*this, static_cast<TComboBox&>(control));
        case TControlKind::ToolBar:
            return std::make_unique<Win32ToolBarPeer>(*this, static_cast<TToolBar&>(control));
        case TControlKind::Plain:
            break;
    }
    return std::make_unique<Win32PlainControlPeer>(*this, control);
}

std::unique_ptr<TAppWindowPeer> Win32WindowSystem::CreateAppWindowPeer(TApplication& application) {
    return std::make_unique<Win32AppWindowPeer>(*this, application);
}

void Win32WindowSystem::RunMessageLoop(TApplication& application) {
    MSG msg{};
    while (!application.Terminated()) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            // Someone asked this thread to quit: the program ends as if
            // terminated.
            application.Terminate();
            break;
        }
        if (got == -1) {
            break;
        }
        Deliver(msg);
    }
}

void Win32WindowSystem::ProcessMessages(TApplication& application) {
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            application.Terminate();
            break;
        }
        Deliver(msg);
    }
}

void Win32WindowSystem::PostQuit() {
    PostQuitMessage(0);
}

void Win32WindowSystem::ShowMessageBox(THandle owner, const std::u16string& text,
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

THandle Win32WindowSystem::ActiveWindow() const {
    return ToHandle(GetActiveWindow());
}

THandle Win32WindowSystem::FocusedWindow() const {
    return ToHandle(GetFocus());
}

bool Win32WindowSystem::BringToForeground(THandle window) {
    return ::SetForegroundWindow(AsWindow(window)) != FALSE;
}

THandle Win32WindowSystem::ForegroundWindow() const {
    return ToHandle(::GetForegroundWindow());
}

void Win32WindowSystem::SetBusyCursor(bool busy) {
    FBusy = busy;
    // Windows ask for their cursor only when the mouse moves: the one under
    // the pointer is brought up to date now, if it is one of this thread's.
    // A program with no window (a one-shot) has none under the pointer, and
    // asking where the pointer is would wake the display for nothing.
    if (!AnyLiveWindow()) {
        return;
    }
    POINT point{};
    if (!::GetCursorPos(&point)) {
        return;
    }
    HWND under = ::WindowFromPoint(point);
    if (under == nullptr || GetWindowThreadProcessId(under, nullptr) != GetCurrentThreadId()) {
        return;
    }
    if (busy) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    } else {
        const LRESULT hit = SendMessageW(under, WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y));
        SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under),
                     MAKELPARAM(static_cast<WORD>(hit), WM_MOUSEMOVE));
    }
}

TRect Win32WindowSystem::ScreenRect() const {
    const RECT r = PrimaryMonitor().rcMonitor;
    return TRect{r.left, r.top, r.right, r.bottom};
}

TRect Win32WindowSystem::WorkArea() const {
    const RECT r = PrimaryMonitor().rcWork;
    return TRect{r.left, r.top, r.right, r.bottom};
}

}  // namespace tovel::win32
