#include <algorithm>

#include "tests/unit/tray_fixture.h"

namespace tovel::testing {
namespace {

class MinimizeToTrayTest : public TrayTest {
  protected:
    int minimizeEvents = 0;

    MinimizeToTrayTest() {
        icon->SetMinimizeToTray(true);
        form->Show();
    }
    void WithHandler() {
        icon->OnMinimizeToTray = [this](TObject* sender) {
            EXPECT_EQ(sender, icon);
            EXPECT_TRUE(form->Visible()) << "the event comes before the window is hidden";
            ++minimizeEvents;
        };
    }
    headless::HeadlessAppWindowPeer& AppWindow() {
        application.Handle();
        return static_cast<headless::HeadlessAppWindowPeer&>(*application.Peer());
    }
    bool AppWindowWasMinimized() {
        const auto& requests = AppWindow().Requests();
        return std::find(requests.begin(), requests.end(), u"default minimize") != requests.end() ||
               std::find(requests.begin(), requests.end(), u"Show 6 noanimate") != requests.end();
    }
    TMessage SysCommand(std::uintptr_t command) {
        TMessage message{msg::kSysCommand, command, 0, 0};
        form->Dispatch(message);
        return message;
    }
};

TEST_F(TrayTest, ShowingTheTaskbarButtonMakesItsWindowWhenThereIsNoneYet) {
    ASSERT_FALSE(application.HandleAllocated());
    icon->ShowTaskbarIcon();
    ASSERT_NE(application.Peer(), nullptr);
    EXPECT_TRUE(application.Peer()->IsVisible());
}

TEST_F(TrayTest, HookingTheFormMakesNoWindow) {
    EXPECT_FALSE(form->HandleAllocated());
    EXPECT_EQ(windows.WindowsCreated(), 0);
}

TEST_F(MinimizeToTrayTest, WithAHandlerTheMinimiseIsSwallowedAndEndsInTheTray) {
    WithHandler();
    const TMessage message = SysCommand(kSysCmdMinimize);
    EXPECT_EQ(message.Result, 1);
    EXPECT_EQ(minimizeEvents, 1);
    EXPECT_FALSE(form->Visible());
    EXPECT_FALSE(AppWindow().IsVisible()) << "no taskbar button";
    EXPECT_FALSE(AppWindowWasMinimized());
    EXPECT_TRUE(icon->IconVisible());
    EXPECT_EQ(shell.Icons().size(), 1u);
}

TEST_F(MinimizeToTrayTest, WithoutAHandlerTheApplicationWindowTakesTheMinimiseToTheTray) {
    const TMessage message = SysCommand(kSysCmdMinimize);
    EXPECT_EQ(message.Result, 0);
    EXPECT_TRUE(AppWindowWasMinimized());
    EXPECT_TRUE(AppWindow().IsIconic());
    EXPECT_FALSE(form->Visible());
    EXPECT_FALSE(AppWindow().IsVisible());
    EXPECT_EQ(shell.CountOf(TNotifyIconOperation::Add), 1u);
    EXPECT_EQ(shell.Icons().size(), 1u);
}

TEST_F(MinimizeToTrayTest, WithoutMinimizeToTrayTheProgramMinimisesAsUsual) {
    WithHandler();
    icon->SetMinimizeToTray(false);
    SysCommand(kSysCmdMinimize);
    EXPECT_EQ(minimizeEvents, 0);
    EXPECT_TRUE(AppWindow().IsIconic());
    EXPECT_TRUE(form->Visible());
    EXPECT_TRUE(shell.Requests().empty()) << "the tray icon does not change";
}

TEST_F(MinimizeToTrayTest, TheSystemsLowBitsInTheCommandStillMinimiseToTheTray) {
    WithHandler();
    const TMessage message = SysCommand(kSysCmdMinimize | 0x2);
    EXPECT_EQ(message.Result, 1);
    EXPECT_EQ(minimizeEvents, 1);
    EXPECT_FALSE(form->Visible());
    EXPECT_FALSE(AppWindowWasMinimized()) << "swallowed: the application window stays";
    EXPECT_EQ(shell.CountOf(TNotifyIconOperation::Add), 1u);
    EXPECT_EQ(shell.Icons().size(), 1u);
}

TEST_F(MinimizeToTrayTest, ShowMainFormBringsTheWindowBackAndKeepsTheIcon) {
    SysCommand(kSysCmdMinimize);
    windows.ClearRecords();
    icon->ShowMainForm();
    EXPECT_TRUE(form->Visible());
    EXPECT_EQ(form->WindowState(), TWindowState::wsNormal);
    EXPECT_FALSE(AppWindow().IsIconic()) << "restored first";
    EXPECT_TRUE(AppWindow().IsVisible()) << "the taskbar button is back";
    ASSERT_FALSE(windows.ForegroundRequests().empty());
    EXPECT_EQ(windows.ForegroundRequests().back(), application.Handle());
    EXPECT_EQ(shell.Icons().size(), 1u);
}

TEST_F(MinimizeToTrayTest, ShowMainFormTurnsAMinimisedFormNormal) {
    form->SetWindowState(TWindowState::wsMinimized);
    form->Hide();
    icon->ShowMainForm();
    EXPECT_EQ(form->WindowState(), TWindowState::wsNormal);
    EXPECT_TRUE(form->Visible());
}

TEST_F(MinimizeToTrayTest, TaskbarButtonOperationsOnlyActWhenTheyChangeSomething) {
    auto& app = AppWindow();
    ASSERT_TRUE(app.IsVisible());
    const std::size_t before = app.Requests().size();
    icon->ShowTaskbarIcon();
    EXPECT_EQ(app.Requests().size(), before);
    icon->HideTaskbarIcon();
    EXPECT_FALSE(app.IsVisible());
    icon->HideTaskbarIcon();
    EXPECT_EQ(app.Requests().size(), before + 1);
    icon->ShowTaskbarIcon();
    EXPECT_TRUE(app.IsVisible());
    EXPECT_EQ(app.Requests().back(), u"Show 5");
}

TEST_F(MinimizeToTrayTest, TheFormClosingWithItsParentGoesToTheTrayUnlessTheProgramEnds) {
    WithHandler();
    TMessage closing{msg::kShowWindow, 0, kShowParentClosing, 0};
    form->Dispatch(closing);
    EXPECT_EQ(minimizeEvents, 1);
    EXPECT_EQ(closing.Result, 1);

    form->Show();
    application.Terminate();
    TMessage again{msg::kShowWindow, 0, kShowParentClosing, 0};
    form->Dispatch(again);
    EXPECT_EQ(minimizeEvents, 1);
    EXPECT_EQ(again.Result, 0);
}

TEST_F(MinimizeToTrayTest, AFormShownByShowWindowComesToTheFront) {
    TMessage shown{msg::kShowWindow, 1, 0, 0};
    form->Dispatch(shown);
    ASSERT_EQ(windows.ForegroundRequests().size(), 2u);
    EXPECT_EQ(windows.ForegroundRequests()[0], application.Handle());
    EXPECT_EQ(windows.ForegroundRequests()[1], form->Handle());
}

TEST_F(MinimizeToTrayTest, RestoreOnTheApplicationWindowShowsTheMainForm) {
    // The system may set the command's low four bits.
    for (std::uintptr_t command : {kSysCmdRestore, kSysCmdRestore | 0x2}) {
        form->Hide();
        form->SetWindowState(TWindowState::wsMinimized);
        TMessage restore{msg::kSysCommand, command, 0, 0};
        windows.SendToApplicationWindow(restore);
        EXPECT_TRUE(form->Visible()) << command;
        EXPECT_EQ(form->WindowState(), TWindowState::wsNormal) << command;
    }
}

TEST_F(MinimizeToTrayTest, AMultipleDocumentMainFormAsksOnStartupOnce) {
    int asked = 0;
    icon->OnStartup = [&](TObject*, bool& show) {
        ++asked;
        show = false;
    };
    form->SetFormStyle(TFormStyle::fsMDIForm);
    TMessage moved{msg::kWindowPosChanged, 0, 0, 0};
    windows.SendToApplicationWindow(moved);
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(AppWindow().IsVisible()) << "only the taskbar button goes";
    EXPECT_TRUE(form->Visible());
    windows.SendToApplicationWindow(moved);
    EXPECT_EQ(asked, 1);
}

TEST_F(MinimizeToTrayTest, DestructionPutsTheFormsProcedureBackAndUnhooksTheApplication) {
    WithHandler();
    delete icon;
    icon = nullptr;
    SysCommand(kSysCmdMinimize);
    EXPECT_EQ(minimizeEvents, 0);
    EXPECT_TRUE(AppWindow().IsIconic()) << "the form's own handling again";
    EXPECT_TRUE(form->Visible()) << "no hook hid it";
    EXPECT_EQ(shell.CountOf(TNotifyIconOperation::Add), 0u);
}

TEST_F(MinimizeToTrayTest, TwoIconsOnOneFormUnhookInAnyOrder) {
    int secondEvents = 0;
    auto makeSecond = [&] {
        auto* second = new TCoolTrayIcon(application, shell, form);
        second->SetMinimizeToTray(true);
        second->OnMinimizeToTray = [&](TObject*) { ++secondEvents; };
        return second;
    };
    // Last hooked, first gone.
    delete makeSecond();
    WithHandler();
    SysCommand(kSysCmdMinimize);
    EXPECT_EQ(minimizeEvents, 1);
    EXPECT_EQ(secondEvents, 0);

    // First hooked, first gone: the later hook still reaches the form.
    form->Show();
    TCoolTrayIcon* second = makeSecond();
    delete icon;
    icon = nullptr;
    SysCommand(kSysCmdMinimize);
    EXPECT_EQ(secondEvents, 1);
    // The first hook stays as a pass-through under the form's procedure.
    delete second;
    form->Show();
    ASSERT_FALSE(AppWindow().IsIconic());
    SysCommand(kSysCmdMinimize);
    EXPECT_EQ(secondEvents, 1);
    EXPECT_TRUE(AppWindow().IsIconic()) << "passed on: the form's own handling minimised";
    EXPECT_TRUE(windows.WindowOf(*form)->Visible) << "and no hook hid the window";
}

TEST(TrayShowMainForm, NeedsAnOwnerFormAndAMainForm) {
    headless::HeadlessWindowSystem windows;
    headless::HeadlessNotificationArea shell;
    TApplication application(windows);
    TForm* mainForm = application.CreateForm<TForm>(static_cast<TComponent*>(&application));

    // Owned by the application, not by a form: there is no window to bring back.
    auto* loose = new TCoolTrayIcon(application, shell, &application);
    loose->ShowMainForm();
    EXPECT_EQ(windows.WindowsCreated(), 0);
    EXPECT_TRUE(windows.ForegroundRequests().empty());
    delete loose;

    // On a form, but the main form has gone.
    auto* other = new TForm(application, &application);
    auto* icon = new TCoolTrayIcon(application, shell, other);
    delete mainForm;
    icon->ShowMainForm();
    EXPECT_EQ(windows.WindowsCreated(), 0);
    EXPECT_TRUE(windows.ForegroundRequests().empty());
}

}  // namespace
}  // namespace tovel::testing

namespace tovel::testing {
namespace {

// The form's replaceable procedure, on which the owner hook rests.
TEST_F(TrayTest, AReplacedWindowProcedureSeesEveryMessageFirstAndCanPassItOn) {
    delete icon;  // its hook is not the subject here
    icon = nullptr;
    application.Handle();
    std::vector<std::uint32_t> seen;
    const TWndMethod original = form->WindowProc;
    form->WindowProc = [&](TMessage& message) {
        seen.push_back(message.Msg);
        if (message.Msg != msg::kClose) {
            original(message);
        }
    };
    TMessage close{msg::kClose, 0, 0, 0};
    form->Dispatch(close);
    EXPECT_FALSE(application.Terminated()) << "taken: the form never saw it";
    TMessage minimize{msg::kSysCommand, kSysCmdMinimize, 0, 0};
    form->Dispatch(minimize);
    EXPECT_TRUE(application.Peer()->IsIconic()) << "passed on to the form's own handling";
    EXPECT_EQ(seen, (std::vector<std::uint32_t>{msg::kClose, msg::kSysCommand}));

    // A procedure that puts the old one back while it runs finishes safely.
    form->WindowProc = [&](TMessage& message) {
        form->WindowProc = original;
        seen.push_back(message.Msg + 1);
    };
    TMessage once{msg::kNull, 0, 0, 0};
    form->Dispatch(once);
    form->Dispatch(once);
    EXPECT_EQ(seen.size(), 3u);
}

}  // namespace
}  // namespace tovel::testing
