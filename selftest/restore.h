#pragma once

// Putting the machine back after a run: by the supervisor after its child,
// and by a later run after a supervisor that was itself ended.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "selftest/journal.h"
#include "selftest/setting_table.h"

namespace tovel::selftest {

// A setting goes back only while it still holds what the run last wrote (or
// cannot be read, when the run's value is the likelier one): a value the user
// or another program set meanwhile stays.
enum class RestoreStep { Nothing, WriteBack, LeaveAlone };
RestoreStep DecideRestore(const LastWrite& last, std::int32_t before, bool currentKnown,
                          std::int32_t current);

struct PutBackResult {
    std::vector<std::string> Lines;  // what was left changed, for the console and the report
    std::vector<std::string> WrittenBack;  // the titles of the settings written back
    bool EverythingBack = true;
};

// Writes back each setting the journal's last writes call for: first each
// without the broadcast, then one announcing write, so that the broadcast's
// wait on other windows comes after everything is back; then reads them back.
PutBackResult PutBackSettings(const std::array<LastWrite, kSettingCount>& last,
                              const PointerSnapshot& before);

// Removes a run's scratch folder; a file its child was still closing may hold
// it a moment longer. False, with a line in result, when it stays.
bool RemoveScratchFolder(const std::u16string& scratch, PutBackResult& result);

}  // namespace tovel::selftest
