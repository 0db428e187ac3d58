#pragma once

#include <string>

#include "app/program.h"
#include "platform/headless/headless_file_system.h"
#include "platform/headless/headless_named_mutex.h"
#include "platform/headless/headless_notification_area.h"
#include "platform/headless/headless_pointer_settings.h"
#include "platform/headless/headless_system_messages.h"
#include "platform/headless/headless_system_version.h"
#include "platform/headless/headless_text_codec.h"
#include "platform/headless/headless_window_system.h"
#include "settings/varnel.h"
#include "ui/main_form.h"
#include "tests/unit/program_icons.h"

namespace tovel::testing {

inline constexpr char16_t kAppData[] = u"C:\\Users\\user\\AppData\\Roaming";
inline constexpr char16_t kDataFolder[] =
    u"C:\\Users\\user\\AppData\\Roaming\\Varnel Project\\Tovel";
inline constexpr char16_t kIniPath[] =
    u"C:\\Users\\user\\AppData\\Roaming\\Varnel Project\\Tovel\\Tovel.ini";

// One process's view of a headless machine: its files, its system settings
// and its windows. Several starts can share the files and the session.
struct HeadlessProcess {
    headless::HeadlessFileSystem& files;
    headless::HeadlessSystemVersion version{10};
    headless::HeadlessNamedMutexes mutexes;
    headless::HeadlessWindowSystem windows{ProgramIconResources()};
    headless::HeadlessPointerSettings& pointer;
    headless::HeadlessTextCodec codec;
    headless::HeadlessSystemMessages messages;
    headless::HeadlessNotificationArea tray;

    HeadlessProcess(headless::HeadlessFileSystem& fileSystem, headless::HeadlessSession& session,
                    headless::HeadlessPointerSettings& settings)
        : files(fileSystem), mutexes(session), pointer(settings) {}

    ProgramEnvironment Environment(std::u16string commandLine) {
        return ProgramEnvironment{files, version,  mutexes, pointer,
                                  windows, codec, messages, tray, std::move(commandLine)};
    }
    int Run(const std::u16string& arguments) {
        ProgramEnvironment environment = Environment(u"\"C:\\Tools\\Tovel.exe\" " + arguments);
        return RunProgram(environment);
    }
};

// A file system with the user's application-data folder in place.
inline void PrepareAppData(headless::HeadlessFileSystem& files) {
    files.AddFolder(kAppData);
    files.SetSpecialFolder(kCsidlAppData, kAppData);
}

}  // namespace tovel::testing
