#include "platform/win32/common_controls.h"

#include <commctrl.h>

namespace tovel::win32 {

HMODULE CommonControls() {
    // The user-interface thread is the only caller.
    static HMODULE module = nullptr;
    if (module != nullptr) {
        return module;
    }
    HMODULE loaded = LoadLibraryExW(L"comctl32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (loaded == nullptr) {
        return nullptr;
    }
    using InitCommonControlsExFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    const auto init = reinterpret_cast<InitCommonControlsExFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(loaded, "InitCommonControlsEx")));
    if (init != nullptr) {
        // The toolbar's class, and the themed standard controls.
        INITCOMMONCONTROLSEX controls{};
        controls.dwSize = sizeof(controls);
        controls.dwICC = ICC_STANDARD_CLASSES | ICC_BAR_CLASSES;
        init(&controls);
    }
    module = loaded;
    return module;
}

}  // namespace tovel::win32
