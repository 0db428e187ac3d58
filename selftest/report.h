#pragma once

// The self-test's account of a run: the system it ran on, one console line
// per group of tests, and Tovel-selftest-report.txt. The child process that
// runs the tests enters each result in the journal (ReportListener); the
// supervisor reads the journal back and writes the report, whatever way the
// child ended, with every private path and name hidden (PrivateText).
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace tovel::selftest {

// "Name: value" lines: Windows version and build, edition, the machine,
// Wine when under it, display scale per monitor, locales and code pages,
// visual styles.
std::vector<std::string> DescribeSystem();

// "Machine: ..." from the machine numbers IsWow64Process2 answers (0 for the
// process's own when it is not emulated); available false where the system
// lacks the function.
std::string MachineLine(bool available, unsigned short processMachine,
                        unsigned short nativeMachine);

enum class Outcome { Passed, Failed, Skipped };

struct TestRecord {
    std::string Name;  // Suite.Test
    Outcome Result = Outcome::Passed;
    std::string Detail;  // the skip reason, or the failures one per line
};

// In the child: enters every test's start and result in the journal and
// prints one line per group.
class ReportListener final : public ::testing::EmptyTestEventListener {
  public:
    void OnTestStart(const ::testing::TestInfo& test) override;
    void OnTestEnd(const ::testing::TestInfo& test) override;
    void OnTestSuiteEnd(const ::testing::TestSuite& suite) override;
    int Failed() const;

  private:
    std::vector<TestRecord> records_;
};

// "PASS", "FAIL" or "SKIP", as the report marks a test.
const char* Label(Outcome outcome);

// "N passed, N failed, N skipped": the report's last line.
std::string CountLine(const std::vector<TestRecord>& records);

// Paths and names that identify the user, and the word that stands for each
// in the report and on the console. Each is hidden in every spelling it can
// take in a test's message: as written, with doubled backslashes, and as
// GoogleTest prints a UTF-16 or UTF-8 string (non-ASCII as \xNN), in any
// letter case. Longer spellings are hidden first, so that the scratch folder
// stays recognisable as such inside %TEMP%.
class PrivateText {
  public:
    void Add(const std::u16string& text, const std::string& token);
    // An account or folder name, hidden only where it stands as a whole
    // path component (between separators, or at a path's start or end), so
    // that a short name ("Win", "Test") leaves words that hold it alone; also
    // its 8.3 stem (the first six letters, "~" and a number, as Windows
    // shortens it). Names shorter than two letters are too common to hide.
    void AddName(const std::u16string& name, const std::string& token);
    std::string Hide(const std::string& text) const;

    // Every form each place takes (long, 8.3, as the environment spells it).
    struct Places {
        std::vector<std::u16string> Scratch;
        std::vector<std::u16string> Temp;
        std::vector<std::u16string> Profile;  // its last folder names the user too
        std::vector<std::u16string> Names;    // account names
    };
    static PrivateText Of(const Places& places);
    // This machine's: the scratch folder, %TEMP% and %TMP%, the profile
    // folder and the account name, each also in its long and 8.3 form.
    static PrivateText OfThisMachine(const std::u16string& scratch);

  private:
    // Where a spelling counts: anywhere (a whole path), as a whole path
    // component, or as one followed by digits (an 8.3 stem).
    enum class Where { Anywhere, Component, ComponentWithNumber };
    struct Spelling {
        std::u16string Upper;
        std::string Token;
        Where Place = Where::Anywhere;
    };
    void Add(const std::u16string& text, const std::string& token, Where place);
    void AddSpelling(const std::u16string& spelling, const std::string& token, Where place);
    bool StandsAlone(const std::u16string& upper, std::size_t at, const Spelling& spelling) const;
    std::vector<Spelling> spellings_;
};

// Everything a report says, before the private parts are hidden.
struct ReportFacts {
    std::vector<std::string> System;
    std::vector<TestRecord> Records;
    std::string Running;  // the test under way when the run ended, if any
    std::vector<std::string> Ending;  // how the run ended, what was left changed
};

std::string ReportText(const ReportFacts& facts, const PrivateText& hide);

// Writes the text as UTF-8 with a byte order mark and CRLF line ends (what
// Notepad and a bug report's text box take) as Tovel-selftest-report.txt in
// the first of the folders that takes it. Answers the index of that folder
// and the path written, or -1 with the last error in problem.
struct WrittenReport {
    int Folder = -1;
    std::u16string Path;
    std::string Problem;
};
WrittenReport WriteReport(const std::string& text, const std::vector<std::u16string>& folders);

inline constexpr char16_t kReportName[] = u"Tovel-selftest-report.txt";

}  // namespace tovel::selftest
