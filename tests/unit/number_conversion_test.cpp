#include "settings/number_conversion.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

namespace tovel {
namespace {

struct Case {
    std::u16string text;
    std::optional<std::int32_t> value;
};

// Readable failure output for UTF-16 texts.
std::string Narrow(const std::u16string& text) {
    std::string narrow;
    for (char16_t c : text) {
        narrow += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
    }
    return narrow;
}

void ExpectConversions(std::initializer_list<Case> cases) {
    for (const Case& c : cases) {
        EXPECT_EQ(ConvertNumber(c.text), c.value) << "text \"" << Narrow(c.text) << '"';
    }
}

TEST(ConvertNumberTest, DecimalWithSignAndLeadingZeros) {
    ExpectConversions({
        {u"7", 7},
        {u"+7", 7},
        {u"-5", -5},
        {u"07", 7},
        {u"0", 0},
        {u"-0", 0},
        {u"20", 20},
        {u"000000000000000000000000000000000000000021", 21},
        {u"-0000000000000000000000000000000000000002147483648", INT32_MIN},
    });
}

TEST(ConvertNumberTest, EveryHexPrefixInEitherLetterCase) {
    ExpectConversions({
        {u"$A", 10},
        {u"$a", 10},
        {u"$14", 20},
        {u"0x14", 20},
        {u"0X14", 20},
        {u"x14", 20},
        {u"X14", 20},
        {u"0x0014", 20},
        {u"$abcdef", 0xABCDEF},
        {u"$ABCDEF", 0xABCDEF},
        {u"+$A", 10},
        {u"$000000000000000001", 1},
    });
}

TEST(ConvertNumberTest, OnlyBlanksMayLead) {
    ExpectConversions({
        {u" 5", 5},
        {u"     -5", -5},
        {u"  $1F", 31},
        {u"\t5", std::nullopt},
        {u"\x01"
         u"5",
         std::nullopt},
        {u"- 5", std::nullopt},
        {u"$ 5", std::nullopt},
        {u"0x 5", std::nullopt},
    });
}

TEST(ConvertNumberTest, NothingMayFollowTheDigits) {
    ExpectConversions({
        {u"7 ", std::nullopt},
        {u"5.", std::nullopt},
        {u"5.0", std::nullopt},
        {u"5 lines", std::nullopt},
        {u"12a", std::nullopt},
        {u"$1G", std::nullopt},
        {u"0x14h", std::nullopt},
        {std::u16string(u"5\0", 2), std::nullopt},
    });
}

TEST(ConvertNumberTest, TextsWithoutDigitsDoNotConvert) {
    ExpectConversions({
        {u"", std::nullopt},
        {u"   ", std::nullopt},
        {u"+", std::nullopt},
        {u"-", std::nullopt},
        {u"$", std::nullopt},
        {u"x", std::nullopt},
        {u"0x", std::nullopt},
        {u"-0X", std::nullopt},
        {u"abc", std::nullopt},
        {u"five", std::nullopt},
        {u"/t", std::nullopt},
        {u"+-5", std::nullopt},
        {u"--5", std::nullopt},
        {u"$$5", std::nullopt},
        {u"0$5", std::nullopt},
        {u"$0x5", std::nullopt},
        {u"00x5", std::nullopt},
        {u"\uFF15", std::nullopt},  // a full-width digit five
    });
}

TEST(ConvertNumberTest, DecimalStopsAtTheSigned32BitLimits) {
    ExpectConversions({
        {u"2147483647", INT32_MAX},
        {u"+2147483647", INT32_MAX},
        {u"-2147483648", INT32_MIN},
        {u"2147483648", std::nullopt},
        {u"+2147483648", std::nullopt},
        {u"-2147483649", std::nullopt},
        {u"4294967295", std::nullopt},
        {u"4294967296", std::nullopt},
        {u"4294967297", std::nullopt},            // would wrap around to 1
        {u"18446744073709551617", std::nullopt},  // would wrap around to 1 in 64 bits
        {std::u16string(400, u'9'), std::nullopt},
    });
}

TEST(ConvertNumberTest, HexReadsA32BitPatternAsSigned) {
    ExpectConversions({
        {u"$7FFFFFFF", INT32_MAX},
        {u"$80000000", INT32_MIN},
        {u"$FFFFFFFF", -1},
        {u"0xfffffffe", -2},
        {u"$100000000", std::nullopt},
        {u"$0FFFFFFFF", -1},
        {u"$1FFFFFFFF", std::nullopt},
        {u"$" + std::u16string(400, u'F'), std::nullopt},
    });
}

TEST(ConvertNumberTest, MinusNegatesTheHexValueWithin32Bits) {
    ExpectConversions({
        {u"-$1", -1},
        {u"-0x14", -20},
        {u"-$7FFFFFFF", -INT32_MAX},
        {u"-$80000000", INT32_MIN},
        {u"-$FFFFFFFF", 1},
        {u"-$100000000", std::nullopt},
    });
}

}  // namespace
}  // namespace tovel
