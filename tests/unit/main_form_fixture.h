#pragma once

#include <gtest/gtest.h>

#include <ostream>

#include "framework/application.h"
#include "framework/text.h"
#include "platform/headless/headless_pointer_settings.h"
#include "platform/headless/headless_window_system.h"
#include "ui/main_form.h"

namespace tovel::headless {

inline void PrintTo(const HeadlessPointerSettings::Call& call, std::ostream* os) {
    static const char* const kNames[] = {"GetWheelScrollLines", "SetWheelScrollLines",
                                         "GetMouseSpeed",       "SetMouseSpeed",
                                         "GetWheelRouting",     "SetWheelRouting"};
    *os << kNames[static_cast<int>(call.Operation)] << "(" << call.Value << ", scope "
        << static_cast<unsigned>(call.Scope) << (call.BusyCursor ? ", busy)" : ")");
}

}  // namespace tovel::headless

namespace tovel::testing {

using headless::HeadlessPointerSettings;
using Op = HeadlessPointerSettings::Op;
using Call = HeadlessPointerSettings::Call;

// The main window on the headless platform, brought into a running state the
// way start-up does: lists filled, selections from the system's values, the
// wheel mode applied once.
class MainFormTest : public ::testing::Test {
  protected:
    headless::HeadlessWindowSystem windows;
    HeadlessPointerSettings pointer{&windows};
    TApplication application{windows};
    TmainForm* form = application.CreateForm<TmainForm>(TmainFormServices{pointer});

    void Start(std::int32_t lines, std::int32_t speed = 10, std::int32_t routing = 0,
               bool routingOffered = true, int savedLineIndex = 2) {
        pointer.WheelScrollLines = lines;
        pointer.MouseSpeed = speed;
        pointer.WheelRouting = routing;
        form->GroupBoxNoActive->SetEnabled(routingOffered);
        form->PPNoActive->SetEnabled(routingOffered);
        for (int i = 1; i <= 20; ++i) {
            form->ComboBoxSpeed->AddItem(IntToStr(i));
        }
        form->ComboBoxSpeed->SetItemIndex(speed - 1);
        for (int i = 1; i <= 100; ++i) {
            form->ComboBoxLine->AddItem(IntToStr(i));
        }
        if (lines == kWheelPageScroll) {
            form->MMode = 0;
            form->ComboBoxLine->SetItemIndex(savedLineIndex);
        } else {
            form->MMode = 1;
            form->ComboBoxLine->SetItemIndex(lines - 1);
        }
        form->ApplyWheelMode();
        if (routingOffered) {
            form->CHKNoActive->SetChecked(routing == kRoutingMousePos);
            form->PPNoActive->SetChecked(form->CHKNoActive->Checked());
        }
        pointer.ClearCalls();
    }

    static Call Write(Op op, std::int32_t value, UpdateScope scope) {
        return Call{op, value, scope, true};
    }

    // Every mirror of the wheel mode agrees with the given mode.
    void ExpectMirrors(bool pageMode, int lineIndex) const {
        EXPECT_EQ(form->BtnPage->Checked(), pageMode);
        EXPECT_EQ(form->BtnLine->Checked(), !pageMode);
        EXPECT_EQ(form->ComboBoxLine->Enabled(), !pageMode);
        EXPECT_EQ(form->ComboBoxLine->ItemIndex(), lineIndex);
        EXPECT_EQ(form->PPPage->Checked(), pageMode);
        EXPECT_EQ(form->PPLine->Checked(), !pageMode);
        EXPECT_EQ(form->TrayIcon->IconIndex(), pageMode ? 1 : 2);
        EXPECT_EQ(form->TrayIcon->Hint(), pageMode ? u"１画面" : u"指定行数");
    }
};

}  // namespace tovel::testing
