#include "settings/settings_file.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/exception.h"
#include "framework/text.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_system_messages.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_text_codec.h"
#include "platform/win32/win32_tree_removal.h"
#include "selftest/machine.h"

namespace tovel::win32 {
namespace {

std::vector<std::uint8_t> Bytes(std::string_view text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

// The real file system in a fresh folder under the temporary folder.
class Win32SettingsFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // Inside the run's own folder under %TEMP%, which the run removes.
        root = selftest::ScratchFolder() + u"\\ini";
        ASSERT_TRUE(CreateDirectoryW(Wide(root), nullptr)) << GetLastError();
        dataDir = root + u"\\";
        ini = dataDir + u"Tovel.ini";
    }

    void TearDown() override { RemoveTree(root); }

    static void WriteFile(const std::u16string& path, const std::vector<std::uint8_t>& bytes) {
        const HANDLE file = CreateFileW(Wide(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << GetLastError();
        DWORD written = 0;
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
        ASSERT_EQ(written, bytes.size());
    }

    static std::vector<std::uint8_t> ReadFile(const std::u16string& path) {
        const HANDLE file = CreateFileW(Wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            return {};
        }
        std::vector<std::uint8_t> bytes(1 << 16);
        DWORD read = 0;
        ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
        CloseHandle(file);
        bytes.resize(read);
        return bytes;
    }

    std::vector<std::u16string> Names() const { return NamesIn(root); }

    static std::vector<std::u16string> NamesIn(const std::u16string& folder) {
        std::vector<std::u16string> names;
        WIN32_FIND_DATAW found = {};
        const HANDLE search = FindFirstFileW(Wide(folder + u"\\*"), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::u16string name = FromWide(found.cFileName);
                if (name != u"." && name != u"..") {
                    names.push_back(name);
                }
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        return names;
    }

    template <typename Action>
    std::u16string FailureOf(Action action) {
        try {
            action();
        } catch (const Exception& failure) {
            return failure.Message();
        }
        return u"(no failure)";
    }

    std::u16string CreationText(DWORD code) {
        return u"ファイル \"" + ini + u"\" を作成できません。" +
               TrimSystemErrorText(messages.ErrorText(code));
    }

    Win32FileSystem files;
    Win32TextCodec codec;
    Win32SystemMessages messages;
    std::u16string root;
    std::u16string dataDir;
    std::u16string ini;
};

TEST_F(Win32SettingsFileTest, ANewFileHoldsTheEntryInTheAnsiCodePage) {
    SettingsFile settings(files, codec, messages, dataDir);
    EXPECT_EQ(settings.ReadLineIndex(), 2);
    EXPECT_TRUE(Names().empty()) << "reading created something";

    settings.SaveLineIndex(2);
    std::vector<std::uint8_t> expected = Bytes("[Line]\r\nCount=2\r\n\r\n");
    if (GetACP() == CP_UTF8) {
        expected.insert(expected.begin(), {0xEF, 0xBB, 0xBF});
    }
    EXPECT_EQ(ReadFile(ini), expected);
    EXPECT_EQ(Names(), std::vector<std::u16string>{u"Tovel.ini"});
}

TEST_F(Win32SettingsFileTest, SavingReplacesTheContentsAndLeavesNoTemporaryFile) {
    WriteFile(ini, Bytes("; mine\r\n[Line]\r\nCount=4\r\n[Keep]\r\nk = v\r\n"));
    SettingsFile settings(files, codec, messages, dataDir);
    EXPECT_EQ(settings.ReadLineIndex(), 4);
    settings.SaveLineIndex(9);
    EXPECT_EQ(ReadFile(ini), Bytes("[Line]\r\nCount=9\r\n\r\n[Keep]\r\nk=v\r\n\r\n"));
    settings.SaveLineIndex(-1);
    EXPECT_EQ(ReadFile(ini), Bytes("[Line]\r\nCount=-1\r\n\r\n[Keep]\r\nk=v\r\n\r\n"));
    EXPECT_EQ(Names(), std::vector<std::u16string>{u"Tovel.ini"});
}

TEST_F(Win32SettingsFileTest, TheReplacedFileKeepsItsAttributes) {
    WriteFile(ini, Bytes("[Line]\r\nCount=4\r\n"));
    ASSERT_TRUE(SetFileAttributesW(Wide(ini), FILE_ATTRIBUTE_HIDDEN));
    if ((GetFileAttributesW(Wide(ini)) & FILE_ATTRIBUTE_HIDDEN) == 0) {
        GTEST_SKIP() << "this file system keeps no hidden attribute";
    }
    SettingsFile(files, codec, messages, dataDir).SaveLineIndex(7);
    EXPECT_EQ(ReadFile(ini), Bytes("[Line]\r\nCount=7\r\n\r\n"));
    EXPECT_NE(GetFileAttributesW(Wide(ini)) & FILE_ATTRIBUTE_HIDDEN, 0u);
}

TEST_F(Win32SettingsFileTest, AUtf16FileStaysUtf16) {
    std::vector<std::uint8_t> file = {0xFF, 0xFE};
    std::vector<std::uint8_t> expected = {0xFF, 0xFE};
    for (char16_t c : std::u16string_view(u"[表示]\r\n名=値\r\n")) {
        file.push_back(static_cast<std::uint8_t>(c));
        file.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    for (char16_t c : std::u16string_view(u"[表示]\r\n名=値\r\n\r\n[Line]\r\nCount=5\r\n\r\n")) {
        expected.push_back(static_cast<std::uint8_t>(c));
        expected.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    WriteFile(ini, file);
    SettingsFile(files, codec, messages, dataDir).SaveLineIndex(5);
    EXPECT_EQ(ReadFile(ini), expected);
}

TEST_F(Win32SettingsFileTest, AFolderInPlaceOfTheFileFailsWithTheCreationText) {
    ASSERT_TRUE(CreateDirectoryW(Wide(ini), nullptr));
    SettingsFile settings(files, codec, messages, dataDir);
    EXPECT_EQ(settings.ReadLineIndex(), 2);
    EXPECT_EQ(FailureOf([&] { settings.SaveLineIndex(3); }), CreationText(ERROR_ACCESS_DENIED));
    EXPECT_EQ(Names(), std::vector<std::u16string>{u"Tovel.ini"});
    EXPECT_NE(GetFileAttributesW(Wide(ini)) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

TEST_F(Win32SettingsFileTest, AMissingFolderFailsWithTheCreationText) {
    dataDir = root + u"\\gone\\";
    ini = dataDir + u"Tovel.ini";
    SettingsFile settings(files, codec, messages, dataDir);
    EXPECT_EQ(FailureOf([&] { settings.SaveLineIndex(3); }), CreationText(ERROR_PATH_NOT_FOUND));
    EXPECT_TRUE(Names().empty());
}

TEST_F(Win32SettingsFileTest, AReadOnlyFileIsRefusedAndKept) {
    const std::vector<std::uint8_t> original = Bytes("[Line]\r\nCount=6\r\n");
    WriteFile(ini, original);
    ASSERT_TRUE(SetFileAttributesW(Wide(ini), FILE_ATTRIBUTE_READONLY));
    SettingsFile settings(files, codec, messages, dataDir);
    EXPECT_EQ(FailureOf([&] { settings.SaveLineIndex(3); }), CreationText(ERROR_ACCESS_DENIED));
    EXPECT_EQ(ReadFile(ini), original);
    EXPECT_EQ(Names(), std::vector<std::u16string>{u"Tovel.ini"});
}

TEST_F(Win32SettingsFileTest, AFileHeldOpenForWritingCannotBeReadNorReplaced) {
    const std::vector<std::uint8_t> original = Bytes("[Line]\r\nCount=6\r\n");
    WriteFile(ini, original);
    const HANDLE writer = CreateFileW(Wide(ini), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    SettingsFile settings(files, codec, messages, dataDir);
    const std::u16string expected =
        u"ファイル " + ini + u" は開けません。 " +
        TrimSystemErrorText(messages.ErrorText(ERROR_SHARING_VIOLATION)) + u" ";
    EXPECT_EQ(FailureOf([&] { settings.ReadLineIndex(); }), expected);
    EXPECT_EQ(FailureOf([&] { settings.SaveLineIndex(1); }), expected);
    CloseHandle(writer);
    EXPECT_EQ(ReadFile(ini), original);
    EXPECT_EQ(Names(), std::vector<std::u16string>{u"Tovel.ini"});
}

TEST_F(Win32SettingsFileTest, ThroughASymbolicLinkTheTargetIsReplacedAndTheLinkStays) {
    const std::u16string target = root + u"\\elsewhere.ini";
    WriteFile(target, Bytes("[Line]\r\nCount=8\r\n"));
    if (!CreateSymbolicLinkW(Wide(ini), Wide(target),
                             SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE)) {
        GTEST_SKIP() << "no symbolic links here (error " << GetLastError() << ")";
    }
    // Wine 8 reports success without making anything.
    const DWORD attributes = GetFileAttributesW(Wide(ini));
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        GTEST_SKIP() << "symbolic links are not made here";
    }
    const bool reparsePoint = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    SettingsFile settings(files, codec, messages, dataDir);
    EXPECT_EQ(settings.ReadLineIndex(), 8);
    settings.SaveLineIndex(1);
    EXPECT_EQ((GetFileAttributesW(Wide(ini)) & FILE_ATTRIBUTE_REPARSE_POINT) != 0, reparsePoint);
    EXPECT_EQ(ReadFile(target), Bytes("[Line]\r\nCount=1\r\n\r\n"));
    EXPECT_EQ(Names().size(), 2u);
}

// Where the system cannot name a file's final path (AppData on a network share
// that does not answer the query, a volume mounted without a drive letter),
// the save still lands: a plain file is replaced where it is without asking,
// a link at the path as given.
TEST_F(Win32SettingsFileTest, AFinalPathTheSystemCannotNameStopsNoSave) {
    const std::u16string target = root + u"\\elsewhere.ini";
    for (const bool link : {false, true}) {
        SCOPED_TRACE(link ? "symbolic link" : "plain file");
        WriteFile(link ? target : ini, Bytes("[Line]\r\nCount=8\r\n"));
        if (link && (!CreateSymbolicLinkW(Wide(ini), Wide(target),
                                          SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) ||
                     GetFileAttributesW(Wide(ini)) == INVALID_FILE_ATTRIBUTES)) {
            GTEST_SKIP() << "no symbolic links here (Wine 8 reports success and makes none)";
        }
        int queries = 0;
        Win32FileSystem unanswered(Win32FileSystem::SystemReplace, [&](void*) {
            ++queries;
            SetLastError(ERROR_PATH_NOT_FOUND);
            return std::optional<std::u16string>{};
        });
        SettingsFile settings(unanswered, codec, messages, dataDir);
        EXPECT_EQ(FailureOf([&] { settings.SaveLineIndex(1); }), u"(no failure)");
        EXPECT_EQ(ReadFile(ini), Bytes("[Line]\r\nCount=1\r\n\r\n"));
        EXPECT_EQ(queries, link ? 1 : 0);
        for (const std::u16string& name : Names()) {
            DeleteFileW(Wide(root + u"\\" + name));
        }
    }
}

// The system's replace failing as its page documents: with "unable to move the
// replacement" the old file is gone, with its second form renamed; "unable to
// remove the replaced" leaves it in place. A folder that takes the free name
// meanwhile stops the move that follows as well.
TEST_F(Win32SettingsFileTest, AReplaceThatLostTheOldFileStillLeavesTheData) {
    const std::vector<std::uint8_t> before = Bytes("[Line]\r\nCount=4\r\n");
    const std::vector<std::uint8_t> after = Bytes("[Line]\r\nCount=9\r\n\r\n");
    enum Old { Removed, Renamed, Kept };
    const struct {
        DWORD error;
        Old old;
        bool folderTakesTheName;
        DWORD reported;  // ERROR_SUCCESS: saved in place
    } cases[] = {
        {ERROR_UNABLE_TO_MOVE_REPLACEMENT, Removed, false, ERROR_SUCCESS},
        {ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, Renamed, false, ERROR_SUCCESS},
        {ERROR_UNABLE_TO_REMOVE_REPLACED, Kept, false, ERROR_UNABLE_TO_REMOVE_REPLACED},
        {ERROR_UNABLE_TO_MOVE_REPLACEMENT, Removed, true, ERROR_UNABLE_TO_MOVE_REPLACEMENT},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.error << (c.folderTakesTheName ? " folder" : ""));
        WriteFile(ini, before);
        Win32FileSystem failing([&](const std::u16string& target, const std::u16string&) {
            if (c.old != Kept) {
                MoveFileW(Wide(target), Wide(root + u"\\renamed"));
                if (c.old == Removed) {
                    DeleteFileW(Wide(root + u"\\renamed"));
                }
            }
            if (c.folderTakesTheName) {
                CreateDirectoryW(Wide(target), nullptr);
            }
            return std::uint32_t{c.error};
        });
        EXPECT_EQ(FailureOf([&] { SettingsFile(failing, codec, messages, dataDir).SaveLineIndex(9); }),
                  c.reported == ERROR_SUCCESS ? u"(no failure)" : CreationText(c.reported));
        if (c.reported == ERROR_SUCCESS || c.old == Kept) {
            EXPECT_EQ(ReadFile(ini), c.old == Kept ? before : after);
        }
        // Every copy of the data in the folder: the new one is never lost, the
        // old one only where the system removed it, and no leftover besides.
        std::vector<std::vector<std::uint8_t>> held;
        for (const std::u16string& name : Names()) {
            held.push_back(ReadFile(root + u"\\" + name));
            DeleteFileW(Wide(root + u"\\" + name));
            RemoveDirectoryW(Wide(root + u"\\" + name));
        }
        EXPECT_EQ(std::count(held.begin(), held.end(), after), c.old == Kept ? 0 : 1);
        EXPECT_EQ(std::count(held.begin(), held.end(), before), c.old == Removed ? 0 : 1);
        EXPECT_EQ(held.size(), c.old == Renamed || c.folderTakesTheName ? 2u : 1u);
    }
}

// A data folder of 247 characters, the longest a folder may have without a
// long-path opt-in, holds Tovel.ini in 257: every copy the save writes beside
// it must fit the path limit too (Windows enforces it, Wine does not, so the
// replace step is asked what it was given).
TEST_F(Win32SettingsFileTest, TheCopyBesideTheFileInTheDeepestFolderFitsThePathLimit) {
    if (root.size() > 240) {
        GTEST_SKIP() << "the scratch folder is " << root.size() << " characters long already";
    }
    std::u16string deep = root;
    while (deep.size() < 247) {
        const std::size_t left = 247 - deep.size();
        // Each level a backslash and a name, none of them empty.
        std::size_t name = std::min<std::size_t>(left - 1, 60);
        if (left - 1 - name == 1) {
            --name;
        }
        deep += u"\\" + std::u16string(name, u'd');
        ASSERT_TRUE(CreateDirectoryW(Wide(deep), nullptr)) << GetLastError();
    }
    ASSERT_EQ(deep.size(), 247u);
    const std::u16string deepIni = deep + u"\\Tovel.ini";
    WriteFile(deepIni, Bytes("[Line]\r\nCount=4\r\n"));
    std::vector<std::u16string> replacements;
    Win32FileSystem recording([&](const std::u16string& target, const std::u16string& replacement) {
        replacements.push_back(replacement);
        return Win32FileSystem::SystemReplace(target, replacement);
    });
    SettingsFile settings(recording, codec, messages, deep + u"\\");
    for (const int index : {6, 7}) {
        EXPECT_EQ(FailureOf([&] { settings.SaveLineIndex(index); }), u"(no failure)");
        EXPECT_EQ(ReadFile(deepIni), Bytes("[Line]\r\nCount=" + std::to_string(index) + "\r\n\r\n"));
    }
    ASSERT_EQ(replacements.size(), 2u);
    for (const std::u16string& replacement : replacements) {
        EXPECT_LT(replacement.size(), std::size_t{MAX_PATH}) << Utf16ToUtf8(replacement);
        EXPECT_EQ(replacement.substr(0, deep.size() + 1), deep + u"\\");
    }
    EXPECT_EQ(NamesIn(deep), std::vector<std::u16string>{u"Tovel.ini"});
}

TEST_F(Win32SettingsFileTest, TheSystemNamesItsErrors) {
    EXPECT_FALSE(TrimSystemErrorText(messages.ErrorText(ERROR_ACCESS_DENIED)).empty());
    EXPECT_NE(messages.ErrorText(ERROR_ACCESS_DENIED), messages.ErrorText(ERROR_PATH_NOT_FOUND));
}

}  // namespace
}  // namespace tovel::win32
