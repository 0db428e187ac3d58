#include "platform/win32/dll_search.h"

#include <windows.h>

namespace tovel::win32 {

bool RestrictDllSearchToSystem() {
    // Looked up rather than imported: Windows 7 and Vista have it only with an update
    // installed, and an import that cannot be resolved would stop the program from
    // loading at all. kernel32 is always loaded, so asking for it loads nothing.
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    bool restricted = false;
    if (const HMODULE kernel = GetModuleHandleW(L"kernel32.dll")) {
        const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
            reinterpret_cast<void (*)()>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
        if (setDefault) {
            restricted = setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE;
        }
    }
    // An empty string removes the current folder from the classic search order too,
    // which still applies where the call above is missing.
    SetDllDirectoryW(L"");
    return restricted;
}

}  // namespace tovel::win32
