#include <algorithm>
#include <stdexcept>

#include "tests/unit/tray_fixture.h"

namespace tovel::testing {
namespace {

using Strings = std::vector<std::string>;
const std::string kLeft = std::to_string(ssLeft);
const std::string kRight = std::to_string(ssRight);
const std::string kMiddle = std::to_string(ssMiddle);

class TrayClicks : public TrayTest {
  protected:
    void PressRelease() {
        Notify(msg::kLButtonDown);
        Notify(msg::kLButtonUp);
    }
    void ShellDoubleClick() {
        Notify(msg::kLButtonDown);
        Notify(msg::kLButtonUp);
        Notify(msg::kLButtonDblClk);
        Notify(msg::kLButtonUp);
    }
};

TEST_F(TrayClicks, WithoutOnDblClickAClickIsReportedAtOnce) {
    LogEvents();
    PressRelease();
    EXPECT_EQ(log, (Strings{"down L " + kLeft + " 900,750", "click", "up L " + kLeft}));
    log.clear();
    Notify(msg::kLButtonDown);
    Notify(msg::kLButtonUp);
    Notify(msg::kLButtonDblClk);
    Notify(msg::kLButtonUp);
    EXPECT_EQ(log, (Strings{"down L " + kLeft + " 900,750", "click", "up L " + kLeft,
                            "up L " + kLeft}))
        << "no second click, and no double-click handler to call";
    EXPECT_EQ(windows.RunningTimers(), 0u) << "no wait without a double-click handler";
}

TEST_F(TrayClicks, WithOnDblClickTheClickWaitsOneDoubleClickTime) {
    LogEvents();
    LogDblClick();
    windows.DoubleClickMs = 400;
    PressRelease();
    EXPECT_EQ(log, (Strings{"down L " + kLeft + " 900,750", "up L " + kLeft}));
    windows.AdvanceTime(399);
    EXPECT_EQ(log.size(), 2u);
    windows.AdvanceTime(1);
    EXPECT_EQ(log.back(), "click");
    windows.AdvanceTime(2000);
    EXPECT_EQ(log.size(), 3u) << "the wait ran once";
}

TEST_F(TrayClicks, ADoubleClickGivesNoSingleClick) {
    LogEvents();
    LogDblClick();
    ShellDoubleClick();
    windows.AdvanceTime(2000);
    EXPECT_EQ(log, (Strings{"down L " + kLeft + " 900,750", "up L " + kLeft, "dblclick",
                            "up L " + kLeft}));
    log.clear();
    PressRelease();
    windows.AdvanceTime(2000);
    EXPECT_EQ(log.back(), "click") << "the next click is a click again";
}

TEST_F(TrayClicks, APressHeldPastTheWaitClicksAtTheRelease) {
    LogEvents();
    LogDblClick();
    // A click told after the wait first: it must leave nothing ready behind.
    PressRelease();
    windows.AdvanceTime(2000);
    ASSERT_EQ(log.back(), "click");
    log.clear();
    Notify(msg::kLButtonDown);
    windows.AdvanceTime(1500);
    EXPECT_EQ(log.size(), 1u);
    Notify(msg::kLButtonUp);
    EXPECT_EQ(log, (Strings{"down L " + kLeft + " 900,750", "click", "up L " + kLeft}));
}

TEST_F(TrayClicks, TwoPressesNotReportedAsADoubleClickGiveOneClick) {
    LogEvents();
    LogDblClick();
    PressRelease();
    windows.AdvanceTime(300);
    PressRelease();
    windows.AdvanceTime(499);
    EXPECT_EQ(std::count(log.begin(), log.end(), "click"), 0) << "the wait restarted";
    windows.AdvanceTime(1);
    EXPECT_EQ(std::count(log.begin(), log.end(), "click"), 1);
}

TEST_F(TrayTest, ADisabledIconIgnoresTheMouseButNotTheBalloons) {
    LogEvents();
    LogDblClick();
    icon->SetPopupMenu(MakeMenu({u"item"}));
    int balloons = 0;
    for (TNotifyEvent* event : {&icon->OnBalloonHintShow, &icon->OnBalloonHintHide,
                                &icon->OnBalloonHintTimeout, &icon->OnBalloonHintClick}) {
        *event = [&](TObject* sender) {
            EXPECT_EQ(sender, icon);
            ++balloons;
        };
    }
    icon->SetEnabled(false);
    for (std::uint32_t n :
         {msg::kMouseMove, msg::kLButtonDown, msg::kLButtonUp, msg::kLButtonDblClk,
          msg::kRButtonDown, msg::kRButtonUp, msg::kMButtonDown, msg::kMButtonUp}) {
        Notify(n);
    }
    windows.AdvanceTime(2000);
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(windows.Popups().empty());
    EXPECT_TRUE(windows.ForegroundRequests().empty());
    for (std::uint32_t n : {notify_event::kBalloonShow, notify_event::kBalloonHide,
                            notify_event::kBalloonTimeout, notify_event::kBalloonUserClick}) {
        Notify(n);
    }
    EXPECT_EQ(balloons, 4);

    icon->SetEnabled(true);
    Notify(msg::kLButtonUp);
    EXPECT_EQ(log, (Strings{"up L " + kLeft})) << "the ignored press left no state behind";
}

TEST_F(TrayTest, TheRightReleaseDependsOnTheBehavior) {
    LogEvents();
    for (std::uint32_t n :
         {msg::kRButtonUp, msg::kContextMenu, notify_event::kSelect, notify_event::kKeySelect}) {
        Notify(n);
    }
    EXPECT_EQ(log, (Strings{"up R " + kRight}));
    EXPECT_TRUE(shell.Requests().empty()) << "the default style sends no version";

    log.clear();
    icon->SetIconVisible(true);
    icon->SetBehavior(TBehavior::bhWin2000);
    ASSERT_EQ(shell.CountOf(TNotifyIconOperation::SetVersion), 1u);
    EXPECT_EQ(LastRequest().Data.uTimeoutOrVersion, 3u);
    for (std::uint32_t n :
         {msg::kRButtonUp, msg::kContextMenu, notify_event::kSelect, notify_event::kKeySelect}) {
        Notify(n);
    }
    EXPECT_EQ(log, (Strings(3, "up R " + kRight)));
}

TEST_F(TrayTest, TheMiddleButtonAndItsDoubleClick) {
    LogEvents();
    LogDblClick();
    Notify(msg::kMButtonDown);
    Notify(msg::kMButtonUp);
    Notify(msg::kMButtonDblClk);
    Notify(msg::kRButtonDblClk);
    EXPECT_EQ(log, (Strings{"down M " + kMiddle + " 900,750", "up M " + kMiddle}));
}

TEST_F(TrayTest, ShiftCarriesTheKeysHeldAndTheButton) {
    LogEvents();
    windows.ControlHeld = true;
    Notify(msg::kRButtonDown);
    windows.ControlHeld = false;
    windows.ShiftHeld = true;
    windows.AltHeld = true;
    windows.CursorPos = TPoint{10, 20};
    Notify(msg::kMButtonDown);
    EXPECT_EQ(log, (Strings{"down R " + std::to_string(ssCtrl | ssRight) + " 900,750",
                            "down M " + std::to_string(ssShift | ssAlt | ssMiddle) + " 10,20"}));
}

TEST_F(TrayTest, ARightPressOpensTheMenuAtTheCursorAfterMouseDown) {
    LogEvents();
    auto* menu = MakeMenu({u"one", u"two"});
    icon->SetPopupMenu(menu);
    icon->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) {
        log.push_back("down, " + std::to_string(windows.Popups().size()) + " popups before");
    };
    Notify(msg::kRButtonDown);
    ASSERT_EQ(windows.Popups().size(), 1u);
    const auto& popup = windows.Popups().front();
    EXPECT_EQ(popup.Point, (TPoint{900, 750}));
    EXPECT_EQ(popup.PopupComponent, icon);
    EXPECT_EQ(popup.Foreground, icon->Handle()) << "the shared window is in front";
    EXPECT_EQ(log, (Strings{"down, 0 popups before"}));
    ASSERT_EQ(windows.PostedMessages().size(), 1u)
        << "the form has no window, but the menu's owner is poked";
    EXPECT_EQ(windows.PostedMessages()[0].Window, popup.Owner);
    EXPECT_EQ(windows.PostedMessages()[0].Msg, msg::kNull);

    menu->SetAutoPopup(false);
    Notify(msg::kRButtonDown);
    EXPECT_EQ(windows.Popups().size(), 1u);
    EXPECT_EQ(log.size(), 2u) << "the press is still reported";

    Notify(msg::kRButtonUp);
    EXPECT_EQ(windows.Popups().size(), 1u) << "the release opens nothing";
}

TEST_F(TrayTest, TheChosenItemIsClickedAndTheFormsWindowPoked) {
    auto* menu = MakeMenu({u"one", u"two"});
    icon->SetPopupMenu(menu);
    form->HandleNeeded();
    int clicks = 0;
    menu->Items()->Items()[1]->OnClick = [&](TObject*) { ++clicks; };
    windows.PopupChoice = menu->Items()->Items()[1];
    icon->Popup(5, 6);
    EXPECT_EQ(clicks, 1);
    ASSERT_EQ(windows.PostedMessages().size(), 2u);
    EXPECT_EQ(windows.PostedMessages()[0].Window, icon->Handle()) << "the menu's owner first";
    EXPECT_EQ(windows.PostedMessages()[0].Msg, msg::kNull);
    EXPECT_EQ(windows.PostedMessages()[1].Window, form->Handle());
    EXPECT_EQ(windows.PostedMessages()[1].Msg, msg::kNull);
    EXPECT_EQ(windows.Popups().back().Point, (TPoint{5, 6}));
}

// A menu closed from the keyboard with nothing chosen, its window still the
// foreground one, hands the focus back to the notification area; a menu
// dismissed by a click on another window, or a chosen item, leaves the shell
// alone.
TEST_F(TrayTest, AMenuCancelledFromTheKeyboardGivesTheFocusBackToTheNotificationArea) {
    auto* menu = MakeMenu({u"one", u"two"});
    icon->SetPopupMenu(menu);
    icon->SetIconVisible(true);
    constexpr THandle kOtherProgramsWindow = 0x5150;
    const struct {
        const char* how;
        TMenuItem* choice;
        bool clickElsewhere;
        std::size_t focusRequests;
    } cases[] = {
        {"cancelled with Esc", nullptr, false, 1},
        {"dismissed by a click on another window", nullptr, true, 0},
        {"chosen", menu->Items()->Items()[0], false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        shell.ClearRequests();
        windows.PopupChoice = c.choice;
        windows.OnPopup = [&](const auto&) {
            if (c.clickElsewhere) {
                windows.Foreground = kOtherProgramsWindow;
            }
        };
        icon->Popup(5, 6);
        EXPECT_EQ(shell.CountOf(TNotifyIconOperation::SetFocus), c.focusRequests);
        if (c.focusRequests != 0) {
            EXPECT_TRUE(shell.Requests().back().Accepted);
            EXPECT_EQ(shell.Requests().back().Data.uID, icon->IconId());
        }
    }
}

TEST_F(TrayTest, PopupWithoutAMenuDoesNothingAtAll) {
    form->HandleNeeded();
    icon->Popup(1, 2);
    icon->PopupAtCursor();
    EXPECT_TRUE(windows.ForegroundRequests().empty());
    EXPECT_TRUE(windows.PostedMessages().empty());
    EXPECT_TRUE(windows.Popups().empty());
}

TEST_F(TrayTest, AMenuFreedByAPendingMessageIsNotOpened) {
    auto* menu = MakeMenu({u"one"});
    icon->SetPopupMenu(menu);
    windows.Post([menu] { delete menu; });
    icon->Popup(1, 2);
    EXPECT_EQ(icon->PopupMenu(), nullptr);
    EXPECT_TRUE(windows.Popups().empty());
}

TEST_F(TrayTest, AFailedCursorReadOpensNoMenu) {
    icon->SetPopupMenu(MakeMenu({u"one"}));
    windows.CursorPosFails = true;
    icon->PopupAtCursor();
    EXPECT_TRUE(windows.Popups().empty());
}

TEST_F(TrayTest, LeftPopupOpensOnTheLeftPressAndClicksNoDefaultItem) {
    LogDblClick();
    auto* menu = MakeMenu({u"one"});
    int defaults = 0;
    menu->Items()->Items()[0]->SetDefault(true);
    menu->Items()->Items()[0]->OnClick = [&](TObject*) { ++defaults; };
    icon->SetPopupMenu(menu);
    icon->SetLeftPopup(true);
    Notify(msg::kLButtonDown);
    EXPECT_EQ(windows.Popups().size(), 1u);
    Notify(msg::kLButtonUp);
    Notify(msg::kLButtonDblClk);
    EXPECT_EQ(log, (Strings{"dblclick"}));
    EXPECT_EQ(defaults, 0);
}

TEST_F(TrayTest, ADoubleClickClicksTheFirstDefaultItem) {
    auto* menu = MakeMenu({u"a", u"b", u"c"});
    std::vector<int> clicked;
    for (int i = 0; i < 3; ++i) {
        menu->Items()->Items()[i]->OnClick = [&clicked, i](TObject*) { clicked.push_back(i); };
    }
    menu->Items()->Items()[1]->SetDefault(true);
    menu->Items()->Items()[2]->SetDefault(true);
    icon->SetPopupMenu(menu);
    Notify(msg::kLButtonDblClk);
    EXPECT_EQ(clicked, (std::vector<int>{1}));

    menu->SetAutoPopup(false);
    Notify(msg::kLButtonDblClk);
    EXPECT_EQ(clicked.size(), 1u) << "not without AutoPopup";
    menu->SetAutoPopup(true);
    menu->Items()->Items()[1]->SetDefault(false);
    menu->Items()->Items()[2]->SetDefault(false);
    Notify(msg::kLButtonDblClk);
    EXPECT_EQ(clicked.size(), 1u) << "no default, no click";
}

TEST_F(TrayTest, EnterAndExitWithTheTwentyMillisecondPoll) {
    std::vector<std::string> events;
    icon->OnMouseEnter = [&](TObject*) { events.push_back("enter"); };
    icon->OnMouseExit = [&](TObject*) { events.push_back("exit"); };
    icon->OnMouseMove = [&](TObject*, TShiftState shift, int x, int y) {
        events.push_back("move " + std::to_string(shift) + " " + std::to_string(x) + "," +
                         std::to_string(y));
    };
    Notify(msg::kMouseMove);
    EXPECT_EQ(events, (Strings{"move 0 900,750"})) << "no enter unless wanted";
    events.clear();

    icon->SetWantEnterExitEvents(true);
    Notify(msg::kMouseMove);
    Notify(msg::kMouseMove);
    EXPECT_EQ(events, (Strings{"enter", "move 0 900,750", "move 0 900,750"}));
    windows.AdvanceTime(100);
    EXPECT_EQ(events.size(), 3u) << "the pointer has not moved";

    windows.CursorPos = TPoint{901, 750};
    windows.AdvanceTime(19);
    EXPECT_EQ(events.size(), 3u);
    windows.AdvanceTime(20);
    EXPECT_EQ(events.back(), "exit");
    windows.AdvanceTime(100);
    EXPECT_EQ(events.size(), 4u) << "one exit";
    Notify(msg::kMouseMove);
    EXPECT_EQ(events[4], "enter");

    icon->SetWantEnterExitEvents(false);
    EXPECT_EQ(windows.RunningTimers(), 0u) << "no poll while not wanted";
}

TEST_F(TrayTest, ANotificationForAnIdOfNoLiveComponentIsIgnored) {
    LogEvents();
    auto* other = new TCoolTrayIcon(application, shell, form);
    const std::uint32_t goneId = other->IconId();
    delete other;
    EXPECT_TRUE(Notify(msg::kLButtonDown, goneId));
    EXPECT_TRUE(Notify(msg::kLButtonDown, 0xDEADBEEF));
    EXPECT_TRUE(
        Notify(msg::kLButtonDown, std::uintptr_t{icon->IconId()} + (std::uintptr_t{1} << 32)));
    EXPECT_TRUE(log.empty());
    Notify(msg::kLButtonDown);
    EXPECT_EQ(log.size(), 1u);
}

TEST_F(TrayTest, AFailingHandlerIsShownAndTheIconGoesOn) {
    icon->OnMouseDown = [](TObject*, TMouseButton, TShiftState, int, int) {
        throw std::runtime_error("broken");
    };
    Notify(msg::kRButtonDown);
    EXPECT_EQ(windows.MessageBoxes().size(), 1u);
    LogEvents();
    Notify(msg::kRButtonDown);
    EXPECT_EQ(log.size(), 1u);
}

}  // namespace
}  // namespace tovel::testing
