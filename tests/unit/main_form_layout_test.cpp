#include <gtest/gtest.h>

#include "framework/focus.h"
#include "framework/layout.h"
#include "tests/unit/main_form_fixture.h"

namespace tovel {
namespace {

TEST(LayoutMathTest, RoundsHalvesAwayFromZero) {
    EXPECT_EQ(MulDivRound(-11, 144, 96), -17);
    EXPECT_EQ(MulDivRound(29, 144, 96), 44);
    EXPECT_EQ(MulDivRound(5, 3, 2), 8);
    EXPECT_EQ(MulDivRound(-5, 3, 2), -8);
    EXPECT_EQ(MulDivRound(294, 120, 96), 368);  // 367.5
    EXPECT_EQ(MulDivRound(2000000000, 96, 144), 1333333333) << "no overflow in the product";
}

TEST(LayoutMathTest, ScalesEdgesSoNeighboursStayAdjacent) {
    const TRect above = Bounds(0, 29, 294, 79);
    const TRect below = Bounds(0, 108, 294, 47);
    const TRect a = ScaleRect(above, 120, 96);
    const TRect b = ScaleRect(below, 120, 96);
    EXPECT_EQ(a.Bottom, b.Top);
    EXPECT_EQ(a, (TRect{0, 36, 368, 135}));
}

TEST(LayoutMathTest, CentresInTheWorkAreaButNeverAboveOrLeftOfIt) {
    EXPECT_EQ(CentreInWorkArea(TRect{0, 0, 1024, 748}, 300, 228), (TPoint{362, 260}));
    EXPECT_EQ(CentreInWorkArea(TRect{100, 20, 1124, 768}, 301, 229), (TPoint{461, 279}));
    EXPECT_EQ(CentreInWorkArea(TRect{0, 30, 640, 480}, 800, 600), (TPoint{0, 30}));
}

// The main window's controls at a given font line height and DPI, laid out as
// the window is made.
class MainFormLayoutTest : public testing::MainFormTest {
  protected:
    void Create(int lineHeight, int dpi = 96) {
        windows.LineHeightAt11Pixels = lineHeight;
        windows.Dpi = dpi;
        Start(3);
        form->HandleNeeded();
    }
};

TEST_F(MainFormLayoutTest, DesignFontGivesTheDesignedRectangles) {
    Create(13);
    EXPECT_EQ(form->ClientWidth(), 294);
    EXPECT_EQ(form->ClientHeight(), 196);
    EXPECT_EQ(form->ToolBar1->BoundsRect(), Bounds(0, 0, 294, 29));
    EXPECT_EQ(form->GroupBoxWheel->BoundsRect(), Bounds(0, 29, 294, 79));
    EXPECT_EQ(form->BtnPage->BoundsRect(), Bounds(2, 15, 290, 17));
    EXPECT_EQ(form->BtnLine->BoundsRect(), Bounds(2, 39, 290, 17));
    EXPECT_EQ(form->ComboBoxLine->BoundsRect(), Bounds(2, 56, 290, 21));
    EXPECT_EQ(form->GroupBoxPointer->BoundsRect(), Bounds(0, 108, 294, 47));
    EXPECT_EQ(form->ComboBoxSpeed->BoundsRect(), Bounds(2, 15, 290, 21));
    EXPECT_EQ(form->GroupBoxNoActive->BoundsRect(), Bounds(0, 155, 294, 41));
    EXPECT_EQ(form->CHKNoActive->BoundsRect(), Bounds(2, 15, 290, 24));
}

// The lists have no label just before them: a screen reader names each after
// its group box's caption, without the brackets shown on screen.
TEST_F(MainFormLayoutTest, TheListsAreNamedForScreenReadersAfterTheirGroupBoxes) {
    Create(13);
    const struct {
        TWinControl* control;
        std::u16string name;
        std::u16string text;
    } windowsShown[] = {
        {form->ComboBoxLine, u"ホイールの\uFF11目盛りでスクロールする量", u""},
        {form->ComboBoxSpeed, u"ポインターの速度", u""},
        {form->GroupBoxWheel, u"", u"[ホイールの\uFF11目盛りでスクロールする量]"},
        {form->GroupBoxPointer, u"", u"[ポインターの速度]"},
    };
    for (const auto& shown : windowsShown) {
        const auto* window = windows.WindowOf(*shown.control);
        ASSERT_NE(window, nullptr) << Utf16ToUtf8(shown.control->Name());
        EXPECT_EQ(window->AccessibleName, shown.name) << Utf16ToUtf8(shown.control->Name());
        EXPECT_EQ(window->Text, shown.text) << Utf16ToUtf8(shown.control->Name());
    }
}

TEST_F(MainFormLayoutTest, ATallerLineMovesTheTopDockedControlsOnly) {
    Create(15);
    EXPECT_EQ(form->BtnPage->BoundsRect(), Bounds(2, 17, 290, 17));
    EXPECT_EQ(form->ComboBoxSpeed->BoundsRect(), Bounds(2, 17, 290, 21));
    EXPECT_EQ(form->CHKNoActive->BoundsRect(), Bounds(2, 17, 290, 22));
    EXPECT_EQ(form->BtnLine->BoundsRect(), Bounds(2, 39, 290, 17));
    EXPECT_EQ(form->ComboBoxLine->BoundsRect(), Bounds(2, 56, 290, 21));
}

TEST_F(MainFormLayoutTest, CreatedAt144DpiEverythingIsScaledByOneAndAHalf) {
    Create(13, 144);
    EXPECT_EQ(form->PixelsPerInch(), 144);
    EXPECT_EQ(form->ClientWidth(), 441);
    EXPECT_EQ(form->ClientHeight(), 294);
    EXPECT_EQ(form->Font().Height, -17);
    EXPECT_EQ(form->ToolBar1->Height(), 44);
    EXPECT_EQ(form->ToolBar1->ButtonHeight(), 32);  // 21 * 1.5 = 31.5
    EXPECT_EQ(form->GroupBoxWheel->Top(), 44);
    EXPECT_EQ(form->GroupBoxNoActive->BoundsRect().Bottom, 294);
    EXPECT_EQ(form->BtnLine->Width(), 441 - 4);
}

TEST_F(MainFormLayoutTest, ADpiChangeTakesTheSuggestedRectangleAndRescalesFromTheCurrentDpi) {
    Create(13, 144);
    form->DpiChanged(96, TRect{10, 20, 310, 248});
    EXPECT_EQ(form->BoundsRect(), (TRect{10, 20, 310, 248}));
    EXPECT_EQ(form->Font().Height, -11);
    EXPECT_EQ(form->ToolBar1->ButtonHeight(), 21);
    form->ClientResized(294, 196);
    EXPECT_EQ(form->GroupBoxWheel->BoundsRect(), Bounds(0, 29, 294, 79));
}

TEST_F(MainFormLayoutTest, TheStartUpFontChangeLaysTheFormOutAgain) {
    // The form is laid out with its designed face first; the menu font it
    // takes at start-up has a taller line.
    windows.FaceLineHeightAt11Pixels[u"Meiryo UI"] = 15;
    windows.MenuFont = u"Meiryo UI";
    Create(13);
    form->Show();
    EXPECT_EQ(windows.WindowOf(*form)->Font.Name, u"Meiryo UI");
    EXPECT_EQ(windows.WindowOf(*form->BtnPage)->Bounds, Bounds(2, 17, 290, 17));
    EXPECT_EQ(windows.WindowOf(*form->ComboBoxSpeed)->Bounds, Bounds(2, 17, 290, 21));
    EXPECT_EQ(windows.WindowOf(*form->CHKNoActive)->Bounds, Bounds(2, 17, 290, 22));
}

TEST_F(MainFormLayoutTest, TheFirstShowingCentresTheTitledWindowLaterOnesKeepItsPlace) {
    // A taskbar along the top; the 294 x 196 client area in a 3/26/3/3 frame.
    windows.SetScreen(TRect{0, 0, 1280, 1024}, TRect{0, 40, 1280, 1024});
    windows.FormFrame = TRect{3, 26, 3, 3};
    Start(3, 10, 0, true, 2, u"/w");
    application.Run();
    const auto* window = windows.WindowOf(*form);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->Visible);
    EXPECT_EQ(window->Text, u"Tovel");
    EXPECT_EQ(static_cast<headless::HeadlessAppWindowPeer*>(application.Peer())->Text(), u"Tovel")
        << "the taskbar button's title";
    EXPECT_EQ(window->Bounds, Bounds(490, 419, 300, 225));

    windows.UserMovesWindow(*form, TPoint{20, 60});
    TMessage minimize{msg::kSysCommand, kSysCmdMinimize, 0, 0};
    form->Dispatch(minimize);
    ASSERT_FALSE(window->Visible) << "hidden into the tray";
    form->PPDisp->Click();
    EXPECT_TRUE(window->Visible);
    EXPECT_EQ(window->Bounds, Bounds(20, 60, 300, 225)) << "shown again where the user left it";
}

// ---- keyboard ------------------------------------------------------------------------

class MainFormFocusTest : public testing::MainFormTest {
  protected:
    void StartShown(std::int32_t lines, bool routingOffered = true) {
        Start(lines, 10, 0, routingOffered);
        form->Show();
    }

    std::vector<TWinControl*> TabCycle() {
        std::vector<TWinControl*> visited;
        TWinControl* first = FirstFocusControl(*form);
        for (TWinControl* c = first; c != nullptr;) {
            visited.push_back(c);
            c = FindNextTabStop(*form, c, true);
            if (c == first) {
                break;
            }
        }
        return visited;
    }
};

TEST_F(MainFormFocusTest, TabVisitsTheCheckedRadioThenTheListsAndTheCheckBox) {
    StartShown(kWheelPageScroll);
    EXPECT_EQ(TabCycle(),
              (std::vector<TWinControl*>{form->BtnPage, form->ComboBoxSpeed, form->CHKNoActive}));
    form->BtnLine->UserClick();
    EXPECT_EQ(TabCycle(), (std::vector<TWinControl*>{form->BtnLine, form->ComboBoxLine,
                                                     form->ComboBoxSpeed, form->CHKNoActive}));
    EXPECT_EQ(FindNextTabStop(*form, form->BtnLine, false), form->CHKNoActive) << "Shift+Tab wraps";
}

TEST_F(MainFormFocusTest, WithoutRoutingTheCheckBoxDropsOutOfTheTabCycle) {
    StartShown(5, false);
    EXPECT_EQ(TabCycle(),
              (std::vector<TWinControl*>{form->BtnLine, form->ComboBoxLine, form->ComboBoxSpeed}));
}

TEST_F(MainFormFocusTest, ArrowKeysMoveAmongFocusableSiblingsInTabOrder) {
    StartShown(kWheelPageScroll);
    EXPECT_EQ(FindArrowTarget(*form->BtnPage, true), form->BtnLine) << "the list is disabled";
    form->BtnLine->UserClick();
    EXPECT_EQ(FindArrowTarget(*form->BtnPage, true), form->ComboBoxLine);
    EXPECT_EQ(FindArrowTarget(*form->BtnLine, false), form->ComboBoxLine) << "wraps round";
    EXPECT_EQ(FindArrowTarget(*form->CHKNoActive, true), form->CHKNoActive);
}

}  // namespace
}  // namespace tovel
