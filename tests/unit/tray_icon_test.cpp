#include <memory>
#include <string>

#include "tests/unit/tray_fixture.h"
#include "tray/tray_icon_handler.h"

namespace tovel::testing {
namespace {

using Request = headless::HeadlessNotificationArea::Request;

TEST_F(TrayTest, TheRecordNamesTheSharedWindowTheIdAndTheCallback) {
    EXPECT_FALSE(icon->IconVisible());
    EXPECT_TRUE(icon->Enabled());
    EXPECT_TRUE(icon->ShowHint());
    EXPECT_EQ(icon->IconIndex(), 0);
    EXPECT_EQ(icon->Behavior(), TBehavior::bhWin95);
    EXPECT_TRUE(shell.Requests().empty()) << "nothing is sent while the component is made";

    icon->SetHint(u"tip");
    icon->SetIconVisible(true);
    const Request& add = LastRequest();
    EXPECT_EQ(add.Operation, TNotifyIconOperation::Add);
    EXPECT_TRUE(add.Accepted);
    EXPECT_EQ(add.Data.cbSize, 936u);
    EXPECT_EQ(add.Data.hWnd, icon->Handle());
    EXPECT_NE(add.Data.hWnd, 0u);
    EXPECT_EQ(add.Data.uID, icon->IconId());
    EXPECT_EQ(add.Data.uFlags, notify_field::kMessage | notify_field::kIcon | notify_field::kTip);
    EXPECT_EQ(add.Data.uCallbackMessage, 0x800u);
    EXPECT_EQ(add.Data.dwState, 0u);
    EXPECT_EQ(FieldText(add.Data.szTip), u"tip");
}

TEST_F(TrayTest, WritingIconVisibleSendsARequestEveryTime) {
    EXPECT_FALSE(icon->Refresh()) << "no icon yet: the shell refuses the update";
    icon->SetIconVisible(true);
    icon->SetIconVisible(true);
    ASSERT_EQ(shell.CountOf(TNotifyIconOperation::Add), 2u);
    EXPECT_FALSE(LastRequest().Accepted) << "the second add is refused";
    EXPECT_EQ(shell.Icons().size(), 1u);
    EXPECT_TRUE(icon->Refresh());

    icon->SetIconVisible(false);
    EXPECT_FALSE(icon->IconVisible());
    EXPECT_TRUE(shell.Icons().empty());
    icon->SetIconVisible(false);
    EXPECT_EQ(shell.CountOf(TNotifyIconOperation::Delete), 1u)
        << "a removed icon is not removed again";
}

TEST_F(TrayTest, AnIconNeverShownCostsNoRequestAndNoWindow) {
    auto* images = MakeImages();
    TIcon picture(windows);
    picture.LoadFromResource(1, 16);
    icon->SetIcon(picture);
    icon->SetIconList(images);
    icon->SetIconIndex(1);
    icon->SetHint(u"first");
    icon->SetShowHint(false);
    icon->SetShowHint(true);
    icon->SetBehavior(TBehavior::bhWin2000);
    icon->SetCycleIcons(false);
    icon->SetWantEnterExitEvents(false);
    icon->Loaded();
    icon->SetIconVisible(false);
    EXPECT_FALSE(icon->Refresh());
    EXPECT_FALSE(icon->SetFocus());
    EXPECT_FALSE(icon->ShowBalloonHint(u"t", u"b", TBalloonHintIcon::bitInfo, 10));
    EXPECT_TRUE(shell.Requests().empty());
    EXPECT_TRUE(windows.MessageWindows().empty()) << "neither the tray's nor the timers' window";
    EXPECT_EQ(windows.IconsMade(), 0) << "no picture is read for an icon not shown";

    delete icon;
    icon = nullptr;
    EXPECT_TRUE(shell.Requests().empty()) << "nothing to remove either";
    EXPECT_EQ(windows.MessageWindowsCreated(), 0);
}

TEST_F(TrayTest, TheAddCarriesEverythingWrittenWhileHidden) {
    auto* images = MakeImages();
    icon->SetIconList(images);
    icon->SetIconIndex(2);
    icon->SetHint(u"written while hidden");
    icon->SetIconVisible(true);
    ASSERT_EQ(shell.Requests().size(), 1u);
    const Request& add = shell.Requests()[0];
    EXPECT_EQ(add.Operation, TNotifyIconOperation::Add);
    EXPECT_EQ(windows.IconResourceOf(add.Data.hIcon), 102);
    EXPECT_EQ(FieldText(add.Data.szTip), u"written while hidden");
    ASSERT_EQ(windows.MessageWindows().size(), 1u) << "the tray's window, made to show the icon";
    EXPECT_EQ(add.Data.hWnd, windows.MessageWindows().front());

    icon->SetIconVisible(false);
    shell.ClearRequests();
    icon->SetHint(u"hidden again");
    icon->SetIconIndex(0);
    EXPECT_TRUE(shell.Requests().empty());
    icon->SetIconVisible(true);
    ASSERT_EQ(shell.Requests().size(), 1u);
    EXPECT_EQ(windows.IconResourceOf(LastRequest().Data.hIcon), 100);
    EXPECT_EQ(LastTip(), u"hidden again");
}

TEST_F(TrayTest, TheTipIsCutAt126CharactersAndEmptiedWithoutShowHint) {
    const std::u16string longHint(200, u'x');
    icon->SetIconVisible(true);
    icon->SetHint(longHint);
    EXPECT_EQ(LastTip(), longHint.substr(0, 126));
    EXPECT_EQ(LastRequest().Data.szTip[126], 0);
    EXPECT_EQ(shell.SingleIcon()->Tip.size(), 126u);

    icon->SetShowHint(false);
    for (char16_t unit : LastRequest().Data.szTip) {
        ASSERT_EQ(unit, 0) << "no tip: the whole field is zero";
    }
    icon->SetShowHint(true);
    EXPECT_EQ(LastTip(), longHint.substr(0, 126)) << "back without writing Hint again";
    EXPECT_EQ(icon->Hint(), longHint);
}

TEST_F(TrayTest, ACutThroughASurrogatePairDropsTheLoneHalf) {
    // The field keeps 126 units; a character outside the basic plane is two.
    const std::u16string a124(124, u'a');
    const std::u16string a125(125, u'a');
    const struct {
        std::u16string hint;
        std::u16string tip;
    } cases[] = {
        {a125 + u"\U00020B9F" + u"b", a125},                 // the cut splits a pair
        {a125 + u"\U00010000" + u"b", a125},                 // the lowest high half
        {a125 + u"\U0010FFFF" + u"b", a125},                 // the highest high half
        {a124 + u"\U00010000" + u"b", a124 + u"\U00010000"},  // the cut falls after a pair
        {a125 + u"\uD7FF" + u"b", a125 + u"\uD7FF"},          // just below the halves
        {a125 + u"a\U00010000", a125 + u"a"},                 // a pair just past the cut
        // A lone high half the text itself ends with is no cut: kept as given.
        {u"ab" + std::u16string(1, char16_t{0xD800}), u"ab" + std::u16string(1, char16_t{0xD800})},
        {a125 + std::u16string(1, char16_t{0xDBFF}), a125 + std::u16string(1, char16_t{0xDBFF})},
    };
    icon->SetIconVisible(true);
    for (const auto& c : cases) {
        icon->SetHint(c.hint);
        EXPECT_EQ(LastTip(), c.tip) << c.hint.size() << " units";
        EXPECT_EQ(shell.SingleIcon()->Tip, c.tip);
    }
}

TEST_F(TrayTest, AHiddenIconTakesTheCurrentPictureAndTipWhenShown) {
    auto* images = MakeImages();
    icon->SetIconList(images);
    icon->SetIconIndex(2);
    icon->SetHint(u"lines");
    EXPECT_TRUE(shell.Icons().empty()) << "writes to a hidden icon change nothing shown";
    icon->SetIconVisible(true);
    const auto* shown = shell.SingleIcon();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(windows.IconResourceOf(shown->Picture), 102);
    EXPECT_EQ(shown->Tip, u"lines");
}

TEST_F(TrayTest, IconIndexIsClampedToTheListAndKeptAt0WithoutOne) {
    icon->SetIconVisible(true);
    icon->SetIconIndex(5);
    EXPECT_EQ(icon->IconIndex(), 0) << "no list: index 0, picture unchanged";
    EXPECT_EQ(shell.SingleIcon()->Picture, 0u);

    auto* images = MakeImages();
    icon->SetIconList(images);
    EXPECT_EQ(icon->IconIndex(), 0);
    EXPECT_EQ(windows.IconResourceOf(shell.SingleIcon()->Picture), 100);
    icon->SetIconIndex(5);
    EXPECT_EQ(icon->IconIndex(), 2);
    EXPECT_EQ(windows.IconResourceOf(shell.SingleIcon()->Picture), 102);
    icon->SetIconIndex(-3);
    EXPECT_EQ(icon->IconIndex(), -3);
    EXPECT_EQ(shell.SingleIcon()->Picture, 0u) << "an index the list lacks shows no picture";
}

TEST_F(TrayTest, AnEmptyListGivesIndexMinus1AndNoPicture) {
    auto* empty = MakeImages({});
    icon->SetIconVisible(true);
    icon->SetIconList(empty);
    EXPECT_EQ(icon->IconIndex(), -1);
    EXPECT_TRUE(icon->Icon().Empty());
    EXPECT_EQ(LastRequest().Data.hIcon, 0u);
}

TEST_F(TrayTest, RemovingTheListOrTheMenuClearsTheReferences) {
    auto* images = MakeImages();
    auto* menu = MakeMenu({u"a"});
    icon->SetIconList(images);
    icon->SetIconIndex(1);
    icon->SetPopupMenu(menu);
    icon->SetIconVisible(true);
    const THandle shown = shell.SingleIcon()->Picture;

    delete images;
    EXPECT_EQ(icon->IconList(), nullptr);
    EXPECT_EQ(icon->IconIndex(), 0);
    EXPECT_EQ(windows.IconResourceOf(shell.SingleIcon()->Picture), 101) << "the last picture stays";
    EXPECT_EQ(shell.SingleIcon()->Picture, shown);

    delete menu;
    EXPECT_EQ(icon->PopupMenu(), nullptr);
    Notify(msg::kRButtonDown);
    EXPECT_TRUE(windows.Popups().empty());
}

TEST_F(TrayTest, WritingIconCopiesThePictureWithOneUpdate) {
    icon->SetIconVisible(true);
    shell.ClearRequests();
    TIcon picture(windows);
    picture.SetHandle(windows.LoadIconResource(1, 16));
    icon->SetIcon(picture);
    ASSERT_EQ(shell.Requests().size(), 1u);
    EXPECT_EQ(LastRequest().Operation, TNotifyIconOperation::Modify);
    EXPECT_NE(LastRequest().Data.hIcon, picture.Handle()) << "the component keeps its own copy";
    EXPECT_EQ(windows.IconResourceOf(LastRequest().Data.hIcon), 1);
}

TEST_F(TrayTest, AVisibleIconComesBackAfterTheTaskbarIsRecreated) {
    auto* images = MakeImages();
    icon->SetIconList(images);
    shell.RemoveTaskbar();
    icon->SetIconVisible(true);
    EXPECT_FALSE(LastRequest().Accepted);
    EXPECT_TRUE(icon->IconVisible()) << "the refusal leaves the wish in place";

    shell.CreateTaskbar();
    icon->SetIconIndex(2);
    icon->SetHint(u"now");
    application.Handle();
    TMessage created{windows.RegisterSharedMessage(u"TaskbarCreated"), 0, 0, 0};
    ASSERT_TRUE(windows.SendToApplicationWindow(created));
    ASSERT_EQ(shell.CountOf(TNotifyIconOperation::Add), 2u);
    const auto* shown = shell.SingleIcon();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(windows.IconResourceOf(shown->Picture), 102);
    EXPECT_EQ(shown->Tip, u"now");
}

TEST_F(TrayTest, AHiddenIconStaysHiddenAfterTheTaskbarIsRecreated) {
    application.Handle();
    icon->SetIconVisible(true);
    icon->SetIconVisible(false);
    shell.RemoveTaskbar();
    shell.CreateTaskbar();
    shell.ClearRequests();
    TMessage created{windows.RegisterSharedMessage(u"TaskbarCreated"), 0, 0, 0};
    windows.SendToApplicationWindow(created);
    EXPECT_EQ(shell.CountOf(TNotifyIconOperation::Add), 0u);
    EXPECT_TRUE(shell.Icons().empty());
}

// Run as administrator, the program hears the shell's broadcast only if its
// application window lets it through the system's message filter.
TEST_F(TrayTest, RunElevatedAVisibleIconStillComesBackAfterTheTaskbarIsRecreated) {
    windows.Elevated = true;
    icon->SetIconVisible(true);
    shell.RemoveTaskbar();
    shell.CreateTaskbar();
    shell.ClearRequests();
    TMessage created{windows.RegisterSharedMessage(u"TaskbarCreated"), 0, 0, 0};
    EXPECT_TRUE(windows.SendToApplicationWindow(created)) << "dropped by the message filter";
    EXPECT_EQ(shell.CountOf(TNotifyIconOperation::Add), 1u);
    EXPECT_NE(shell.SingleIcon(), nullptr);
}

TEST(TrayTaskbarCreated, HeardFromCommonControls471OnAndNotBefore) {
    for (const std::uint32_t version : {0x00040046u, 0x00040047u}) {  // 4.70, 4.71
        SCOPED_TRACE(version);
        headless::HeadlessWindowSystem windows;
        windows.ComCtlVersion = version;
        headless::HeadlessNotificationArea shell;
        TApplication application(windows);
        TForm* form = application.CreateForm<TForm>(static_cast<TComponent*>(&application));
        auto* icon = new TCoolTrayIcon(application, shell, form);
        icon->SetIconVisible(true);
        shell.RemoveTaskbar();
        shell.CreateTaskbar();
        shell.ClearRequests();
        // Message 0 stands for the number an unregistered name would have.
        for (std::uint32_t number : {0u, windows.RegisterSharedMessage(u"TaskbarCreated")}) {
            TMessage message{number, 0, 0, 0};
            windows.SendToApplicationWindow(message);
        }
        EXPECT_EQ(shell.CountOf(TNotifyIconOperation::Add), version >= 0x00040047u ? 1u : 0u);
    }
}

// The shell's requests as letters (A add, M modify, D delete), each with its
// answer (+ taken, - refused).
std::string Answers(const headless::HeadlessNotificationArea& shell) {
    std::string out;
    for (const Request& request : shell.Requests()) {
        out += {"AMD"[static_cast<int>(request.Operation)], request.Accepted ? '+' : '-'};
    }
    return out;
}

TEST(TrayAddRetry, ARefusedAddIsTriedEveryTwoSecondsUntilTakenHiddenGoneOrTwoMinutesOver) {
    enum Then { kNothing, kShowAgain, kHide, kDestroy, kNewTaskbar, kNewBusyTaskbar };
    std::string twoMinutes = "A-";
    for (int i = 0; i < 60; ++i) {
        twoMinutes += "M-A-";
    }
    const std::size_t all = 1000;
    const struct {
        const char* name;
        std::size_t refusedAdds;
        bool refusedAddsLand;
        Then then;           // at 2 s, after the try due then
        std::uint64_t read;  // ms on the clock when the requests are read
        std::string requests;
    } cases[] = {
        {"taken at once", 0, false, kNothing, 2000, "A+"},
        {"shown twice: the refusal means it is there", 0, false, kShowAgain, 2000, "A+A-"},
        {"taken on a later try", 2, false, kNothing, 4000, "A-M-A-M-A+"},
        {"a timed-out add landed: the modify finds it", 1, true, kNothing, 2000, "A-M+"},
        {"hidden", all, false, kHide, 2000, "A-M-A-D-"},
        {"the component goes", all, false, kDestroy, 2000, "A-M-A-D-"},
        {"a new taskbar takes it", all, false, kNewTaskbar, 2000, "A-M-A-A+"},
        {"a new taskbar refuses it", 0, false, kNewBusyTaskbar, 4000, "A+A-M-A+"},
        {"two minutes over", all, false, kNothing, 120000, twoMinutes},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        headless::HeadlessWindowSystem windows;
        headless::HeadlessNotificationArea shell;
        TApplication application(windows);
        auto* icon =
            new TCoolTrayIcon(application, shell, application.CreateForm<TForm>(&application));
        shell.RefuseAdds = c.refusedAdds;
        shell.RefusedAddsLand = c.refusedAddsLand;
        icon->SetIconVisible(true);
        windows.AdvanceTime(1999);
        EXPECT_EQ(Answers(shell), c.requests.substr(0, 2)) << "no try before two seconds";
        windows.AdvanceTime(1);
        if (c.then == kShowAgain || c.then == kHide) {
            icon->SetIconVisible(c.then == kShowAgain);
        } else if (c.then == kDestroy) {
            delete icon;
        } else if (c.then != kNothing) {
            shell.RemoveTaskbar();
            shell.CreateTaskbar();
            shell.RefuseAdds = c.then == kNewBusyTaskbar ? 1 : 0;
            TMessage created{windows.RegisterSharedMessage(u"TaskbarCreated"), 0, 0, 0};
            windows.SendToApplicationWindow(created);
        }
        windows.AdvanceTime(c.read - 2000);
        EXPECT_EQ(Answers(shell), c.requests);
        windows.AdvanceTime(60000);
        EXPECT_EQ(Answers(shell), c.requests) << "nothing more is tried";
        EXPECT_EQ(windows.RunningTimers(), 0u);
    }
}

TEST_F(TrayTest, TheRegisteredNumberIsTheSystemsOwn) {
    icon->SetIconVisible(true);
    EXPECT_EQ(SharedTrayIconHandler(windows)->TaskbarCreatedMessage(),
              windows.RegisterSharedMessage(u"TaskbarCreated"));
    EXPECT_GE(SharedTrayIconHandler(windows)->TaskbarCreatedMessage(), 0xC000u);
}

TEST_F(TrayTest, ComponentsShareOneWindowWithDistinctIdsAndTheLastOneFreesIt) {
    auto* second = new TCoolTrayIcon(application, shell, form);
    EXPECT_EQ(second->Handle(), icon->Handle());
    EXPECT_NE(second->IconId(), icon->IconId());
    EXPECT_EQ(SharedTrayIconHandler(windows)->RefCount(), 2u);
    const THandle window = icon->Handle();

    icon->SetIconVisible(true);
    second->SetIconVisible(true);
    EXPECT_EQ(shell.Icons().size(), 2u);
    delete icon;
    icon = nullptr;
    EXPECT_EQ(shell.Icons().size(), 1u) << "destruction removes the icon";
    EXPECT_EQ(LastRequest().Operation, TNotifyIconOperation::Delete);
    EXPECT_NE(SharedTrayIconHandler(windows), nullptr);

    delete second;
    EXPECT_TRUE(shell.Icons().empty());
    EXPECT_EQ(SharedTrayIconHandler(windows), nullptr);
    TMessage message{TrayCallbackMessage, 1, msg::kLButtonDown, 0};
    EXPECT_FALSE(windows.SendToMessageWindow(window, message)) << "the shared window is gone";
    EXPECT_TRUE(windows.MessageWindows().empty()) << "the timers' window went too";
    EXPECT_EQ(windows.LiveIcons(), 0u);
    EXPECT_EQ(windows.BadIconDestroys(), 0);
}

TEST_F(TrayTest, TheSharedWindowIgnoresCloseAndAgreesToTheSessionEnd) {
    for (std::uint32_t number : {msg::kDestroy, msg::kClose, msg::kQueryEndSession, msg::kQuit,
                                 msg::kEndSession, msg::kNcDestroy}) {
        TMessage message{number, 0, 0, 0};
        ASSERT_TRUE(windows.SendToMessageWindow(icon->Handle(), message));
        EXPECT_EQ(message.Result, 1) << number;
    }
    EXPECT_EQ(SharedTrayIconHandler(windows)->RefCount(), 1u);
}

TEST_F(TrayTest, LoadedSendsUpdateVisibilityAndVersion) {
    icon->SetIconVisible(true);
    icon->SetBehavior(TBehavior::bhWin2000);
    shell.ClearRequests();
    icon->Loaded();
    ASSERT_EQ(shell.Requests().size(), 3u);
    EXPECT_EQ(shell.Requests()[0].Operation, TNotifyIconOperation::Modify);
    EXPECT_EQ(shell.Requests()[1].Operation, TNotifyIconOperation::Add);
    EXPECT_EQ(shell.Requests()[2].Operation, TNotifyIconOperation::SetVersion);
    EXPECT_EQ(shell.Requests()[2].Data.uTimeoutOrVersion, 3u);
    EXPECT_EQ(shell.SingleIcon()->Version, 3u);

    icon->SetBehavior(TBehavior::bhWin95);
    EXPECT_EQ(LastRequest().Operation, TNotifyIconOperation::SetVersion);
    EXPECT_EQ(shell.SingleIcon()->Version, 0u) << "back to the oldest behaviour";
}

TEST_F(TrayTest, OnStartupClearingItsFlagKeepsTheMainFormHidden) {
    int asked = 0;
    icon->OnStartup = [&](TObject* sender, bool& show) {
        EXPECT_EQ(sender, icon);
        ++asked;
        show = false;
    };
    form->Show();
    icon->Loaded();
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(application.ShowMainForm());
    EXPECT_FALSE(form->Visible());
}

TEST_F(TrayTest, BalloonHintsFillTheInfoFieldsAndPutTheFlagsBack) {
    icon->SetIconVisible(true);
    shell.ClearRequests();
    const std::u16string text(300, u't');
    const std::u16string title(80, u'T');
    EXPECT_TRUE(icon->ShowBalloonHint(title, text, TBalloonHintIcon::bitWarning, 15));
    ASSERT_EQ(shell.Requests().size(), 2u);
    const Request& hide = shell.Requests()[0];
    EXPECT_EQ(hide.Data.uFlags & notify_field::kInfo, notify_field::kInfo);
    EXPECT_EQ(FieldText(hide.Data.szInfo), u"");
    const Request& show = shell.Requests()[1];
    EXPECT_EQ(FieldText(show.Data.szInfo), text.substr(0, 255));
    EXPECT_EQ(FieldText(show.Data.szInfoTitle), title.substr(0, 63));
    EXPECT_EQ(show.Data.uTimeoutOrVersion, 15000u);
    EXPECT_EQ(show.Data.dwInfoFlags, balloon_icon::kWarning);
    EXPECT_EQ(shell.SingleIcon()->BalloonText, text.substr(0, 255));

    icon->Refresh();
    EXPECT_EQ(LastRequest().Data.uFlags,
              notify_field::kMessage | notify_field::kIcon | notify_field::kTip);
    EXPECT_TRUE(icon->HideBalloonHint());
    EXPECT_EQ(shell.SingleIcon()->BalloonText, u"");
    EXPECT_EQ(LastRequest().Data.uFlags & notify_field::kInfo, notify_field::kInfo)
        << "stays until the next balloon";

    icon->ShowBalloonHintUnicode(u"タイトル", u"本文", TBalloonHintIcon::bitInfo, 200);
    EXPECT_EQ(FieldText(LastRequest().Data.szInfoTitle), u"タイトル");
    EXPECT_EQ(LastRequest().Data.uTimeoutOrVersion, 60000u) << "at most 60 seconds";
}

TEST_F(TrayTest, IconCyclingStepsThroughTheListAndReportsTheNextIndex) {
    auto* images = MakeImages();
    icon->SetIconList(images);
    icon->SetIconVisible(true);
    std::vector<int> next;
    icon->OnCycle = [&](TObject*, int index) { next.push_back(index); };
    icon->SetCycleInterval(100);
    icon->SetCycleIcons(true);
    windows.AdvanceTime(350);
    EXPECT_EQ(next, (std::vector<int>{1, 2, 0}));
    EXPECT_EQ(icon->IconIndex(), 0);
    EXPECT_EQ(windows.IconResourceOf(shell.SingleIcon()->Picture), 100);
    icon->SetCycleIcons(false);
    windows.AdvanceTime(1000);
    EXPECT_EQ(next.size(), 3u);
}

TEST_F(TrayTest, ShellQueriesAndFocus) {
    windows.CaptionBarHeight = 21;
    windows.WindowUnderPoint = 0x40;
    windows.ClientOrigins[0x40] = TPoint{1000, 700};
    EXPECT_EQ(icon->GetClientIconPos(1045, 690), (TPoint{(45 % 20) - 1, (-10 % 20) - 1}));
    windows.CaptionBarHeight = 1;
    EXPECT_EQ(icon->GetClientIconPos(1045, 690), (TPoint{-1, -1})) << "no division by zero";

    shell.TipWindow = 0x70;
    shell.BalloonWindow = 0x74;
    EXPECT_EQ(icon->GetTooltipHandle(), 0x70u);
    EXPECT_EQ(icon->GetBalloonHintHandle(), 0x74u);

    EXPECT_FALSE(icon->SetFocus());
    icon->SetIconVisible(true);
    EXPECT_TRUE(icon->SetFocus());
    EXPECT_EQ(LastRequest().Operation, TNotifyIconOperation::SetFocus);
}

TEST(TrayDesign, ADesignedIconIsShownOnlyAsAPreview) {
    headless::HeadlessWindowSystem windows;
    headless::HeadlessNotificationArea shell;
    TApplication application(windows);
    TForm* form = application.CreateForm<TForm>(static_cast<TComponent*>(&application));
    form->SetDesigning(true);
    auto* icon = new TCoolTrayIcon(application, shell, form);
    EXPECT_TRUE(icon->Designing());
    icon->SetIconVisible(true);
    EXPECT_TRUE(icon->IconVisible());
    EXPECT_TRUE(shell.Icons().empty()) << "no request in the designer without a preview";

    icon->SetDesignPreview(true);
    ASSERT_NE(shell.SingleIcon(), nullptr);
    EXPECT_EQ(windows.IconResourceOf(shell.SingleIcon()->Picture), -1) << "the stock logo";
    icon->SetDesignPreview(false);
    EXPECT_TRUE(shell.Icons().empty());
    EXPECT_TRUE(icon->IconVisible()) << "the preview leaves the property alone";

    TMessage size{msg::kSize, kSizeMinimized, 0, 0};
    icon->SetMinimizeToTray(true);
    application.Handle();
    windows.SendToApplicationWindow(size);
    EXPECT_TRUE(shell.Icons().empty()) << "a designed component hooks nothing";
}

}  // namespace
}  // namespace tovel::testing

namespace tovel::testing {
namespace {

TEST(Graphics, IconsOwnTheirHandleAndTellOfEveryChange) {
    headless::HeadlessWindowSystem windows{ProgramIconResources()};
    {
        TIcon icon(windows);
        int changes = 0;
        icon.OnChange = [&](TObject* sender) {
            EXPECT_EQ(sender, &icon);
            ++changes;
        };
        EXPECT_TRUE(icon.Empty());
        icon.SetHandle(windows.LoadIconResource(1, 16));
        TIcon copy(windows);
        copy.Assign(icon);
        EXPECT_NE(copy.Handle(), icon.Handle());
        EXPECT_EQ(windows.IconResourceOf(copy.Handle()), 1);
        icon.Clear();
        EXPECT_EQ(changes, 2);
        EXPECT_EQ(windows.LiveIcons(), 1u) << "the cleared picture was destroyed";
        copy.Assign(icon);
        EXPECT_TRUE(copy.Empty());
    }
    EXPECT_EQ(windows.LiveIcons(), 0u);
    EXPECT_EQ(windows.BadIconDestroys(), 0);
}

TEST(Graphics, APictureFromTheResourcesIsReadWhenItsHandleIsFirstAskedFor) {
    headless::HeadlessWindowSystem windows{ProgramIconResources()};
    {
        TIcon icon(windows);
        int changes = 0;
        icon.OnChange = [&](TObject*) { ++changes; };
        icon.LoadFromResource(101, 16);
        EXPECT_FALSE(icon.Empty());
        TIcon copy(windows);
        copy.Assign(icon);
        TImageList list(windows, nullptr);
        list.AddIconResource(102);
        TIcon listed(windows);
        list.GetIcon(0, listed);
        EXPECT_EQ(windows.IconsMade(), 0) << "nothing read yet";

        EXPECT_EQ(windows.IconResourceOf(icon.Handle()), 101);
        EXPECT_EQ(icon.Handle(), icon.Handle()) << "read once";
        EXPECT_EQ(windows.IconResourceOf(copy.Handle()), 101);
        EXPECT_NE(copy.Handle(), icon.Handle()) << "each reads its own";
        EXPECT_EQ(windows.IconResourceOf(listed.Handle()), 102);
        EXPECT_EQ(windows.LiveIcons(), 3u);
        EXPECT_EQ(changes, 1) << "reading is no change of picture";

        TIcon missing(windows);
        missing.LoadFromResource(999, 16);
        EXPECT_EQ(missing.Handle(), 0u) << "an unreadable picture is no picture";
        copy.Assign(icon);
        EXPECT_NE(copy.Handle(), icon.Handle()) << "a read picture is copied";
    }
    EXPECT_EQ(windows.LiveIcons(), 0u);
    EXPECT_EQ(windows.BadIconDestroys(), 0);
}

TEST(Graphics, AnImageListCopiesItsImagesAndSkipsMissingResources) {
    headless::HeadlessWindowSystem windows{ProgramIconResources()};
    {
        TImageList list(windows, nullptr);
        EXPECT_EQ(list.Width(), 16);
        EXPECT_EQ(list.AddIconResource(101), 0);
        EXPECT_EQ(list.AddIconResource(999), -1);
        EXPECT_EQ(list.AddIconResource(102), 1);
        EXPECT_EQ(list.Count(), 2);
        TIcon icon(windows);
        int changes = 0;
        icon.OnChange = [&](TObject*) { ++changes; };
        list.GetIcon(1, icon);
        EXPECT_EQ(windows.IconResourceOf(icon.Handle()), 102);
        list.GetIcon(2, icon);
        EXPECT_TRUE(icon.Empty());
        EXPECT_EQ(changes, 2);

        EXPECT_EQ(list.AddIcon(icon), -1) << "an empty picture is not taken";
        TIcon source(windows);
        source.LoadFromResource(100, 16);
        EXPECT_EQ(list.AddIcon(source), 2);
        list.GetIcon(2, icon);
        EXPECT_EQ(windows.IconResourceOf(icon.Handle()), 100);
        EXPECT_NE(icon.Handle(), source.Handle()) << "the list holds a copy of its own";
    }
    EXPECT_EQ(windows.LiveIcons(), 0u) << "every copy freed with its holder";
}

}  // namespace
}  // namespace tovel::testing
