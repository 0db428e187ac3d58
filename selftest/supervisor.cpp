#include "selftest/supervisor.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/text.h"
#include "platform/win32/win32_named_mutex.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_tree_removal.h"
#include "selftest/child_command.h"
#include "selftest/earlier_runs.h"
#include "selftest/extracted_folder.h"
#include "selftest/journal.h"
#include "selftest/machine.h"
#include "selftest/report.h"
#include "selftest/restore.h"

namespace tovel::selftest {
namespace {

using namespace std::chrono_literals;

// Held for the whole run: a second self-test would take this run's test
// values for the user's and write them back at its end.
constexpr char16_t kRunGuardName[] = u"Local\\Tovel-selftest-run";

// The longest a run may take before the tests are ended as hung; a slow
// machine takes some minutes.
constexpr DWORD kRunDeadlineMs = 60 * 60 * 1000;

std::u16string ModulePath() {
    wchar_t exe[MAX_PATH * 4] = {};
    const DWORD length = GetModuleFileNameW(nullptr, exe, MAX_PATH * 4);
    return win32::FromWide(exe, length);
}

std::u16string LongPath(const std::u16string& path) {
    wchar_t buffer[MAX_PATH * 4] = {};
    const DWORD length = GetLongPathNameW(win32::Wide(path), buffer, MAX_PATH * 4);
    return length > 0 && length < MAX_PATH * 4 ? win32::FromWide(buffer, length) : path;
}

std::u16string TempFolder() {
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    return win32::FromWide(temp, length);
}

// ----- the console ------------------------------------------------------------

PrivateText g_hide;

// Every line this process prints goes through here: hidden first, then as
// UTF-16 to a console (any code page shows it) or as UTF-8 to a file or pipe.
void Say(const std::string& text) {
    const std::string shown = g_hide.Hide(text + "\n");
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(out, &mode)) {
        const std::u16string wide = Utf8ToUtf16(shown);
        WriteConsoleW(out, win32::Wide(wide), static_cast<DWORD>(wide.size()), &written, nullptr);
    } else {
        WriteFile(out, shown.data(), static_cast<DWORD>(shown.size()), &written, nullptr);
    }
}

// Started by a double-click, the console window is this program's alone and
// would vanish with the result; keep it until the user has read it.
void HoldAnOwnConsoleWindow() {
    DWORD processes[2] = {};
    if (GetConsoleProcessList(processes, 2) == 1) {
        Say("\nPress Enter to close this window.");
        wchar_t buffer[16];
        DWORD read = 0;
        ReadConsoleW(GetStdHandle(STD_INPUT_HANDLE), buffer, 16, &read, nullptr);
    }
}

// ----- the run's state, shared with the console handler's thread ---------------

struct Run {
    PointerSnapshot Before;
    std::u16string Scratch;
    HANDLE Job = nullptr;
    HANDLE Child = nullptr;
    HANDLE Relay = nullptr;  // the thread passing the child's output on
    HANDLE PutBackDone = nullptr;  // manual-reset: the machine is as before
    HANDLE Reported = nullptr;     // manual-reset: the report is written
    std::atomic<int> PutBackState{0};  // 0 not begun, 1 under way, 2 done
    std::atomic<const char*> StoppedBy{nullptr};
    // Filled by whoever puts the machine back, read after PutBackDone.
    JournalContents Journal;
    PutBackResult Restored;
    JournalFile Marks;  // the supervisor's own lines in the journal
};

Run g_run;

// Puts back what the child changed and removes the scratch folder.
void PutBack() {
    g_run.Marks.Close();
    g_run.Journal = ParseJournal(ReadJournal(g_run.Scratch));
    g_run.Restored = PutBackSettings(g_run.Journal.Last, g_run.Before);
    RemoveScratchFolder(g_run.Scratch, g_run.Restored);
}

// Whichever thread comes first puts the machine back; the other waits for
// it, but never longer than the deadline.
bool PutBackOnce(DWORD deadlineMs) {
    int expected = 0;
    if (g_run.PutBackState.compare_exchange_strong(expected, 1)) {
        PutBack();
        g_run.PutBackState = 2;
        SetEvent(g_run.PutBackDone);
        return true;
    }
    return WaitForSingleObject(g_run.PutBackDone, deadlineMs) == WAIT_OBJECT_0;
}

void EndTheChild() {
    if (g_run.Job != nullptr) {
        TerminateJobObject(g_run.Job, kStoppedExitCode);
    }
    if (g_run.Child != nullptr) {
        TerminateProcess(g_run.Child, kStoppedExitCode);
    }
}

BOOL WINAPI OnConsoleControl(DWORD type) {
    const char* why = type == CTRL_C_EVENT       ? "Ctrl+C"
                      : type == CTRL_BREAK_EVENT ? "Ctrl+Break"
                      : type == CTRL_CLOSE_EVENT ? "closing the window"
                                                 : "the session ending";
    const char* none = nullptr;
    g_run.StoppedBy.compare_exchange_strong(none, why);
    EndTheChild();
    if (type == CTRL_C_EVENT || type == CTRL_BREAK_EVENT) {
        // The main thread sees the child end, puts back, reports and waits
        // for Enter.
        return TRUE;
    }
    // A closing window or session: Windows ends this process soon after the
    // handler returns (a closing console gives about five seconds in all),
    // so the machine is put back here unless the main thread is at it.
    WaitForSingleObject(g_run.Child, 500);
    PutBackOnce(3000);
    WaitForSingleObject(g_run.Reported, 1000);
    return TRUE;
}

// The child's output reaches the console only through here, line by line,
// with every private path hidden: a failing test's message may name one.
DWORD WINAPI RelayChildOutput(LPVOID pipe) {
    std::string pending;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(pipe, buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        pending.append(buffer, read);
        for (std::size_t end = pending.find('\n'); end != std::string::npos;
             end = pending.find('\n')) {
            std::string line = pending.substr(0, end);
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            Say(line);
            pending.erase(0, end + 1);
        }
    }
    if (!pending.empty()) {
        Say(pending);
    }
    CloseHandle(pipe);
    return 0;
}

// Ties the suspended child to this process: ending this process (Task
// Manager, a closed window) ends the tests with it, and a crash of the tests
// ends them at once instead of waiting on an error box. False, with the
// system's error pending, where the job cannot be made or the child not put in.
bool PutInTheJob(HANDLE child) {
    g_run.Job = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags =
        JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
    return g_run.Job != nullptr &&
           SetInformationJobObject(g_run.Job, JobObjectExtendedLimitInformation, &limits,
                                   sizeof(limits)) != FALSE &&
           AssignProcessToJobObject(g_run.Job, child) != FALSE;
}

bool StartChild(const std::vector<std::u16string>& args, std::string& problem) {
    const std::u16string commandLine =
        ChildCommandLine({ModulePath(), win32::FromWide(kChildOption), g_run.Scratch,
                          Utf8ToUtf16(SnapshotLine(g_run.Before))},
                         args);
    std::u16string environment = EnvironmentWithoutGoogleTest();
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE outputRead = nullptr;
    HANDLE outputWrite = nullptr;
    if (!CreatePipe(&outputRead, &outputWrite, &inherit, 0)) {
        problem = "cannot make the pipe for the tests' output (error " +
                  std::to_string(GetLastError()) + ")";
        return false;
    }
    SetHandleInformation(outputRead, HANDLE_FLAG_INHERIT, 0);
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = outputWrite;
    startup.hStdError = outputWrite;
    PROCESS_INFORMATION process = {};
    std::wstring line(win32::Wide(commandLine));
    // Suspended until it is in the job, so that not one instruction of the
    // tests runs untied to this process.
    const bool started =
        CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE,
                       CREATE_SUSPENDED | CREATE_UNICODE_ENVIRONMENT, environment.data(), nullptr,
                       &startup, &process) != FALSE;
    const DWORD startError = GetLastError();
    // Only the child holds the write end now: the relay ends with the child.
    CloseHandle(outputWrite);
    if (!started) {
        CloseHandle(outputRead);
        problem = "cannot start the tests (error " + std::to_string(startError) + ")";
        return false;
    }
    g_run.Relay = CreateThread(nullptr, 0, RelayChildOutput, outputRead, 0, nullptr);
    if (g_run.Relay == nullptr) {
        CloseHandle(outputRead);
    }
    if (!PutInTheJob(process.hProcess)) {
        const DWORD error = GetLastError();
        TerminateProcess(process.hProcess, kStoppedExitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        problem = "cannot tie the tests to this window (job object, error " +
                  std::to_string(error) + ")";
        return false;
    }
    g_run.Child = process.hProcess;
    const ProcessIdentity child = IdentityOf(process.hProcess, process.dwProcessId);
    g_run.Marks.Append("O " + std::to_string(child.Id) + " " + std::to_string(child.Created));
    // The checks of activation and the keyboard need the foreground; the
    // system lets a process that may take it hand that on to another.
    AllowSetForegroundWindow(process.dwProcessId);
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);
    return true;
}

// ----- the steps of a run ------------------------------------------------------

bool Refuse(const std::string& why) {
    Say(why);
    HoldAnOwnConsoleWindow();
    return false;
}

bool RunsFromAnExtractedFolder(const std::u16string& exe, const std::u16string& temp) {
    if (!StartedFromInsideZip(LongPath(exe), LongPath(temp))) {
        return true;
    }
    return Refuse("\nThis copy runs from inside the zip file, in a temporary folder that is "
                  "deleted afterwards.\nExtract the zip first (right-click, \"Extract All...\"), "
                  "then start Tovel-selftest.exe from the extracted folder.\nNothing was run or "
                  "changed.");
}

// The guard lives as long as this process; the system lets it go however
// the process ends.
bool TakeTheRunGuard() {
    win32::Win32NamedMutexes mutexes;
    if (mutexes.Create(kRunGuardName) == NamedMutexes::Creation::Created) {
        return true;
    }
    return Refuse("\nAnother Tovel self-test is running. Let it finish (or close its window), "
                  "then start this one again.\nNothing was run or changed.");
}

// The folder, named so that no earlier run can have left it, with this
// process and the settings from before in its journal before any test runs:
// should this process be ended, a later run puts the machine back from there.
bool MakeTheScratchFolder(const std::u16string& temp) {
    const std::wstring stamp = std::to_wstring(GetCurrentProcessId()) + L"-" +
                               std::to_wstring(GetTickCount64());
    const std::u16string scratch = temp + kScratchPrefix + win32::FromWide(stamp.c_str());
    if (!CreateDirectoryW(win32::Wide(scratch), nullptr)) {
        return Refuse("The self-test cannot start: cannot make its folder in %TEMP% (error " +
                      std::to_string(GetLastError()) + ").");
    }
    g_run.Scratch = scratch;
    unsigned long error = 0;
    if (!g_run.Marks.Open(scratch, error)) {
        win32::RemoveTree(scratch);
        return Refuse("The self-test cannot start: cannot write its journal in %TEMP% (error " +
                      std::to_string(error) + ").");
    }
    const ProcessIdentity self = ThisProcess();
    g_run.Marks.Append("O " + std::to_string(self.Id) + " " + std::to_string(self.Created));
    g_run.Marks.Append("B " + SnapshotLine(g_run.Before));
    return true;
}

// Runs the child to its end, or ends it: on a stop from the user, or when
// it outlives the deadline. Answers the child's exit code.
DWORD RunTheChild(const std::vector<std::u16string>& args, std::string& problem) {
    if (StartChild(args, problem)) {
        const ULONGLONG deadline = GetTickCount64() + kRunDeadlineMs;
        while (WaitForSingleObject(g_run.Child, 500) == WAIT_TIMEOUT) {
            // A stop that came while the child was being started found no
            // child to end.
            if (g_run.StoppedBy.load() != nullptr) {
                EndTheChild();
            }
            if (GetTickCount64() > deadline) {
                problem = "the tests did not end within " +
                          std::to_string(kRunDeadlineMs / 60000) + " minutes and were ended";
                EndTheChild();
                WaitForSingleObject(g_run.Child, 5000);
                break;
            }
        }
    }
    DWORD childCode = 0;
    if (g_run.Child != nullptr) {
        GetExitCodeProcess(g_run.Child, &childCode);
    }
    // The last of the child's output before the end's lines; a process the
    // child started may hold the pipe a moment longer, but not for ever.
    if (g_run.Relay != nullptr) {
        WaitForSingleObject(g_run.Relay, 5000);
    }
    return childCode;
}

// How the run ended, in the report's words; ranToTheEnd when the child
// reached its own end.
std::vector<std::string> DescribeTheEnd(const std::vector<std::string>& earlier,
                                        const std::string& problem, DWORD childCode,
                                        bool& ranToTheEnd) {
    std::vector<std::string> ending = earlier;
    const char* stoppedBy = g_run.StoppedBy.load();
    const std::string& running = g_run.Journal.Running;
    const std::string during = running.empty() ? "" : " during " + running;
    ranToTheEnd = false;
    if (stoppedBy != nullptr) {
        ending.push_back(std::string("Stopped by ") + stoppedBy + during + ".");
    } else if (!problem.empty()) {
        ending.push_back("The tests could not run to their end: " + problem + ".");
    } else if (!g_run.Journal.Ended) {
        ending.push_back("The test process ended abnormally" + during + ": " +
                         DescribeAbnormalEnd(childCode) + ".");
    } else {
        ranToTheEnd = true;
    }
    ending.insert(ending.end(), g_run.Restored.Lines.begin(), g_run.Restored.Lines.end());
    if (g_run.Restored.EverythingBack) {
        ending.push_back("What this run changed was put back and the scratch folder removed.");
    }
    return ending;
}

void WriteAndShowTheReport(const ReportFacts& facts, const std::u16string& exe,
                           const std::u16string& temp) {
    const std::string text = ReportText(facts, g_hide);
    const std::u16string exeFolder = exe.substr(0, exe.find_last_of(u'\\'));
    const WrittenReport written = WriteReport(text, {exeFolder, temp});
    SetEvent(g_run.Reported);

    Say("");
    Say(CountLine(facts.Records));
    for (const std::string& line : facts.Ending) {
        Say(line);
    }
    if (written.Folder < 0) {
        Say("\nThe report could not be written (" + written.Problem + "); here it is:\n\n" + text);
        return;
    }
    if (written.Folder == 1) {
        Say("The folder of Tovel-selftest.exe cannot be written, so the report went to "
            "%TEMP% instead.");
    }
    Say("The report: " + Utf16ToUtf8(written.Path));
}

int ExitCodeOf(const ReportFacts& facts, bool ranToTheEnd) {
    if (g_run.StoppedBy.load() != nullptr) {
        return kStoppedExitCode;
    }
    int failed = 0;
    for (const TestRecord& record : facts.Records) {
        failed += record.Result == Outcome::Failed ? 1 : 0;
    }
    const bool passed = ranToTheEnd && g_run.Journal.ExitCode == 0 && failed == 0;
    return passed && g_run.Restored.EverythingBack ? 0 : 1;
}

}  // namespace

std::string DescribeAbnormalEnd(unsigned long exitCode) {
    char hex[16];
    std::snprintf(hex, sizeof(hex), "0x%08lX", exitCode);
    std::string what;
    switch (exitCode) {
        case 0xC0000005UL:
            what = "it crashed (access violation)";
            break;
        case 0xC00000FDUL:
            what = "it crashed (stack overflow)";
            break;
        case 0xC0000374UL:
            what = "it crashed (heap corruption)";
            break;
        case 0xC0000409UL:
            what = "it ended by fail-fast (__fastfail or a stack buffer overrun)";
            break;
        case 0xE06D7363UL:
            what = "it ended on a C++ exception that nothing caught";
            break;
        case 3UL:
            what = "it called abort (std::terminate ends there too)";
            break;
        default:
            what = exitCode >= 0xC0000000UL
                       ? "it crashed"
                       : "it was ended from outside (Task Manager, another program) or by the "
                         "C runtime";
    }
    return what + ", exit code " + hex;
}

int Supervise(const std::vector<std::u16string>& args) {
    const std::u16string exe = ModulePath();
    const std::u16string temp = TempFolder();
    g_hide = PrivateText::OfThisMachine(u"");
    Say("Tovel self-test: the settings it changes are put back at the end.");
    if (!RunsFromAnExtractedFolder(exe, temp) || !TakeTheRunGuard()) {
        return kRefusedExitCode;
    }
    ReportFacts facts;
    facts.System = DescribeSystem();
    for (const std::string& line : facts.System) {
        Say(line);
    }
    Say("");
    const std::vector<std::string> earlier = RecoverEarlierRuns(temp);
    for (const std::string& line : earlier) {
        Say(line);
    }
    g_run.PutBackDone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    g_run.Reported = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    g_run.Before = ReadPointerSettingsHere();
    if (!MakeTheScratchFolder(temp)) {
        return kRefusedExitCode;
    }
    g_hide = PrivateText::OfThisMachine(g_run.Scratch);
    // A parent that ignores Ctrl+C hands the ignoring down; this run must
    // hear it to put the settings back.
    SetConsoleCtrlHandler(nullptr, FALSE);
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);

    std::string problem;
    const DWORD childCode = RunTheChild(args, problem);
    PutBackOnce(30000);

    facts.Records = g_run.Journal.Records;
    facts.Running = g_run.Journal.Running;
    bool ranToTheEnd = false;
    facts.Ending = DescribeTheEnd(earlier, problem, childCode, ranToTheEnd);
    WriteAndShowTheReport(facts, exe, temp);
    SetConsoleCtrlHandler(OnConsoleControl, FALSE);
    HoldAnOwnConsoleWindow();
    return ExitCodeOf(facts, ranToTheEnd);
}

}  // namespace tovel::selftest
