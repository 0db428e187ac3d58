#pragma once

// What the self-test may change on the machine it runs on, and how it is put
// back: the three pointer settings (session-only writes, restored after every
// test, at the end, on a crash and on Ctrl+C or a closed console window) and
// one scratch folder under %TEMP% (removed at the end). A test reaches the
// system's pointer settings only through PointerSettings().
#include <cstdint>
#include <functional>
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

// The program's own Win32 pointer settings behind a lock that the stop
// handler also takes: a write either lands before the settings are put back,
// or is refused once the run is stopping. Writes that would reach the user's
// profile are refused and fail the test.
SystemPointerSettings& PointerSettings();

// The fresh folder for this run's files (no trailing backslash); empty
// before BeginRun.
const std::u16string& ScratchFolder();

// Takes the snapshot, makes the scratch folder and installs the stop
// handlers. onStop runs on the stop handler's thread after the machine has
// been put back, with the reason ("Ctrl+C", ...), just before the process
// ends with kStoppedExitCode. False, with the reason, when the run cannot
// start safely.
bool BeginRun(std::function<void(const char* why)> onStop, std::string& problem);

// Puts the pointer settings back where a test changed them. Cheap when
// nothing changed; runs after every test.
void RestorePointerSettings();

// Restores the settings, removes the scratch folder and the stop handlers.
// Answers what could not be put back (empty when everything was), as
// another process reads the settings.
std::string EndRun();

// The settings as this process reads them, and as a fresh process reads
// them: this exe started with kPrintSettingsOption, which prints
// PointerSettingsLine and nothing else. False when that fails.
PointerSnapshot ReadPointerSettingsHere();
bool ReadPointerSettingsElsewhere(PointerSnapshot& state);
std::string PointerSettingsLine(const PointerSnapshot& state);
inline constexpr wchar_t kPrintSettingsOption[] = L"--print-pointer-settings";

const PointerSnapshot& SettingsBeforeRun();

// The wheel routing as the system answers it; false where the system has no
// such setting (Windows before 10, Wine 8).
bool ReadWheelRouting(std::int32_t& routing);

// Removes a folder and everything below it (links, not what they point to).
// True when the folder is gone.
bool RemoveTree(const std::u16string& folder);

inline constexpr int kStoppedExitCode = 3;

}  // namespace tovel::selftest
