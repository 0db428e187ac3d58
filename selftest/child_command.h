#pragma once

#include <string>

namespace tovel::selftest {

// How the supervisor hands its child the run: the command line's arguments
// and the environment the checks run in.

// A command-line argument quoted so that CommandLineToArgvW and the C
// runtime read it back as it was.
std::u16string Quoted(const std::u16string& argument);

// This process's environment block without GoogleTest's variables
// (GTEST_OUTPUT, GTEST_FILTER...), as CreateProcessW takes it: the checks run
// as this program sets them, not as a variable left in the user's
// environment would.
std::u16string EnvironmentWithoutGoogleTest();

}  // namespace tovel::selftest
