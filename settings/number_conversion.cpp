#include "settings/number_conversion.h"

namespace tovel {
namespace {

constexpr std::uint64_t kLargestPositive = 2147483647u;
constexpr std::uint64_t kLargestNegativeMagnitude = 2147483648u;
constexpr std::uint64_t kLargestPattern = 0xFFFFFFFFu;

std::optional<unsigned> DecimalDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') {
        return static_cast<unsigned>(c - u'0');
    }
    return std::nullopt;
}

std::optional<unsigned> HexDigit(char16_t c) {
    if (auto digit = DecimalDigit(c)) {
        return digit;
    }
    if (c >= u'a' && c <= u'f') {
        return static_cast<unsigned>(c - u'a' + 10);
    }
    if (c >= u'A' && c <= u'F') {
        return static_cast<unsigned>(c - u'A' + 10);
    }
    return std::nullopt;
}

// The digits after a hexadecimal prefix, or nothing when the text has none.
// "0x" is tried before "x" so that its zero is not taken for a decimal digit.
std::optional<std::u16string_view> AfterHexPrefix(std::u16string_view text) {
    if (text.starts_with(u"0x") || text.starts_with(u"0X")) {
        return text.substr(2);
    }
    if (text.starts_with(u'$') || text.starts_with(u'x') || text.starts_with(u'X')) {
        return text.substr(1);
    }
    return std::nullopt;
}

// The value is built in 64 bits and checked after every digit, so any number
// of digits is read without overflow.
std::optional<std::int32_t> ConvertDecimal(std::u16string_view digits, bool negative) {
    if (digits.empty()) {
        return std::nullopt;
    }
    const std::uint64_t limit = negative ? kLargestNegativeMagnitude : kLargestPositive;
    std::uint64_t magnitude = 0;
    for (char16_t c : digits) {
        const auto digit = DecimalDigit(c);
        if (!digit) {
            return std::nullopt;
        }
        magnitude = magnitude * 10 + *digit;
        if (magnitude > limit) {
            return std::nullopt;
        }
    }
    const auto value = static_cast<std::int64_t>(magnitude);
    return static_cast<std::int32_t>(negative ? -value : value);
}

std::optional<std::int32_t> ConvertHex(std::u16string_view digits, bool negative) {
    if (digits.empty()) {
        return std::nullopt;
    }
    std::uint64_t pattern = 0;
    for (char16_t c : digits) {
        const auto digit = HexDigit(c);
        if (!digit) {
            return std::nullopt;
        }
        pattern = pattern * 16 + *digit;
        if (pattern > kLargestPattern) {
            return std::nullopt;
        }
    }
    // Negating in unsigned arithmetic is the two's-complement negation of the
    // signed reading, defined for every pattern including $80000000.
    auto bits = static_cast<std::uint32_t>(pattern);
    if (negative) {
        bits = 0u - bits;
    }
    return static_cast<std::int32_t>(bits);
}

}  // namespace

std::optional<std::int32_t> ConvertNumber(std::u16string_view text) {
    const auto firstNonBlank = text.find_first_not_of(u' ');
    text.remove_prefix(firstNonBlank == std::u16string_view::npos ? text.size() : firstNonBlank);

    bool negative = false;
    if (text.starts_with(u'+') || text.starts_with(u'-')) {
        negative = text.front() == u'-';
        text.remove_prefix(1);
    }

    if (const auto hexDigits = AfterHexPrefix(text)) {
        return ConvertHex(*hexDigits, negative);
    }
    return ConvertDecimal(text, negative);
}

}  // namespace tovel
