#pragma once

#include <windows.h>

namespace tovel::win32 {

// The common-controls library, loaded and initialised the first time a caller
// needs it: before the first control window is made, or when its version is
// asked for. A run that shows nothing (the one-shots) never loads it, and it
// is the largest library the program uses.
//
// Loaded by name from the system folder only, never from beside the program:
// the process's manifest still redirects the name to version 6 of the
// library, as it would for an import. Answers null when it cannot be loaded;
// later calls try again.
HMODULE CommonControls();

}  // namespace tovel::win32
