#pragma once

#include "platform/win32/win32_api.h"

namespace tovel::win32 {

// Registers a window class of the program once per process, with
// SharedWindowProc as its procedure; later calls with the same name are
// answered from the first.
bool RegisterOwnClass(const wchar_t* className, HBRUSH background, HICON icon, HICON smallIcon);

// The program's main icon (resource 1) at the system's large or small icon
// size, or null when the program file carries none.
HICON MainIcon(bool small);

}  // namespace tovel::win32
