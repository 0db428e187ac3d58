#pragma once

#include <string>

namespace tovel::win32 {

// The program's texts are UTF-16 in char16_t; the system's wide strings are
// UTF-16 in wchar_t, which is a 16-bit type on this platform. The two are
// reinterpreted here and nowhere else.
static_assert(sizeof(wchar_t) == sizeof(char16_t), "wchar_t must be a UTF-16 unit");

inline const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

inline std::u16string FromWide(const wchar_t* text, std::size_t length) {
    return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}

inline std::u16string FromWide(const wchar_t* text) {
    return text == nullptr ? std::u16string()
                           : std::u16string(reinterpret_cast<const char16_t*>(text));
}

}  // namespace tovel::win32
