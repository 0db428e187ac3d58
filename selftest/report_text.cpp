// The report's text, hidden as a whole.
#include "selftest/report.h"

#include <string>
#include <vector>

namespace tovel::selftest {
namespace {

std::string Indented(const std::string& text) {
    std::string out = "      ";
    for (char c : text) {
        out += c;
        if (c == '\n') {
            out += "      ";
        }
    }
    return out;
}

}  // namespace

const char* Label(Outcome outcome) {
    switch (outcome) {
        case Outcome::Passed:
            return "PASS";
        case Outcome::Failed:
            return "FAIL";
        case Outcome::Skipped:
            return "SKIP";
    }
    return "?";
}

std::string CountLine(const std::vector<TestRecord>& records) {
    int counts[3] = {0, 0, 0};
    for (const TestRecord& record : records) {
        ++counts[static_cast<int>(record.Result)];
    }
    return std::to_string(counts[0]) + " passed, " + std::to_string(counts[1]) + " failed, " +
           std::to_string(counts[2]) + " skipped";
}

std::string ReportText(const ReportFacts& facts, const PrivateText& hide) {
    std::string text;
    for (const std::string& line : facts.System) {
        text += line + "\n";
    }
    text += "\nTests\n";
    for (const TestRecord& record : facts.Records) {
        text += std::string(Label(record.Result)) + "  " + record.Name + "\n";
        if (!record.Detail.empty() && record.Result != Outcome::Passed) {
            text += Indented(record.Detail) + "\n";
        }
    }
    if (!facts.Running.empty()) {
        text += "RUNNING  " + facts.Running + " (the run ended during it)\n";
    }
    text += "\n";
    for (const std::string& line : facts.Ending) {
        text += line + "\n";
    }
    return hide.Hide(text + CountLine(facts.Records) + "\n");
}

}  // namespace tovel::selftest
