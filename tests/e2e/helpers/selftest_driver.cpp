// Runs a program (the self-test) in this console and prints the pointer
// settings and the self-test's scratch folders before and after it:
//   selftest_driver [--second] [--interrupt] [--end] PROGRAM [ARGS...]
// Once the program has changed the pointer speed or the wheel lines:
// with --second it starts the program a second time with the same arguments,
// waits for that one to end and prints its exit code and how many scratch
// folders there were then; with --interrupt it sends Ctrl+C to the console
// (which this helper ignores) and prints how many scratch folders there were
// at that moment; with --end it ends the program from outside (as Task
// Manager's End task does), prints the settings then ("ended ..."), and starts
// the program again, without TOVEL_SELFTEST_INJECT, as the one whose end it
// waits for.
// Output lines: "before ...", "second exit=N folders=N",
// "interrupted folders=N", "ended ...", "exit=N", "after ...".
// Each reading is made by a fresh process (this helper with --read): Wine
// keeps a process's first answer for the rest of its life.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

struct State {
    INT Speed = 0;
    INT Lines = 0;
    INT Routing = -1;  // -1: the system cannot read it
};

State ReadHere() {
    State state;
    SystemParametersInfoW(SPI_GETMOUSESPEED, 0, &state.Speed, 0);
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &state.Lines, 0);
    INT routing = 0;
    if (SystemParametersInfoW(SPI_GETMOUSEWHEELROUTING, 0, &routing, 0)) {
        state.Routing = routing;
    }
    return state;
}

State Read() {
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    State state{-1, -1, -1};
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        return state;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    wchar_t exe[MAX_PATH * 4] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH * 4);
    std::wstring commandLine = L"\"" + std::wstring(exe) + L"\" --read";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process = {};
    const bool started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0,
                                        nullptr, nullptr, &startup, &process);
    CloseHandle(writeEnd);
    std::string out;
    char buffer[128];
    DWORD read = 0;
    while (started && ReadFile(readEnd, buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        out.append(buffer, read);
    }
    if (started) {
        WaitForSingleObject(process.hProcess, INFINITE);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(readEnd);
    std::sscanf(out.c_str(), "%d %d %d", &state.Speed, &state.Lines, &state.Routing);
    return state;
}

int ScratchFolders() {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    WIN32_FIND_DATAW found = {};
    const HANDLE search = FindFirstFileW((std::wstring(temp) + L"Tovel-selftest-*").c_str(), &found);
    int count = 0;
    if (search != INVALID_HANDLE_VALUE) {
        do {
            ++count;
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    return count;
}

void Print(const char* when, const State& state) {
    std::printf("%s speed=%d lines=%d routing=%d folders=%d\n", when, state.Speed, state.Lines,
                state.Routing, ScratchFolders());
    std::fflush(stdout);
}

std::wstring Quoted(const wchar_t* argument) {
    return L"\"" + std::wstring(argument) + L"\"";
}

bool Start(std::wstring commandLine, PROCESS_INFORMATION& process) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    return CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                          &startup, &process) != FALSE;
}

// Runs the program once more beside the first and waits for it to end.
void RunSecond(const std::wstring& commandLine) {
    PROCESS_INFORMATION second = {};
    if (!Start(commandLine, second)) {
        std::printf("cannot start the second program (error %lu)\n", GetLastError());
        return;
    }
    if (WaitForSingleObject(second.hProcess, 120000) != WAIT_OBJECT_0) {
        std::printf("the second program did not end\n");
        TerminateProcess(second.hProcess, 124);
    }
    DWORD code = 0;
    GetExitCodeProcess(second.hProcess, &code);
    std::printf("second exit=%lu folders=%d\n", code, ScratchFolders());
    std::fflush(stdout);
    CloseHandle(second.hThread);
    CloseHandle(second.hProcess);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 2 && std::wstring(argv[1]) == L"--read") {
        const State state = ReadHere();
        std::printf("%d %d %d\n", state.Speed, state.Lines, state.Routing);
        return 0;
    }
    int first = 1;
    const bool second = first < argc && std::wstring(argv[first]) == L"--second";
    first += second ? 1 : 0;
    const bool interrupt = first < argc && std::wstring(argv[first]) == L"--interrupt";
    first += interrupt ? 1 : 0;
    const bool end = first < argc && std::wstring(argv[first]) == L"--end";
    first += end ? 1 : 0;
    const State before = Read();
    Print("before", before);
    if (first >= argc) {
        return 0;
    }
    // A console of its own to share with the program: Ctrl+C reaches the
    // processes attached to one. (Under Wine a program started from Linux
    // sits on a console that takes no control events.) The output stays
    // where it went.
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    const HANDLE errors = GetStdHandle(STD_ERROR_HANDLE);
    if (interrupt) {
        FreeConsole();
        AllocConsole();
        SetStdHandle(STD_OUTPUT_HANDLE, output);
        SetStdHandle(STD_ERROR_HANDLE, errors);
    }

    std::wstring commandLine = Quoted(argv[first]);
    for (int i = first + 1; i < argc; ++i) {
        commandLine += L" " + Quoted(argv[i]);
    }
    PROCESS_INFORMATION process = {};
    if (!Start(commandLine, process)) {
        std::printf("cannot start the program (error %lu)\n", GetLastError());
        return 2;
    }
    // Ignored here only once the program is started: a child inherits the
    // ignoring.
    SetConsoleCtrlHandler(nullptr, TRUE);
    if (interrupt || second || end) {
        // Waits for the program's own change, not for a time.
        const ULONGLONG deadline = GetTickCount64() + 600000;
        bool changed = false;
        while (!changed && GetTickCount64() < deadline &&
               WaitForSingleObject(process.hProcess, 50) == WAIT_TIMEOUT) {
            const State now = Read();
            changed = now.Speed != before.Speed || now.Lines != before.Lines;
        }
        if (changed && second) {
            RunSecond(commandLine);
        }
        if (changed && interrupt) {
            std::printf("interrupted folders=%d\n", ScratchFolders());
            std::fflush(stdout);
            if (!GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0)) {
                std::printf("GenerateConsoleCtrlEvent failed (error %lu)\n", GetLastError());
            }
        }
        if (changed && end) {
            TerminateProcess(process.hProcess, 1);
            WaitForSingleObject(process.hProcess, 60000);
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
            Print("ended", Read());
            SetEnvironmentVariableW(L"TOVEL_SELFTEST_INJECT", nullptr);
            if (!Start(commandLine, process)) {
                std::printf("cannot start the program again (error %lu)\n", GetLastError());
                return 2;
            }
        }
    }
    if (WaitForSingleObject(process.hProcess, 900000) != WAIT_OBJECT_0) {
        std::printf("the program did not end\n");
        TerminateProcess(process.hProcess, 124);
    }
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    std::printf("exit=%lu\n", code);
    Print("after", Read());
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 0;
}
