#pragma once

// What the self-test may change on the machine it runs on. The exe the user
// starts (the supervisor, selftest/supervisor.h) takes the snapshot, makes
// one scratch folder under %TEMP% and runs the tests in a child process; this
// is the child's side: the pointer settings (selftest/setting_table.h),
// written session-only and put back after every test, each write entered in
// the journal first (selftest/journal.h), so that however the child ends the
// supervisor knows what to put back. A check reaches the system's pointer
// settings only through PointerSettings().
#include <chrono>
#include <string>

#include "platform/pointer_settings.h"
#include "platform/win32/win32_pointer_settings.h"
#include "selftest/setting_table.h"

namespace tovel::selftest {

// The Wine version when the run is under Wine (ntdll answers
// wine_get_version), empty on Windows.
std::string WineVersion();
inline bool RunningOnWine() { return !WineVersion().empty(); }

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

// One line of the child's journal (no line end).
void Journal(const std::string& line);

const PointerSnapshot& SettingsBeforeRun();

// The settings as this process reads them, and as a fresh process reads
// them: this exe started with kPrintSettingsOption, which prints
// SnapshotLine and nothing else. False when that fails or takes longer than
// the deadline (the reader is then ended).
PointerSnapshot ReadPointerSettingsHere();
bool ReadPointerSettingsElsewhere(PointerSnapshot& state,
                                  std::chrono::milliseconds deadline = std::chrono::seconds(20));
inline constexpr wchar_t kPrintSettingsOption[] = L"--print-pointer-settings";

// The settings as they stand now. Windows answers every process from the
// session's values; Wine 8 keeps a process's first answer for its whole
// life, so there the answer comes from a fresh process.
bool ReadPointerSettingsNow(PointerSnapshot& state, std::chrono::milliseconds deadline);

// The system's own pointer settings, unjournalled: for the supervisor, which
// writes only to put back.
win32::Win32PointerSettings& SystemSettings();

}  // namespace tovel::selftest
