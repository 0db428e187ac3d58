#pragma once

#include <optional>

#include "platform/pointer_settings.h"

namespace tovel::win32 {

// SystemParametersInfoW, argument for argument: the line count travels in
// uiParam; speed and routing travel as the value itself in pvParam.
class Win32PointerSettings final : public SystemPointerSettings {
public:
    std::int32_t GetWheelScrollLines() override;
    void SetWheelScrollLines(std::int32_t lines, UpdateScope scope) override;
    std::int32_t GetMouseSpeed() override;
    void SetMouseSpeed(std::int32_t speed, UpdateScope scope) override;
    std::int32_t GetWheelRouting() override;
    void SetWheelRouting(std::int32_t routing, UpdateScope scope) override;

    // The wheel routing, or nothing where the system has no such setting
    // (Windows before 10 refuses the read).
    std::optional<std::int32_t> ReadWheelRouting();
};

}  // namespace tovel::win32
