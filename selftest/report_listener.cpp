// In the child: each test's start and result into the journal, one line per group on the console.
#include "selftest/report.h"

#include <cstdio>
#include <string>
#include <vector>

#include "selftest/journal.h"
#include "selftest/machine.h"

namespace tovel::selftest {
namespace {

std::string FirstLines(const std::string& text, std::size_t lines) {
    std::size_t end = 0;
    for (std::size_t i = 0; i < lines && end != std::string::npos; ++i) {
        end = text.find('\n', end == 0 ? 0 : end + 1);
    }
    return end == std::string::npos ? text : text.substr(0, end) + "\n...";
}

}  // namespace

void ReportListener::OnTestStart(const ::testing::TestInfo& test) {
    Journal(std::string("T ") + test.test_suite_name() + "." + test.name());
}

void ReportListener::OnTestEnd(const ::testing::TestInfo& test) {
    const ::testing::TestResult& result = *test.result();
    TestRecord record{std::string(test.test_suite_name()) + "." + test.name(), Outcome::Passed, {}};
    if (result.Failed()) {
        record.Result = Outcome::Failed;
    } else if (result.Skipped()) {
        record.Result = Outcome::Skipped;
    }
    for (int i = 0; i < result.total_part_count(); ++i) {
        const ::testing::TestPartResult& part = result.GetTestPartResult(i);
        std::string text = part.skipped() ? part.message()
                                          : std::string(part.file_name() ? part.file_name() : "?") +
                                                ":" + std::to_string(part.line_number()) + ": " +
                                                FirstLines(part.message(), 6);
        if (!text.empty()) {
            record.Detail += (record.Detail.empty() ? "" : "\n") + text;
        }
    }
    if (record.Result == Outcome::Skipped && record.Detail.empty()) {
        record.Detail = "(no reason given)";
    }
    Journal(std::string("E ") + Label(record.Result)[0] + " " + record.Name + " " +
            EscapeJournalText(record.Detail));
    records_.push_back(std::move(record));
}

void ReportListener::OnTestSuiteEnd(const ::testing::TestSuite& suite) {
    std::vector<TestRecord> mine;
    const std::string prefix = std::string(suite.name()) + ".";
    for (const TestRecord& record : records_) {
        if (record.Name.compare(0, prefix.size(), prefix) == 0) {
            mine.push_back(record);
        }
    }
    std::printf("%-40s %s\n", suite.name(), CountLine(mine).c_str());
    for (const TestRecord& record : mine) {
        if (record.Result == Outcome::Failed) {
            std::printf("    failed: %s\n", record.Name.c_str());
        }
    }
    std::fflush(stdout);
}

int ReportListener::Failed() const {
    int failed = 0;
    for (const TestRecord& record : records_) {
        failed += record.Result == Outcome::Failed ? 1 : 0;
    }
    return failed;
}

}  // namespace tovel::selftest
