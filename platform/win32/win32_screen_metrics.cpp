#include "platform/win32/win32_api.h"

#include "platform/win32/win32_screen_metrics.h"

#include "framework/form.h"
#include "platform/win32/win32_font.h"
#include "platform/win32/win32_text.h"

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

int Win32ScreenMetrics::TextLineHeight(const TFont& font) {
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

std::u16string Win32ScreenMetrics::MenuFontName() {
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

int Win32ScreenMetrics::MonitorDpi(const TRect& rect) const {
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

TRect Win32ScreenMetrics::ScreenRect() const {
    const RECT r = PrimaryMonitor().rcMonitor;
    return TRect{r.left, r.top, r.right, r.bottom};
}

TRect Win32ScreenMetrics::WorkArea() const {
    const RECT r = PrimaryMonitor().rcWork;
    return TRect{r.left, r.top, r.right, r.bottom};
}

int Win32ScreenMetrics::CaptionHeight() {
    return GetSystemMetrics(SM_CYCAPTION);
}

}  // namespace tovel::win32
