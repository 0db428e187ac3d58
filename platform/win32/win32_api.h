#pragma once

// The system headers for the Win32 side of the program. The portable headers
// name some system constants themselves (by the same values), and the system
// headers define those names as macros: the portable headers must therefore
// be read first, and every Win32 file that also uses the framework includes
// the system through this header.
#include "framework/form.h"
#include "framework/messages.h"
#include "framework/peer.h"
#include "platform/notification_area.h"

#include <windows.h>

#include <commctrl.h>

// The system's A/W macros would rename the window system's members of the
// same names.
#undef MessageBox
#undef PostMessage
#undef RegisterWindowMessage
