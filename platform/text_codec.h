#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tovel {

// Code page identifiers, by their documented numbers.
inline constexpr std::uint32_t kCodePageWindowsLatin1 = 1252;  // Windows-1252
inline constexpr std::uint32_t kCodePageUtf8 = 65001;          // CP_UTF8

// The system's ANSI code page: the encoding of byte text that carries no mark of its own.
class TextCodec {
  public:
    virtual ~TextCodec() = default;

    // The number of the ANSI code page in force (932 on a Japanese system, 65001 where
    // the system uses UTF-8 for it).
    virtual std::uint32_t AnsiCodePage() = 0;

    // Byte text in the ANSI code page to UTF-16. Bytes the code page does not define
    // become the system's replacement character instead of failing.
    virtual std::u16string AnsiToUtf16(std::span<const std::uint8_t> bytes) = 0;

    // UTF-16 to byte text in the ANSI code page; characters it cannot express become
    // the code page's replacement character.
    virtual std::vector<std::uint8_t> Utf16ToAnsi(std::u16string_view text) = 0;
};

}  // namespace tovel
