#pragma once

// The pointer settings the self-test changes and puts back, each described
// once: its name in the journal and on the settings line, its name in the
// report, how it is read and written through the program's own pointer
// settings, whether this system offers it, and the value a test that changes
// everything gives it. The snapshot, the journal, the write-back, the report's
// lines and the injected faults are all made from this table.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/pointer_settings.h"
#include "platform/win32/win32_pointer_settings.h"

namespace tovel::selftest {

enum SettingIndex : std::size_t { kSpeed, kLines, kRouting, kSettingCount };

struct SettingDescription {
    const char* Key;    // in the journal and on the settings line
    const char* Title;  // in the report
    std::int32_t (SystemPointerSettings::*Get)();
    void (SystemPointerSettings::*Set)(std::int32_t, UpdateScope);
    // Null when every supported system has the setting.
    bool (*Offered)(win32::Win32PointerSettings& system);
    // Another valid value, for a test that changes every setting.
    std::int32_t (*OtherThan)(std::int32_t value);
};

extern const std::array<SettingDescription, kSettingCount> kSettings;

// One setting as read: whether the system has it, and its value then.
struct SettingState {
    bool Offered = false;
    std::int32_t Value = 0;
};
using PointerSnapshot = std::array<SettingState, kSettingCount>;

// The settings as this process reads them.
PointerSnapshot ReadSnapshot(win32::Win32PointerSettings& system);

// "speed=10 lines=3 routing=-": every setting by its key, "-" for one the
// system does not offer.
std::string SnapshotLine(const PointerSnapshot& state);
bool ParseSnapshotLine(const std::string& line, PointerSnapshot& state);

// The index of the setting with that key, kSettingCount for none.
std::size_t SettingByKey(std::string_view key);

}  // namespace tovel::selftest
