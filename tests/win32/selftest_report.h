#pragma once

// The self-test's account of a run: the system it ran on, one console line
// per group of tests, and Tovel-selftest-report.txt beside the exe.
#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

namespace tovel::selftest {

// "Name: value" lines: Windows version and build, edition, Wine when under
// it, display scale per monitor, locales and code pages, visual styles.
std::vector<std::string> DescribeSystem();

enum class Outcome { Passed, Failed, Skipped };

struct TestRecord {
    std::string Name;  // Suite.Test
    Outcome Result = Outcome::Passed;
    std::string Detail;  // the skip reason, or the failures one per line
};

// Collects every test's result and prints one line per group. Safe to read
// from the stop handler's thread while tests run.
class ReportListener final : public ::testing::EmptyTestEventListener {
  public:
    void OnTestStart(const ::testing::TestInfo& test) override;
    void OnTestEnd(const ::testing::TestInfo& test) override;
    void OnTestSuiteEnd(const ::testing::TestSuite& suite) override;

    // The report's text; stoppedBy and leftChanged are empty for a run that
    // ended by itself with everything put back.
    std::string ReportText(const std::vector<std::string>& system, const std::string& stoppedBy,
                           const std::string& leftChanged) const;
    int Failed() const;

  private:
    mutable std::mutex lock_;
    std::vector<TestRecord> records_;
    std::string running_;
};

// "N passed, N failed, N skipped": the report's last line.
std::string CountLine(const std::vector<TestRecord>& records);

// Writes the text as UTF-8 with a byte order mark and CRLF line ends (what
// Notepad and a bug report's text box take) to Tovel-selftest-report.txt
// beside the exe. Answers the path written, or empty with the error in problem.
std::string WriteReportBesideExe(const std::string& text, std::string& problem);

}  // namespace tovel::selftest
