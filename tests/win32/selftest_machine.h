#pragma once

// What the self-test may change on the machine it runs on. The exe the user
// starts (the supervisor, selftest_supervisor.h) takes the snapshot, makes one
// scratch folder under %TEMP% and runs the tests in a child process; this is
// the child's side: the three pointer settings, written session-only and put
// back after every test, and a journal in the scratch folder that tells the
// supervisor each value before it is written, so that however the child ends
// the supervisor knows what to put back. A test reaches the system's pointer
// settings only through PointerSettings().
#include <chrono>
#include <cstdint>
#include <string>

#include "platform/pointer_settings.h"

namespace tovel::selftest {

// The Wine version when the run is under Wine (ntdll answers
// wine_get_version), empty on Windows.
std::string WineVersion();
inline bool RunningOnWine() { return !WineVersion().empty(); }

// The pointer settings as they stood before the first test.
struct PointerSnapshot {
    std::int32_t MouseSpeed = 0;
    std::int32_t WheelLines = 0;
    std::int32_t WheelRouting = 0;
    bool RoutingReadable = false;
};

// The program's own Win32 pointer settings with every write entered in the
// journal first. Writes that would reach the user's profile are refused and
// fail the test.
SystemPointerSettings& PointerSettings();

// The fresh folder for this run's files (no trailing backslash).
const std::u16string& ScratchFolder();

// Begins the child's part: the scratch folder and the snapshot the
// supervisor made, and the journal in that folder. False, with the reason,
// when the journal cannot be opened.
bool BeginTests(const std::u16string& scratch, const PointerSnapshot& before, std::string& problem);

// Puts the pointer settings back where a test changed them. Cheap when
// nothing changed; runs after every test.
void RestorePointerSettings();

// One line of the journal (no line end). Each line reaches the file in one
// write, so a child that dies leaves whole lines behind. The lines:
//   T <suite.test>                 a test began
//   E <P|F|S> <suite.test> <text>  it passed, failed or was skipped; the text
//                                  escaped by EscapeJournalText
//   W <setting> <value>            about to write a setting (speed, lines, routing)
//   A <setting> <value>            the value the system answers after that write
//   X <exit code>                  the tests ended and the child returns
void Journal(const std::string& line);

// '%', CR, LF and TAB as %25, %0D, %0A, %09, so that a text is one field.
std::string EscapeJournalText(const std::string& text);
std::string UnescapeJournalText(const std::string& text);

// The journal's file name in the scratch folder.
inline constexpr char16_t kJournalName[] = u"journal.txt";

// The settings as this process reads them, and as a fresh process reads
// them: this exe started with kPrintSettingsOption, which prints
// PointerSettingsLine and nothing else. False when that fails or takes
// longer than the deadline (the reader is then ended).
PointerSnapshot ReadPointerSettingsHere();
bool ReadPointerSettingsElsewhere(PointerSnapshot& state,
                                  std::chrono::milliseconds deadline = std::chrono::seconds(20));
std::string PointerSettingsLine(const PointerSnapshot& state);
bool ParsePointerSettingsLine(const std::string& line, PointerSnapshot& state);
inline constexpr wchar_t kPrintSettingsOption[] = L"--print-pointer-settings";

const PointerSnapshot& SettingsBeforeRun();

// The wheel routing as the system answers it; false where the system has no
// such setting (Windows before 10, Wine 8).
bool ReadWheelRouting(std::int32_t& routing);

// Removes a folder and everything below it (links, not what they point to).
// True when the folder is gone.
bool RemoveTree(const std::u16string& folder);

}  // namespace tovel::selftest
