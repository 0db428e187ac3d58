#pragma once

#include <gtest/gtest.h>

#include <ostream>

#include "framework/application.h"
#include "framework/text.h"
#include "tests/unit/headless_machine.h"
#include "tests/unit/program_icons.h"

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

// A write as the controller makes it: under the hourglass.
inline Call Write(Op op, std::int32_t value, UpdateScope scope) {
    return Call{op, value, scope, true};
}

// The main window on the headless platform, started the way the program
// starts it (resident, so nothing ends by itself) from the system values and
// the saved line index a test chooses.
class MainFormTest : public ::testing::Test {
  protected:
    headless::HeadlessFileSystem files;
    headless::HeadlessSystemVersion version{10};
    headless::HeadlessWindowSystem windows{ProgramIconResources()};
    HeadlessPointerSettings pointer{&windows};
    headless::HeadlessTextCodec codec;
    headless::HeadlessSystemMessages messages;
    headless::HeadlessNotificationArea tray;
    Varnel varnel{files, version};
    TApplication application{windows};
    TmainForm* form = nullptr;

    MainFormTest() {
        PrepareAppData(files);
        varnel.EnsureDataFolder(u"Tovel", false);
        application.SetTitle(u"Tovel");
    }

    void SaveLineIndexFile(const std::string& count) {
        const std::string text = "[Line]\r\nCount=" + count + "\r\n\r\n";
        files.AddFile(kIniPath, std::vector<std::uint8_t>(text.begin(), text.end()));
    }

    void Start(std::int32_t lines, std::int32_t speed = 10, std::int32_t routing = 0,
               bool routingOffered = true, int savedLineIndex = 2,
               const std::u16string& arguments = u"/t") {
        pointer.WheelScrollLines = lines;
        pointer.MouseSpeed = speed;
        pointer.WheelRouting = routing;
        version.SetMajorVersion(routingOffered ? 10u : 6u);
        if (savedLineIndex != 2) {
            SaveLineIndexFile(std::to_string(savedLineIndex));
        }
        form = application.CreateForm<TmainForm>(
            TmainFormServices{pointer, varnel, files, codec, messages, tray, u"Tovel.exe " + arguments});
        pointer.ClearCalls();
        windows.ClearRecords();
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
