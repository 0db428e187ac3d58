#pragma once

// The exe the user starts: it holds the machine's state while the tests run
// in a child process (this exe again, with kChildOption). It refuses to run
// from an archive's temporary copy and beside another run, puts back what
// earlier runs whose supervisor was ended left changed, takes the snapshot,
// makes the scratch folder with the snapshot in its journal, and, however
// the child ends (passed, failed, crashed, aborted, killed, or stopped by
// Ctrl+C or a closed window), puts back what the child changed, removes the
// folder and writes the report.
#include <string>
#include <vector>

namespace tovel::selftest {

inline constexpr wchar_t kChildOption[] = L"--selftest-child";

inline constexpr int kRefusedExitCode = 2;  // ran nothing: from a zip, or beside another run
inline constexpr int kStoppedExitCode = 3;  // Ctrl+C, Ctrl+Break or a closed window

// The whole run as the user starts it; args as the command line gives them
// (args[0] the exe). Answers the exit code.
int Supervise(const std::vector<std::u16string>& args);

// How a child that did not reach its own end ended, from its exit code.
std::string DescribeAbnormalEnd(unsigned long exitCode);

}  // namespace tovel::selftest
