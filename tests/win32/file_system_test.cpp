#include "platform/win32/win32_file_system.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "selftest/machine.h"

#include <string>

namespace tovel::win32 {
namespace {

const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

// A fresh folder under the temporary folder, emptied and removed afterwards.
class Win32FileSystemTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // Inside the run's own folder under %TEMP%, which the run removes.
        root = selftest::ScratchFolder() + u"\\fs";
        ASSERT_TRUE(CreateDirectoryW(Wide(root), nullptr)) << GetLastError();
    }

    void TearDown() override {
        DeleteFileW(Wide(root + u"\\note.txt"));
        RemoveDirectoryW(Wide(root + u"\\made"));
        RemoveDirectoryW(Wide(root));
    }

    void MakeFile(const std::u16string& path) {
        const HANDLE file = CreateFileW(Wide(path), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << GetLastError();
        CloseHandle(file);
    }

    Win32FileSystem files;
    std::u16string root;
};

TEST_F(Win32FileSystemTest, AFolderReadsAsADirectoryWithOrWithoutTrailingBackslash) {
    for (const std::u16string& path : {root, root + u"\\"}) {
        const AttributeRead read = files.ReadAttributes(path);
        ASSERT_TRUE(read.attributes.has_value()) << "error " << read.error;
        EXPECT_NE(*read.attributes & kFileAttributeDirectory, 0u);
        EXPECT_EQ(*read.attributes & kFileAttributeReparsePoint, 0u);
        EXPECT_TRUE(files.CanOpenThroughLinks(path));
    }
}

TEST_F(Win32FileSystemTest, AFileInPlaceOfAFolderIsNoDirectoryAndBlocksCreation) {
    const std::u16string file = root + u"\\note.txt";
    MakeFile(file);

    const AttributeRead read = files.ReadAttributes(file);
    ASSERT_TRUE(read.attributes.has_value()) << "error " << read.error;
    EXPECT_EQ(*read.attributes & kFileAttributeDirectory, 0u);
    EXPECT_EQ(files.CreateFolder(file), kErrorAlreadyExists);
    EXPECT_NE(files.CreateFolder(file + u"\\below"), kErrorSuccess);
}

TEST_F(Win32FileSystemTest, MissingPathsReportNotFoundCodes) {
    EXPECT_EQ(files.ReadAttributes(root + u"\\absent").error, kErrorFileNotFound);
    EXPECT_EQ(files.ReadAttributes(root + u"\\absent\\deeper").error, kErrorPathNotFound);
    EXPECT_FALSE(files.ReadAttributes(root + u"\\absent").attributes.has_value());
    EXPECT_FALSE(files.CanOpenThroughLinks(root + u"\\absent"));
}

TEST_F(Win32FileSystemTest, CreatingMakesOneLevelOnly) {
    EXPECT_EQ(files.CreateFolder(root + u"\\made"), kErrorSuccess);
    EXPECT_EQ(files.CreateFolder(root + u"\\made"), kErrorAlreadyExists);
    EXPECT_EQ(files.CreateFolder(root + u"\\absent\\deeper"), kErrorPathNotFound);

    const AttributeRead read = files.ReadAttributes(root + u"\\made");
    ASSERT_TRUE(read.attributes.has_value());
    EXPECT_NE(*read.attributes & kFileAttributeDirectory, 0u);
}

TEST_F(Win32FileSystemTest, TheApplicationDataLookupNamesAnExistingFolder) {
    const std::optional<std::u16string> appData = files.LookUpSpecialFolder(kCsidlAppData);
    ASSERT_TRUE(appData.has_value());
    ASSERT_FALSE(appData->empty());
    EXPECT_NE(appData->back(), u'\\');
    EXPECT_EQ(appData->find(u'\0'), std::u16string::npos);

    const AttributeRead read = files.ReadAttributes(*appData);
    ASSERT_TRUE(read.attributes.has_value()) << "error " << read.error;
    EXPECT_NE(*read.attributes & kFileAttributeDirectory, 0u);
}

TEST_F(Win32FileSystemTest, AnUnknownSpecialFolderAnswersNoPath) {
    EXPECT_FALSE(files.LookUpSpecialFolder(0xFF).has_value());
}

}  // namespace
}  // namespace tovel::win32
