// What the program takes from Microsoft's documentation and only a real
// Windows can confirm. Each check is skipped, with the reason, where the
// system lacks the feature; every setting changed here is put back.
#include "platform/win32/win32_api.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/notification_area.h"
#include "platform/win32/win32_notification_area.h"
#include "platform/win32/win32_pointer_settings.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_tree_removal.h"
#include "platform/win32/win32_window_system.h"
#include "selftest/machine.h"

namespace tovel::win32 {
namespace {

// The system's own answer, as another program sees it (Wine 8 answers 0 for
// the pointer speed in a process that has written it).
selftest::PointerSnapshot SeenElsewhere() {
    selftest::PointerSnapshot state;
    EXPECT_TRUE(selftest::ReadPointerSettingsElsewhere(state));
    return state;
}

TEST(WindowsBehaviourTest, PointerSpeedAndWheelLinesWriteSessionOnlyAndReadBack) {
    SystemPointerSettings& settings = selftest::PointerSettings();
    const selftest::PointerSnapshot before = SeenElsewhere();
    ASSERT_GE(before[selftest::kSpeed].Value, 1);
    ASSERT_LE(before[selftest::kSpeed].Value, 20);

    const std::int32_t speed = before[selftest::kSpeed].Value == 7 ? 8 : 7;
    const std::int32_t lines = before[selftest::kLines].Value == 5 ? 6 : 5;
    // Wine 8 answers 0 for the speed while the process that wrote it lives,
    // and INT_MAX for the page-scroll count: there only the lines are read back.
    const bool wine = selftest::RunningOnWine();
    settings.SetMouseSpeed(speed, UpdateScope::SessionOnly);
    settings.SetWheelScrollLines(lines, UpdateScope::SessionOnly);
    selftest::PointerSnapshot seen = SeenElsewhere();
    EXPECT_TRUE(wine || seen[selftest::kSpeed].Value == speed) << "speed " << seen[selftest::kSpeed].Value;
    EXPECT_EQ(seen[selftest::kLines].Value, lines);
    // One screen per notch travels as -1 in the unsigned count.
    settings.SetWheelScrollLines(kWheelPageScroll, UpdateScope::SessionOnly);
    seen = SeenElsewhere();
    EXPECT_TRUE(wine || seen[selftest::kLines].Value == kWheelPageScroll) << "lines " << seen[selftest::kLines].Value;

    settings.SetMouseSpeed(before[selftest::kSpeed].Value, UpdateScope::SessionOnly);
    settings.SetWheelScrollLines(before[selftest::kLines].Value, UpdateScope::SessionOnly);
    seen = SeenElsewhere();
    EXPECT_TRUE(wine || seen[selftest::kSpeed].Value == before[selftest::kSpeed].Value) << "speed " << seen[selftest::kSpeed].Value;
    EXPECT_EQ(seen[selftest::kLines].Value, before[selftest::kLines].Value);
}

TEST(WindowsBehaviourTest, WheelRoutingTakesTheValueInThePointerArgument) {
    const std::optional<std::int32_t> offered = Win32PointerSettings().ReadWheelRouting();
    if (!offered) {
        GTEST_SKIP() << "this system has no wheel routing setting (read error " << GetLastError()
                     << ")";
    }
    const std::int32_t before = *offered;
    // Writing the value it already has changes nothing and shows whether
    // the system takes the write at all.
    if (!SystemParametersInfoW(SPI_SETMOUSEWHEELROUTING, 0,
                               reinterpret_cast<PVOID>(static_cast<INT_PTR>(before)),
                               SPIF_SENDCHANGE)) {
        const DWORD error = GetLastError();
        GTEST_SKIP() << "this system refuses wheel routing writes (error " << error
                     << (error == ERROR_INVALID_SPI_VALUE ? ", ERROR_INVALID_SPI_VALUE" : "")
                     << ")";
    }
    const std::int32_t other = before == kRoutingMousePos ? kRoutingFocus : kRoutingMousePos;
    selftest::PointerSettings().SetWheelRouting(other, UpdateScope::SessionOnly);
    EXPECT_EQ(SeenElsewhere()[selftest::kRouting].Value, other);
    selftest::PointerSettings().SetWheelRouting(before, UpdateScope::SessionOnly);
    EXPECT_EQ(SeenElsewhere()[selftest::kRouting].Value, before);
}

class ReplaceFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = selftest::ScratchFolder() + u"\\replace";
        ASSERT_TRUE(CreateDirectoryW(Wide(folder), nullptr)) << GetLastError();
    }
    void TearDown() override { RemoveTree(folder); }

    static void Write(const std::u16string& path, const char* text, DWORD attributes) {
        const HANDLE file = CreateFileW(Wide(path), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        attributes, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << GetLastError();
        DWORD written = 0;
        WriteFile(file, text, static_cast<DWORD>(std::char_traits<char>::length(text)), &written,
                  nullptr);
        CloseHandle(file);
    }

    std::u16string folder;
};

TEST_F(ReplaceFileTest, ReplacingKeepsTheOldFilesAttributesAndCreationTime) {
    const std::u16string target = folder + u"\\Tovel.ini";
    const std::u16string replacement = folder + u"\\Tovel.ini.new";
    Write(target, "old", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
    // A creation time no file made now can have.
    SYSTEMTIME long_ago = {2001, 2, 0, 3, 4, 5, 6, 0};
    FILETIME created = {};
    ASSERT_TRUE(SystemTimeToFileTime(&long_ago, &created));
    const HANDLE handle = CreateFileW(Wide(target), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(SetFileTime(handle, &created, nullptr, nullptr));
    CloseHandle(handle);
    Write(replacement, "new", FILE_ATTRIBUTE_NORMAL);

    // The flags the settings file is saved with.
    ASSERT_TRUE(ReplaceFileW(Wide(target), Wide(replacement), nullptr,
                             REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS,
                             nullptr, nullptr))
        << GetLastError();

    WIN32_FILE_ATTRIBUTE_DATA after = {};
    ASSERT_TRUE(GetFileAttributesExW(Wide(target), GetFileExInfoStandard, &after));
    EXPECT_EQ(after.nFileSizeLow, 3u) << "the new contents";
    EXPECT_EQ(GetFileAttributesW(Wide(replacement)), INVALID_FILE_ATTRIBUTES);
    if (selftest::RunningOnWine()) {
        GTEST_SKIP() << "Wine 8's ReplaceFileW keeps neither the attributes nor the creation "
                        "time; only Windows can answer this";
    }
    EXPECT_NE(after.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN, 0u)
        << "attributes " << after.dwFileAttributes;
    EXPECT_EQ(CompareFileTime(&after.ftCreationTime, &created), 0)
        << "created " << after.ftCreationTime.dwHighDateTime << ":"
        << after.ftCreationTime.dwLowDateTime;
}

TEST(WindowsBehaviourTest, TheShellAddsChangesAndRemovesTheIcon) {
    if (FindWindowW(L"Shell_TrayWnd", nullptr) == nullptr) {
        GTEST_SKIP() << "no taskbar (Shell_TrayWnd) here to hold the icon";
    }
    Win32WindowSystem system;
    auto window = system.CreateMessageWindow([](TMessage&) {});
    Win32NotificationArea area;
    TNotifyIconDataEx data;
    data.hWnd = window->Handle();
    data.uID = 17;
    data.uFlags = notify_field::kMessage | notify_field::kIcon | notify_field::kTip;
    data.uCallbackMessage = WM_APP + 1;
    data.hIcon = system.WindowsLogoIcon();
    const std::u16string tip = u"Tovel self-test";
    tip.copy(data.szTip.data(), tip.size());

    // Deleted on every path, also after an add reported as failed, which
    // may still arrive late: an icon left behind stays in the taskbar until
    // the pointer passes over it.
    struct DeleteOnEveryPath {
        Win32NotificationArea& Area;
        TNotifyIconDataEx& Data;
        bool Deleted = false;
        ~DeleteOnEveryPath() {
            if (!Deleted) {
                Area.NotifyIcon(TNotifyIconOperation::Delete, Data);
            }
        }
    } guard{area, data};
    ASSERT_TRUE(area.NotifyIcon(TNotifyIconOperation::Add, data));
    data.szTip[0] = u'*';
    EXPECT_TRUE(area.NotifyIcon(TNotifyIconOperation::Modify, data));
    guard.Deleted = area.NotifyIcon(TNotifyIconOperation::Delete, data);
    EXPECT_TRUE(guard.Deleted);
    // The shell no longer knows it: neither a change nor a second removal lands.
    EXPECT_FALSE(area.NotifyIcon(TNotifyIconOperation::Modify, data));
    EXPECT_FALSE(area.NotifyIcon(TNotifyIconOperation::Delete, data));
}

}  // namespace
}  // namespace tovel::win32
