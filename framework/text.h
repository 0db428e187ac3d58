#pragma once

#include <string>
#include <string_view>

namespace tovel {

// UTF-8 <-> UTF-16 for texts that come from the standard library or go to
// logs; invalid sequences become U+FFFD rather than failing.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

// Decimal form of a 32-bit integer, "-" for negative values, no padding.
std::u16string IntToStr(long long value);

}  // namespace tovel
