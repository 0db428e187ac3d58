#pragma once

// The system headers for the Win32 side of the program.
#include <windows.h>

#include <commctrl.h>
