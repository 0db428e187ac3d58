#pragma once

#include "platform/win32/win32_api.h"

#include <string>

namespace tovel::win32 {

// Gives a window the name screen readers announce for it (the Name of its
// client object), through the system's annotation service; an empty name
// gives it back the system's own. Answers whether the system took it.
//
// The service is reached through COM, in ole32 and oleacc, which are loaded
// and started on this thread the first time a name is given, from the system
// folder only: a run that makes no named window loads neither, and a system
// without them still runs, its windows keeping the system's own names.
bool SetAccessibleName(HWND window, const std::u16string& name);

// Releases what the service holds for a window that was given a name, before
// the window goes: the service keeps it otherwise, keyed by a handle the
// system may give another window later.
void ClearAccessibleName(HWND window);

}  // namespace tovel::win32
