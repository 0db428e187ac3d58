#pragma once

#include <cstdint>
#include <vector>

#include "platform/pointer_settings.h"

namespace tovel::headless {

class HeadlessWindowSystem;

// The three settings held in memory, with a record of every call in order.
class HeadlessPointerSettings final : public SystemPointerSettings {
  public:
    enum class Op {
        GetWheelScrollLines,
        SetWheelScrollLines,
        GetMouseSpeed,
        SetMouseSpeed,
        GetWheelRouting,
        SetWheelRouting,
    };
    struct Call {
        Op Operation;
        std::int32_t Value = 0;  // the value written, or the value a read answered
        UpdateScope Scope = UpdateScope::SessionOnly;  // writes only
        bool BusyCursor = false;  // whether the hourglass was on during the call
        friend bool operator==(const Call&, const Call&) = default;
    };

    // The cursor state is read from the window system at each call, when given.
    explicit HeadlessPointerSettings(const HeadlessWindowSystem* cursorSource = nullptr);

    std::int32_t GetWheelScrollLines() override;
    void SetWheelScrollLines(std::int32_t lines, UpdateScope scope) override;
    std::int32_t GetMouseSpeed() override;
    void SetMouseSpeed(std::int32_t speed, UpdateScope scope) override;
    std::int32_t GetWheelRouting() override;
    void SetWheelRouting(std::int32_t routing, UpdateScope scope) override;

    // The values in force, and those a Persistent write stored in the profile.
    std::int32_t WheelScrollLines = 3;
    std::int32_t MouseSpeed = 10;
    std::int32_t WheelRouting = 0;
    std::int32_t StoredWheelScrollLines = 3;
    std::int32_t StoredMouseSpeed = 10;
    std::int32_t StoredWheelRouting = 0;

    const std::vector<Call>& Calls() const { return FCalls; }
    // Only the writes, in order.
    std::vector<Call> Writes() const;
    void ClearCalls() { FCalls.clear(); }

  private:
    std::int32_t Read(Op op, std::int32_t value);
    void Write(Op op, std::int32_t value, UpdateScope scope, std::int32_t& current,
               std::int32_t& stored);

    const HeadlessWindowSystem* FCursorSource;
    std::vector<Call> FCalls;
};

}  // namespace tovel::headless
