#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/menu.h"
#include "tests/unit/main_form_fixture.h"

namespace tovel {
namespace {

using Captions = std::vector<std::u16string>;

TEST(AccessKeys, TheTrayMenuGetsKeysFromTheEndOfTheListBottomUp) {
    const Captions menu{u"１画面",    u"指定行数", u"-", u"ホバーしたときに非アクティブウィンドウをスクロールする",
                        u"-",         u"ウィンドウを表示", u"-", u"終了"};
    const Captions keyed = WithAccessKeys(menu);
    EXPECT_EQ(keyed, (Captions{u"１画面(&V)", u"指定行数(&W)", u"-",
                               u"ホバーしたときに非アクティブウィンドウをスクロールする(&X)", u"-",
                               u"ウィンドウを表示(&Y)", u"-", u"終了(&Z)"}));
    EXPECT_EQ(WithAccessKeys(keyed), keyed) << "keys once given are kept";
}

TEST(AccessKeys, OwnLettersComeFirstAndMarkedKeysAreKept) {
    EXPECT_EQ(WithAccessKeys({u"&Open", u"Options", u"Exit"}),
              (Captions{u"&Open", u"O&ptions", u"&Exit"}));
    EXPECT_EQ(WithAccessKeys({u"Save && quit", u"&&"}), (Captions{u"&Save && quit", u"&&"}))
        << "a doubled ampersand is no key";
    EXPECT_EQ(WithAccessKeys({u"設定...", u"情報"}), (Captions{u"設定(&Y)...", u"情報(&Z)"}));
    EXPECT_EQ(WithAccessKeys({u"", u"-", u"!?"}), (Captions{u"", u"-", u"!?"}))
        << "separators, empty captions and captions that fit no way get none";
    EXPECT_EQ(WithAccessKeys({u"終了(&Z)", u"表示"}), (Captions{u"終了(&Z)", u"表示(&Y)"}));
}

TEST(AccessKeys, NoKeyWhenEveryCharacterIsTaken) {
    Captions captions;
    for (char16_t c : std::u16string(kAccessKeyCharacters)) {
        captions.push_back(std::u16string(u"&") + c);
    }
    captions.push_back(u"表示");
    EXPECT_EQ(WithAccessKeys(captions).back(), u"表示");
}

TEST(AccessKeys, ScriptsWithoutCaseAreRecognised) {
    for (const char16_t* caption : {u"ひらがな", u"カタカナ", u"漢字", u"ｶﾀｶﾅ", u"한국어", u"①",
                                    u"\U00020B9F"}) {
        EXPECT_TRUE(HasOtherLetterOrNumber(caption)) << std::u16string(caption).size();
    }
    for (const char16_t* caption : {u"Latin", u"１２３", u"ー", u"、。", u"ABC..."}) {
        EXPECT_FALSE(HasOtherLetterOrNumber(caption)) << std::u16string(caption).size();
    }
}

}  // namespace
}  // namespace tovel

namespace tovel::testing {
namespace {

// The program's tray icon, started resident ("/t") or windowed ("/w").
class ProgramTrayTest : public MainFormTest {
  protected:
    bool Notify(std::uint32_t notification) {
        TMessage message{TrayCallbackMessage, form->TrayIcon->IconId(),
                         static_cast<std::intptr_t>(notification), 0};
        return windows.SendToMessageWindow(form->TrayIcon->Handle(), message);
    }
    Captions LastPopupCaptions() const {
        Captions captions;
        for (const auto& item : windows.Popups().back().Items) {
            captions.push_back(item.Caption);
        }
        return captions;
    }
};

const Captions kKeyedMenu{u"１画面(&V)", u"指定行数(&W)", u"-",
                          u"ホバーしたときに非アクティブウィンドウをスクロールする(&X)", u"-",
                          u"ウィンドウを表示(&Y)", u"-", u"終了(&Z)"};

TEST_F(ProgramTrayTest, ResidentStartAddsOneIconWithTheModesImageAndTip) {
    Start(3);
    EXPECT_EQ(tray.CountOf(NIM_ADD), 1u);
    const auto* shown = tray.SingleIcon();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(windows.IconResourceOf(shown->Picture), 102);
    EXPECT_EQ(shown->Tip, u"指定行数");
    EXPECT_EQ(shown->CallbackMessage, TrayCallbackMessage);
    EXPECT_FALSE(form->HandleAllocated()) << "the resident start shows no window";
}

TEST_F(ProgramTrayTest, ResidentStartInPageModeShowsTheMagentaImage) {
    Start(kWheelPageScroll);
    const auto* shown = tray.SingleIcon();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(windows.IconResourceOf(shown->Picture), 101);
    EXPECT_EQ(shown->Tip, u"１画面");
}

TEST_F(ProgramTrayTest, ADoubleClickTogglesTheModeWithOneWrite) {
    Start(3);
    Notify(WM_LBUTTONDOWN);
    Notify(WM_LBUTTONUP);
    Notify(WM_LBUTTONDBLCLK);
    Notify(WM_LBUTTONUP);
    windows.AdvanceTime(2000);
    EXPECT_EQ(pointer.Writes(),
              (std::vector<Call>{Write(Op::SetWheelScrollLines, -1, UpdateScope::SessionOnly)}));
    EXPECT_EQ(windows.IconResourceOf(tray.SingleIcon()->Picture), 101);
    EXPECT_EQ(tray.SingleIcon()->Tip, u"１画面");
    EXPECT_TRUE(windows.Popups().empty()) << "no default item, no menu";
}

TEST_F(ProgramTrayTest, ASingleClickDoesNothing) {
    Start(3);
    Notify(WM_LBUTTONDOWN);
    Notify(WM_LBUTTONUP);
    windows.AdvanceTime(2000);
    EXPECT_TRUE(pointer.Writes().empty());
    EXPECT_TRUE(windows.Popups().empty());
}

TEST_F(ProgramTrayTest, ARightPressOpensTheMenuWithAccessKeysThatLast) {
    Start(3);
    Notify(WM_RBUTTONDOWN);
    ASSERT_EQ(windows.Popups().size(), 1u);
    EXPECT_EQ(LastPopupCaptions(), kKeyedMenu);
    const auto& items = windows.Popups().back().Items;
    EXPECT_TRUE(items[1].Checked && items[1].RadioItem) << "line mode carries the bullet";
    EXPECT_FALSE(items[0].Checked);
    EXPECT_TRUE(items[2].IsLine && items[4].IsLine && items[6].IsLine);
    EXPECT_EQ(windows.Popups().back().PopupComponent, form->TrayIcon);
    EXPECT_EQ(tray.SingleIcon()->Tip, u"指定行数") << "the tip follows at the next mode change";

    Notify(WM_RBUTTONDOWN);
    EXPECT_EQ(LastPopupCaptions(), kKeyedMenu) << "a second popup keeps the keys";

    windows.PopupChoice = form->PPPage;
    Notify(WM_RBUTTONDOWN);
    EXPECT_EQ(tray.SingleIcon()->Tip, u"１画面(&V)");
    EXPECT_EQ(windows.IconResourceOf(tray.SingleIcon()->Picture), 101);
}

TEST_F(ProgramTrayTest, ChoosingExitClosesTheProgramAfterTheCloseQuery) {
    Start(3);
    EXPECT_EQ(files.ContentsOf(kIniPath), nullptr);
    windows.PopupChoice = form->PPClose;
    Notify(WM_RBUTTONDOWN);
    EXPECT_TRUE(application.Terminated());
    EXPECT_NE(files.ContentsOf(kIniPath), nullptr) << "the close query saved the line index";
}

TEST_F(ProgramTrayTest, WindowedStartMinimisesIntoTheTrayAndComesBackFromTheMenu) {
    Start(3, 10, 0, true, 2, u"/w");
    application.Run();
    ASSERT_TRUE(form->Visible());
    EXPECT_TRUE(tray.Icons().empty()) << "the windowed start has no icon";

    TMessage minimize{WM_SYSCOMMAND, SC_MINIMIZE, 0, 0};
    form->Dispatch(minimize);
    EXPECT_FALSE(form->Visible());
    EXPECT_FALSE(application.Peer()->IsVisible()) << "no taskbar button";
    ASSERT_NE(tray.SingleIcon(), nullptr);
    EXPECT_EQ(windows.IconResourceOf(tray.SingleIcon()->Picture), 102);

    windows.PopupChoice = form->PPDisp;
    Notify(WM_RBUTTONDOWN);
    EXPECT_TRUE(form->Visible());
    EXPECT_TRUE(application.Peer()->IsVisible());
    EXPECT_FALSE(application.Peer()->IsIconic());
    EXPECT_NE(tray.SingleIcon(), nullptr) << "the icon stays";
    ASSERT_FALSE(windows.PostedMessages().empty());
    EXPECT_EQ(windows.PostedMessages().back().Window, form->Handle());
}

TEST_F(ProgramTrayTest, TheIconGoesWithTheWindowAndNothingIsLeft) {
    Start(3);
    ASSERT_EQ(tray.Icons().size(), 1u);
    delete form;
    form = nullptr;
    EXPECT_TRUE(tray.Icons().empty());
    EXPECT_TRUE(windows.MessageWindows().empty());
    EXPECT_EQ(windows.LiveIcons(), 0u);
    EXPECT_EQ(windows.BadIconDestroys(), 0);
}

}  // namespace
}  // namespace tovel::testing
