#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/notification_area.h"
#include "tests/unit/main_form_fixture.h"

namespace tovel::testing {
namespace {

using headless::FileOperation;
using headless::HeadlessFileSystem;
using headless::HeadlessSession;
using Writes = std::vector<Call>;

constexpr char16_t kCommandLineError[] = u"コマンドラインオプションに誤りがあります。終了します。";

std::string FileText(const HeadlessFileSystem& files) {
    const auto* bytes = files.ContentsOf(kIniPath);
    return bytes != nullptr ? std::string(bytes->begin(), bytes->end()) : std::string("<none>");
}

// ---- what start-up sets up -----------------------------------------------------------

TEST_F(MainFormTest, StartUpShowsTheSystemValuesAndWritesNothingWhenTheyAgree) {
    Start(7, 12, kRoutingMousePos);
    EXPECT_EQ(form->ComboBoxSpeed->Items().size(), 20u);
    EXPECT_EQ(form->ComboBoxSpeed->Items().back(), u"20");
    EXPECT_EQ(form->ComboBoxLine->Items().size(), 100u);
    EXPECT_EQ(form->ComboBoxLine->Items().front(), u"1");
    EXPECT_EQ(form->ComboBoxSpeed->ItemIndex(), 11);
    ExpectMirrors(false, 6);
    EXPECT_TRUE(form->CHKNoActive->Checked());
    EXPECT_TRUE(form->PPNoActive->Checked());
    EXPECT_TRUE(form->GroupBoxNoActive->Enabled());
    EXPECT_EQ(pointer.StoredWheelScrollLines, 3) << "nothing was written to the profile";
    EXPECT_EQ(pointer.WheelScrollLines, 7);
    EXPECT_EQ(pointer.WheelRouting, kRoutingMousePos);
    EXPECT_FALSE(application.ShowMainForm());
    EXPECT_TRUE(form->TrayIcon->IconVisible());
    EXPECT_FALSE(form->Timer->Enabled());
}

TEST_F(MainFormTest, StartUpTakesTheMenuFontFaceAndKeepsTheDesignedHeight) {
    windows.MenuFont = u"Meiryo UI";
    Start(3);
    EXPECT_EQ(form->Font().Name, u"Meiryo UI");
    EXPECT_EQ(form->Font().Height, -11);
}

TEST_F(MainFormTest, PageModeAtStartSelectsTheSavedLineCountOrThreeLines) {
    Start(kWheelPageScroll, 10, 0, true, 9);
    ExpectMirrors(true, 9);
    EXPECT_TRUE(pointer.Writes().empty());
}

TEST_F(MainFormTest, SystemLineCountZeroAtStartIsLineModeWithNothingSelectedOrWritten) {
    pointer.WheelScrollLines = 0;
    Start(0);
    EXPECT_EQ(form->MMode, 1);
    EXPECT_EQ(form->ComboBoxLine->ItemIndex(), -1);
    EXPECT_EQ(pointer.WheelScrollLines, 0);
}

TEST_F(MainFormTest, OlderSystemsOfferNoRoutingAndNeverReadIt) {
    pointer.WheelRouting = kRoutingMousePos;
    Start(3, 10, kRoutingMousePos, false);
    EXPECT_FALSE(form->GroupBoxNoActive->Enabled());
    EXPECT_FALSE(form->PPNoActive->Enabled());
    EXPECT_FALSE(form->CHKNoActive->Checked());
    EXPECT_FALSE(form->PPNoActive->Checked());
}

TEST_F(MainFormTest, HybridRoutingAtStartLeavesTheBoxUnchecked) {
    Start(3, 10, kRoutingHybrid);
    EXPECT_FALSE(form->CHKNoActive->Checked());
    EXPECT_EQ(pointer.WheelRouting, kRoutingHybrid);
}

// ---- lengths the list cannot show: never 0 lines in place of the user's value -------

TEST_F(MainFormTest, ASavedIndexOutsideTheListFallsBackToThreeLines) {
    SaveLineIndexFile("150");
    Start(kWheelPageScroll);
    ExpectMirrors(true, 2);
    form->BtnLine->UserClick();
    EXPECT_EQ(pointer.Writes(),
              Writes{Write(Op::SetWheelScrollLines, 3, UpdateScope::SessionOnly)});
}

TEST_F(MainFormTest, ASystemLineCountAboveTheListIsKeptRatherThanReplacedByZero) {
    Start(150);
    EXPECT_EQ(form->MMode, 1);
    EXPECT_EQ(form->ComboBoxLine->ItemIndex(), -1);
    EXPECT_EQ(pointer.WheelScrollLines, 150) << "start-up wrote nothing";
    form->BtnPage->UserClick();
    form->BtnLine->UserClick();
    form->TBSystem->UserClick();
    EXPECT_EQ(pointer.Writes()[0], Write(Op::SetWheelScrollLines, -1, UpdateScope::SessionOnly));
    EXPECT_EQ(pointer.Writes()[1], Write(Op::SetWheelScrollLines, 150, UpdateScope::SessionOnly));
    EXPECT_EQ(pointer.Writes()[2], Write(Op::SetWheelScrollLines, 150, UpdateScope::Persistent));
    form->ComboBoxLine->UserSelect(9);  // a listed count chosen by the user takes over
    EXPECT_EQ(pointer.WheelScrollLines, 10);
}

// ---- the settings file at start and at close ------------------------------------------

TEST_F(MainFormTest, AnUnreadableFileAtStartIsReportedOnceAndStartUpGoesOn) {
    SaveLineIndexFile("9");
    files.Fail(FileOperation::ReadWholeFile, kIniPath, 32);
    Start(kWheelPageScroll);
    ASSERT_EQ(windows.MessageBoxes().size(), 0u) << "records were cleared after start";
    EXPECT_TRUE(form->TrayIcon->IconVisible()) << "the rest of start-up ran";
    ExpectMirrors(true, 2);
}

TEST_F(MainFormTest, CloseWritesTheLineIndexEveryTime) {
    Start(5);
    form->Close();
    EXPECT_EQ(FileText(files), "[Line]\r\nCount=4\r\n\r\n");
    form->ComboBoxLine->UserSelect(0);
    TMessage query{msg::kQueryEndSession, 0, 0, 0};
    form->Dispatch(query);
    EXPECT_EQ(query.Result, 1);
    EXPECT_EQ(FileText(files), "[Line]\r\nCount=0\r\n\r\n");
    EXPECT_EQ(files.CallsOf(FileOperation::ReplaceWholeFile).size(), 2u);
}

// ---- resident in the notification area: no window of its own ------------------------

TEST_F(MainFormTest, AResidentIconComesBackAfterTheTaskbarIsRecreated) {
    Start(5);
    ASSERT_FALSE(form->HandleAllocated());
    ASSERT_TRUE(application.HandleAllocated())
        << "the taskbar's broadcast needs a top-level window";
    tray.RemoveTaskbar();
    tray.CreateTaskbar();
    tray.ClearRequests();
    TMessage created{windows.RegisterSharedMessage(u"TaskbarCreated"), 0, 0, 0};
    ASSERT_TRUE(windows.SendToApplicationWindow(created));
    EXPECT_EQ(tray.CountOf(TNotifyIconOperation::Add), 1u);
    ASSERT_NE(tray.SingleIcon(), nullptr);
    EXPECT_EQ(tray.SingleIcon()->Tip, u"指定行数");
}

TEST_F(MainFormTest, AResidentProgramSavesTheLineIndexWhenTheSessionEnds) {
    Start(5);
    form->ComboBoxLine->UserSelect(8);
    TMessage query{msg::kQueryEndSession, 0, 0, 0};
    ASSERT_TRUE(windows.SendToApplicationWindow(query));
    EXPECT_EQ(query.Result, 1);
    EXPECT_EQ(FileText(files), "[Line]\r\nCount=8\r\n\r\n");
    EXPECT_FALSE(form->HandleAllocated()) << "answered without making the form's window";

    TMessage ends{msg::kEndSession, 1, 0, 0};
    ASSERT_TRUE(windows.SendToApplicationWindow(ends));
    EXPECT_TRUE(application.Terminated());
}

TEST_F(MainFormTest, AShownMainFormAnswersTheSessionEndItselfAndSavesOnce) {
    Start(5, 10, 0, true, 2, u"/w");
    form->Show();
    TMessage query{msg::kQueryEndSession, 0, 0, 0};
    ASSERT_TRUE(windows.SendToApplicationWindow(query));
    EXPECT_EQ(query.Result, 1);
    EXPECT_TRUE(files.CallsOf(FileOperation::ReplaceWholeFile).empty())
        << "the form's own window gets the question and saves";
}

TEST_F(MainFormTest, NoSelectionIsSavedAsMinusOne) {
    Start(0);
    form->Close();
    EXPECT_EQ(FileText(files), "[Line]\r\nCount=-1\r\n\r\n");
}

class UnwritableFileTest : public MainFormTest {
  protected:
    void SetUp() override {
        files.AddFolder(kIniPath);  // a folder where the file should be
        Start(5);
    }
    const std::u16string kCreateError =
        u"ファイル \"" + std::u16string(kIniPath) + u"\" を作成できません。";
};

TEST_F(UnwritableFileTest, AFailedSaveKeepsTheProgramOnceAndLetsItGoTheSecondTime) {
    form->ToolButton1->UserClick();
    ASSERT_EQ(windows.MessageBoxes().size(), 1u);
    EXPECT_EQ(windows.MessageBoxes()[0].Text.rfind(kCreateError, 0), 0u);
    EXPECT_EQ(windows.MessageBoxes()[0].Caption, u"Tovel");
    EXPECT_FALSE(application.Terminated());

    form->PPClose->Click();
    EXPECT_EQ(windows.MessageBoxes().size(), 2u) << "told again";
    EXPECT_TRUE(application.Terminated()) << "and not kept in a program it cannot quit";
}

TEST_F(UnwritableFileTest, EndOfSessionIsNeverHeldUpByAFailedSave) {
    TMessage query{msg::kQueryEndSession, 0, 0, 0};
    form->Dispatch(query);
    EXPECT_EQ(query.Result, 1);
    EXPECT_TRUE(windows.MessageBoxes().empty());

    // Another program cancelled the logoff: the session goes on, and a later
    // close with a failed save is told and kept like any other.
    TMessage cancelled{msg::kEndSession, 0, 0, 0};
    form->Dispatch(cancelled);
    form->ToolButton1->UserClick();
    EXPECT_EQ(windows.MessageBoxes().size(), 1u);
    EXPECT_FALSE(windows.QuitPosted());
}

// ---- whole runs: the four ways and the error ------------------------------------------

class RunTest : public ::testing::Test {
  protected:
    HeadlessFileSystem files;
    HeadlessSession session;
    HeadlessPointerSettings pointer;

    RunTest() { PrepareAppData(files); }

    struct Outcome {
        Writes writes;
        std::vector<headless::HeadlessWindowSystem::MessageBoxCall> boxes;
        std::uint64_t endedAt;
        int windowsCreated;
        int messageWindowsCreated;
        std::size_t trayRequests;
        // Pictures read or copied, text measured, the menu font or the
        // monitor DPI asked for.
        int displayWork;
        bool timerRanBeforeTheBoxClosed = false;
        // The program asked the system to end its message loop.
        bool quitPosted = false;
    };

    Outcome Run(const std::u16string& arguments) {
        HeadlessProcess process(files, session, pointer);
        pointer.ClearCalls();
        Outcome outcome;
        process.windows.OnMessageBox = [&](const auto&) {
            outcome.timerRanBeforeTheBoxClosed = process.windows.RunningTimers() != 0;
        };
        EXPECT_EQ(process.Run(arguments), 0);
        outcome.writes = pointer.Writes();
        for (Call& call : outcome.writes) {
            call.BusyCursor = true;  // the hourglass is the controller's business
        }
        outcome.boxes = process.windows.MessageBoxes();
        outcome.endedAt = process.windows.Now();
        outcome.quitPosted = process.windows.QuitPosted();
        outcome.windowsCreated = process.windows.WindowsCreated();
        outcome.messageWindowsCreated = process.windows.MessageWindowsCreated();
        outcome.trayRequests = process.tray.Requests().size();
        outcome.displayWork = process.windows.IconsMade() + process.windows.TextMeasurements() +
                              process.windows.MenuFontQueries() + process.windows.DpiQueries();
        return outcome;
    }
};

TEST_F(RunTest, NoArgumentTogglesTheWheelAndEndsAboutASecondLater) {
    pointer.WheelScrollLines = kWheelPageScroll;
    Outcome first = Run(u"");
    EXPECT_EQ(first.writes, Writes{Write(Op::SetWheelScrollLines, 3, UpdateScope::SessionOnly)});
    EXPECT_EQ(first.endedAt, 1000u);
    EXPECT_TRUE(first.quitPosted);
    EXPECT_TRUE(first.boxes.empty());
    EXPECT_EQ(FileText(files), "[Line]\r\nCount=2\r\n\r\n");
    EXPECT_EQ(files.ContentsOf(kIniPath)->size(), 19u);

    EXPECT_EQ(first.windowsCreated + first.messageWindowsCreated, 0);
    EXPECT_EQ(first.trayRequests, 0u) << "the icon is never shown: nothing to tell the shell";
    EXPECT_EQ(first.displayWork, 0) << "no picture, font or monitor for what is never shown";

    Outcome second = Run(u"\"\"");  // only an empty quoted argument: the same as none
    EXPECT_EQ(second.writes, Writes{Write(Op::SetWheelScrollLines, -1, UpdateScope::SessionOnly)});
    EXPECT_EQ(pointer.WheelScrollLines, -1);
}

TEST_F(RunTest, NoArgumentRemembersTheLineCountAcrossRuns) {
    pointer.WheelScrollLines = 12;
    Run(u"");
    EXPECT_EQ(pointer.WheelScrollLines, -1);
    EXPECT_EQ(FileText(files), "[Line]\r\nCount=11\r\n\r\n");
    Run(u"");
    EXPECT_EQ(pointer.WheelScrollLines, 12);
}

TEST_F(RunTest, ANumberSetsThePointerSpeedAndEnds) {
    const std::vector<std::pair<std::u16string, int>> cases = {
        {u"7", 7},     {u"+7", 7},   {u"07", 7},    {u"$A", 10},
        {u"0x14", 20}, {u"$14", 20}, {u"\" 5\"", 5}};
    for (const auto& [argument, speed] : cases) {
        pointer.MouseSpeed = 1;
        Outcome outcome = Run(argument);
        EXPECT_EQ(outcome.writes, Writes{Write(Op::SetMouseSpeed, speed, UpdateScope::SessionOnly)})
            << Utf16ToUtf8(argument);
        EXPECT_EQ(outcome.endedAt, 1000u);
        EXPECT_TRUE(outcome.quitPosted);
        EXPECT_EQ(outcome.windowsCreated, 0) << "a one-shot run makes no window before the write";
        EXPECT_EQ(outcome.messageWindowsCreated, 0) << "nor a tray or timer window";
        EXPECT_EQ(outcome.trayRequests, 0u);
        EXPECT_EQ(outcome.displayWork, 0);
    }
}

TEST_F(RunTest, AWrongCommandLineShowsTheErrorBoxThenEnds) {
    const std::vector<std::u16string> wrong = {u"/T",      u"/W",     u"0",         u"21",   u"-5",
                                               u"abc",     u"\"7 \"", u"/t /w",     u"/t 5", u"5 6",
                                               u"\" /t\"", u"-1",     u"4294967297"};
    for (const std::u16string& arguments : wrong) {
        Outcome outcome = Run(arguments);
        ASSERT_EQ(outcome.boxes.size(), 1u) << Utf16ToUtf8(arguments);
        EXPECT_EQ(outcome.boxes[0].Text, kCommandLineError);
        EXPECT_EQ(outcome.boxes[0].Caption, u"Tovel");
        EXPECT_EQ(outcome.boxes[0].Style, TMessageBoxStyle::Error);
        EXPECT_FALSE(outcome.timerRanBeforeTheBoxClosed);
        EXPECT_TRUE(outcome.writes.empty());
        EXPECT_EQ(outcome.endedAt, 1000u) << "a second after the box closed";
        EXPECT_TRUE(outcome.quitPosted);
    }
}

TEST_F(RunTest, QuotedResidentSwitchIsRecognised) {
    HeadlessProcess process(files, session, pointer);
    std::unique_ptr<TApplication> application;
    ProgramEnvironment environment = process.Environment(u"Tovel.exe \"/t\"");
    EXPECT_EQ(RunProgram(environment), 0);
    EXPECT_TRUE(process.windows.MessageBoxes().empty());
    EXPECT_EQ(process.windows.Now(), 0u) << "resident: no exit timer, the loop waits for the user";
}

TEST_F(RunTest, ASaveFailureDuringTheAutomaticExitIsReportedOnceAndTheProgramEnds) {
    files.AddFolder(kIniPath);
    Outcome outcome = Run(u"7");
    ASSERT_EQ(outcome.boxes.size(), 1u);
    EXPECT_NE(outcome.boxes[0].Text.find(u"を作成できません。"), std::u16string::npos);
    EXPECT_EQ(outcome.endedAt, 1000u);
    // On the system the loop waits for messages: only the program's own end
    // stops it, and a one-shot left running would keep the single-instance
    // guard, so that every later start did nothing.
    EXPECT_TRUE(outcome.quitPosted) << "the one-shot ends after the report";
}

}  // namespace
}  // namespace tovel::testing
