// The self-test's own safeguards, which a user's machine relies on: what it
// hides in the report, which settings it writes back, when it refuses to run
// and how it reads the child's journal.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/text.h"
#include "selftest/extracted_folder.h"
#include "selftest/journal.h"
#include "selftest/machine.h"
#include "selftest/report.h"
#include "selftest/restore.h"
#include "selftest/supervisor.h"

namespace tovel::selftest {
namespace {

std::string Utf8(const std::u16string& text) { return Utf16ToUtf8(text); }

std::string Upper(std::string text) {
    for (char& c : text) {
        c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return text;
}

// One user with a Japanese name and one with a long ASCII name, each with the
// forms Windows gives their folders.
struct User {
    std::u16string Name;
    std::u16string Stem;  // the 8.3 name's first part
    std::u16string Profile;
    std::u16string ShortProfile;
};

const User kUsers[] = {
    {u"山田 太郎", u"山田太郎", u"C:\\Users\\山田 太郎", u"C:\\Users\\山田太郎~1"},
    {u"Taro Yamada", u"TAROYA", u"C:\\Users\\Taro Yamada", u"C:\\Users\\TAROYA~1"},
};

PrivateText HideFor(const User& user) {
    PrivateText::Places places;
    const std::u16string temp = user.Profile + u"\\AppData\\Local\\Temp";
    const std::u16string shortTemp = user.ShortProfile + u"\\AppData\\Local\\Temp";
    places.Scratch = {temp + u"\\Tovel-selftest-12-345", shortTemp + u"\\TOVEL-~1"};
    places.Temp = {temp + u"\\", shortTemp};
    places.Profile = {user.Profile, user.ShortProfile};
    places.Names = {user.Name};
    return PrivateText::Of(places);
}

TEST(SelftestReportTest, NoFormOfTheUsersNameOrFoldersReachesTheReport) {
    for (const User& user : kUsers) {
        const std::u16string temp = user.Profile + u"\\AppData\\Local\\Temp";
        const std::u16string scratch = temp + u"\\Tovel-selftest-12-345";
        std::u16string lower = scratch;
        for (char16_t& c : lower) {
            c = (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
        }
        const struct {
            const char* form;
            std::string text;
            std::string shown;  // what must stand in its place
        } cases[] = {
            {"long path", Utf8(scratch + u"\\replace\\Tovel.ini"),
             "%TEMP%\\<scratch folder>\\replace\\Tovel.ini"},
            {"8.3 path", Utf8(user.ShortProfile + u"\\AppData\\Local\\Temp\\TOVEL-~1\\a"),
             "%TEMP%\\<scratch folder>\\a"},
            {"other letter case", Utf8(lower + u"\\b"), "%TEMP%\\<scratch folder>\\b"},
            {"doubled backslashes", "\"C:\\\\Users\\\\" + Utf8(user.Name) + "\\\\Documents\"",
             "\"%USERPROFILE%\\\\Documents\""},
            {"UTF-16 as GoogleTest prints it",
             ::testing::PrintToString(user.Profile + u"\\Desktop"), "%USERPROFILE%\\\\Desktop"},
            {"UTF-8 as GoogleTest prints it",
             ::testing::PrintToString(Utf8(temp + u"\\x.txt")), "%TEMP%\\\\x.txt"},
            {"8.3 profile", Utf8(user.ShortProfile + u"\\Music"), "%USERPROFILE%\\Music"},
            {"the name ending a path", "made in D:\\Shares\\" + Utf8(user.Name) + ".",
             "made in D:\\Shares\\%USERNAME%."},
            {"its 8.3 stem", Utf8(u"D:\\" + user.Stem + u"~2\\x"), "D:\\%USERNAME%2\\x"},
        };
        const PrivateText hide = HideFor(user);
        for (const auto& c : cases) {
            SCOPED_TRACE(c.form);
            ReportFacts facts;
            facts.System = {"Windows: 11"};
            facts.Records = {{"Suite.Test", Outcome::Failed, "x.cpp:1: Failure\n" + c.text}};
            facts.Running = "Suite.Other " + c.text;
            facts.Ending = {"NOT PUT BACK: " + c.text};
            const std::string report = ReportText(facts, hide);
            EXPECT_NE(report.find(c.shown), std::string::npos) << report;
            const std::u16string stemAndName[] = {user.Name, user.Stem};
            for (const std::u16string& name : stemAndName) {
                EXPECT_EQ(Upper(report).find(Upper(Utf8(name))), std::string::npos) << report;
                // The first letter as GoogleTest escapes it in UTF-16 and in UTF-8.
                char escaped[16];
                std::snprintf(escaped, sizeof(escaped), "\\x%X", static_cast<unsigned>(name[0]));
                EXPECT_TRUE(name[0] < 0x80 || report.find(escaped) == std::string::npos) << report;
                std::snprintf(escaped, sizeof(escaped), "\\x%X",
                              static_cast<unsigned>(static_cast<unsigned char>(Utf8(name)[0])));
                EXPECT_TRUE(name[0] < 0x80 || report.find(escaped) == std::string::npos) << report;
            }
        }
    }
}

// Short and common account names are hidden where they stand as a path's
// component, and nowhere else: test names, the Windows line and words that
// hold them stay readable.
TEST(SelftestReportTest, AnAccountNameIsHiddenOnlyAsAWholePathComponent) {
    const struct {
        const char16_t* name;
        std::string text;
        std::string shown;
    } cases[] = {
        {u"user", "the user's folder D:\\user\\x and D:\\Users\\y",
         "the user's folder D:\\%USERNAME%\\x and D:\\Users\\y"},
        {u"Test", "SelftestReportTest.One failed in E:\\data\\TEST",
         "SelftestReportTest.One failed in E:\\data\\%USERNAME%"},
        {u"Win", "Windows: 11, Win32 in \"F:/win/a\"", "Windows: 11, Win32 in \"F:/%USERNAME%/a\""},
        {u"Win", "WIN\\notes.txt and Win", "%USERNAME%\\notes.txt and Win"},
        {u"山田", "山田さん in G:\\山田\\山田太郎", "山田さん in G:\\%USERNAME%\\山田太郎"},
        {u"Taro Yamada", "H:\\TAROYA~12\\x TAROYA~1x", "H:\\%USERNAME%12\\x TAROYA~1x"},
    };
    for (const auto& c : cases) {
        PrivateText hide;
        hide.AddName(c.name, "%USERNAME%");
        EXPECT_EQ(hide.Hide(c.text), c.shown) << Utf8(c.name);
    }
}

TEST(SelftestSupervisorTest, ASettingGoesBackOnlyWhileItHoldsWhatTheRunWrote) {
    const struct {
        const char* situation;
        LastWrite last;
        bool currentKnown;
        std::int32_t current;
        RestoreStep step;
    } cases[] = {
        {"never written", {}, true, 7, RestoreStep::Nothing},
        {"written and already back", {true, 7, true, 7}, true, 3, RestoreStep::Nothing},
        {"holds the run's value", {true, 7, true, 7}, true, 7, RestoreStep::WriteBack},
        {"holds what the system made of it", {true, 11, true, 0}, true, 0, RestoreStep::WriteBack},
        {"died before the answer", {true, 7, false, 0}, true, 7, RestoreStep::WriteBack},
        {"changed meanwhile", {true, 7, true, 7}, true, 12, RestoreStep::LeaveAlone},
        {"cannot be read", {true, 7, true, 7}, false, 0, RestoreStep::WriteBack},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecideRestore(c.last, 3, c.currentKnown, c.current), c.step) << c.situation;
    }
}

TEST(SelftestSupervisorTest, RunsFromAnArchivesTemporaryCopyAreRecognised) {
    const std::u16string temp = u"C:\\Users\\Taro\\AppData\\Local\\Temp\\";
    const struct {
        std::u16string exe;
        bool inside;
    } cases[] = {
        {temp + u"Temp1_Tovel-1.2.2.0-selftest-win64.zip\\Tovel-selftest.exe", true},
        {u"c:\\users\\taro\\appdata\\local\\temp\\TEMP2_X.ZIP\\Tovel-selftest.exe", true},
        {temp + u"7zO4A1B2C3D\\Tovel-selftest.exe", true},
        {temp + u"Rar$EXa1234.5678\\sub\\Tovel-selftest.exe", true},
        {temp + u"Tovel-selftest.exe", false},
        {temp + u"unpacked\\Tovel-selftest.exe", false},
        {u"C:\\Tools\\Tovel.zip\\Tovel-selftest.exe", false},
        {u"C:\\Users\\Taro\\AppData\\Local\\Temp2\\a.zip\\Tovel-selftest.exe", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StartedFromInsideZip(c.exe, temp), c.inside) << Utf16ToUtf8(c.exe);
    }
}

TEST(SelftestSupervisorTest, TheJournalTellsResultsLastWritesAndTheEnd) {
    const std::string detail = "a.cpp:3: 100% wrong\n\tsecond line";
    const JournalContents journal = ParseJournal(
        "T A.One\nW speed 11\nA speed 0\nE F A.One " + EscapeJournalText(detail) +
        "\nT A.Two\nW lines 7\nA lines 7\nW lines 3\nE S A.Two skipped\nT B.Three\nW routing 2\nW sp");
    ASSERT_EQ(journal.Records.size(), 2u);
    EXPECT_EQ(journal.Records[0].Name, "A.One");
    EXPECT_EQ(journal.Records[0].Result, Outcome::Failed);
    EXPECT_EQ(journal.Records[0].Detail, detail);
    EXPECT_EQ(journal.Records[1].Result, Outcome::Skipped);
    EXPECT_EQ(journal.Running, "B.Three");
    EXPECT_TRUE(journal.Last[kSpeed].Written && journal.Last[kSpeed].Answered);
    EXPECT_EQ(journal.Last[kSpeed].Answer, 0);
    // The last write counts, and its answer had not come yet.
    EXPECT_EQ(journal.Last[kLines].Value, 3);
    EXPECT_FALSE(journal.Last[kLines].Answered);
    EXPECT_EQ(journal.Last[kRouting].Value, 2);
    EXPECT_FALSE(journal.Ended);
    EXPECT_TRUE(ParseJournal("X 1\n").Ended);
}

TEST(SelftestReportTest, TheMachineLineShowsEmulation) {
    const struct {
        bool available;
        unsigned short process;
        unsigned short native;
        const char* line;
    } cases[] = {
        {true, IMAGE_FILE_MACHINE_UNKNOWN, IMAGE_FILE_MACHINE_AMD64, "Machine: x64"},
        {true, IMAGE_FILE_MACHINE_UNKNOWN, IMAGE_FILE_MACHINE_ARM64,
         "Machine: ARM64, this program x64 emulated"},
        {false, 0, 0, "Machine: x64 or older (IsWow64Process2 not available)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MachineLine(c.available, c.process, c.native), c.line);
    }
}

// The tests check what Tovel.exe meets: the self-test carries the program's
// manifest, so the controls are version 6, the process is aware of each
// monitor's DPI, and the version query tells Windows 10 and 11 for what they are.
TEST(SelftestSupervisorTest, TestsRunWithTheProgramsManifest) {
    // The process's activation context sends comctl32.dll to the version 6
    // assembly. (Wine 8 loads version 5 anyway when asked for the system
    // folder's copy; Windows applies the redirection first.)
    ACTCTX_SECTION_KEYED_DATA found = {};
    found.cbSize = sizeof(found);
    EXPECT_TRUE(FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION,
                                         L"comctl32.dll", &found))
        << "comctl32.dll is not redirected to common controls 6 (error " << GetLastError() << ")";

    using Awareness = DPI_AWARENESS_CONTEXT(WINAPI*)();
    using Compare = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT, DPI_AWARENESS_CONTEXT);
    const HMODULE user = GetModuleHandleW(L"user32.dll");
    const auto awareness = reinterpret_cast<Awareness>(
        reinterpret_cast<void*>(GetProcAddress(user, "GetThreadDpiAwarenessContext")));
    const auto same = reinterpret_cast<Compare>(
        reinterpret_cast<void*>(GetProcAddress(user, "AreDpiAwarenessContextsEqual")));
    if (awareness != nullptr && same != nullptr) {
        const DPI_AWARENESS_CONTEXT now = awareness();
        EXPECT_TRUE(same(now, DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE) ||
                    same(now, DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2))
            << "not aware of each monitor's DPI";
    }

    using RtlGetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
    const auto trueVersion = reinterpret_cast<RtlGetVersion>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    OSVERSIONINFOW real = {};
    real.dwOSVersionInfoSize = sizeof(real);
    ASSERT_TRUE(trueVersion != nullptr && trueVersion(&real) == 0);
    OSVERSIONINFOW told = {};
    told.dwOSVersionInfoSize = sizeof(told);
    // Deprecated for its very answer, which is what is checked here.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
    ASSERT_TRUE(GetVersionExW(&told));
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
    EXPECT_EQ(told.dwMajorVersion, real.dwMajorVersion);
    EXPECT_EQ(told.dwMinorVersion, real.dwMinorVersion);
}

}  // namespace
}  // namespace tovel::selftest
