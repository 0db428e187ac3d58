// Tovel-selftest.exe: the Win32 tests as one program that a user may run on
// their own Windows. Without options it prints one line per group of tests
// and writes Tovel-selftest-report.txt beside itself; with GoogleTest's own
// options (as the build's test run gives) it prints GoogleTest's full output
// as well. The exit code is 0 only when no test failed and everything the
// tests changed was put back.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "selftest_machine.h"
#include "selftest_report.h"

namespace tovel::selftest {
namespace {

ReportListener* g_report = nullptr;
std::vector<std::string> g_system;

// Puts the pointer settings back after each test, so that a test that failed
// halfway through its changes does not hand them to the next.
class RestoreAfterEachTest final : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo&) override { RestorePointerSettings(); }
};

void Finish(const std::string& stoppedBy, const std::string& leftChanged) {
    const std::string text = g_report->ReportText(g_system, stoppedBy, leftChanged);
    std::string problem;
    const std::string path = WriteReportBesideExe(text, problem);
    if (path.empty()) {
        std::printf("\n%s; the report follows.\n\n%s", problem.c_str(), text.c_str());
    } else {
        // The folder's name may not show in the console's code page.
        std::printf("\nThe report is Tovel-selftest-report.txt beside Tovel-selftest.exe.\n");
    }
    if (!stoppedBy.empty()) {
        std::printf("Stopped by %s; the settings were put back.\n", stoppedBy.c_str());
    }
    std::printf("%s", text.substr(text.rfind('\n', text.size() - 2) + 1).c_str());
    std::fflush(stdout);
}

// Tests that make the run fail or wait halfway with the settings changed, so
// that the build's tests can check that the run still puts everything back.
// They exist only when TOVEL_SELFTEST_INJECT names them: "fail" or "wait".
class InjectedFault : public ::testing::Test {
  protected:
    static void ChangeEverything() {
        SystemPointerSettings& settings = PointerSettings();
        const PointerSnapshot& before = SettingsBeforeRun();
        settings.SetMouseSpeed(before.MouseSpeed % 20 + 1, UpdateScope::SessionOnly);
        settings.SetWheelScrollLines(before.WheelLines == 3 ? 7 : 3, UpdateScope::SessionOnly);
        if (before.RoutingReadable) {
            settings.SetWheelRouting(before.WheelRouting == 2 ? 0 : 2, UpdateScope::SessionOnly);
        }
        const std::u16string file = ScratchFolder() + u"\\left-behind.txt";
        CloseHandle(CreateFileW(reinterpret_cast<const wchar_t*>(file.c_str()), GENERIC_WRITE, 0,
                                nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    }
};

class InjectedFailure final : public InjectedFault {
    void TestBody() override {
        ChangeEverything();
        FAIL() << "injected failure (TOVEL_SELFTEST_INJECT=fail), settings left changed";
    }
};

class InjectedWait final : public InjectedFault {
    void TestBody() override {
        ChangeEverything();
        std::printf("InjectedFault: settings changed; waiting to be stopped\n");
        std::fflush(stdout);
        // Only a stop from outside ends this; the deadline catches a stop
        // that never arrives.
        const ULONGLONG deadline = GetTickCount64() + 180000;
        while (GetTickCount64() < deadline) {
            Sleep(100);
        }
        FAIL() << "no stop arrived within 180 s";
    }
};

void RegisterInjectedFaults() {
    const char* inject = std::getenv("TOVEL_SELFTEST_INJECT");
    if (inject == nullptr) {
        return;
    }
    if (std::strcmp(inject, "fail") == 0) {
        ::testing::RegisterTest("InjectedFault", "ChangesTheSettingsThenFails", nullptr, nullptr,
                                __FILE__, __LINE__,
                                []() -> InjectedFault* { return new InjectedFailure; });
    } else if (std::strcmp(inject, "wait") == 0) {
        ::testing::RegisterTest("InjectedFault", "ChangesTheSettingsThenWaits", nullptr, nullptr,
                                __FILE__, __LINE__,
                                []() -> InjectedFault* { return new InjectedWait; });
    }
}

// Started by a double-click, the console window is this program's alone and
// would vanish with the result; keep it until the user has read it.
void HoldAnOwnConsoleWindow() {
    DWORD processes[2] = {};
    if (GetConsoleProcessList(processes, 2) == 1) {
        std::printf("\nPress Enter to close this window.\n");
        std::fflush(stdout);
        std::getchar();
    }
}

}  // namespace
}  // namespace tovel::selftest

int main(int argc, char** argv) {
    using namespace tovel::selftest;
    if (argc == 2 && std::strcmp(argv[1], "--print-pointer-settings") == 0) {
        std::printf("%s\n", PointerSettingsLine(ReadPointerSettingsHere()).c_str());
        return 0;
    }
    bool gtestOutput = false;
    for (int i = 1; i < argc; ++i) {
        gtestOutput = gtestOutput || std::strncmp(argv[i], "--gtest_", 8) == 0;
    }
    ::testing::InitGoogleTest(&argc, argv);
    RegisterInjectedFaults();

    ::testing::TestEventListeners& listeners = ::testing::UnitTest::GetInstance()->listeners();
    if (!gtestOutput) {
        delete listeners.Release(listeners.default_result_printer());
    }
    g_report = new ReportListener;
    listeners.Append(new RestoreAfterEachTest);
    listeners.Append(g_report);

    std::printf("Tovel self-test: the settings it changes are put back at the end.\n");
    std::fflush(stdout);
    g_system = DescribeSystem();
    for (const std::string& line : g_system) {
        std::printf("%s\n", line.c_str());
    }
    std::printf("\n");
    std::string problem;
    if (!BeginRun([](const char* why) { Finish(why, {}); }, problem)) {
        std::printf("The self-test cannot start: %s\n", problem.c_str());
        return 2;
    }
    const int status = RUN_ALL_TESTS();
    const std::string leftChanged = EndRun();
    Finish({}, leftChanged);
    HoldAnOwnConsoleWindow();
    return status == 0 && g_report->Failed() == 0 && leftChanged.empty() ? 0 : 1;
}
