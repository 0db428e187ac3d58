#include "settings/command_line.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tovel {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Readable failure output for UTF-16 texts.
std::string Narrow(std::u16string_view text) {
    std::string narrow;
    for (char16_t c : text) {
        narrow += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
    }
    return narrow;
}

const std::u16string kProgram = u"C:\\Tools\\Tovel.exe";

// The way of running for the given text after the program's path.
StartChoice Choose(std::u16string_view afterProgram) {
    return ChooseStartMode(CommandLineArguments(kProgram + u" " + std::u16string(afterProgram)));
}

struct ModeCase {
    std::u16string afterProgram;
    StartChoice expected;
};

void ExpectChoices(std::initializer_list<ModeCase> cases) {
    for (const ModeCase& c : cases) {
        const StartChoice choice = Choose(c.afterProgram);
        EXPECT_EQ(choice.mode, c.expected.mode)
            << "command line tail [" << Narrow(c.afterProgram) << ']';
        EXPECT_EQ(choice.speed, c.expected.speed)
            << "command line tail [" << Narrow(c.afterProgram) << ']';
    }
}

TEST(SplitCommandLineTest, SeparatorsAreBlanksTabsAndEveryControlCharacter) {
    EXPECT_THAT(SplitCommandLine(u"a b\tc\x01"
                                 u"d\re\nf\x1F"
                                 u"g"),
                ElementsAre(u"a", u"b", u"c", u"d", u"e", u"f", u"g"));
    EXPECT_THAT(SplitCommandLine(u"  \t a  \x02\x03 b \x20 "), ElementsAre(u"a", u"b"));
    // Code 33 and above are ordinary characters, so is a character beyond ASCII.
    EXPECT_THAT(SplitCommandLine(u"!a\u3000b\x7F"), ElementsAre(u"!a\u3000b\x7F"));
    EXPECT_THAT(SplitCommandLine(u""), IsEmpty());
    EXPECT_THAT(SplitCommandLine(u" \t "), IsEmpty());
}

TEST(SplitCommandLineTest, QuotesKeepSeparatorsAndAreDropped) {
    EXPECT_THAT(SplitCommandLine(u"p \"a b\" \"c\td\""), ElementsAre(u"p", u"a b", u"c\td"));
    EXPECT_THAT(SplitCommandLine(u"p \" \""), ElementsAre(u"p", u" "));
    // Touching quoted and unquoted stretches make one item.
    EXPECT_THAT(SplitCommandLine(u"p a\"b c\"d"), ElementsAre(u"p", u"ab cd"));
    EXPECT_THAT(SplitCommandLine(u"p \"a\"\"b\"c"), ElementsAre(u"p", u"abc"));
    // No escape character: a backslash is kept and does not protect the quote.
    EXPECT_THAT(SplitCommandLine(u"p a\\\"b c\\\" d"), ElementsAre(u"p", u"a\\b c\\", u"d"));
}

TEST(SplitCommandLineTest, AnUnterminatedQuoteRunsToTheEndOfTheLine) {
    EXPECT_THAT(SplitCommandLine(u"p \"a b  c"), ElementsAre(u"p", u"a b  c"));
    EXPECT_THAT(SplitCommandLine(u"p x\"y z"), ElementsAre(u"p", u"xy z"));
    EXPECT_THAT(SplitCommandLine(u"p a \""), ElementsAre(u"p", u"a"));
}

TEST(SplitCommandLineTest, AnEmptyQuotedArgumentIsNoArgument) {
    EXPECT_THAT(SplitCommandLine(u"p \"\""), ElementsAre(u"p"));
    EXPECT_THAT(SplitCommandLine(u"p \"\" a \"\"\"\" \"\""), ElementsAre(u"p", u"a"));
    // Where an argument already started, the pair adds nothing to it.
    EXPECT_THAT(SplitCommandLine(u"p a\"\"b \"\"c"), ElementsAre(u"p", u"ab", u"c"));
}

TEST(SplitCommandLineTest, TheLineEndsAtTheFirstZero) {
    const std::u16string line(u"p a\0b c", 7);
    EXPECT_THAT(SplitCommandLine(line), ElementsAre(u"p", u"a"));
}

TEST(CommandLineArgumentsTest, TheProgramPathIsNoArgument) {
    EXPECT_THAT(CommandLineArguments(u"Tovel.exe"), IsEmpty());
    EXPECT_THAT(CommandLineArguments(u""), IsEmpty());
    EXPECT_THAT(CommandLineArguments(u"Tovel.exe /t"), ElementsAre(u"/t"));
    // A quoted path with blanks is one item, however the line begins.
    EXPECT_THAT(CommandLineArguments(u"\"C:\\Program Files\\Tovel\\Tovel.exe\" /t"),
                ElementsAre(u"/t"));
    EXPECT_THAT(CommandLineArguments(u"\"C:\\Program Files\\Tovel\\Tovel.exe\"/w 5"),
                ElementsAre(u"5"));
    EXPECT_THAT(CommandLineArguments(u"  C:\\Tools\\Tovel.exe\t\t7"), ElementsAre(u"7"));
    EXPECT_THAT(CommandLineArguments(u"\"C:\\Program Files\\Tovel\\Tovel.exe\""), IsEmpty());
}

TEST(ChooseStartModeTest, NoArgumentTogglesTheWheel) {
    ExpectChoices({
        {u"", {StartMode::ToggleWheel}},
        {u"   ", {StartMode::ToggleWheel}},
        {u"\"\"", {StartMode::ToggleWheel}},
        {u"\"\" \"\"", {StartMode::ToggleWheel}},
    });
    EXPECT_EQ(ChooseStartMode(CommandLineArguments(kProgram)).mode, StartMode::ToggleWheel);
}

TEST(ChooseStartModeTest, ExactSwitchesChooseResidentOrWindow) {
    ExpectChoices({
        {u"/t", {StartMode::Resident}},
        {u"\"/t\"", {StartMode::Resident}},
        {u"/\"t\"", {StartMode::Resident}},
        {u"  /t  ", {StartMode::Resident}},
        {u"\"\" /t", {StartMode::Resident}},
        {u"/w", {StartMode::Window}},
        {u"\"/w\"", {StartMode::Window}},
        {u"/T", {StartMode::Invalid}},
        {u"/W", {StartMode::Invalid}},
        {u"\" /t\"", {StartMode::Invalid}},
        {u"\"/t \"", {StartMode::Invalid}},
        {u"-t", {StartMode::Invalid}},
        {u"/tt", {StartMode::Invalid}},
        {u"t", {StartMode::Invalid}},
    });
}

TEST(ChooseStartModeTest, ANumberFromOneToTwentySetsTheSpeed) {
    ExpectChoices({
        {u"7", {StartMode::SetSpeed, 7}},
        {u"+7", {StartMode::SetSpeed, 7}},
        {u"07", {StartMode::SetSpeed, 7}},
        {u"$A", {StartMode::SetSpeed, 10}},
        {u"0x14", {StartMode::SetSpeed, 20}},
        {u"$14", {StartMode::SetSpeed, 20}},
        {u"1", {StartMode::SetSpeed, 1}},
        {u"20", {StartMode::SetSpeed, 20}},
        {u"\" 5\"", {StartMode::SetSpeed, 5}},
        {u"\"7 \"", {StartMode::Invalid}},
        {u"0", {StartMode::Invalid}},
        {u"21", {StartMode::Invalid}},
        {u"-1", {StartMode::Invalid}},
        {u"-5", {StartMode::Invalid}},
        {u"$15", {StartMode::Invalid}},
        {u"abc", {StartMode::Invalid}},
        {u"4294967297", {StartMode::Invalid}},  // 2^32 + 1 must not wrap around to 1
        {u"-$FFFFFFFF", {StartMode::SetSpeed, 1}},
        {u"\" \"", {StartMode::Invalid}},
    });
}

TEST(ChooseStartModeTest, TwoOrMoreArgumentsAreAlwaysWrong) {
    ExpectChoices({
        {u"/t /w", {StartMode::Invalid}},
        {u"/t 5", {StartMode::Invalid}},
        {u"5 6", {StartMode::Invalid}},
        {u"/t /t", {StartMode::Invalid}},
        {u"5\t\"\"x", {StartMode::Invalid}},
        {u"/t \"", {StartMode::Resident}},  // a lone closing quote adds no argument
        {u"/t \"\"", {StartMode::Resident}},
    });
}

}  // namespace
}  // namespace tovel
