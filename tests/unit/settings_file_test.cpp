#include "settings/settings_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework/exception.h"
#include "framework/text.h"
#include "platform/file_replacement.h"
#include "platform/headless/headless_file_system.h"
#include "platform/headless/headless_system_messages.h"
#include "platform/headless/headless_text_codec.h"

namespace tovel {
namespace {

using headless::FileOperation;
using headless::HeadlessFileSystem;
using headless::HeadlessSystemMessages;
using headless::HeadlessTextCodec;

const std::u16string kDataDir = u"C:\\Users\\Mika\\AppData\\Roaming\\Varnel Project\\Tovel\\";
const std::u16string kIni = kDataDir + u"Tovel.ini";

std::vector<std::uint8_t> Bytes(std::string_view text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

class SettingsFileTest : public ::testing::Test {
  protected:
    void SetUp() override { files.AddFolder(kDataDir); }

    // The failure's message, or a note that nothing failed.
    template <typename Action>
    std::u16string FailureOf(Action action) {
        try {
            action();
        } catch (const Exception& failure) {
            return failure.Message();
        }
        return u"(no failure)";
    }

    std::vector<std::uint8_t> Ini() const {
        const auto* contents = files.ContentsOf(kIni);
        return contents ? *contents : std::vector<std::uint8_t>{};
    }

    HeadlessFileSystem files;
    HeadlessTextCodec codec{kCodePageWindowsLatin1};
    HeadlessSystemMessages messages;
    SettingsFile settings{files, codec, messages, kDataDir};
};

TEST_F(SettingsFileTest, WithoutAFileTheDefaultIsReadAndNothingIsCreated) {
    EXPECT_EQ(settings.Path(), kIni);
    EXPECT_EQ(settings.ReadLineIndex(), 2);
    EXPECT_FALSE(files.KindAt(kIni).has_value());
    EXPECT_TRUE(files.CallsOf(FileOperation::ReplaceWholeFile).empty());
}

TEST_F(SettingsFileTest, ReadsTheStoredIndexAsItIs) {
    files.AddFile(kIni, Bytes("[Other]\r\nCount=1\r\n[line]\r\ncount = 0x2A\r\n"));
    EXPECT_EQ(settings.ReadLineIndex(), 42);
    files.Remove(kIni);
    files.AddFile(kIni, Bytes("[Line]\r\nCount=-7\r\n"));
    EXPECT_EQ(settings.ReadLineIndex(), -7);
    EXPECT_TRUE(files.CallsOf(FileOperation::ReplaceWholeFile).empty());
}

TEST_F(SettingsFileTest, AFolderInPlaceOfTheFileReadsAsNoFile) {
    files.AddFolder(kIni);
    EXPECT_EQ(settings.ReadLineIndex(), 2);
}

TEST_F(SettingsFileTest, FirstSaveWritesTheWholeNewFileAtOnce) {
    settings.SaveLineIndex(2);
    const std::vector<std::uint8_t> expected = {0x5B, 0x4C, 0x69, 0x6E, 0x65, 0x5D, 0x0D,
                                                0x0A, 0x43, 0x6F, 0x75, 0x6E, 0x74, 0x3D,
                                                0x32, 0x0D, 0x0A, 0x0D, 0x0A};
    EXPECT_EQ(Ini(), expected);
    const auto writes = files.CallsOf(FileOperation::ReplaceWholeFile);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].path, kIni);
    EXPECT_EQ(writes[0].contents, expected);
    EXPECT_EQ(settings.ReadLineIndex(), 2);
}

TEST_F(SettingsFileTest, NoSelectionIsStoredAsMinusOne) {
    settings.SaveLineIndex(-1);
    EXPECT_EQ(Ini(), Bytes("[Line]\r\nCount=-1\r\n\r\n"));
    EXPECT_EQ(settings.ReadLineIndex(), -1);
}

TEST_F(SettingsFileTest, SaveKeepsOtherContentAndDropsOnlyCommentsAndBlanks) {
    files.AddFile(kIni, Bytes("; written by hand\r\n[Window]\r\nLeft = 10\r\n\r\nPinned\r\n"
                              "[Line]\r\nCount=4\r\n[Line]\r\nCount=7\r\nNote=x\r\n"));
    EXPECT_EQ(settings.ReadLineIndex(), 7);
    settings.SaveLineIndex(11);
    EXPECT_EQ(Ini(), Bytes("[Window]\r\nLeft=10\r\nPinned\r\n\r\n"
                           "[Line]\r\nCount=4\r\nCount=11\r\nNote=x\r\n\r\n"));
    EXPECT_EQ(settings.ReadLineIndex(), 11);
}

TEST_F(SettingsFileTest, EverySaveRewritesTheFileEvenWhenNothingChanged) {
    settings.SaveLineIndex(5);
    settings.SaveLineIndex(5);
    EXPECT_EQ(files.CallsOf(FileOperation::ReplaceWholeFile).size(), 2u);
    EXPECT_EQ(Ini(), Bytes("[Line]\r\nCount=5\r\n\r\n"));
}

TEST_F(SettingsFileTest, AUtf16FileStaysUtf16) {
    files.AddFile(kIni, {0xFF, 0xFE, '[', 0, 'L', 0, 'i', 0, 'n', 0, 'e', 0, ']', 0, '\n', 0});
    settings.SaveLineIndex(3);
    std::vector<std::uint8_t> expected = {0xFF, 0xFE};
    for (char c : std::string_view("[Line]\r\nCount=3\r\n\r\n")) {
        expected.push_back(static_cast<std::uint8_t>(c));
        expected.push_back(0);
    }
    EXPECT_EQ(Ini(), expected);
}

TEST_F(SettingsFileTest, ALinkStaysALinkAndItsTargetIsRewritten) {
    const std::u16string elsewhere = u"C:\\Sync\\Tovel.ini";
    files.AddFile(elsewhere, Bytes("[Line]\r\nCount=8\r\n"));
    files.AddJunction(kIni, elsewhere);
    EXPECT_EQ(settings.ReadLineIndex(), 8);
    settings.SaveLineIndex(9);
    EXPECT_EQ(files.KindAt(kIni), HeadlessFileSystem::Kind::Junction);
    EXPECT_EQ(*files.ContentsOf(elsewhere), Bytes("[Line]\r\nCount=9\r\n\r\n"));
}

TEST_F(SettingsFileTest, AFileThatCannotBeOpenedGivesTheOpeningTextAndIsLeftAlone) {
    const std::vector<std::uint8_t> original = Bytes("[Line]\r\nCount=6\r\n");
    files.AddFile(kIni, original);
    files.Fail(FileOperation::ReadWholeFile, kIni, kErrorSharingViolation);
    const std::u16string expected =
        u"ファイル " + kIni +
        u" は開けません。 プロセスはファイルにアクセスできません。別のプロセスが使用中です ";
    EXPECT_EQ(FailureOf([&] { settings.ReadLineIndex(); }), expected);
    // Saving must not replace a file it could not read.
    EXPECT_EQ(FailureOf([&] { settings.SaveLineIndex(1); }), expected);
    EXPECT_TRUE(files.CallsOf(FileOperation::ReplaceWholeFile).empty());
    EXPECT_EQ(Ini(), original);
    // The text ends in a blank, so the failure box adds no full stop.
    EXPECT_EQ(FailureBoxText(expected), expected);

    files.Fail(FileOperation::ReadWholeFile, kIni, kErrorAccessDenied);
    EXPECT_EQ(FailureOf([&] { settings.ReadLineIndex(); }),
              u"ファイル " + kIni + u" は開けません。 アクセスが拒否されました ");
}

TEST_F(SettingsFileTest, AFileThatCannotBeWrittenGivesTheCreationTextAndKeepsTheOldFile) {
    const std::u16string prefix = u"ファイル \"" + kIni + u"\" を作成できません。";

    files.AddFolder(kIni);  // a folder where the file belongs
    EXPECT_EQ(FailureOf([&] { settings.SaveLineIndex(1); }), prefix + u"アクセスが拒否されました");
    files.Remove(kIni);

    const std::vector<std::uint8_t> original = Bytes("[Line]\r\nCount=6\r\n[Keep]\r\nk=v\r\n");
    files.AddFile(kIni, original);
    files.Fail(FileOperation::ReplaceWholeFile, kIni, kErrorDiskFull);
    EXPECT_EQ(FailureOf([&] { settings.SaveLineIndex(1); }),
              prefix + u"ディスクに十分な空き領域がありません");
    EXPECT_EQ(Ini(), original);
    files.Fail(FileOperation::ReplaceWholeFile, kIni, kErrorSuccess);

    files.SetReadOnly(kIni, true);
    EXPECT_EQ(FailureOf([&] { settings.SaveLineIndex(1); }), prefix + u"アクセスが拒否されました");
    EXPECT_EQ(Ini(), original);
    EXPECT_EQ(settings.ReadLineIndex(), 6);

    files.Remove(kDataDir);  // the folder has gone
    EXPECT_EQ(FailureOf([&] { settings.SaveLineIndex(1); }),
              prefix + u"指定されたパスが見つかりません");
    // The failure box ends the sentence itself.
    EXPECT_EQ(FailureBoxText(prefix + u"x"), prefix + u"x.");
}

TEST(TrimSystemErrorText, RemovesOnlyTrailingBlanksControlsAndFullStops) {
    EXPECT_EQ(TrimSystemErrorText(u"アクセスが拒否されました。\r\n"), u"アクセスが拒否されました");
    EXPECT_EQ(TrimSystemErrorText(u"Access is denied. \r\n"), u"Access is denied");
    EXPECT_EQ(TrimSystemErrorText(u"Version 1.2 failed..\t"), u"Version 1.2 failed");
    EXPECT_EQ(TrimSystemErrorText(u"全角．｡ 。"), u"全角");
    EXPECT_EQ(TrimSystemErrorText(u"終わり!\r\n"), u"終わり!");
    EXPECT_EQ(TrimSystemErrorText(u" 。.\r\n"), u"");
}

// Only a replace that took the old file away from its name leaves the new copy
// to be moved there; after any other failure the old file is intact.
TEST(FailedReplace, OnlyAMissingOldFileMovesTheNewCopyIntoPlace) {
    const struct {
        std::uint32_t error;
        FailedReplaceAction action;
    } cases[] = {
        {kErrorUnableToRemoveReplaced, FailedReplaceAction::DiscardNewCopy},
        {kErrorUnableToMoveReplacement, FailedReplaceAction::MoveNewCopyIntoPlace},
        {kErrorUnableToMoveReplacement2, FailedReplaceAction::MoveNewCopyIntoPlace},
        {kErrorSharingViolation, FailedReplaceAction::DiscardNewCopy},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AfterFailedReplace(c.error), c.action) << c.error;
    }
}

}  // namespace
}  // namespace tovel
