#include "selftest_machine.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "framework/text.h"
#include "platform/win32/win32_pointer_settings.h"
#include "platform/win32/win32_text.h"

namespace tovel::selftest {
namespace {

// Which settings a test wrote: only those are written back after it.
bool g_speedWritten = false;
bool g_linesWritten = false;
bool g_routingWritten = false;
PointerSnapshot g_before;
std::u16string g_scratch;
HANDLE g_journal = INVALID_HANDLE_VALUE;
win32::Win32PointerSettings g_system;

// Every write goes through here: the journal hears of it before the system
// does, so a child that dies halfway through a write still leaves its value
// for the supervisor to recognise; after the write, what the system answers
// for it in this process (Wine 8 answers 0 for a speed written here).
template <typename Action, typename Answer>
void JournalledWrite(const char* name, std::int32_t value, bool& written, Action action,
                     Answer answer) {
    Journal(std::string("W ") + name + " " + std::to_string(value));
    written = true;
    action();
    std::int32_t seen = 0;
    if (answer(seen)) {
        Journal(std::string("A ") + name + " " + std::to_string(seen));
    }
}

bool AnswerSpeed(std::int32_t& value) {
    value = g_system.GetMouseSpeed();
    return true;
}

bool AnswerLines(std::int32_t& value) {
    value = g_system.GetWheelScrollLines();
    return true;
}

// What a test wrote is written back, session-only like every write of the
// run. The decision does not rest on reading the value in this process:
// Wine 8 answers 0 for the pointer speed here once the process has written it.
void WriteBackWhatTestsWrote() {
    if (g_speedWritten) {
        JournalledWrite("speed", g_before.MouseSpeed, g_speedWritten,
                        [] { g_system.SetMouseSpeed(g_before.MouseSpeed, UpdateScope::SessionOnly); },
                        AnswerSpeed);
        g_speedWritten = false;
    }
    if (g_linesWritten) {
        JournalledWrite("lines", g_before.WheelLines, g_linesWritten,
                        [] { g_system.SetWheelScrollLines(g_before.WheelLines, UpdateScope::SessionOnly); },
                        AnswerLines);
        g_linesWritten = false;
    }
    if (g_routingWritten && g_before.RoutingReadable) {
        JournalledWrite("routing", g_before.WheelRouting, g_routingWritten,
                        [] { g_system.SetWheelRouting(g_before.WheelRouting, UpdateScope::SessionOnly); },
                        ReadWheelRouting);
    }
    g_routingWritten = false;
}

class JournalledPointerSettings final : public SystemPointerSettings {
  public:
    std::int32_t GetWheelScrollLines() override { return g_system.GetWheelScrollLines(); }
    void SetWheelScrollLines(std::int32_t lines, UpdateScope scope) override {
        if (SessionOnly(scope)) {
            JournalledWrite("lines", lines, g_linesWritten,
                            [&] { g_system.SetWheelScrollLines(lines, scope); }, AnswerLines);
        }
    }
    std::int32_t GetMouseSpeed() override { return g_system.GetMouseSpeed(); }
    void SetMouseSpeed(std::int32_t speed, UpdateScope scope) override {
        if (SessionOnly(scope)) {
            JournalledWrite("speed", speed, g_speedWritten,
                            [&] { g_system.SetMouseSpeed(speed, scope); }, AnswerSpeed);
        }
    }
    std::int32_t GetWheelRouting() override { return g_system.GetWheelRouting(); }
    void SetWheelRouting(std::int32_t routing, UpdateScope scope) override {
        if (SessionOnly(scope)) {
            JournalledWrite("routing", routing, g_routingWritten,
                            [&] { g_system.SetWheelRouting(routing, scope); }, ReadWheelRouting);
        }
    }

  private:
    static bool SessionOnly(UpdateScope scope) {
        if (scope != UpdateScope::SessionOnly) {
            ADD_FAILURE() << "a self-test write would reach the user's profile; not written";
            return false;
        }
        return true;
    }
};

JournalledPointerSettings g_journalled;

}  // namespace

std::string EscapeJournalText(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '%':
                out += "%25";
                break;
            case '\r':
                out += "%0D";
                break;
            case '\n':
                out += "%0A";
                break;
            case '\t':
                out += "%09";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string UnescapeJournalText(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const std::string code = text.substr(i + 1, 2);
            const char c = code == "25" ? '%' : code == "0D" ? '\r' : code == "0A" ? '\n'
                                                           : code == "09" ? '\t' : '\0';
            if (c != '\0') {
                out += c;
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

void Journal(const std::string& line) {
    if (g_journal == INVALID_HANDLE_VALUE) {
        return;
    }
    const std::string whole = line + "\n";
    DWORD written = 0;
    WriteFile(g_journal, whole.data(), static_cast<DWORD>(whole.size()), &written, nullptr);
}

bool ReadWheelRouting(std::int32_t& routing) {
    INT value = 0;
    if (!SystemParametersInfoW(SPI_GETMOUSEWHEELROUTING, 0, &value, 0)) {
        return false;
    }
    routing = value;
    return true;
}

bool RemoveTree(const std::u16string& folder) {
    // An empty or bare drive path would name the drive's root ("\\*").
    if (folder.size() < 4) {
        return false;
    }
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

SystemPointerSettings& PointerSettings() { return g_journalled; }

const std::u16string& ScratchFolder() { return g_scratch; }

const PointerSnapshot& SettingsBeforeRun() { return g_before; }

bool BeginTests(const std::u16string& scratch, const PointerSnapshot& before, std::string& problem) {
    g_scratch = scratch;
    g_before = before;
    // Shared so that the supervisor may read it while this process lives;
    // appended to, so that each line lands whole at the end.
    g_journal = CreateFileW(win32::Wide(scratch + u"\\" + kJournalName), FILE_APPEND_DATA,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (g_journal == INVALID_HANDLE_VALUE) {
        problem = "cannot open the journal in the scratch folder (error " +
                  std::to_string(GetLastError()) + ")";
        return false;
    }
    return true;
}

void RestorePointerSettings() { WriteBackWhatTestsWrote(); }

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

bool ParsePointerSettingsLine(const std::string& line, PointerSnapshot& state) {
    int speed = 0;
    int lines = 0;
    int routing = 0;
    char routingText[16] = {};
    if (std::sscanf(line.c_str(), "speed=%d lines=%d routing=%15s", &speed, &lines,
                    routingText) != 3) {
        return false;
    }
    state.MouseSpeed = speed;
    state.WheelLines = lines;
    state.RoutingReadable = std::sscanf(routingText, "%d", &routing) == 1;
    state.WheelRouting = state.RoutingReadable ? routing : 0;
    return true;
}

bool ReadPointerSettingsElsewhere(PointerSnapshot& state, std::chrono::milliseconds deadline) {
    // This exe once more, asked only to print the settings, its output
    // through a pipe whose buffer holds the one line it prints.
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 4096)) {
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
    bool ended = false;
    if (started) {
        // The reader's end, not the pipe's: another process started meanwhile
        // with inherited handles may hold the write end open.
        ended = WaitForSingleObject(process.hProcess, static_cast<DWORD>(deadline.count())) ==
                WAIT_OBJECT_0;
        if (!ended) {
            TerminateProcess(process.hProcess, 1);
        }
        DWORD available = 0;
        char buffer[256];
        while (ended && PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) &&
               available > 0) {
            DWORD read = 0;
            if (!ReadFile(readEnd, buffer, sizeof(buffer), &read, nullptr) || read == 0) {
                break;
            }
            out.append(buffer, read);
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(readEnd);
    return ended && ParsePointerSettingsLine(out, state);
}

}  // namespace tovel::selftest
