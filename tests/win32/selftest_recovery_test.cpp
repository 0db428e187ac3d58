// A later run puts back what a run whose supervisor was ended left changed,
// and takes only the folders of supervisors that are gone: a process id
// alone may since name another process.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "framework/text.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_tree_removal.h"
#include "selftest/earlier_runs.h"
#include "selftest/journal.h"
#include "selftest/machine.h"
#include "selftest/process_identity.h"

namespace tovel::selftest {
namespace {

// A process of this exe that has ended; its handle stays open, so that its
// id is not given to another process while the checks look at it.
struct EndedProcess {
    HANDLE Handle = nullptr;
    ProcessIdentity Identity;

    EndedProcess() {
        wchar_t exe[MAX_PATH * 4] = {};
        GetModuleFileNameW(nullptr, exe, MAX_PATH * 4);
        std::wstring line = L"\"" + std::wstring(exe) + L"\" " + kPrintSettingsOption;
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process = {};
        if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                            nullptr, nullptr, &startup, &process)) {
            return;
        }
        CloseHandle(process.hThread);
        WaitForSingleObject(process.hProcess, 30000);
        Handle = process.hProcess;
        Identity = IdentityOf(process.hProcess, process.dwProcessId);
    }
    ~EndedProcess() {
        if (Handle != nullptr) {
            CloseHandle(Handle);
        }
    }
};

TEST(SelftestRecoveryTest, AProcessIsGoneOnlyWhenThatVeryProcessHasEnded) {
    const EndedProcess ended;
    ASSERT_NE(ended.Handle, nullptr) << GetLastError();
    const ProcessIdentity self = ThisProcess();
    const struct {
        const char* situation;
        ProcessIdentity process;
        ProcessState state;
    } cases[] = {
        {"this process", self, ProcessState::Running},
        {"this process's id, made at another time", {self.Id, self.Created + 1},
         ProcessState::Gone},
        {"ended, its handle still open", ended.Identity, ProcessState::Gone},
        {"an id no process has", {0xFFFFFFF0UL, 1}, ProcessState::Gone},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StateOf(c.process), c.state) << c.situation;
    }
}

// Earlier runs' folders in a %TEMP% of the check's own: each with its
// maker's mark (or none), the settings from before as they stand now, and a
// write the system has already undone (a sign-out does that).
TEST(SelftestRecoveryTest, TheFoldersOfEndedSupervisorsAreRemovedAndReported) {
    const EndedProcess ended;
    ASSERT_NE(ended.Handle, nullptr) << GetLastError();
    const ProcessIdentity self = ThisProcess();
    PointerSnapshot now;
    ASSERT_TRUE(ReadPointerSettingsNow(now, std::chrono::seconds(20)));
    const std::u16string temp = ScratchFolder() + u"\\temp\\";
    ASSERT_TRUE(CreateDirectoryW(win32::Wide(temp), nullptr));
    const auto mark = [](const ProcessIdentity& p) {
        return "O " + std::to_string(p.Id) + " " + std::to_string(p.Created) + "\n";
    };
    const struct {
        const char16_t* name;
        std::string owner;
        bool removed;
    } cases[] = {
        {u"Tovel-selftest-ended", mark(ended.Identity), true},
        {u"Tovel-selftest-reused-id", mark({self.Id, self.Created + 1}), true},
        {u"Tovel-selftest-running", mark(self), false},
        {u"Tovel-selftest-unmarked", "", false},
    };
    for (const auto& c : cases) {
        const std::u16string folder = temp + c.name;
        ASSERT_TRUE(CreateDirectoryW(win32::Wide(folder), nullptr));
        const std::string journal = c.owner + "B " + SnapshotLine(now) + "\nT A.Test\nW lines " +
                                    std::to_string(kSettings[kLines].OtherThan(now[kLines].Value)) +
                                    "\n";
        const HANDLE file = CreateFileW(win32::Wide(folder + u"\\" + kJournalName), GENERIC_WRITE,
                                        0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(file, journal.data(), static_cast<DWORD>(journal.size()), &written, nullptr);
        CloseHandle(file);
    }

    const std::vector<std::string> lines = RecoverEarlierRuns(temp);
    std::string all;
    for (const std::string& line : lines) {
        all += line + "\n";
    }
    for (const auto& c : cases) {
        const std::u16string folder = temp + c.name;
        const bool gone = GetFileAttributesW(win32::Wide(folder)) == INVALID_FILE_ATTRIBUTES;
        EXPECT_EQ(gone, c.removed) << Utf16ToUtf8(c.name);
        EXPECT_EQ(all.find(Utf16ToUtf8(c.name) + " was ended") != std::string::npos, c.removed)
            << all;
    }
    EXPECT_EQ(lines.size(), 2u) << all;
    win32::RemoveTree(ScratchFolder() + u"\\temp");
}

}  // namespace
}  // namespace tovel::selftest
