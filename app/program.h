#pragma once

#include <string>

#include "framework/peer.h"
#include "platform/file_system.h"
#include "platform/named_mutex.h"
#include "platform/notification_area.h"
#include "platform/pointer_settings.h"
#include "platform/system_messages.h"
#include "platform/system_version.h"
#include "platform/text_codec.h"

namespace tovel {

// Everything the program reaches outside itself.
struct ProgramEnvironment {
    FileSystem& Files;
    SystemVersion& Version;
    NamedMutexes& Mutexes;
    SystemPointerSettings& PointerSettings;
    TWindowSystem& Windows;
    TextCodec& Codec;
    SystemMessages& Messages;
    NotificationArea& Tray;
    // The whole command line as the system gives it, program path first.
    std::u16string CommandLine;
};

// The single-instance guard's name: one copy per logon session.
inline constexpr char16_t kInstanceGuardName[] = u"Tovel/Varnel Project";

// The program from start to end: data folder, single-instance guard, the
// application and its main window, the message loop. Answers the exit code,
// which is 0 on every path.
int RunProgram(ProgramEnvironment& environment);

}  // namespace tovel
