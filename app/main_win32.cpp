// The program's entry on Windows: the real services behind the platform
// interfaces, then the program itself.
#include "app/program.h"

#include "platform/win32/win32_api.h"

#include "platform/win32/dll_search.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_named_mutex.h"
#include "platform/win32/win32_notification_area.h"
#include "platform/win32/win32_pointer_settings.h"
#include "platform/win32/win32_system_messages.h"
#include "platform/win32/win32_system_version.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_text_codec.h"
#include "platform/win32/win32_window_system.h"
#include "tray/tray_icon_handler.h"

// The shell hands the tray icons' notifications to the program's own window
// class as this message: it must lie in the range the system leaves to a
// class's private messages.
static_assert(tovel::TrayCallbackMessage >= WM_USER && tovel::TrayCallbackMessage < WM_APP);

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int /*show*/) {
    // Before anything can load a DLL by name. The common controls are loaded
    // later, when a control is first made (platform/win32/common_controls.h).
    tovel::win32::RestrictDllSearchToSystem();

    try {
        tovel::win32::Win32FileSystem files;
        tovel::win32::Win32SystemVersion version;
        tovel::win32::Win32NamedMutexes mutexes;
        tovel::win32::Win32PointerSettings pointerSettings;
        tovel::win32::Win32WindowSystem windows;
        tovel::win32::Win32TextCodec codec;
        tovel::win32::Win32SystemMessages messages;
        tovel::win32::Win32NotificationArea tray;
        tovel::ProgramEnvironment environment{
            files,           version, mutexes,
            pointerSettings, windows, codec,
            messages,        tray,    tovel::win32::FromWide(GetCommandLineW())};
        tovel::RunProgram(environment);
    } catch (...) {
        // A failure outside every handler (the handlers' own are shown in the
        // failure box) still ends the program the way every path does.
    }
    return 0;
}
