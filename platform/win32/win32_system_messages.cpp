#include "platform/win32/win32_system_messages.h"

#include <windows.h>

#include "platform/win32/win32_text.h"

namespace tovel::win32 {

std::u16string Win32SystemMessages::ErrorText(std::uint32_t code) {
    wchar_t* buffer = nullptr;
    // Language 0 lets the system pick the user's language, falling back as it sees fit.
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (length == 0 || buffer == nullptr) {
        return {};
    }
    std::u16string text = FromWide(buffer, length);
    LocalFree(buffer);
    return text;
}

}  // namespace tovel::win32
