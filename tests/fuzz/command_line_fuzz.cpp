// Splits and classifies arbitrary command lines and checks what must hold for
// every one of them; the same bytes also drive the number conversion.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "settings/command_line.h"
#include "settings/number_conversion.h"

namespace {

using tovel::ChooseStartMode;
using tovel::CommandLineArguments;
using tovel::ConvertNumber;
using tovel::SplitCommandLine;
using tovel::StartChoice;
using tovel::StartMode;

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool IsSeparator(char16_t c) {
    return c >= 1 && c <= 32;
}

std::u16string Ascii(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

// Without any quote the line is simply cut at separators; a plain reference
// for the splitter in that case.
std::vector<std::u16string> CutAtSeparators(std::u16string_view line) {
    std::vector<std::u16string> items;
    std::u16string item;
    for (char16_t c : line) {
        if (c == u'\0') {
            break;
        }
        if (IsSeparator(c)) {
            if (!item.empty()) {
                items.push_back(item);
            }
            item.clear();
        } else {
            item.push_back(c);
        }
    }
    if (!item.empty()) {
        items.push_back(item);
    }
    return items;
}

void CheckItems(std::u16string_view line, const std::vector<std::u16string>& items) {
    const std::u16string_view untilZero = line.substr(0, line.find(u'\0'));
    const bool lineHasQuote = untilZero.find(u'"') != std::u16string_view::npos;
    for (const std::u16string& item : items) {
        Require(!item.empty());
        Require(item.find(u'"') == std::u16string::npos);
        Require(item.find(u'\0') == std::u16string::npos);
        if (!lineHasQuote) {
            for (char16_t c : item) {
                Require(!IsSeparator(c));
            }
        }
    }
    if (!lineHasQuote) {
        Require(items == CutAtSeparators(line));
    }

    // Every item wrapped in quotes and joined again splits into the same items,
    // whatever separator joins them.
    std::u16string joined;
    for (const std::u16string& item : items) {
        joined += u"\"" + item + u"\"\t";
    }
    Require(SplitCommandLine(joined) == items);
}

void CheckChoice(const std::vector<std::u16string>& arguments) {
    const StartChoice choice = ChooseStartMode(arguments);
    switch (choice.mode) {
        case StartMode::ToggleWheel:
            Require(arguments.empty());
            break;
        case StartMode::Resident:
            Require(arguments.size() == 1 && arguments[0] == u"/t");
            break;
        case StartMode::Window:
            Require(arguments.size() == 1 && arguments[0] == u"/w");
            break;
        case StartMode::SetSpeed:
            Require(arguments.size() == 1 && choice.speed >= 1 && choice.speed <= 20);
            Require(ConvertNumber(arguments[0]) == choice.speed);
            break;
        case StartMode::Invalid: {
            Require(!arguments.empty());
            if (arguments.size() == 1) {
                Require(arguments[0] != u"/t" && arguments[0] != u"/w");
                const auto number = ConvertNumber(arguments[0]);
                Require(!number || *number < 1 || *number > 20);
            }
            break;
        }
    }
    if (choice.mode != StartMode::SetSpeed) {
        Require(choice.speed == 0);
    }
}

void CheckNumber(std::u16string_view text) {
    const std::optional<std::int32_t> value = ConvertNumber(text);
    if (value) {
        // Blanks may lead but never trail.
        Require(ConvertNumber(u"  " + std::u16string(text)) == value);
        Require(ConvertNumber(std::u16string(text) + u" ").has_value() == false);
    }
}

void CheckRoundTrips(std::int32_t value) {
    // Every 32-bit number comes back from its decimal form, with or without
    // leading zeros and blanks, and from its hexadecimal bit pattern.
    const std::u16string decimal = Ascii(std::to_string(value));
    Require(ConvertNumber(decimal) == value);
    Require(ConvertNumber(u"   " + decimal) == value);
    if (value >= 0) {
        Require(ConvertNumber(u"+000" + decimal) == value);
    } else {
        Require(ConvertNumber(u"-000" + decimal.substr(1)) == value);
    }
    static constexpr char kHex[] = "0123456789abcdef";
    std::u16string hex;
    for (auto bits = static_cast<std::uint32_t>(value); bits != 0; bits >>= 4) {
        hex.insert(hex.begin(), static_cast<char16_t>(kHex[bits & 0xF]));
    }
    if (hex.empty()) {
        hex = u"0";
    }
    Require(ConvertNumber(u"$0" + hex) == value);
    Require(ConvertNumber(u"0X" + hex) == value);
    // One more digit beyond 32 bits never wraps around.
    if (hex.size() == 8) {
        Require(!ConvertNumber(u"x1" + hex).has_value());
    }
    // Beyond the decimal range no conversion, no wrap-around.
    const std::int64_t outside = value < 0 ? static_cast<std::int64_t>(value) - 2147483649LL
                                           : static_cast<std::int64_t>(value) + 2147483648LL;
    Require(!ConvertNumber(Ascii(std::to_string(outside))).has_value());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::u16string line;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        line.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    }

    const std::vector<std::u16string> items = SplitCommandLine(line);
    CheckItems(line, items);

    const std::vector<std::u16string> arguments = CommandLineArguments(line);
    Require(items.empty() ? arguments.empty() : arguments.size() == items.size() - 1);
    CheckChoice(arguments);

    CheckNumber(line);
    for (const std::u16string& argument : arguments) {
        CheckNumber(argument);
    }

    if (size >= 4) {
        std::uint32_t bits = 0;
        for (int i = 0; i < 4; ++i) {
            bits |= static_cast<std::uint32_t>(data[i]) << (8 * i);
        }
        CheckRoundTrips(static_cast<std::int32_t>(bits));
    }
    return 0;
}
