#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tovel {

// Reads a whole text as a signed 32-bit number. One rule serves the
// command-line argument and the line index stored in the settings file:
//
//   - leading blanks (code 32 only) are skipped; tabs and other characters are not;
//   - then at most one sign, "+" or "-";
//   - then decimal digits, or one of the prefixes "$", "x", "X", "0x", "0X"
//     followed by hexadecimal digits; leading zeros are allowed in both;
//   - nothing may follow the digits.
//
// A decimal value must lie in -2147483648..2147483647; a larger magnitude does
// not convert rather than wrap around. Hexadecimal digits give a 32-bit pattern
// (at most 32 significant bits) read as signed, so $80000000..$FFFFFFFF are the
// negative numbers; a minus sign before them negates that signed value within
// 32 bits: "-$1" is -1, "-$FFFFFFFF" is 1 and "-$80000000" is -2147483648.
//
// Text that does not follow the rule, the empty text included, gives no value.
std::optional<std::int32_t> ConvertNumber(std::u16string_view text);

}  // namespace tovel
