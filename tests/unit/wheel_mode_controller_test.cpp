#include <vector>

#include "tests/unit/main_form_fixture.h"

namespace tovel::testing {
namespace {

using Writes = std::vector<Call>;

// ---- switching the wheel mode ------------------------------------------------

TEST_F(MainFormTest, PageButtonInLineModeWritesPageScrollOnceAndMirrorsPageMode) {
    Start(5);
    form->BtnPage->UserClick();
    EXPECT_EQ(pointer.Writes(),
              Writes{Write(Op::SetWheelScrollLines, -1, UpdateScope::SessionOnly)});
    EXPECT_EQ(form->MMode, 0);
    ExpectMirrors(true, 4);
}

TEST_F(MainFormTest, PageMenuItemInLineModeDoesWhatThePageButtonDoes) {
    Start(5);
    form->PPPage->Click();
    EXPECT_EQ(pointer.Writes(),
              Writes{Write(Op::SetWheelScrollLines, -1, UpdateScope::SessionOnly)});
    ExpectMirrors(true, 4);
}

TEST_F(MainFormTest, LineButtonAndMenuItemInPageModeWriteTheListedLineCount) {
    Start(kWheelPageScroll, 10, 0, true, 6);
    form->BtnLine->UserClick();
    EXPECT_EQ(pointer.Writes(),
              Writes{Write(Op::SetWheelScrollLines, 7, UpdateScope::SessionOnly)});
    ExpectMirrors(false, 6);

    form->BtnPage->UserClick();
    pointer.ClearCalls();
    form->PPLine->Click();
    EXPECT_EQ(pointer.Writes(),
              Writes{Write(Op::SetWheelScrollLines, 7, UpdateScope::SessionOnly)});
    ExpectMirrors(false, 6);
}

TEST_F(MainFormTest, ModeSwitchWritesNothingWhenTheSystemHoldsTheValueAlready) {
    Start(5);
    pointer.WheelScrollLines = kWheelPageScroll;  // another program switched meanwhile
    form->BtnPage->UserClick();
    EXPECT_TRUE(pointer.Writes().empty());
    ExpectMirrors(true, 4);
    EXPECT_TRUE(windows.CursorChanges().empty()) << "no write, so the cursor is left alone";
}

TEST_F(MainFormTest, ClickingTheCheckedRadioButtonDoesNothing) {
    Start(5);
    form->BtnLine->UserClick();
    EXPECT_TRUE(pointer.Calls().empty());
    ExpectMirrors(false, 4);
}

TEST_F(MainFormTest, TrayDoubleClickTogglesAndTwoToggleBackWithOneWriteEach) {
    Start(8);
    form->TrayIconDblClick(form->TrayIcon);
    ExpectMirrors(true, 7);
    form->TrayIconDblClick(form->TrayIcon);
    ExpectMirrors(false, 7);
    EXPECT_EQ(pointer.Writes(),
              (Writes{Write(Op::SetWheelScrollLines, -1, UpdateScope::SessionOnly),
                      Write(Op::SetWheelScrollLines, 8, UpdateScope::SessionOnly)}));
    EXPECT_EQ(pointer.WheelScrollLines, 8);
}

TEST_F(MainFormTest, ChoosingTheCheckedModeItemKeepsItCheckedAndRestoresAChangedSystemValue) {
    Start(kWheelPageScroll);
    form->PPPage->Click();  // the click itself turns the mark off first
    EXPECT_TRUE(pointer.Writes().empty());
    ExpectMirrors(true, 2);

    pointer.WheelScrollLines = 9;  // changed behind the program's back
    form->PPPage->Click();
    EXPECT_EQ(pointer.Writes(),
              Writes{Write(Op::SetWheelScrollLines, -1, UpdateScope::SessionOnly)});
    ExpectMirrors(true, 2);
}

TEST_F(MainFormTest, EachModeSwitchReadsTheSystemValueBeforeSettingTheMirrors) {
    Start(5);
    form->BtnPage->UserClick();
    ASSERT_EQ(pointer.Calls().size(), 2u);
    EXPECT_EQ(pointer.Calls()[0].Operation, Op::GetWheelScrollLines);
    EXPECT_FALSE(pointer.Calls()[0].BusyCursor) << "the hourglass shows only around the write";
    EXPECT_EQ(windows.CursorChanges(), (std::vector<bool>{true, false}));
    EXPECT_FALSE(windows.BusyCursor());
}

// ---- the line list -------------------------------------------------------------

TEST_F(MainFormTest, SelectingALineCountWritesItInLineModeOnly) {
    Start(5);
    form->ComboBoxLine->UserSelect(11);
    EXPECT_EQ(pointer.Writes(),
              Writes{Write(Op::SetWheelScrollLines, 12, UpdateScope::SessionOnly)});
    ExpectMirrors(false, 11);

    form->BtnPage->UserClick();
    pointer.ClearCalls();
    form->ComboBoxLine->UserSelect(20);  // disabled in page mode: no input reaches it
    EXPECT_TRUE(pointer.Calls().empty());
    ExpectMirrors(true, 11);
}

TEST_F(MainFormTest, SelectingTheSameLineCountAgainPutsItBackWhenTheSystemChanged) {
    Start(5);
    form->ComboBoxLine->UserSelect(4);
    EXPECT_TRUE(pointer.Writes().empty());
    pointer.WheelScrollLines = 40;
    form->ComboBoxLine->UserSelect(4);
    EXPECT_EQ(pointer.Writes(),
              Writes{Write(Op::SetWheelScrollLines, 5, UpdateScope::SessionOnly)});
}

TEST_F(MainFormTest, SettingTheListIndexFromCodeRaisesNoChange) {
    Start(5);
    form->ComboBoxLine->SetItemIndex(30);
    form->ComboBoxSpeed->SetItemIndex(3);
    EXPECT_TRUE(pointer.Calls().empty());
}

TEST_F(MainFormTest, SystemLineCountZeroStaysUnselectedAndIsWrittenBackAfterPageMode) {
    Start(0);
    EXPECT_EQ(form->MMode, 1);
    EXPECT_EQ(form->ComboBoxLine->ItemIndex(), -1);
    form->BtnPage->UserClick();
    form->BtnLine->UserClick();
    EXPECT_EQ(pointer.Writes(),
              (Writes{Write(Op::SetWheelScrollLines, -1, UpdateScope::SessionOnly),
                      Write(Op::SetWheelScrollLines, 0, UpdateScope::SessionOnly)}));
}

// ---- pointer speed -------------------------------------------------------------

TEST_F(MainFormTest, SelectingASpeedWritesItWhenItDiffersWithTheHourglassAroundTheCompare) {
    Start(3, 10);
    form->ComboBoxSpeed->UserSelect(16);
    EXPECT_EQ(pointer.Writes(), Writes{Write(Op::SetMouseSpeed, 17, UpdateScope::SessionOnly)});
    EXPECT_TRUE(pointer.Calls()[0].BusyCursor) << "the speed is read under the hourglass";

    pointer.ClearCalls();
    form->ComboBoxSpeed->UserSelect(16);
    EXPECT_TRUE(pointer.Writes().empty());
    EXPECT_EQ(windows.CursorChanges(), (std::vector<bool>{true, false, true, false}))
        << "the hourglass shows even when nothing is written";
}

// ---- wheel routing -------------------------------------------------------------

TEST_F(MainFormTest, CheckBoxWritesRoutingAndTheMenuMarkFollows) {
    Start(3, 10, 0);
    form->CHKNoActive->UserClick();
    EXPECT_TRUE(form->PPNoActive->Checked());
    form->CHKNoActive->UserClick();
    EXPECT_FALSE(form->PPNoActive->Checked());
    EXPECT_EQ(pointer.Writes(), (Writes{Write(Op::SetWheelRouting, 2, UpdateScope::SessionOnly),
                                        Write(Op::SetWheelRouting, 0, UpdateScope::SessionOnly)}));
}

TEST_F(MainFormTest, HybridRoutingCountsAsFocus) {
    Start(3, 10, kRoutingHybrid);
    EXPECT_FALSE(form->CHKNoActive->Checked());
    form->CHKNoActive->SetChecked(false);  // no change, no event, nothing written
    EXPECT_TRUE(pointer.Calls().empty());

    form->CHKNoActive->UserClick();
    form->CHKNoActive->UserClick();
    EXPECT_EQ(pointer.Writes(), (Writes{Write(Op::SetWheelRouting, 2, UpdateScope::SessionOnly),
                                        Write(Op::SetWheelRouting, 0, UpdateScope::SessionOnly)}));

    pointer.ClearCalls();
    pointer.WheelRouting = kRoutingHybrid;
    form->TBSystemClick(form->TBSystem);
    EXPECT_EQ(pointer.Writes().back(), Write(Op::SetWheelRouting, 0, UpdateScope::Persistent));
}

TEST_F(MainFormTest, RoutingAlreadyInForceIsNotWrittenAgain) {
    Start(3, 10, 0);
    pointer.WheelRouting = kRoutingMousePos;
    form->CHKNoActive->UserClick();
    EXPECT_TRUE(pointer.Writes().empty());
    EXPECT_TRUE(windows.CursorChanges().empty());
}

TEST_F(MainFormTest, MenuItemFlipsTheCheckBoxAndWritesOnce) {
    Start(3, 10, 0);
    form->PPNoActive->Click();
    EXPECT_TRUE(form->CHKNoActive->Checked());
    EXPECT_TRUE(form->PPNoActive->Checked());
    EXPECT_EQ(pointer.Writes(), Writes{Write(Op::SetWheelRouting, 2, UpdateScope::SessionOnly)});

    form->PPNoActive->Click();
    EXPECT_FALSE(form->CHKNoActive->Checked());
    EXPECT_FALSE(form->PPNoActive->Checked());
    EXPECT_EQ(pointer.Writes().size(), 2u);
}

TEST_F(MainFormTest, WithoutRoutingTheControlsTakeNoInputAndRoutingIsNeverTouched) {
    Start(3, 10, 2, false);
    form->CHKNoActive->UserClick();
    form->PPNoActive->Click();
    EXPECT_FALSE(form->CHKNoActive->Checked());
    EXPECT_FALSE(form->PPNoActive->Checked());
    form->TBSystemClick(form->TBSystem);
    for (const Call& call : pointer.Calls()) {
        EXPECT_NE(call.Operation, Op::GetWheelRouting);
        EXPECT_NE(call.Operation, Op::SetWheelRouting);
    }
    EXPECT_EQ(pointer.Writes().size(), 2u);
}

// ---- writing to the profile ------------------------------------------------------

TEST_F(MainFormTest, SystemButtonWritesAllThreePersistentlyInOrderWithoutReading) {
    Start(kWheelPageScroll, 7, 2, true, 30);
    form->TBSystem->UserClick();
    EXPECT_EQ(pointer.Calls(), (Writes{Write(Op::SetWheelScrollLines, -1, UpdateScope::Persistent),
                                       Write(Op::SetMouseSpeed, 7, UpdateScope::Persistent),
                                       Write(Op::SetWheelRouting, 2, UpdateScope::Persistent)}))
        << "page mode writes -1 whatever the disabled list shows";
    EXPECT_EQ(pointer.StoredWheelScrollLines, -1);

    pointer.ClearCalls();
    form->TBSystem->UserClick();  // every click writes again
    EXPECT_EQ(pointer.Writes().size(), 3u);
    ExpectMirrors(true, 30);
}

TEST_F(MainFormTest, SystemButtonInLineModeWritesTheLineCount) {
    Start(12, 4, 0);
    form->TBSystem->UserClick();
    EXPECT_EQ(pointer.Writes()[0], Write(Op::SetWheelScrollLines, 12, UpdateScope::Persistent));
    EXPECT_EQ(pointer.Writes()[2], Write(Op::SetWheelRouting, 0, UpdateScope::Persistent));
}

// ---- window commands -------------------------------------------------------------

TEST_F(MainFormTest, ShowWindowItemShowsTheMainFormAndBringsItForward) {
    Start(3);
    EXPECT_FALSE(form->Visible());
    form->PPDisp->Click();
    EXPECT_TRUE(form->Visible());
    EXPECT_FALSE(windows.ForegroundRequests().empty());
    EXPECT_TRUE(pointer.Writes().empty());
}

TEST_F(MainFormTest, ExitCommandsCloseTheMainFormAndEndTheApplication) {
    Start(3);
    bool asked = false;
    form->OnCloseQuery = [&asked](TObject*, bool&) { asked = true; };
    form->ToolButton1->UserClick();
    EXPECT_TRUE(asked);
    EXPECT_TRUE(application.Terminated());
    EXPECT_TRUE(pointer.Writes().empty());
}

TEST_F(MainFormTest, MenuExitAsksTheCloseQueryToo) {
    Start(3);
    form->OnCloseQuery = [](TObject*, bool& canClose) { canClose = false; };
    form->PPClose->Click();
    EXPECT_FALSE(application.Terminated());
}

}  // namespace
}  // namespace tovel::testing
