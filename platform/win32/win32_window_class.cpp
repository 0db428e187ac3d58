#include "platform/win32/win32_api.h"

#include "platform/win32/win32_window_class.h"

#include "platform/win32/common_controls.h"
#include "platform/win32/win32_window_table.h"

#include <set>
#include <string>

namespace tovel::win32 {

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
