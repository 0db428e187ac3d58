#include "settings/settings_document.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework/text.h"
#include "platform/headless/headless_text_codec.h"

namespace tovel {
namespace {

using headless::HeadlessTextCodec;
using ::testing::ElementsAre;
using Line = SettingsDocument::Line;
using Section = SettingsDocument::Section;

std::vector<std::uint8_t> Bytes(std::string_view text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

std::vector<std::uint8_t> Concat(std::vector<std::uint8_t> head,
                                 const std::vector<std::uint8_t>& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

std::vector<std::uint8_t> Utf16Bytes(std::u16string_view text, bool bigEndian) {
    std::vector<std::uint8_t> bytes;
    for (char16_t c : text) {
        const auto high = static_cast<std::uint8_t>(c >> 8);
        const auto low = static_cast<std::uint8_t>(c);
        bytes.push_back(bigEndian ? high : low);
        bytes.push_back(bigEndian ? low : high);
    }
    return bytes;
}

class SettingsDocumentTest : public ::testing::Test {
  protected:
    SettingsDocument LoadText(std::string_view text) {
        return SettingsDocument::Load(Bytes(text), codec);
    }
    std::int32_t ReadCount(std::string_view text) {
        return LoadText(text).ReadInteger(u"Line", u"Count", 2);
    }

    HeadlessTextCodec codec{kCodePageWindowsLatin1};
};

TEST_F(SettingsDocumentTest, ValueSpellingsOfFiveAllReadFive) {
    for (const char* file :
         {"[Line]\r\nCount=5\r\n", "[Line]\r\nCount = 5\r\n", "[Line]\r\nCount=0x5\r\n",
          "[Line]\r\nCount=0X5\r\n", "[Line]\r\nCount=$5\r\n", "[Line]\r\nCount=+5\r\n",
          "[line]\r\ncount=5\r\n", "[LINE]\r\nCOUNT=5\r\n", "  [ Line ]  \r\n\tCount\t=\t5\t\r\n",
          "[Line]\r\nCount=005\r\n", "[Line]\r\nCount=x5\r\n"}) {
        SCOPED_TRACE(file);
        EXPECT_EQ(ReadCount(file), 5);
    }
}

TEST_F(SettingsDocumentTest, UnusableValuesGiveTheDefault) {
    for (const char* file :
         {"[Line]\r\nCount=\r\n", "[Line]\r\nCount=five\r\n", "[Line]\r\nCount=5 lines\r\n",
          "[Line]\r\nCount\r\n", "[Line]\r\nCount=0x\r\n", "[Line]\r\nCount=5.0\r\n",
          "[Line]\r\nCount=2147483648\r\n", "[Line]\r\nCount=0x-5\r\n", "[Line]\r\nCounter=5\r\n",
          "Count=5\r\n[Line]\r\n", "[Other]\r\nCount=5\r\n", "[Line]\r\n;Count=5\r\n", ""}) {
        SCOPED_TRACE(file);
        EXPECT_EQ(ReadCount(file), 2);
    }
}

TEST_F(SettingsDocumentTest, ReadsNegativeAndHexadecimalValuesAsStored) {
    EXPECT_EQ(ReadCount("[Line]\r\nCount=-1\r\n"), -1);
    EXPECT_EQ(ReadCount("[Line]\r\nCount=0x1F\r\n"), 31);
    EXPECT_EQ(ReadCount("[Line]\r\nCount=-0x5\r\n"), -5);
    EXPECT_EQ(ReadCount("[Line]\r\nCount=0xFFFFFFFF\r\n"), -1);
    EXPECT_EQ(ReadCount("[Line]\r\nCount=150\r\n"), 150);  // no range check here
}

TEST_F(SettingsDocumentTest, TheLastOccurrenceOfAKeyCounts) {
    EXPECT_EQ(ReadCount("[Line]\r\nCount=1\r\ncount=9\r\n"), 9);
    // A bare key as the last occurrence hides the earlier value.
    EXPECT_EQ(ReadCount("[Line]\r\nCount=1\r\nCount\r\n"), 2);
    // A repeated header continues the first section of that name.
    EXPECT_EQ(ReadCount("[Line]\r\nCount=4\r\n[Other]\r\nCount=8\r\n[Line]\r\nCount=7\r\n"), 7);
}

TEST_F(SettingsDocumentTest, EveryKindOfLineBreakEndsALine) {
    EXPECT_EQ(ReadCount("[Line]\nCount=5\n"), 5);
    EXPECT_EQ(ReadCount("[Line]\rCount=5\r"), 5);
    EXPECT_EQ(ReadCount("[Line]\r\n\r\rCount=5"), 5);
    EXPECT_EQ(ReadCount("[Line]\n\rCount=5\r\nCount=6"), 6);
}

TEST_F(SettingsDocumentTest, KeepsSectionsAndLinesButDropsCommentsBlanksAndStrayLines) {
    const SettingsDocument document = LoadText(
        "; top comment\r\nstray=1\r\n[First]\r\n  a = 1  \r\n\r\nbare\r\n;c=3\r\nx==y\r\n"
        "=v\r\n[ Second ]\r\nb=\r\n[first]\r\nc=3\r\n[]\r\n[x]y]\r\n");
    EXPECT_THAT(
        document.Sections(),
        ElementsAre(Section{u"First",
                            {Line{u"a", u"1"}, Line{u"bare", std::nullopt}, Line{u"x", u"=y"},
                             Line{u"", u"v"}, Line{u"c", u"3"}}},
                    Section{u"Second", {Line{u"b", u""}}}, Section{u"", {}}, Section{u"x]y", {}}));
}

TEST_F(SettingsDocumentTest, WritingANewDocumentGivesTheNineteenBytes) {
    SettingsDocument document;
    document.WriteInteger(u"Line", u"Count", 2);
    EXPECT_EQ(document.Serialize(codec),
              (std::vector<std::uint8_t>{0x5B, 0x4C, 0x69, 0x6E, 0x65, 0x5D, 0x0D, 0x0A, 0x43, 0x6F,
                                         0x75, 0x6E, 0x74, 0x3D, 0x32, 0x0D, 0x0A, 0x0D, 0x0A}));

    SettingsDocument empty;
    empty.WriteInteger(u"Line", u"Count", -1);
    EXPECT_EQ(empty.Serialize(codec), Bytes("[Line]\r\nCount=-1\r\n\r\n"));

    // Where the ANSI code page is UTF-8, a new file says so with the mark.
    HeadlessTextCodec utf8(kCodePageUtf8);
    EXPECT_EQ(document.Serialize(utf8), Bytes("\xEF\xBB\xBF[Line]\r\nCount=2\r\n\r\n"));
}

TEST_F(SettingsDocumentTest, WriteAppendsWhatIsMissingAndReplacesTheLastOccurrence) {
    struct Case {
        const char* before;
        const char* after;
    };
    const Case cases[] = {
        // Missing section: appended after all others.
        {"[A]\r\nk=1\r\n", "[A]\r\nk=1\r\n\r\n[Line]\r\nCount=9\r\n\r\n"},
        // Missing key: appended at the end of its section, not of the file.
        {"[Line]\r\nk=1\r\n[B]\r\n", "[Line]\r\nk=1\r\nCount=9\r\n\r\n[B]\r\n\r\n"},
        // Present key: its spelling stays, only the value changes.
        {"[line]\r\nCOUNT = 3\r\nz=1\r\n", "[line]\r\nCOUNT=9\r\nz=1\r\n\r\n"},
        // A bare key becomes key=value.
        {"[Line]\r\ncount\r\n", "[Line]\r\ncount=9\r\n\r\n"},
        // Earlier duplicates stay; repeated headers merge into the first section.
        {"[Line]\r\nCount=4\r\n[Line]\r\nCount=7\r\n", "[Line]\r\nCount=4\r\nCount=9\r\n\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before);
        SettingsDocument document = LoadText(c.before);
        document.WriteInteger(u"Line", u"Count", 9);
        EXPECT_EQ(document.Serialize(codec), Bytes(c.after));
    }
}

TEST_F(SettingsDocumentTest, EachEncodingIsWrittenBackWithItsOwnMark) {
    const std::u16string text = u"[表示]\r\n名前=トーヴェル\r\n\r\n[Line]\r\nCount=3\r\n\r\n";
    const std::u16string expected = u"[表示]\r\n名前=トーヴェル\r\n\r\n[Line]\r\nCount=42\r\n\r\n";
    const std::string utf8 = Utf16ToUtf8(text);
    const std::string expectedUtf8 = Utf16ToUtf8(expected);
    struct Case {
        const char* name;
        std::vector<std::uint8_t> file;
        std::vector<std::uint8_t> written;
        SettingsEncoding encoding;
    };
    const Case cases[] = {
        {"UTF-8", Concat({0xEF, 0xBB, 0xBF}, Bytes(utf8)),
         Concat({0xEF, 0xBB, 0xBF}, Bytes(expectedUtf8)), SettingsEncoding::Utf8},
        {"UTF-16 LE", Concat({0xFF, 0xFE}, Utf16Bytes(text, false)),
         Concat({0xFF, 0xFE}, Utf16Bytes(expected, false)), SettingsEncoding::Utf16LE},
        {"UTF-16 BE", Concat({0xFE, 0xFF}, Utf16Bytes(text, true)),
         Concat({0xFE, 0xFF}, Utf16Bytes(expected, true)), SettingsEncoding::Utf16BE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SettingsDocument document = SettingsDocument::Load(c.file, codec);
        EXPECT_EQ(document.Encoding(), c.encoding);
        EXPECT_EQ(document.ReadInteger(u"Line", u"Count", 2), 3);
        document.WriteInteger(u"Line", u"Count", 42);
        EXPECT_EQ(document.Serialize(codec), c.written);
    }
}

TEST_F(SettingsDocumentTest, AFileWithoutAMarkStaysInTheAnsiCodePage) {
    // Windows-1252: "Größe=€" with one byte per character, no mark added on the way back.
    SettingsDocument latin = LoadText(
        "[Ma\xDF]\r\nGr\xF6\xDF"
        "e=\x80\r\n");
    EXPECT_EQ(latin.Encoding(), SettingsEncoding::Ansi);
    EXPECT_EQ(latin.Sections()[0].lines[0], (Line{u"Größe", u"€"}));
    latin.WriteInteger(u"Line", u"Count", 1);
    EXPECT_EQ(latin.Serialize(codec), Bytes("[Ma\xDF]\r\nGr\xF6\xDF"
                                            "e=\x80\r\n\r\n[Line]\r\nCount=1\r\n\r\n"));

    // Every byte from "!" up comes back as it was, the five the code page leaves
    // undefined included.
    std::vector<std::uint8_t> everyByte = Bytes("[A]\r\nk=");
    for (int byte = 0x21; byte <= 0xFF; ++byte) {
        everyByte.push_back(static_cast<std::uint8_t>(byte));
    }
    const std::vector<std::uint8_t> crlf = Bytes("\r\n\r\n");
    everyByte.insert(everyByte.end(), crlf.begin(), crlf.end());
    const SettingsDocument all = SettingsDocument::Load(everyByte, codec);
    EXPECT_EQ(all.Serialize(codec), everyByte);
    const std::u16string& value = *all.Sections()[0].lines[0].value;
    EXPECT_EQ(value.substr(0x80 - 0x21, 2), u"\u20AC\u0081");
    EXPECT_EQ(value.substr(0x9F - 0x21, 3), u"\u0178\u00A0\u00A1");

    // With UTF-8 as the ANSI code page, an unmarked file is read as UTF-8 and stays unmarked.
    HeadlessTextCodec utf8(kCodePageUtf8);
    SettingsDocument unmarked = SettingsDocument::Load(Bytes("[Line]\r\n名=値\r\n"), utf8);
    unmarked.WriteInteger(u"Line", u"Count", 1);
    EXPECT_EQ(unmarked.Serialize(utf8), Bytes("[Line]\r\n名=値\r\nCount=1\r\n\r\n"));
}

TEST_F(SettingsDocumentTest, HalfACharacterAtTheEndOfAUtf16FileIsNotLostSilently) {
    std::vector<std::uint8_t> file =
        Concat({0xFF, 0xFE}, Utf16Bytes(u"[Line]\r\nCount=6\r\nx=", false));
    file.push_back(0x41);
    const SettingsDocument document = SettingsDocument::Load(file, codec);
    EXPECT_EQ(document.ReadInteger(u"Line", u"Count", 2), 6);
    EXPECT_EQ(document.Sections()[0].lines.back(), (Line{u"x", u"\uFFFD"}));
}

// Repeated headers, in any letter case and among distinct sections, all go on into the
// first section of their name, in the order the lines were read.
TEST_F(SettingsDocumentTest, RepeatedSectionsMergeIntoTheirFirstInFileOrder) {
    SettingsDocument document = LoadText(
        "[Line]\r\nCount=4\r\n"
        "[Copy 1]\r\nA=1\r\n"
        "[\xC4rger]\r\nB=1\r\n"  // Latin-1 capital A with diaeresis
        "[ line ]\r\nCount=7\r\nBare\r\n"
        "[Copy 2]\r\nA=2\r\n"
        "[copy 1]\r\nC=3\r\n"
        "[\xE4RGER]\r\nB=2\r\n"
        "[LINE]\r\ncount=9\r\n"
        "[Copy 3]\r\n");
    EXPECT_EQ(document.ReadInteger(u"line", u"COUNT", 2), 9);
    EXPECT_EQ(document.ReadInteger(u"COPY 1", u"c", 0), 3);
    EXPECT_EQ(document.ReadInteger(u"\u00E4rger", u"B", 0), 2);

    document.WriteInteger(u"Line", u"Count", 5);
    EXPECT_EQ(document.Serialize(codec), Bytes("[Line]\r\nCount=4\r\nCount=7\r\nBare\r\ncount=5\r\n\r\n"
                                               "[Copy 1]\r\nA=1\r\nC=3\r\n\r\n"
                                               "[\xC4rger]\r\nB=1\r\nB=2\r\n\r\n"
                                               "[Copy 2]\r\nA=2\r\n\r\n"
                                               "[Copy 3]\r\n\r\n"));
}

TEST_F(SettingsDocumentTest, NamesMatchAcrossLetterCaseInEveryCoveredScript) {
    const std::pair<std::u16string, std::u16string> same[] = {
        {u"Line", u"lINE"},         {u"ÄÖÜÉÞ", u"äöüéþ"}, {u"Ÿ", u"ÿ"},
        {u"ŁĄŽŊ", u"łąžŋ"},         {u"ΣΩΣ", u"σως"},     {u"ДЁЖ", u"дёж"},
        {u"ＬＩＮＥ", u"ｌｉｎｅ"},
    };
    for (const auto& [upper, lower] : same) {
        const SettingsDocument document = SettingsDocument::Load(
            Bytes("\xEF\xBB\xBF[" + Utf16ToUtf8(upper) + "]\r\n" + Utf16ToUtf8(upper) + "=5\r\n"),
            codec);
        EXPECT_EQ(document.ReadInteger(lower, lower, 2), 5) << Utf16ToUtf8(lower);
    }
    // Neighbours of letters are no case pairs, and the Turkish i keeps to itself.
    const std::pair<char16_t, char16_t> different[] = {
        {u'@', u'`'}, {u'[', u'{'}, {u'×', u'÷'},  {u'I', u'ı'},
        {u'i', u'İ'}, {u'ß', u'S'}, {u'Ａ', u'A'}, {u'ĳ', u'Ĵ'},
    };
    for (const auto& [a, b] : different) {
        EXPECT_NE(SettingsNameUpper(a), SettingsNameUpper(b)) << static_cast<int>(a);
    }
}

}  // namespace
}  // namespace tovel
