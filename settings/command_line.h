#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tovel {

// Splits a whole command line, as the system hands it to the process, into its
// items; the first item is the program's path.
//
//   - Characters with codes 1..32 separate items.
//   - A double quote opens a quoted stretch that runs to the next double quote
//     or to the end of the line; inside it separators are ordinary characters.
//     The quotes are dropped, and quoted and unquoted stretches that touch make
//     one item: a"b c"d is the single item ab cd.
//   - There is no escape character.
//   - An item that comes out empty is no item: "" alone, or a lone quote at the
//     end of the line, adds nothing.
//   - The line ends at its end or at the first code 0, whichever comes first.
std::vector<std::u16string> SplitCommandLine(std::u16string_view commandLine);

// The items of a command line after the program's path.
std::vector<std::u16string> CommandLineArguments(std::u16string_view commandLine);

// The four ways the program can run, and the refusal of any other command line.
enum class StartMode {
    ToggleWheel,  // no argument: flip between whole-screen and line-wise scrolling, then quit
    Resident,     // "/t": stay in the notification area
    Window,       // "/w": show the main window without a tray icon
    SetSpeed,     // one number from 1 to 20: set the pointer speed, then quit
    Invalid,      // anything else: show the command-line error, then quit
};

struct StartChoice {
    StartMode mode = StartMode::ToggleWheel;
    std::int32_t speed = 0;  // 1..20 for SetSpeed, 0 otherwise

    bool operator==(const StartChoice&) const = default;
};

// Chooses the way of running from the arguments (without the program's path).
// "/t" and "/w" match exactly, letter case included; a number is read by
// ConvertNumber. Two or more arguments are always wrong.
StartChoice ChooseStartMode(std::span<const std::u16string> arguments);

}  // namespace tovel
