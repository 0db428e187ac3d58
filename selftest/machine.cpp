#include "selftest/machine.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "framework/text.h"
#include "platform/win32/win32_text.h"
#include "selftest/journal.h"

namespace tovel::selftest {
namespace {

// Which settings a test wrote: only those are written back after it.
std::array<bool, kSettingCount> g_written = {};
PointerSnapshot g_before;
std::u16string g_scratch;
JournalFile g_journal;
win32::Win32PointerSettings g_system;

// Every write goes through here: the journal hears of it before the system
// does, so a child that dies halfway through a write still leaves its value
// for the supervisor to recognise; after the write, what the system answers
// for it in this process (Wine 8 answers 0 for a speed written here).
void JournalledWrite(std::size_t index, std::int32_t value, UpdateScope scope) {
    const SettingDescription& setting = kSettings[index];
    Journal(std::string("W ") + setting.Key + " " + std::to_string(value));
    g_written[index] = true;
    (g_system.*setting.Set)(value, scope);
    if (setting.Offered == nullptr || setting.Offered(g_system)) {
        Journal(std::string("A ") + setting.Key + " " + std::to_string((g_system.*setting.Get)()));
    }
}

// What a test wrote is written back, session-only like every write of the
// run. The decision does not rest on reading the value in this process:
// Wine 8 answers 0 for the pointer speed here once the process has written it.
void WriteBackWhatTestsWrote() {
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        if (g_written[i] && g_before[i].Offered) {
            JournalledWrite(i, g_before[i].Value, UpdateScope::SessionOnly);
        }
        g_written[i] = false;
    }
}

class JournalledPointerSettings final : public SystemPointerSettings {
  public:
    std::int32_t GetWheelScrollLines() override { return g_system.GetWheelScrollLines(); }
    void SetWheelScrollLines(std::int32_t lines, UpdateScope scope) override {
        Write(kLines, lines, scope);
    }
    std::int32_t GetMouseSpeed() override { return g_system.GetMouseSpeed(); }
    void SetMouseSpeed(std::int32_t speed, UpdateScope scope) override {
        Write(kSpeed, speed, scope);
    }
    std::int32_t GetWheelRouting() override { return g_system.GetWheelRouting(); }
    void SetWheelRouting(std::int32_t routing, UpdateScope scope) override {
        Write(kRouting, routing, scope);
    }

  private:
    static void Write(std::size_t index, std::int32_t value, UpdateScope scope) {
        if (scope == UpdateScope::Persistent) {
            ADD_FAILURE() << "a self-test write would reach the user's profile; not written";
            return;
        }
        JournalledWrite(index, value, scope);
    }
};

JournalledPointerSettings g_journalled;

}  // namespace

void Journal(const std::string& line) { g_journal.Append(line); }

std::string WineVersion() {
    using Version = const char*(__cdecl*)();
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const auto get = ntdll == nullptr ? nullptr
                                      : reinterpret_cast<Version>(reinterpret_cast<void*>(
                                            GetProcAddress(ntdll, "wine_get_version")));
    return get == nullptr ? std::string() : std::string(get());
}

SystemPointerSettings& PointerSettings() { return g_journalled; }

win32::Win32PointerSettings& SystemSettings() { return g_system; }

const std::u16string& ScratchFolder() { return g_scratch; }

const PointerSnapshot& SettingsBeforeRun() { return g_before; }

bool BeginTests(const std::u16string& scratch, const PointerSnapshot& before, std::string& problem) {
    g_scratch = scratch;
    g_before = before;
    unsigned long error = 0;
    if (!g_journal.Open(scratch, error)) {
        problem = "cannot open the journal in the scratch folder (error " + std::to_string(error) +
                  ")";
        return false;
    }
    return true;
}

void RestorePointerSettings() { WriteBackWhatTestsWrote(); }

PointerSnapshot ReadPointerSettingsHere() { return ReadSnapshot(g_system); }

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
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) {
        out.pop_back();
    }
    return ended && ParseSnapshotLine(out, state);
}

bool ReadPointerSettingsNow(PointerSnapshot& state, std::chrono::milliseconds deadline) {
    if (!RunningOnWine()) {
        state = ReadPointerSettingsHere();
        return true;
    }
    return ReadPointerSettingsElsewhere(state, deadline);
}

}  // namespace tovel::selftest
