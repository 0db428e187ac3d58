#pragma once

#include <string>
#include <vector>

namespace tovel::selftest {

// How the supervisor hands its child the run: the command line's arguments
// and the environment the checks run in.

// A command-line argument quoted so that CommandLineToArgvW and the C
// runtime read it back as it was.
std::u16string Quoted(const std::u16string& argument);

// The child's command line: the leading arguments (the exe, the child's
// option, the run's own), then the user's arguments after args[0], each quoted.
std::u16string ChildCommandLine(const std::vector<std::u16string>& leading,
                                const std::vector<std::u16string>& args);

// This process's environment block without GoogleTest's variables
// (GTEST_OUTPUT, GTEST_FILTER...), as CreateProcessW takes it: the checks run
// as this program sets them, not as a variable left in the user's
// environment would.
std::u16string EnvironmentWithoutGoogleTest();

}  // namespace tovel::selftest
