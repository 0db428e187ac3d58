// Calls every operation of Win32PointerSettings once, in this order and with
// these values, and prints what the reads returned. The end-to-end test that
// runs it knows the order and checks each call in Wine's system trace.
#include <cstdio>

#include "platform/win32/win32_pointer_settings.h"

int main() {
    tovel::win32::Win32PointerSettings settings;
    using tovel::UpdateScope;

    const int lines = settings.GetWheelScrollLines();
    settings.SetWheelScrollLines(7, UpdateScope::SessionOnly);
    settings.SetWheelScrollLines(-1, UpdateScope::Persistent);
    const int speed = settings.GetMouseSpeed();
    settings.SetMouseSpeed(13, UpdateScope::SessionOnly);
    const int routing = settings.GetWheelRouting();
    settings.SetWheelRouting(2, UpdateScope::Persistent);

    std::printf("lines=%d speed=%d routing=%d\n", lines, speed, routing);
    return 0;
}
