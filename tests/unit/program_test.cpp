#include <gtest/gtest.h>

#include "app/program.h"
#include "platform/headless/headless_file_system.h"
#include "platform/headless/headless_named_mutex.h"
#include "platform/headless/headless_pointer_settings.h"
#include "platform/headless/headless_system_version.h"
#include "platform/headless/headless_window_system.h"

namespace tovel {
namespace {

using namespace headless;

constexpr char16_t kAppData[] = u"C:\\Users\\user\\AppData\\Roaming";
constexpr char16_t kDataFolder[] = u"C:\\Users\\user\\AppData\\Roaming\\Varnel Project\\Tovel";

// One start of the program on the headless platform, in a logon session that
// other starts may share.
struct Start {
    HeadlessFileSystem& files;
    HeadlessSystemVersion version{10};
    HeadlessNamedMutexes mutexes;
    HeadlessWindowSystem windows;
    HeadlessPointerSettings pointer{&windows};
    ProgramEnvironment environment{files, version, mutexes, pointer, windows};

    Start(HeadlessFileSystem& fileSystem, HeadlessSession& session)
        : files(fileSystem), mutexes(session) {}
    int Run() { return RunProgram(environment); }
};

class ProgramTest : public ::testing::Test {
  protected:
    HeadlessFileSystem files;
    HeadlessSession session;

    ProgramTest() {
        files.AddFolder(kAppData);
        files.SetSpecialFolder(kCsidlAppData, kAppData);
    }
};

TEST_F(ProgramTest, FirstStartMakesTheDataFolderTakesTheGuardAndShowsTheWindow) {
    Start start(files, session);
    EXPECT_EQ(start.Run(), 0);
    EXPECT_EQ(files.KindAt(kDataFolder), HeadlessFileSystem::Kind::Folder);
    EXPECT_EQ(start.mutexes.CreateCalls(), 1);
    EXPECT_EQ(session.Mutexes.count(kInstanceGuardName), 1u);
    EXPECT_GT(start.windows.WindowsCreated(), 0) << "the main window was shown";
    EXPECT_TRUE(start.windows.MessageBoxes().empty());
}

TEST_F(ProgramTest, SecondStartEndsSilentlyButStillMakesAMissingDataFolder) {
    session.Mutexes.insert(kInstanceGuardName);  // a first copy runs
    Start second(files, session);
    EXPECT_EQ(second.Run(), 0);
    EXPECT_EQ(files.KindAt(kDataFolder), HeadlessFileSystem::Kind::Folder);
    EXPECT_EQ(second.mutexes.CreateCalls(), 0);
    EXPECT_EQ(second.windows.WindowsCreated(), 0);
    EXPECT_TRUE(second.windows.MessageBoxes().empty());
    EXPECT_TRUE(second.pointer.Calls().empty()) << "the running copy's settings are left alone";
}

TEST_F(ProgramTest, AGuardThatCannotBeOpenedLetsTheProgramRun) {
    session.Mutexes.insert(kInstanceGuardName);
    session.Inaccessible.insert(kInstanceGuardName);
    Start start(files, session);
    EXPECT_EQ(start.Run(), 0);
    EXPECT_EQ(start.mutexes.CreateCalls(), 1);
    EXPECT_GT(start.windows.WindowsCreated(), 0);
}

TEST_F(ProgramTest, NoDataFolderEndsBeforeTheGuardWithNothingShown) {
    files.AddFile(u"C:\\Users\\user\\AppData\\Roaming\\Varnel Project");
    Start start(files, session);
    EXPECT_EQ(start.Run(), 0);
    EXPECT_EQ(start.mutexes.OpenCalls(), 0);
    EXPECT_EQ(start.windows.WindowsCreated(), 0);
    EXPECT_TRUE(start.windows.MessageBoxes().empty());
}

TEST_F(ProgramTest, AFailedFolderLookupEndsSilently) {
    files.ClearSpecialFolder(kCsidlAppData);
    Start start(files, session);
    EXPECT_EQ(start.Run(), 0);
    EXPECT_EQ(start.mutexes.OpenCalls(), 0);
    EXPECT_EQ(start.windows.WindowsCreated(), 0);
}

TEST_F(ProgramTest, TheGuardGoesWithTheProcessSoALaterStartRuns) {
    {
        Start first(files, session);
        first.Run();
    }
    EXPECT_EQ(session.Mutexes.count(kInstanceGuardName), 0u);
    Start later(files, session);
    later.Run();
    EXPECT_EQ(later.mutexes.CreateCalls(), 1);
}

}  // namespace
}  // namespace tovel
