#include "selftest_machine.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <utility>

#include "framework/text.h"
#include "platform/win32/win32_pointer_settings.h"
#include "platform/win32/win32_text.h"

namespace tovel::selftest {
namespace {

CRITICAL_SECTION g_lock;
std::atomic<bool> g_began{false};
bool g_stopping = false;  // under g_lock
// Which settings a test wrote (under g_lock): only those are written back.
bool g_speedWritten = false;
bool g_linesWritten = false;
bool g_routingWritten = false;
PointerSnapshot g_before;
std::u16string g_scratch;
std::function<void(const char*)> g_onStop;
win32::Win32PointerSettings g_system;

class Locked {
  public:
    Locked() { EnterCriticalSection(&g_lock); }
    ~Locked() { LeaveCriticalSection(&g_lock); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;
};

// What a test wrote is written back, session-only like every write of the
// run: the profile was never touched, so the session value is all there is
// to mend. The decision does not rest on reading the value in this process:
// Wine 8 answers 0 for the pointer speed here once the process has written
// it. Caller holds g_lock.
void RestoreLocked() {
    if (g_speedWritten) {
        g_system.SetMouseSpeed(g_before.MouseSpeed, UpdateScope::SessionOnly);
        g_speedWritten = false;
    }
    if (g_linesWritten) {
        g_system.SetWheelScrollLines(g_before.WheelLines, UpdateScope::SessionOnly);
        g_linesWritten = false;
    }
    if (g_routingWritten && g_before.RoutingReadable) {
        g_system.SetWheelRouting(g_before.WheelRouting, UpdateScope::SessionOnly);
    }
    g_routingWritten = false;
}

void RemoveScratch() {
    // A test may still be making a file while the stop handler clears the
    // folder, so a folder that is still there gets a few more tries.
    for (int attempt = 0; attempt < 5 && !g_scratch.empty(); ++attempt) {
        if (RemoveTree(g_scratch)) {
            return;
        }
    }
}

BOOL WINAPI OnConsoleControl(DWORD type) {
    const char* why = type == CTRL_C_EVENT       ? "Ctrl+C"
                      : type == CTRL_BREAK_EVENT ? "Ctrl+Break"
                      : type == CTRL_CLOSE_EVENT ? "the console window was closed"
                                                 : "the session is ending";
    {
        Locked lock;
        g_stopping = true;
        RestoreLocked();
    }
    RemoveScratch();
    if (g_onStop) {
        g_onStop(why);
    }
    // Nothing of the run may go on after the machine has been put back.
    TerminateProcess(GetCurrentProcess(), kStoppedExitCode);
    return TRUE;
}

LONG WINAPI OnCrash(EXCEPTION_POINTERS*) {
    {
        Locked lock;
        g_stopping = true;
        RestoreLocked();
    }
    RemoveScratch();
    return EXCEPTION_CONTINUE_SEARCH;
}

class GuardedPointerSettings final : public SystemPointerSettings {
  public:
    std::int32_t GetWheelScrollLines() override { return g_system.GetWheelScrollLines(); }
    void SetWheelScrollLines(std::int32_t lines, UpdateScope scope) override {
        Write(scope, g_linesWritten, [&] { g_system.SetWheelScrollLines(lines, scope); });
    }
    std::int32_t GetMouseSpeed() override { return g_system.GetMouseSpeed(); }
    void SetMouseSpeed(std::int32_t speed, UpdateScope scope) override {
        Write(scope, g_speedWritten, [&] { g_system.SetMouseSpeed(speed, scope); });
    }
    std::int32_t GetWheelRouting() override { return g_system.GetWheelRouting(); }
    void SetWheelRouting(std::int32_t routing, UpdateScope scope) override {
        Write(scope, g_routingWritten, [&] { g_system.SetWheelRouting(routing, scope); });
    }

  private:
    template <typename Action>
    static void Write(UpdateScope scope, bool& written, Action action) {
        if (scope != UpdateScope::SessionOnly) {
            ADD_FAILURE() << "a self-test write would reach the user's profile; not written";
            return;
        }
        Locked lock;
        if (!g_stopping) {
            written = true;
            action();
        }
    }
};

GuardedPointerSettings g_guarded;

}  // namespace

bool ReadWheelRouting(std::int32_t& routing) {
    INT value = 0;
    if (!SystemParametersInfoW(SPI_GETMOUSEWHEELROUTING, 0, &value, 0)) {
        return false;
    }
    routing = value;
    return true;
}

bool RemoveTree(const std::u16string& folder) {
    WIN32_FIND_DATAW found = {};
    const HANDLE search = FindFirstFileW(win32::Wide(folder + u"\\*"), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::u16string name = win32::FromWide(found.cFileName);
            if (name == u"." || name == u"..") {
                continue;
            }
            const std::u16string path = folder + u"\\" + name;
            SetFileAttributesW(win32::Wide(path), FILE_ATTRIBUTE_NORMAL);
            const bool folderLike = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            const bool link = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
            if (folderLike && !link) {
                RemoveTree(path);
            } else if (folderLike) {
                RemoveDirectoryW(win32::Wide(path));
            } else {
                DeleteFileW(win32::Wide(path));
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    return RemoveDirectoryW(win32::Wide(folder)) != FALSE ||
           GetFileAttributesW(win32::Wide(folder)) == INVALID_FILE_ATTRIBUTES;
}

std::string WineVersion() {
    using Version = const char*(__cdecl*)();
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const auto get = ntdll == nullptr ? nullptr
                                      : reinterpret_cast<Version>(reinterpret_cast<void*>(
                                            GetProcAddress(ntdll, "wine_get_version")));
    return get == nullptr ? std::string() : std::string(get());
}

SystemPointerSettings& PointerSettings() { return g_guarded; }

const std::u16string& ScratchFolder() { return g_scratch; }

const PointerSnapshot& SettingsBeforeRun() { return g_before; }

bool BeginRun(std::function<void(const char*)> onStop, std::string& problem) {
    InitializeCriticalSection(&g_lock);
    g_began = true;
    g_before = ReadPointerSettingsHere();
    g_onStop = std::move(onStop);

    wchar_t temp[MAX_PATH + 1] = {};
    if (GetTempPathW(MAX_PATH + 1, temp) == 0) {
        problem = "no temporary folder (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    // A name no earlier run can have left: the process id and the tick count.
    const std::wstring name = L"Tovel-selftest-" + std::to_wstring(GetCurrentProcessId()) +
                              L"-" + std::to_wstring(GetTickCount64());
    g_scratch = win32::FromWide(temp) + win32::FromWide(name.c_str());
    if (!CreateDirectoryW(win32::Wide(g_scratch), nullptr)) {
        problem = "cannot make the scratch folder (error " + std::to_string(GetLastError()) + ")";
        g_scratch.clear();
        return false;
    }
    // A parent that ignores Ctrl+C hands the ignoring down; this run must
    // hear it to put the settings back.
    SetConsoleCtrlHandler(nullptr, FALSE);
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    SetUnhandledExceptionFilter(OnCrash);
    return true;
}

void RestorePointerSettings() {
    if (!g_began) {
        return;
    }
    Locked lock;
    RestoreLocked();
}

std::string EndRun() {
    {
        Locked lock;
        RestoreLocked();
        g_stopping = true;
    }
    SetConsoleCtrlHandler(OnConsoleControl, FALSE);
    std::string problems;
    PointerSnapshot now;
    if (!ReadPointerSettingsElsewhere(now)) {
        problems += "the settings could not be read back; ";
    } else {
        const auto compare = [&](const char* name, std::int32_t value, std::int32_t wanted) {
            if (value != wanted) {
                problems += std::string(name) + " is " + std::to_string(value) + ", was " +
                            std::to_string(wanted) + "; ";
            }
        };
        // Wine 8 answers 0 for the speed while this process lives; the
        // build's tests read it from outside after the run.
        if (!RunningOnWine()) {
            compare("pointer speed", now.MouseSpeed, g_before.MouseSpeed);
        }
        compare("wheel lines", now.WheelLines, g_before.WheelLines);
        if (g_before.RoutingReadable) {
            compare("wheel routing", now.WheelRouting, g_before.WheelRouting);
        }
    }
    if (!g_scratch.empty() && !RemoveTree(g_scratch)) {
        problems += "the scratch folder " + Utf16ToUtf8(g_scratch) + " is still there; ";
    }
    return problems;
}

PointerSnapshot ReadPointerSettingsHere() {
    PointerSnapshot state;
    state.MouseSpeed = g_system.GetMouseSpeed();
    state.WheelLines = g_system.GetWheelScrollLines();
    state.RoutingReadable = ReadWheelRouting(state.WheelRouting);
    return state;
}

std::string PointerSettingsLine(const PointerSnapshot& state) {
    return "speed=" + std::to_string(state.MouseSpeed) + " lines=" +
           std::to_string(state.WheelLines) + " routing=" +
           (state.RoutingReadable ? std::to_string(state.WheelRouting) : std::string("-"));
}

bool ReadPointerSettingsElsewhere(PointerSnapshot& state) {
    // This exe once more, asked only to print the settings, its output
    // through a pipe.
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        return false;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    wchar_t exe[MAX_PATH * 4] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH * 4);
    std::wstring commandLine = L"\"" + std::wstring(exe) + L"\" " + kPrintSettingsOption;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process = {};
    const bool started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
    CloseHandle(writeEnd);
    std::string out;
    if (started) {
        char buffer[256];
        DWORD read = 0;
        while (ReadFile(readEnd, buffer, sizeof(buffer), &read, nullptr) && read > 0) {
            out.append(buffer, read);
        }
        WaitForSingleObject(process.hProcess, INFINITE);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(readEnd);
    int speed = 0;
    int lines = 0;
    int routing = 0;
    char routingText[16] = {};
    if (std::sscanf(out.c_str(), "speed=%d lines=%d routing=%15s", &speed, &lines,
                    routingText) != 3) {
        return false;
    }
    state.MouseSpeed = speed;
    state.WheelLines = lines;
    state.RoutingReadable = std::sscanf(routingText, "%d", &routing) == 1;
    state.WheelRouting = state.RoutingReadable ? routing : 0;
    return true;
}

}  // namespace tovel::selftest
