#include "platform/win32/win32_system_version.h"

#include <windows.h>

namespace tovel::win32 {

// The call checks the size field; the wide structure's full size is what it expects.
static_assert(sizeof(OSVERSIONINFOW) == 276);

std::optional<std::uint32_t> Win32SystemVersion::MajorVersion() {
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
#if defined(_MSC_VER)
#pragma warning(suppress : 4996)  // deprecated, but its manifest-dependent answer is wanted
#endif
    const BOOL ok = GetVersionExW(&info);
    if (!ok) {
        return std::nullopt;
    }
    return info.dwMajorVersion;
}

}  // namespace tovel::win32
