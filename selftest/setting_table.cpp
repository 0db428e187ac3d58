#include "selftest/setting_table.h"

#include <cstdio>
#include <sstream>

namespace tovel::selftest {

const std::array<SettingDescription, kSettingCount> kSettings = {{
    {"speed", "pointer speed", &SystemPointerSettings::GetMouseSpeed,
     &SystemPointerSettings::SetMouseSpeed, nullptr,
     [](std::int32_t value) -> std::int32_t { return value % 20 + 1; }},
    {"lines", "wheel lines", &SystemPointerSettings::GetWheelScrollLines,
     &SystemPointerSettings::SetWheelScrollLines, nullptr,
     [](std::int32_t value) -> std::int32_t { return value == 3 ? 7 : 3; }},
    // Windows before 10 (and Wine 8) refuse the read: no such setting there.
    {"routing", "wheel routing", &SystemPointerSettings::GetWheelRouting,
     &SystemPointerSettings::SetWheelRouting,
     [](win32::Win32PointerSettings& system) { return system.ReadWheelRouting().has_value(); },
     [](std::int32_t value) -> std::int32_t {
         return value == kRoutingMousePos ? kRoutingFocus : kRoutingMousePos;
     }},
}};

PointerSnapshot ReadSnapshot(win32::Win32PointerSettings& system) {
    PointerSnapshot state;
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        const SettingDescription& setting = kSettings[i];
        state[i].Offered = setting.Offered == nullptr || setting.Offered(system);
        state[i].Value = state[i].Offered ? (system.*setting.Get)() : 0;
    }
    return state;
}

std::string SnapshotLine(const PointerSnapshot& state) {
    std::string line;
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        if (i > 0) {
            line += ' ';
        }
        line += kSettings[i].Key;
        line += '=';
        line += state[i].Offered ? std::to_string(state[i].Value) : std::string("-");
    }
    return line;
}

bool ParseSnapshotLine(const std::string& line, PointerSnapshot& state) {
    std::istringstream fields(line);
    PointerSnapshot read;
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        std::string field;
        const std::string key = std::string(kSettings[i].Key) + "=";
        if (!(fields >> field) || field.compare(0, key.size(), key) != 0) {
            return false;
        }
        const std::string value = field.substr(key.size());
        int number = 0;
        char rest = 0;
        read[i].Offered = std::sscanf(value.c_str(), "%d%c", &number, &rest) == 1;
        if (!read[i].Offered && value != "-") {
            return false;
        }
        read[i].Value = read[i].Offered ? number : 0;
    }
    state = read;
    return true;
}

std::size_t SettingByKey(std::string_view key) {
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        if (key == kSettings[i].Key) {
            return i;
        }
    }
    return kSettingCount;
}

}  // namespace tovel::selftest
