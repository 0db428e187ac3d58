#include "selftest/restore.h"

#include <windows.h>

#include <chrono>

#include "framework/text.h"
#include "platform/win32/win32_tree_removal.h"
#include "selftest/machine.h"

namespace tovel::selftest {

using namespace std::chrono_literals;

RestoreStep DecideRestore(const LastWrite& last, std::int32_t before, bool currentKnown,
                          std::int32_t current) {
    if (!last.Written) {
        return RestoreStep::Nothing;
    }
    if (!currentKnown) {
        return RestoreStep::WriteBack;
    }
    if (current == before) {
        return RestoreStep::Nothing;
    }
    if (current == last.Value || (last.Answered && current == last.Answer)) {
        return RestoreStep::WriteBack;
    }
    return RestoreStep::LeaveAlone;
}

PutBackResult PutBackSettings(const std::array<LastWrite, kSettingCount>& last,
                              const PointerSnapshot& before) {
    PutBackResult result;
    win32::Win32PointerSettings& system = SystemSettings();
    PointerSnapshot now;
    const bool known = ReadPointerSettingsNow(now, 3s);
    std::vector<std::size_t> writtenBack;
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        if (!before[i].Offered) {
            continue;
        }
        const SettingDescription& setting = kSettings[i];
        switch (DecideRestore(last[i], before[i].Value, known, now[i].Value)) {
            case RestoreStep::Nothing:
                break;
            case RestoreStep::WriteBack:
                (system.*setting.Set)(before[i].Value, UpdateScope::Unannounced);
                writtenBack.push_back(i);
                result.WrittenBack.push_back(setting.Title);
                break;
            case RestoreStep::LeaveAlone:
                result.Lines.push_back(
                    "LEFT AS IT IS: the setting \"" + std::string(setting.Title) +
                    "\" was changed during the run by you or another program (it is " +
                    std::to_string(now[i].Value) + "; the run last wrote " +
                    std::to_string(last[i].Value) + ", and it was " +
                    std::to_string(before[i].Value) + " before the run).");
                break;
        }
    }
    if (!writtenBack.empty()) {
        const std::size_t announce = writtenBack.back();
        (system.*kSettings[announce].Set)(before[announce].Value, UpdateScope::SessionOnly);
    }
    // What was written back, read back as another program sees it. Wine 8
    // stores a pointer speed written as Windows takes it as 0, so there the
    // build's tests judge the speed by Wine's trace instead.
    PointerSnapshot after;
    if (!writtenBack.empty() && !ReadPointerSettingsNow(after, 3s)) {
        result.Lines.push_back("The settings could not be read back after they were put back.");
        result.EverythingBack = false;
        return result;
    }
    for (std::size_t i : writtenBack) {
        if (after[i].Value != before[i].Value && !(i == kSpeed && RunningOnWine())) {
            result.Lines.push_back("NOT PUT BACK: the setting \"" + std::string(kSettings[i].Title) +
                                   "\" is " + std::to_string(after[i].Value) + ", it was " +
                                   std::to_string(before[i].Value) +
                                   " before the run. Signing out of Windows and in again resets it.");
            result.EverythingBack = false;
        }
    }
    return result;
}

bool RemoveScratchFolder(const std::u16string& scratch, PutBackResult& result) {
    if (scratch.empty()) {
        return true;
    }
    const ULONGLONG deadline = GetTickCount64() + 2000;
    while (!win32::RemoveTree(scratch)) {
        if (GetTickCount64() > deadline) {
            result.Lines.push_back("The scratch folder " + Utf16ToUtf8(scratch) +
                                   " could not be removed; it may be deleted.");
            result.EverythingBack = false;
            return false;
        }
        Sleep(100);
    }
    return true;
}

}  // namespace tovel::selftest
