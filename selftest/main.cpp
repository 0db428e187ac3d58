// Tovel-selftest.exe: the Win32 tests as one program that a user may run on
// their own Windows. Started as the user starts it, it is the supervisor
// (selftest_supervisor.h): it prints one line per group of tests and writes
// Tovel-selftest-report.txt beside itself. The tests themselves run in a
// child, this exe started again with kChildOption; given GoogleTest's own
// options (as the build's test run gives), the child prints GoogleTest's
// full output as well. The exit code is 0 only when no test failed and
// everything the tests changed was put back.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "framework/text.h"
#include "platform/win32/win32_text.h"
#include "selftest/journal.h"
#include "selftest/machine.h"
#include "selftest/report.h"
#include "selftest/supervisor.h"

namespace tovel::selftest {
namespace {

// Puts the pointer settings back after each test, so that a test that failed
// halfway through its changes does not hand them to the next.
class RestoreAfterEachTest final : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo&) override { RestorePointerSettings(); }
};

// Tests that make the run fail, wait, crash or abort halfway with the
// settings changed, so that the build's tests can check that the supervisor
// still puts everything back. They exist only when the environment variable
// TOVEL_SELFTEST_INJECT names them ("fail", "wait", "crash", "abort"); only
// the end-to-end tests set it.
class InjectedFault : public ::testing::Test {
  protected:
    static void ChangeEverything() {
        SystemPointerSettings& settings = PointerSettings();
        const PointerSnapshot& before = SettingsBeforeRun();
        for (std::size_t i = 0; i < kSettingCount; ++i) {
            if (before[i].Offered) {
                (settings.*kSettings[i].Set)(kSettings[i].OtherThan(before[i].Value),
                                             UpdateScope::SessionOnly);
            }
        }
        const std::u16string file = ScratchFolder() + u"\\left-behind.txt";
        CloseHandle(CreateFileW(win32::Wide(file), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
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

// An access violation on a thread of its own: GoogleTest's guard around the
// test body would turn one on this thread into a failed test.
class InjectedCrash final : public InjectedFault {
    void TestBody() override {
        ChangeEverything();
        const HANDLE thread = CreateThread(
            nullptr, 0,
            [](LPVOID) -> DWORD {
                *static_cast<volatile int*>(nullptr) = 1;  // NOLINT
                return 0;
            },
            nullptr, 0, nullptr);
        WaitForSingleObject(thread, 60000);
        FAIL() << "the injected crash did not end the process";
    }
};

class InjectedAbort final : public InjectedFault {
    void TestBody() override {
        ChangeEverything();
        std::abort();
    }
};

void RegisterInjectedFaults() {
    const char* inject = std::getenv("TOVEL_SELFTEST_INJECT");
    if (inject == nullptr) {
        return;
    }
    const auto add = [](const char* name, auto make) {
        ::testing::RegisterTest("InjectedFault", name, nullptr, nullptr, __FILE__, __LINE__, make);
    };
    if (std::strcmp(inject, "fail") == 0) {
        add("ChangesTheSettingsThenFails", []() -> InjectedFault* { return new InjectedFailure; });
    } else if (std::strcmp(inject, "wait") == 0) {
        add("ChangesTheSettingsThenWaits", []() -> InjectedFault* { return new InjectedWait; });
    } else if (std::strcmp(inject, "crash") == 0) {
        add("ChangesTheSettingsThenCrashes", []() -> InjectedFault* { return new InjectedCrash; });
    } else if (std::strcmp(inject, "abort") == 0) {
        add("ChangesTheSettingsThenAborts", []() -> InjectedFault* { return new InjectedAbort; });
    }
}

// A crash the tests do not catch ends this process at once with the
// exception's code, which the supervisor reports: no error box to wait on,
// no debugger, and nothing done on a thread whose state is unknown.
LONG WINAPI EndOnCrash(EXCEPTION_POINTERS* exception) {
    TerminateProcess(GetCurrentProcess(), exception->ExceptionRecord->ExceptionCode);
    return EXCEPTION_CONTINUE_SEARCH;
}

// The child: args are [exe, kChildOption, scratch folder, settings line,
// GoogleTest's options...].
int RunTests(std::vector<std::u16string> args) {
    // Ctrl+C and Ctrl+Break are the supervisor's to handle: it ends this
    // process itself, and knows then why it ended.
    SetConsoleCtrlHandler(
        [](DWORD type) -> BOOL { return type == CTRL_C_EVENT || type == CTRL_BREAK_EVENT; }, TRUE);
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(EndOnCrash);
    PointerSnapshot before;
    if (args.size() < 4 || !ParseSnapshotLine(Utf16ToUtf8(args[3]), before)) {
        std::printf("This option is for Tovel-selftest.exe itself.\n");
        return 2;
    }
    const std::u16string scratch = args[2];
    args.erase(args.begin() + 1, args.begin() + 4);
    bool gtestOutput = false;
    std::vector<std::wstring> wide;
    for (const std::u16string& arg : args) {
        gtestOutput = gtestOutput || arg.rfind(u"--gtest_", 0) == 0;
        wide.emplace_back(win32::Wide(arg));
    }
    std::vector<wchar_t*> argv;
    for (std::wstring& arg : wide) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    int argc = static_cast<int>(wide.size());
    ::testing::InitGoogleTest(&argc, argv.data());
    RegisterInjectedFaults();

    ::testing::TestEventListeners& listeners = ::testing::UnitTest::GetInstance()->listeners();
    if (!gtestOutput) {
        delete listeners.Release(listeners.default_result_printer());
    }
    auto* report = new ReportListener;
    listeners.Append(new RestoreAfterEachTest);
    listeners.Append(report);

    std::string problem;
    if (!BeginTests(scratch, before, problem)) {
        std::printf("The tests cannot start: %s\n", problem.c_str());
        return 2;
    }
    const int status = RUN_ALL_TESTS();
    RestorePointerSettings();
    const int code = status == 0 && report->Failed() == 0 ? 0 : 1;
    Journal("X " + std::to_string(code));
    return code;
}

std::vector<std::u16string> CommandLineArguments() {
    int count = 0;
    wchar_t** list = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::u16string> args;
    for (int i = 0; list != nullptr && i < count; ++i) {
        args.push_back(win32::FromWide(list[i]));
    }
    if (list != nullptr) {
        LocalFree(list);
    }
    return args;
}

}  // namespace
}  // namespace tovel::selftest

int main() {
    using namespace tovel::selftest;
    const std::vector<std::u16string> args = CommandLineArguments();
    if (args.size() == 2 && args[1] == tovel::win32::FromWide(kPrintSettingsOption)) {
        std::printf("%s\n", SnapshotLine(ReadPointerSettingsHere()).c_str());
        return 0;
    }
    if (args.size() >= 2 && args[1] == tovel::win32::FromWide(kChildOption)) {
        return RunTests(args);
    }
    return Supervise(args.empty() ? std::vector<std::u16string>{u"Tovel-selftest.exe"} : args);
}
