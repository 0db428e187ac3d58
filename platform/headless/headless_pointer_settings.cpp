#include "platform/headless/headless_pointer_settings.h"

#include "platform/headless/headless_window_system.h"

namespace tovel::headless {

HeadlessPointerSettings::HeadlessPointerSettings(const HeadlessWindowSystem* cursorSource)
    : FCursorSource(cursorSource) {}

std::int32_t HeadlessPointerSettings::Read(Op op, std::int32_t value) {
    FCalls.push_back(Call{op, value, UpdateScope::SessionOnly,
                          FCursorSource != nullptr && FCursorSource->BusyCursor()});
    return value;
}

void HeadlessPointerSettings::Write(Op op, std::int32_t value, UpdateScope scope,
                                    std::int32_t& current, std::int32_t& stored) {
    FCalls.push_back(
        Call{op, value, scope, FCursorSource != nullptr && FCursorSource->BusyCursor()});
    current = value;
    if (scope == UpdateScope::Persistent) {
        stored = value;
    }
}

std::int32_t HeadlessPointerSettings::GetWheelScrollLines() {
    return Read(Op::GetWheelScrollLines, WheelScrollLines);
}

void HeadlessPointerSettings::SetWheelScrollLines(std::int32_t lines, UpdateScope scope) {
    Write(Op::SetWheelScrollLines, lines, scope, WheelScrollLines, StoredWheelScrollLines);
}

std::int32_t HeadlessPointerSettings::GetMouseSpeed() {
    return Read(Op::GetMouseSpeed, MouseSpeed);
}

void HeadlessPointerSettings::SetMouseSpeed(std::int32_t speed, UpdateScope scope) {
    Write(Op::SetMouseSpeed, speed, scope, MouseSpeed, StoredMouseSpeed);
}

std::int32_t HeadlessPointerSettings::GetWheelRouting() {
    return Read(Op::GetWheelRouting, WheelRouting);
}

void HeadlessPointerSettings::SetWheelRouting(std::int32_t routing, UpdateScope scope) {
    Write(Op::SetWheelRouting, routing, scope, WheelRouting, StoredWheelRouting);
}

std::vector<HeadlessPointerSettings::Call> HeadlessPointerSettings::Writes() const {
    std::vector<Call> writes;
    for (const Call& call : FCalls) {
        if (call.Operation == Op::SetWheelScrollLines || call.Operation == Op::SetMouseSpeed ||
            call.Operation == Op::SetWheelRouting) {
            writes.push_back(call);
        }
    }
    return writes;
}

}  // namespace tovel::headless
