// Looks at and pokes the top-level windows of the Wine session from inside it.
//
// On a Wine virtual desktop the program's windows are drawn into the desktop's
// one X window, so X tools cannot see them; this helper asks the window system.
//
// usage:
//   window_probe.exe list
//       one line per top-level window, in z order (topmost first):
//       hwnd<TAB>pid<TAB>class<TAB>visible<TAB>iconic<TAB>left,top,right,bottom<TAB>title
//       (title and class in UTF-8; visible and iconic are 0 or 1)
//   window_probe.exe syscommand TITLE COMMAND
//       posts WM_SYSCOMMAND with COMMAND (decimal or 0x hex) to every visible
//       top-level window whose title is exactly TITLE; exit code 1 when none
//   window_probe.exe minbox TITLE
//       prints "x,y", the screen point in the middle of the minimise box of the
//       visible top-level window titled TITLE, found by hit-testing its caption
//       row the way the window system does for a mouse click; exit code 1 when
//       there is no such window or box
//   window_probe.exe keyboard PID
//       prints "active<TAB>focus<TAB>text": the classes of the active window and
//       of the focus window of the process's user-interface thread, and the
//       focus window's text (UTF-8); exit code 1 when the process has no window
//   window_probe.exe activate PID CLASS
//       makes a window of its own the foreground one, then the process's
//       top-level window of that class, as a click on a taskbar button does;
//       exit code 1 when there is no such window or the system refused
// Exit code 2 for a bad command line.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

std::string utf8(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return {};
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    out.resize(static_cast<size_t>(size - 1));
    return out;
}

BOOL CALLBACK print_window(HWND hwnd, LPARAM) {
    wchar_t title[512] = {};
    wchar_t cls[256] = {};
    GetWindowTextW(hwnd, title, 512);
    GetClassNameW(hwnd, cls, 256);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    RECT r = {};
    GetWindowRect(hwnd, &r);
    std::printf("%p\t%lu\t%s\t%d\t%d\t%ld,%ld,%ld,%ld\t%s\n", static_cast<void*>(hwnd), pid,
                utf8(cls).c_str(), IsWindowVisible(hwnd) ? 1 : 0, IsIconic(hwnd) ? 1 : 0,
                r.left, r.top, r.right, r.bottom, utf8(title).c_str());
    return TRUE;
}

struct SysCommand {
    const wchar_t* title;
    WPARAM command;
    int sent;
};

BOOL CALLBACK post_syscommand(HWND hwnd, LPARAM param) {
    auto* job = reinterpret_cast<SysCommand*>(param);
    wchar_t title[512] = {};
    GetWindowTextW(hwnd, title, 512);
    if (IsWindowVisible(hwnd) && std::wcscmp(title, job->title) == 0) {
        if (PostMessageW(hwnd, WM_SYSCOMMAND, job->command, 0)) ++job->sent;
    }
    return TRUE;
}

struct TitleSearch {
    const wchar_t* title;
    HWND found;
};

BOOL CALLBACK find_visible(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<TitleSearch*>(param);
    wchar_t title[512] = {};
    GetWindowTextW(hwnd, title, 512);
    if (IsWindowVisible(hwnd) && std::wcscmp(title, search->title) == 0) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

int print_minimise_box(const wchar_t* title) {
    TitleSearch search{title, nullptr};
    EnumWindows(find_visible, reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr) return 1;
    RECT r = {};
    GetWindowRect(search.found, &r);
    // The caption buttons sit in one row just below the top frame.
    const int y = r.top + GetSystemMetrics(SM_CYFIXEDFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
    int first = -1;
    int last = -1;
    for (int x = r.left; x < r.right; ++x) {
        const LRESULT hit = SendMessageW(search.found, WM_NCHITTEST, 0, MAKELPARAM(x, y));
        if (hit == HTMINBUTTON) {
            if (first < 0) first = x;
            last = x;
        }
    }
    if (first < 0) return 1;
    std::printf("%d,%d\n", (first + last) / 2, y);
    return 0;
}

struct ProcessWindow {
    DWORD pid;
    const wchar_t* cls;
    HWND found;
};

BOOL CALLBACK find_of_process(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<ProcessWindow*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[256] = {};
    GetClassNameW(hwnd, cls, 256);
    if (pid == search->pid && (search->cls == nullptr || std::wcscmp(cls, search->cls) == 0)) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND window_of(DWORD pid, const wchar_t* cls) {
    ProcessWindow search{pid, cls, nullptr};
    EnumWindows(find_of_process, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string class_of(HWND hwnd) {
    wchar_t cls[256] = {};
    if (hwnd != nullptr)
        GetClassNameW(hwnd, cls, 256);
    return utf8(cls);
}

int print_keyboard(DWORD pid) {
    HWND any = window_of(pid, nullptr);
    if (any == nullptr)
        return 1;
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(any, nullptr), &info))
        return 1;
    wchar_t text[512] = {};
    if (info.hwndFocus != nullptr)
        GetWindowTextW(info.hwndFocus, text, 512);
    std::printf("%s\t%s\t%s\n", class_of(info.hwndActive).c_str(), class_of(info.hwndFocus).c_str(),
                utf8(text).c_str());
    std::fflush(stdout);
    return 0;
}

int activate(DWORD pid, const wchar_t* cls) {
    HWND target = window_of(pid, cls);
    if (target == nullptr)
        return 1;
    // Another program takes the front first, so the target is activated
    // afresh rather than found active already.
    HWND own = CreateWindowExW(0, L"STATIC", L"window_probe", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (own != nullptr)
        SetForegroundWindow(own);
    const BOOL done = SetForegroundWindow(target);
    if (own != nullptr)
        DestroyWindow(own);
    return done ? 0 : 1;
}

int usage() {
    std::fprintf(stderr,
                 "usage: window_probe.exe list | syscommand TITLE COMMAND | minbox TITLE |"
                 " keyboard PID | activate PID CLASS\n");
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 2 && std::wcscmp(argv[1], L"list") == 0) {
        EnumWindows(print_window, 0);
        std::fflush(stdout);
        return 0;
    }
    if (argc == 4 && std::wcscmp(argv[1], L"syscommand") == 0) {
        wchar_t* end = nullptr;
        const unsigned long command = std::wcstoul(argv[3], &end, 0);
        if (*end != 0) return usage();
        SysCommand job{argv[2], static_cast<WPARAM>(command), 0};
        EnumWindows(post_syscommand, reinterpret_cast<LPARAM>(&job));
        return job.sent > 0 ? 0 : 1;
    }
    if (argc == 3 && std::wcscmp(argv[1], L"minbox") == 0) {
        return print_minimise_box(argv[2]);
    }
    if ((argc == 3 && std::wcscmp(argv[1], L"keyboard") == 0) ||
        (argc == 4 && std::wcscmp(argv[1], L"activate") == 0)) {
        wchar_t* end = nullptr;
        const unsigned long pid = std::wcstoul(argv[2], &end, 10);
        if (*end != 0)
            return usage();
        return argc == 3 ? print_keyboard(pid) : activate(pid, argv[3]);
    }
    return usage();
}
