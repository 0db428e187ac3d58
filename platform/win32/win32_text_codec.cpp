#include "platform/win32/win32_text_codec.h"

#include <windows.h>

#include <climits>
#include <stdexcept>

namespace tovel::win32 {

std::uint32_t Win32TextCodec::AnsiCodePage() {
    return GetACP();
}

std::u16string Win32TextCodec::AnsiToUtf16(std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) {
        return {};
    }
    // The conversion calls count in int; refuse rather than cut the text short.
    if (bytes.size() > INT_MAX) {
        throw std::length_error("text too long for the ANSI code page conversion");
    }
    const auto* source = reinterpret_cast<const char*>(bytes.data());
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, source, size, nullptr, 0);
    if (length <= 0) {
        return {};
    }
    std::u16string text(static_cast<std::size_t>(length), u'\0');
    MultiByteToWideChar(CP_ACP, 0, source, size, reinterpret_cast<wchar_t*>(text.data()), length);
    return text;
}

std::vector<std::uint8_t> Win32TextCodec::Utf16ToAnsi(std::u16string_view text) {
    if (text.empty()) {
        return {};
    }
    if (text.size() > INT_MAX) {
        throw std::length_error("text too long for the ANSI code page conversion");
    }
    const auto* source = reinterpret_cast<const wchar_t*>(text.data());
    const int size = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(CP_ACP, 0, source, size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        return {};
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length));
    WideCharToMultiByte(CP_ACP, 0, source, size, reinterpret_cast<char*>(bytes.data()), length,
                        nullptr, nullptr);
    return bytes;
}

}  // namespace tovel::win32
