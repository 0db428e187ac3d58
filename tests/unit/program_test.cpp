#include <gtest/gtest.h>

#include "tests/unit/headless_machine.h"

namespace tovel {
namespace {

using namespace headless;

using testing::HeadlessProcess;
using testing::kDataFolder;

// One start of the program on the headless platform, in a logon session that
// other starts may share.
struct Start : HeadlessProcess {
    HeadlessPointerSettings settings{&windows};
    Start(HeadlessFileSystem& fileSystem, HeadlessSession& session)
        : HeadlessProcess(fileSystem, session, settings) {}
    int Run() { return HeadlessProcess::Run(u"/w"); }
};

class ProgramTest : public ::testing::Test {
  protected:
    HeadlessFileSystem files;
    HeadlessSession session;

    ProgramTest() { testing::PrepareAppData(files); }
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

// Two starts at the same instant: the other one makes the guard after this
// one's open found none, so only the create can tell.
TEST_F(ProgramTest, AGuardMadeBetweenTheOpenAndTheCreateEndsTheStartSilently) {
    for (const char16_t* arguments : {u"/t", u"/w", u"", u"5"}) {
        Start start(files, session);
        session.AfterOpen = [this] { session.Mutexes.insert(kInstanceGuardName); };
        files.ClearCalls();
        EXPECT_EQ(start.HeadlessProcess::Run(arguments), 0);
        session.AfterOpen = nullptr;
        EXPECT_EQ(start.windows.WindowsCreated(), 0);
        EXPECT_TRUE(start.windows.MessageBoxes().empty());
        EXPECT_TRUE(start.tray.Requests().empty()) << "no icon";
        EXPECT_TRUE(start.pointer.Calls().empty()) << "the running copy's settings are left alone";
        EXPECT_TRUE(files.CallsOf(FileOperation::ReplaceWholeFile).empty()) << "no write";
        session.Mutexes.erase(kInstanceGuardName);  // the other start ends
    }
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
