#include "platform/headless/headless_text_codec.h"

#include <stdexcept>
#include <string>

#include "framework/text.h"

namespace tovel::headless {
namespace {

// Windows-1252's bytes 0x80..0x9F. The five bytes the code page leaves undefined map
// to the control characters of the same number, as the system's own table does, so
// every byte survives a round trip.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t Latin1Char(std::uint8_t byte) {
    return byte >= 0x80 && byte <= 0x9F ? kHighControls[byte - 0x80] : char16_t{byte};
}

std::uint8_t Latin1Byte(char16_t c) {
    for (std::uint8_t i = 0; i < 32; ++i) {
        if (kHighControls[i] == c) {
            return static_cast<std::uint8_t>(0x80 + i);
        }
    }
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        return static_cast<std::uint8_t>(c);
    }
    return '?';
}

}  // namespace

HeadlessTextCodec::HeadlessTextCodec(std::uint32_t codePage) : codePage_(codePage) {
    if (codePage != kCodePageWindowsLatin1 && codePage != kCodePageUtf8) {
        throw std::logic_error("headless text codec: only code pages 1252 and 65001");
    }
}

std::u16string HeadlessTextCodec::AnsiToUtf16(std::span<const std::uint8_t> bytes) {
    if (codePage_ == kCodePageUtf8) {
        return Utf8ToUtf16(
            std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
    std::u16string text;
    text.reserve(bytes.size());
    for (std::uint8_t byte : bytes) {
        text += Latin1Char(byte);
    }
    return text;
}

std::vector<std::uint8_t> HeadlessTextCodec::Utf16ToAnsi(std::u16string_view text) {
    if (codePage_ == kCodePageUtf8) {
        const std::string utf8 = Utf16ToUtf8(text);
        return std::vector<std::uint8_t>(utf8.begin(), utf8.end());
    }
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        bytes.push_back(Latin1Byte(text[i]));
        // A surrogate pair is one character, so it becomes one replacement byte.
        const bool pair = text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() &&
                          text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
        if (pair) {
            ++i;
        }
    }
    return bytes;
}

}  // namespace tovel::headless
