#include "settings/varnel.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "platform/headless/headless_file_system.h"
#include "platform/headless/headless_system_version.h"

namespace tovel {
namespace {

using headless::FileCall;
using headless::FileOperation;
using headless::HeadlessFileSystem;
using headless::HeadlessSystemVersion;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Pair;

const std::u16string kRoaming = u"C:\\Users\\Mika\\AppData\\Roaming";
const std::u16string kMaker = kRoaming + u"\\Varnel Project";
const std::u16string kTovel = kMaker + u"\\Tovel";
const std::u16string kProgramData = u"C:\\ProgramData";

// Readable failure output for recorded calls.
std::string Narrow(const std::u16string& text) {
    std::string narrow;
    for (char16_t c : text) {
        narrow += c < 0x80 ? static_cast<char>(c) : '?';
    }
    return narrow;
}

}  // namespace

namespace headless {
void PrintTo(const FileCall& call, std::ostream* os) {
    *os << "{operation " << static_cast<int>(call.operation) << ", \"" << Narrow(call.path)
        << "\", csidl " << call.csidl << ", error " << call.error << "}";
}
}  // namespace headless

namespace {

class VarnelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        files.SetSpecialFolder(0x1A, kRoaming);
        files.SetSpecialFolder(0x23, kProgramData);
        files.AddFolder(kRoaming);
        files.AddFolder(kProgramData);
    }

    // Every directory creation that reached the system, with its error code.
    std::vector<std::pair<std::u16string, std::uint32_t>> Creations() const {
        std::vector<std::pair<std::u16string, std::uint32_t>> made;
        for (const FileCall& call : files.CallsOf(FileOperation::CreateFolder)) {
            made.emplace_back(call.path, call.error);
        }
        return made;
    }

    HeadlessFileSystem files;
    HeadlessSystemVersion version;
    Varnel varnel{files, version};
};

TEST_F(VarnelTest, ExistingFoldersAreKeptAndTheirPathEndsWithABackslash) {
    files.AddFolder(kTovel);

    EXPECT_TRUE(varnel.EnsureDataFolder(u"Tovel", false));

    EXPECT_THAT(Creations(), IsEmpty());
    EXPECT_EQ(varnel.UserDataDir(), kTovel + u"\\");
    EXPECT_EQ(varnel.CommonDataDir(), u"");
}

TEST_F(VarnelTest, FoldersSpeltInAnotherCaseCountAsExisting) {
    files.AddFolder(kRoaming + u"\\VARNEL PROJECT\\tovel");

    EXPECT_TRUE(varnel.EnsureDataFolder(u"Tovel", false));

    EXPECT_THAT(Creations(), IsEmpty());
}

TEST_F(VarnelTest, OnlyTheMissingProgramFolderIsCreated) {
    files.AddFolder(kMaker);

    EXPECT_TRUE(varnel.EnsureDataFolder(u"Tovel", false));

    EXPECT_THAT(Creations(), ElementsAre(Pair(kTovel, kErrorSuccess)));
    EXPECT_EQ(files.KindAt(kTovel), HeadlessFileSystem::Kind::Folder);
}

TEST_F(VarnelTest, BothFoldersAreCreatedOneLevelAtATimeFromTheTop) {
    EXPECT_TRUE(varnel.EnsureDataFolder(u"Tovel", false));

    EXPECT_THAT(Creations(), ElementsAre(Pair(kMaker, kErrorSuccess), Pair(kTovel, kErrorSuccess)));
    EXPECT_EQ(varnel.UserDataDir(), kTovel + u"\\");
}

TEST_F(VarnelTest, AMissingRootIsNotCreatedAndTheAnswerIsFalse) {
    files.Remove(kRoaming);

    EXPECT_FALSE(varnel.EnsureDataFolder(u"Tovel", false));

    EXPECT_THAT(Creations(),
                ElementsAre(Pair(kMaker, kErrorPathNotFound), Pair(kTovel, kErrorPathNotFound)));
    EXPECT_FALSE(files.KindAt(kRoaming).has_value());
}

TEST_F(VarnelTest, AFileInPlaceOfTheMakerFolderStopsTheProgram) {
    files.AddFile(kMaker, {0x41});

    EXPECT_FALSE(varnel.EnsureDataFolder(u"Tovel", false));

    EXPECT_THAT(Creations(),
                ElementsAre(Pair(kMaker, kErrorAlreadyExists), Pair(kTovel, kErrorPathNotFound)));
    ASSERT_NE(files.ContentsOf(kMaker), nullptr);
    EXPECT_THAT(*files.ContentsOf(kMaker), ElementsAre(0x41));
}

TEST_F(VarnelTest, AJunctionToAnExistingFolderIsFollowed) {
    files.AddFolder(u"C:\\Shared\\Varnel");
    files.AddJunction(kMaker, u"C:\\Shared\\Varnel");

    EXPECT_TRUE(varnel.EnsureDataFolder(u"Tovel", false));

    // The program folder lands behind the junction, not beside it.
    EXPECT_THAT(Creations(), ElementsAre(Pair(kTovel, kErrorSuccess)));
    EXPECT_EQ(files.KindAt(u"C:\\Shared\\Varnel\\Tovel"), HeadlessFileSystem::Kind::Folder);
    EXPECT_EQ(files.KindAt(kMaker), HeadlessFileSystem::Kind::Junction);
}

TEST_F(VarnelTest, AJunctionToNowhereCountsAsMissingAndCannotBeBuiltOver) {
    files.AddJunction(kMaker, u"C:\\Gone\\Varnel");

    EXPECT_FALSE(varnel.EnsureDataFolder(u"Tovel", false));

    EXPECT_THAT(Creations(),
                ElementsAre(Pair(kMaker, kErrorAlreadyExists), Pair(kTovel, kErrorPathNotFound)));
    EXPECT_THAT(
        files.CallsOf(FileOperation::CanOpenThroughLinks),
        ElementsAre(FileCall{FileOperation::CanOpenThroughLinks, kMaker, 0, kErrorPathNotFound}));
}

TEST_F(VarnelTest, AFailedLookupOfTheRootCreatesNothingAndAnswersFalse) {
    files.ClearSpecialFolder(0x1A);

    EXPECT_FALSE(varnel.EnsureDataFolder(u"Tovel", false));

    EXPECT_THAT(files.Calls(), ElementsAre(FileCall{FileOperation::LookUpSpecialFolder, u"", 0x1A,
                                                    kErrorFileNotFound}));
    EXPECT_EQ(varnel.UserDataDir(), u"");
}

TEST_F(VarnelTest, AnEmptyRootIsNoPlaceForTheFolder) {
    // An empty root would make "\Varnel Project" below the current drive's root.
    files.SetSpecialFolder(0x1A, u"");

    EXPECT_FALSE(varnel.EnsureDataFolder(u"Tovel", false));

    EXPECT_THAT(files.CallsOf(FileOperation::ReadAttributes), IsEmpty());
    EXPECT_THAT(Creations(), IsEmpty());
    EXPECT_EQ(varnel.UserDataDir(), u"");
}

TEST_F(VarnelTest, TheAllUsersChoiceUsesTheCommonRootAndFillsOnlyCommonDataDir) {
    EXPECT_TRUE(varnel.EnsureDataFolder(u"Tovel", true));

    EXPECT_EQ(varnel.CommonDataDir(), kProgramData + u"\\Varnel Project\\Tovel\\");
    EXPECT_EQ(varnel.UserDataDir(), u"");
    const std::vector<FileCall> lookups = files.CallsOf(FileOperation::LookUpSpecialFolder);
    ASSERT_EQ(lookups.size(), 1u);
    EXPECT_EQ(lookups[0].csidl, 0x23);
    EXPECT_FALSE(files.KindAt(kMaker).has_value());
}

// The attribute read of the maker folder fails with a given error, whatever is on disk.
class VarnelReadErrorTest : public VarnelTest,
                            public ::testing::WithParamInterface<std::uint32_t> {};

using VarnelMissingErrorTest = VarnelReadErrorTest;

TEST_P(VarnelMissingErrorTest, CountsAsMissingSoCreationIsTried) {
    files.AddFolder(kMaker);
    files.Fail(FileOperation::ReadAttributes, kMaker, GetParam());

    EXPECT_FALSE(FolderExists(files, kMaker));
    EXPECT_TRUE(varnel.EnsureDataFolder(u"Tovel", false));

    EXPECT_THAT(Creations(),
                ElementsAre(Pair(kMaker, kErrorAlreadyExists), Pair(kTovel, kErrorSuccess)));
}

INSTANTIATE_TEST_SUITE_P(NotThereOrNotAPath, VarnelMissingErrorTest,
                         ::testing::Values(2u, 3u, 21u, 53u, 67u, 123u, 161u));

using VarnelInaccessibleErrorTest = VarnelReadErrorTest;

TEST_P(VarnelInaccessibleErrorTest, CountsAsExistingSoNothingIsCreatedThere) {
    // Neither folder is really there; only the failed reads vouch for them.
    files.Fail(FileOperation::ReadAttributes, kMaker, GetParam());
    files.Fail(FileOperation::ReadAttributes, kTovel + u"\\", GetParam());

    EXPECT_TRUE(FolderExists(files, kMaker));
    EXPECT_TRUE(varnel.EnsureDataFolder(u"Tovel", false));

    EXPECT_THAT(Creations(), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(ThereButNotReadable, VarnelInaccessibleErrorTest,
                         ::testing::Values(5u /* access denied */, 32u /* sharing violation */,
                                           1u /* invalid function */));

TEST_F(VarnelTest, TheFolderTestJudgesTheKindOfWhatIsThere) {
    files.AddFolder(kTovel);
    files.AddFile(kRoaming + u"\\notes.txt");
    files.AddFolder(u"C:\\Shared");
    files.AddJunction(u"C:\\Link", u"C:\\Shared");

    EXPECT_TRUE(FolderExists(files, kTovel));
    EXPECT_TRUE(FolderExists(files, kTovel + u"\\"));
    EXPECT_TRUE(FolderExists(files, u"C:\\"));
    EXPECT_FALSE(FolderExists(files, kRoaming + u"\\notes.txt"));
    EXPECT_FALSE(FolderExists(files, kRoaming + u"\\notes.txt\\"));
    EXPECT_FALSE(FolderExists(files, kRoaming + u"\\absent"));
    EXPECT_FALSE(FolderExists(files, u"Q:\\Elsewhere"));
    EXPECT_TRUE(FolderExists(files, u"C:\\Link\\"));

    // A link whose target cannot be opened is not trusted as a folder.
    files.Fail(FileOperation::CanOpenThroughLinks, u"C:\\Link", kErrorSharingViolation);
    EXPECT_FALSE(FolderExists(files, u"C:\\Link"));
}

TEST_F(VarnelTest, SpecialFoldersAreAskedForByTheirFixedCsidl) {
    const std::pair<SpecialFolderKind, std::int32_t> table[] = {
        {SpecialFolderKind::sfDocuments, 0x05},    {SpecialFolderKind::sfAppData, 0x1A},
        {SpecialFolderKind::sfLocalAppData, 0x1C}, {SpecialFolderKind::sfCommonAppData, 0x23},
        {SpecialFolderKind::sfPictures, 0x27},     {SpecialFolderKind::sfCommonDocuments, 0x2E},
    };
    for (const auto& [kind, csidl] : table) {
        const std::u16string path = u"C:\\Folder" + std::u16string(1, char16_t(u'A' + csidl % 26));
        files.SetSpecialFolder(csidl, path);
        files.ClearCalls();

        EXPECT_EQ(varnel.GetSpecialFolderPath(kind), path) << "CSIDL " << csidl;
        ASSERT_EQ(files.Calls().size(), 1u);
        EXPECT_EQ(files.Calls()[0].csidl, csidl);
    }

    files.ClearSpecialFolder(0x1C);
    EXPECT_EQ(varnel.GetSpecialFolderPath(SpecialFolderKind::sfLocalAppData), std::nullopt);
}

TEST(VarnelVersionTest, OnlyMajorVersionTenIsWindowsTen) {
    HeadlessFileSystem files;
    HeadlessSystemVersion version;
    Varnel varnel{files, version};

    version.SetMajorVersion(10);
    EXPECT_TRUE(varnel.IsWindows10());
    version.SetMajorVersion(6);  // 8.1 and earlier, or 10 without the manifest entry
    EXPECT_FALSE(varnel.IsWindows10());
    version.SetMajorVersion(std::nullopt);  // the version read failed
    EXPECT_FALSE(varnel.IsWindows10());
    EXPECT_EQ(version.Reads(), 3);
}

}  // namespace
}  // namespace tovel
