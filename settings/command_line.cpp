#include "settings/command_line.h"

#include <optional>

#include "settings/number_conversion.h"

namespace tovel {
namespace {

constexpr char16_t kQuote = u'"';
constexpr std::int32_t kSlowestPointerSpeed = 1;
constexpr std::int32_t kFastestPointerSpeed = 20;

// Blanks, tabs and every other control character end an unquoted stretch.
bool IsSeparator(char16_t c) {
    return c >= 1 && c <= 32;
}

}  // namespace

std::vector<std::u16string> SplitCommandLine(std::u16string_view commandLine) {
    // The system's line is zero-terminated: nothing after a zero belongs to it.
    commandLine = commandLine.substr(0, commandLine.find(u'\0'));

    std::vector<std::u16string> items;
    std::u16string item;
    bool quoted = false;
    for (char16_t c : commandLine) {
        if (c == kQuote) {
            quoted = !quoted;
        } else if (!quoted && IsSeparator(c)) {
            // Dropping empty items here is what makes "" where an item would
            // start count as nothing, while ""x still gives x.
            if (!item.empty()) {
                items.push_back(std::move(item));
                item.clear();
            }
        } else {
            item.push_back(c);
        }
    }
    if (!item.empty()) {
        items.push_back(std::move(item));
    }
    return items;
}

std::vector<std::u16string> CommandLineArguments(std::u16string_view commandLine) {
    auto items = SplitCommandLine(commandLine);
    if (!items.empty()) {
        items.erase(items.begin());
    }
    return items;
}

StartChoice ChooseStartMode(std::span<const std::u16string> arguments) {
    if (arguments.empty()) {
        return {StartMode::ToggleWheel};
    }
    if (arguments.size() > 1) {
        return {StartMode::Invalid};
    }
    const std::u16string& argument = arguments.front();
    if (argument == u"/t") {
        return {StartMode::Resident};
    }
    if (argument == u"/w") {
        return {StartMode::Window};
    }
    const std::optional<std::int32_t> speed = ConvertNumber(argument);
    if (speed && *speed >= kSlowestPointerSpeed && *speed <= kFastestPointerSpeed) {
        return {StartMode::SetSpeed, *speed};
    }
    return {StartMode::Invalid};
}

}  // namespace tovel
