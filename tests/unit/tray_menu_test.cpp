#include <gtest/gtest.h>

#include <functional>
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

TEST(AccessKeys, AMixedCaptionGetsOneKeyAndTheFallbackTakesTheLastFreeCharacter) {
    EXPECT_EQ(WithAccessKeys({u"Windows設定"}), (Captions{u"&Windows設定"}));
    EXPECT_EQ(WithAccessKeys({u"&Windows", u"Windows設定"}), (Captions{u"&Windows", u"W&indows設定"}));
    EXPECT_EQ(WithAccessKeys({u"&O", u"&K", u"OK設定"}), (Captions{u"&O", u"&K", u"OK設定(&Z)"}))
        << "its own letters are taken: the key is appended instead";
    EXPECT_EQ(WithAccessKeys({u"情報&", u"表示"}), (Captions{u"情報&", u"表示(&Z)"}))
        << "after an unpaired ampersand the appended \"(\" would be the key";

    const std::u16string keys = kAccessKeyCharacters;
    for (char16_t free : {keys.front(), u'M', keys.back()}) {
        Captions captions;
        for (char16_t c : keys) {
            if (c != free) {
                captions.push_back(std::u16string(u"&") + c);
            }
        }
        captions.push_back(u"表示");
        EXPECT_EQ(WithAccessKeys(captions).back(), u"表示(&" + std::u16string(1, free) + u")");
    }
}

// Each block's first and last character, and the characters just outside it
// (punctuation, symbols, modifier letters or unassigned), so a bound moved by
// one is seen.
TEST(AccessKeys, TheScriptTableEndsWhereItsBlocksEnd) {
    const std::u16string inside[] = {
        u"\u00B2", u"\u00B3", u"\u00B9", u"\u00BC", u"\u00BE", u"\u1100", u"\u11FF", u"\u2460",
        u"\u249B", u"\u24EA", u"\u24FF", u"\u2776", u"\u2793", u"\u3006", u"\u3007", u"\u3021",
        u"\u3029", u"\u3041", u"\u3096", u"\u309F", u"\u30A1", u"\u30FA", u"\u30FF", u"\u3105",
        u"\u312F", u"\u3131", u"\u318E", u"\u3192", u"\u3195", u"\u31A0", u"\u31BF", u"\u31F0",
        u"\u31FF", u"\u3220", u"\u3229", u"\u3248", u"\u324F", u"\u3251", u"\u325F", u"\u3280",
        u"\u3289", u"\u32B1", u"\u32BF", u"\u3400", u"\u4DBF", u"\u4E00", u"\u9FFF", u"\uA000",
        u"\uA48C", u"\uAC00", u"\uD7A3", u"\uF900", u"\uFAFF", u"\uFF66", u"\uFF6F", u"\uFF71",
        u"\uFF9D", u"\uFFA0", u"\uFFDC", u"\U00020000", u"\U0003FFFD",
    };
    const std::u16string outside[] = {
        u"\u00B1", u"\u00B4", u"\u00B8", u"\u00BB", u"\u00BF", u"\u245F", u"\u249C", u"\u24E9",
        u"\u2775", u"\u2794", u"\u3005", u"\u3008", u"\u3020", u"\u302A", u"\u3040", u"\u3097",
        u"\u309E", u"\u30A0", u"\u30FB", u"\u30FE", u"\u3100", u"\u3104", u"\u3130", u"\u318F",
        u"\u3191", u"\u3196", u"\u319F", u"\u31C0", u"\u31EF", u"\u3200", u"\u321F", u"\u322A",
        u"\u3247", u"\u3250", u"\u3260", u"\u327F", u"\u328A", u"\u32B0", u"\u32C0", u"\u33FF",
        u"\u4DC0", u"\uA48D", u"\uABFF", u"\uD7A4", u"\uF8FF", u"\uFB00", u"\uFF65", u"\uFF70",
        u"\uFF9E", u"\uFFDD", u"\U0001FFFD", u"\U00040000",
    };
    for (const std::u16string& text : inside) {
        EXPECT_TRUE(HasOtherLetterOrNumber(text)) << std::hex << static_cast<int>(text[0]) << " " << static_cast<int>(text.back());
    }
    for (const std::u16string& text : outside) {
        EXPECT_FALSE(HasOtherLetterOrNumber(text)) << std::hex << static_cast<int>(text[0]) << " " << static_cast<int>(text.back());
    }
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
    EXPECT_EQ(tray.CountOf(TNotifyIconOperation::Add), 1u);
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
    Notify(msg::kLButtonDown);
    Notify(msg::kLButtonUp);
    Notify(msg::kLButtonDblClk);
    Notify(msg::kLButtonUp);
    windows.AdvanceTime(2000);
    EXPECT_EQ(pointer.Writes(),
              (std::vector<Call>{Write(Op::SetWheelScrollLines, -1, UpdateScope::SessionOnly)}));
    EXPECT_EQ(windows.IconResourceOf(tray.SingleIcon()->Picture), 101);
    EXPECT_EQ(tray.SingleIcon()->Tip, u"１画面");
    EXPECT_TRUE(windows.Popups().empty()) << "no default item, no menu";
}

TEST_F(ProgramTrayTest, ASingleClickDoesNothing) {
    Start(3);
    Notify(msg::kLButtonDown);
    Notify(msg::kLButtonUp);
    windows.AdvanceTime(2000);
    EXPECT_TRUE(pointer.Writes().empty());
    EXPECT_TRUE(windows.Popups().empty());
}

TEST_F(ProgramTrayTest, ARightPressOpensTheMenuWithAccessKeysThatLast) {
    Start(3);
    Notify(msg::kRButtonDown);
    ASSERT_EQ(windows.Popups().size(), 1u);
    EXPECT_EQ(LastPopupCaptions(), kKeyedMenu);
    const auto& items = windows.Popups().back().Items;
    EXPECT_TRUE(items[1].Checked && items[1].RadioItem) << "line mode carries the bullet";
    EXPECT_FALSE(items[0].Checked);
    EXPECT_TRUE(items[2].IsLine && items[4].IsLine && items[6].IsLine);
    EXPECT_EQ(windows.Popups().back().PopupComponent, form->TrayIcon);
    EXPECT_EQ(tray.SingleIcon()->Tip, u"指定行数") << "the tip follows at the next mode change";

    Notify(msg::kRButtonDown);
    EXPECT_EQ(LastPopupCaptions(), kKeyedMenu) << "a second popup keeps the keys";

    windows.PopupChoice = form->PPPage;
    Notify(msg::kRButtonDown);
    EXPECT_EQ(tray.SingleIcon()->Tip, u"１画面(&V)");
    EXPECT_EQ(windows.IconResourceOf(tray.SingleIcon()->Picture), 101);
}

TEST_F(ProgramTrayTest, ChoosingExitClosesTheProgramAfterTheCloseQuery) {
    Start(3);
    EXPECT_EQ(files.ContentsOf(kIniPath), nullptr);
    windows.PopupChoice = form->PPClose;
    Notify(msg::kRButtonDown);
    EXPECT_TRUE(application.Terminated());
    EXPECT_NE(files.ContentsOf(kIniPath), nullptr) << "the close query saved the line index";
}

TEST_F(ProgramTrayTest, WindowedStartMinimisesIntoTheTrayAndComesBackFromTheMenu) {
    Start(3, 10, 0, true, 2, u"/w");
    application.Run();
    ASSERT_TRUE(form->Visible());
    EXPECT_TRUE(tray.Icons().empty()) << "the windowed start has no icon";

    TMessage minimize{msg::kSysCommand, kSysCmdMinimize, 0, 0};
    form->Dispatch(minimize);
    EXPECT_FALSE(form->Visible());
    EXPECT_FALSE(application.Peer()->IsVisible()) << "no taskbar button";
    ASSERT_NE(tray.SingleIcon(), nullptr);
    EXPECT_EQ(windows.IconResourceOf(tray.SingleIcon()->Picture), 102);

    windows.PopupChoice = form->PPDisp;
    Notify(msg::kRButtonDown);
    EXPECT_TRUE(form->Visible());
    EXPECT_TRUE(application.Peer()->IsVisible());
    EXPECT_FALSE(application.Peer()->IsIconic());
    EXPECT_NE(tray.SingleIcon(), nullptr) << "the icon stays";
    ASSERT_FALSE(windows.PostedMessages().empty());
    EXPECT_EQ(windows.PostedMessages().back().Window, form->Handle());
}

// The window the user sees has the keyboard however it comes to the front:
// from the menu, or through the application window (its taskbar button,
// Alt+Tab) after another program had the front. The control that had the
// focus gets it back while it can still take it; else the first tab stop.
struct KeyboardCase {
    const char* What;
    std::int32_t Lines;
    // Minimised into the tray from the windowed start first.
    bool FromWindowed;
    bool ShowFromMenu;
    std::function<TWinControl*(TmainForm&)> FocusBefore;
    bool ToggleModeWhileAway;
    // Null: the application window keeps the activation.
    std::function<TWinControl*(TmainForm&)> Expected;
};

void PrintTo(const KeyboardCase& c, std::ostream* os) {
    *os << c.What;
}

class ProgramKeyboardTest : public ProgramTrayTest,
                            public ::testing::WithParamInterface<KeyboardCase> {};

TEST_P(ProgramKeyboardTest, TheShownWindowGetsTheKeyboard) {
    const KeyboardCase& c = GetParam();
    Start(c.Lines, 10, 0, true, 2, c.FromWindowed ? u"/w" : u"/t");
    if (c.FromWindowed) {
        application.Run();
        TMessage minimize{msg::kSysCommand, kSysCmdMinimize, 0, 0};
        form->Dispatch(minimize);
    }
    if (c.ShowFromMenu) {
        windows.PopupChoice = form->PPDisp;
        Notify(msg::kRButtonDown);
    }
    if (c.FocusBefore) {
        c.FocusBefore(*form)->Peer()->SetFocus();
        windows.ActivateWindow(0x7770);  // another program's window
        if (c.ToggleModeWhileAway) {
            for (auto n :
                 {msg::kLButtonDown, msg::kLButtonUp, msg::kLButtonDblClk, msg::kLButtonUp}) {
                Notify(n);
            }
        }
        windows.ActivateWindow(application.Handle());
    }
    if (!c.ShowFromMenu) {
        windows.ActivateWindow(application.Handle());
    }
    application.ProcessMessages();
    TWinControl* expected = c.Expected(*form);
    EXPECT_EQ(windows.ActiveWindow(), expected != nullptr ? form->Handle() : application.Handle())
        << c.What;
    EXPECT_EQ(windows.FocusedWindow(),
              expected != nullptr ? expected->Handle() : application.Handle())
        << c.What;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProgramKeyboardTest,
    ::testing::Values(
        KeyboardCase{"shown from the menu, line mode", 3, false, true, nullptr, false,
                     [](TmainForm& f) -> TWinControl* { return f.BtnLine; }},
        KeyboardCase{"shown from the menu, page mode", -1, false, true, nullptr, false,
                     [](TmainForm& f) -> TWinControl* { return f.BtnPage; }},
        KeyboardCase{"shown from the menu after a minimise into the tray", 3, true, true, nullptr,
                     false, [](TmainForm& f) -> TWinControl* { return f.BtnLine; }},
        KeyboardCase{"taskbar button: back to the speed list", 3, false, true,
                     [](TmainForm& f) -> TWinControl* { return f.ComboBoxSpeed; }, false,
                     [](TmainForm& f) -> TWinControl* { return f.ComboBoxSpeed; }},
        KeyboardCase{"taskbar button: the line list was disabled meanwhile", 3, false, true,
                     [](TmainForm& f) -> TWinControl* { return f.ComboBoxLine; }, true,
                     [](TmainForm& f) -> TWinControl* { return f.BtnPage; }},
        KeyboardCase{"no window shown: nothing changes", 3, false, false, nullptr, false,
                     [](TmainForm&) -> TWinControl* { return nullptr; }}));

// A popup, resident or windowed, ends with the harmless message to the window
// that owned the menu, or the next one would vanish at once; the main window
// is poked too once it has a window.
class ProgramTrayPopupTest : public ProgramTrayTest,
                             public ::testing::WithParamInterface<const char16_t*> {};

TEST_P(ProgramTrayPopupTest, APopupPokesTheMenusOwner) {
    const bool windowed = std::u16string(GetParam()) == u"/w";
    Start(3, 10, 0, true, 2, GetParam());
    if (windowed) {
        application.Run();
    }
    Notify(msg::kRButtonDown);
    ASSERT_EQ(windows.Popups().size(), 1u);
    const THandle owner = windows.Popups().back().Owner;
    std::vector<THandle> poked;
    for (const auto& posted : windows.PostedMessages()) {
        EXPECT_EQ(posted.Msg, msg::kNull);
        poked.push_back(posted.Window);
    }
    const std::vector<THandle> expected =
        windowed ? std::vector<THandle>{owner, form->Handle()} : std::vector<THandle>{owner};
    EXPECT_EQ(poked, expected);
}

INSTANTIATE_TEST_SUITE_P(ResidentAndWindowed, ProgramTrayPopupTest, ::testing::Values(u"/t", u"/w"));

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
