// Reports the geometry of Tovel's main window for the end-to-end tests.
//
// Finds the window by its class and title, then prints, one item a line:
//   client <width> <height>
//   window <left> <top> <right> <bottom>      (outer rectangle, screen)
//   workarea <left> <top> <right> <bottom>    (primary monitor)
//   child <left> <top> <width> <height> <class> <caption as UTF-8>
// the child lines being the main window's direct children in client
// coordinates. Exit code 1 when the window is not there.
//
// The helper declares itself DPI aware so that the system hands it the
// window's own pixel sizes instead of values scaled for an unaware caller.

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string Utf8(const wchar_t* text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) {
        return {};
    }
    std::string out(static_cast<size_t>(size - 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    return out;
}

struct Walk {
    HWND parent;
};

BOOL CALLBACK PrintChild(HWND child, LPARAM param) {
    const Walk* walk = reinterpret_cast<const Walk*>(param);
    if (GetParent(child) != walk->parent) {
        return TRUE;  // grandchildren come through here as well
    }
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, walk->parent, reinterpret_cast<POINT*>(&r), 2);
    wchar_t cls[128] = {};
    GetClassNameW(child, cls, 128);
    wchar_t caption[256] = {};
    GetWindowTextW(child, caption, 256);
    std::printf("child %ld %ld %ld %ld %s %s\n", r.left, r.top, r.right - r.left, r.bottom - r.top,
                Utf8(cls).c_str(), Utf8(caption).c_str());
    return TRUE;
}

}  // namespace

int wmain() {
    SetProcessDPIAware();
    HWND window = FindWindowW(L"TmainForm", L"Tovel");
    if (window == nullptr) {
        std::printf("no window\n");
        return 1;
    }
    RECT client{};
    GetClientRect(window, &client);
    std::printf("client %ld %ld\n", client.right - client.left, client.bottom - client.top);
    RECT outer{};
    GetWindowRect(window, &outer);
    std::printf("window %ld %ld %ld %ld\n", outer.left, outer.top, outer.right, outer.bottom);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    std::printf("workarea %ld %ld %ld %ld\n", work.left, work.top, work.right, work.bottom);
    Walk walk{window};
    EnumChildWindows(window, &PrintChild, reinterpret_cast<LPARAM>(&walk));
    std::fflush(stdout);
    return 0;
}
