#pragma once

// The exe the user starts: it holds the machine's state while the tests run
// in a child process (this exe again, with kChildOption). It refuses to run
// from an archive's temporary copy and beside another run, takes the
// snapshot, makes the scratch folder, and, however the child ends (passed,
// failed, crashed, aborted, killed, or stopped by Ctrl+C or a closed
// window), puts back what the child changed, removes the folder and writes
// the report.
#include <cstdint>
#include <string>
#include <vector>

#include "selftest_report.h"

namespace tovel::selftest {

inline constexpr wchar_t kChildOption[] = L"--selftest-child";

inline constexpr int kRefusedExitCode = 2;  // ran nothing: from a zip, or beside another run
inline constexpr int kStoppedExitCode = 3;  // Ctrl+C, Ctrl+Break or a closed window

// The whole run as the user starts it; args as the command line gives them
// (args[0] the exe). Answers the exit code.
int Supervise(const std::vector<std::u16string>& args);

// True when the exe sits in a folder an archive tool unpacked into %TEMP% to
// run it from inside the archive (Explorer's "Temp1_<name>.zip", 7-Zip's
// "7zO...", WinRAR's "Rar$EX..."): its report would be lost with the folder.
// Both paths in their long form; letter case does not count.
bool StartedFromInsideZip(const std::u16string& exe, const std::u16string& temp);

// What the journal says of one setting: the value the child last set out to
// write, and what the system answered for it afterwards.
struct LastWrite {
    bool Written = false;
    std::int32_t Value = 0;
    bool Answered = false;
    std::int32_t Answer = 0;
};

struct JournalContents {
    std::vector<TestRecord> Records;
    std::string Running;  // a test begun and not ended
    LastWrite Speed;
    LastWrite Lines;
    LastWrite Routing;
    bool Ended = false;  // the child reached its own end
    int ExitCode = 0;
};
JournalContents ParseJournal(const std::string& text);

// A setting goes back only while it still holds what this run last wrote (or
// cannot be read, when the run's value is the likelier one): a value the user
// or another program set meanwhile stays.
enum class RestoreStep { Nothing, WriteBack, LeaveAlone };
RestoreStep DecideRestore(const LastWrite& last, std::int32_t before, bool currentKnown,
                          std::int32_t current);

// How a child that did not reach its own end ended, from its exit code.
std::string DescribeAbnormalEnd(unsigned long exitCode);

}  // namespace tovel::selftest
