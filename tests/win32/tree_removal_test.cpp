// Removing a folder with everything below it, as the self-test removes its
// scratch folder: read-only files and nested folders go, and a link inside
// goes without what it points to.
#include "platform/win32/win32_tree_removal.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "framework/text.h"
#include "platform/win32/win32_text.h"
#include "selftest/machine.h"

namespace tovel::win32 {
namespace {

bool Exists(const std::u16string& path) {
    return GetFileAttributesW(Wide(path)) != INVALID_FILE_ATTRIBUTES;
}

void MakeFile(const std::u16string& path, DWORD attributes) {
    const HANDLE file = CreateFileW(Wide(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    attributes, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << GetLastError();
    CloseHandle(file);
}

TEST(Win32TreeRemoval, RemovesNestedFoldersAndReadOnlyFilesButNotALinksTarget) {
    const std::u16string root = selftest::ScratchFolder() + u"\\tree";
    const std::u16string kept = selftest::ScratchFolder() + u"\\kept";
    ASSERT_TRUE(CreateDirectoryW(Wide(root), nullptr));
    ASSERT_TRUE(CreateDirectoryW(Wide(root + u"\\a"), nullptr));
    ASSERT_TRUE(CreateDirectoryW(Wide(root + u"\\a\\b"), nullptr));
    ASSERT_TRUE(CreateDirectoryW(Wide(kept), nullptr));
    MakeFile(root + u"\\a\\b\\read-only.txt", FILE_ATTRIBUTE_READONLY);
    MakeFile(root + u"\\top.txt", FILE_ATTRIBUTE_HIDDEN);
    MakeFile(kept + u"\\target.txt", FILE_ATTRIBUTE_NORMAL);
    // Windows makes symbolic links without a privilege only in developer
    // mode; without one the link part of the check is left out.
    const bool linked =
        CreateSymbolicLinkW(Wide(root + u"\\link"), Wide(kept),
                            SYMBOLIC_LINK_FLAG_DIRECTORY |
                                SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) != FALSE;

    EXPECT_TRUE(RemoveTree(root));
    EXPECT_FALSE(Exists(root));
    if (linked) {
        EXPECT_TRUE(Exists(kept + u"\\target.txt")) << "the link's target went with it";
    }
    EXPECT_TRUE(RemoveTree(kept));
    EXPECT_TRUE(RemoveTree(root)) << "a folder that is not there is gone";
}

}  // namespace
}  // namespace tovel::win32
