#include "settings/varnel.h"

#include <algorithm>
#include <array>

namespace tovel {
namespace {

// The maker's folder, between the application-data root and each program's folder.
constexpr char16_t kMakerFolder[] = u"\\Varnel Project";

// Errors of an attribute read that mean "nothing is there" rather than "something
// is there that cannot be looked at".
constexpr std::array<std::uint32_t, 7> kMissingErrors = {
    kErrorFileNotFound, kErrorPathNotFound, kErrorNotReady,    kErrorBadNetPath,
    kErrorBadNetName,   kErrorInvalidName,  kErrorBadPathName,
};

bool IsDirectory(std::uint32_t attributes) {
    return (attributes & kFileAttributeDirectory) != 0;
}

void CreateIfMissing(FileSystem& files, const std::u16string& dir) {
    // A failure here (the folder appeared meanwhile, or cannot be made) is judged
    // only by the final existence test.
    if (!FolderExists(files, dir)) {
        files.CreateFolder(dir);
    }
}

}  // namespace

std::int32_t CsidlOf(SpecialFolderKind kind) {
    switch (kind) {
        case SpecialFolderKind::sfDocuments:
            return kCsidlPersonal;
        case SpecialFolderKind::sfAppData:
            return kCsidlAppData;
        case SpecialFolderKind::sfLocalAppData:
            return kCsidlLocalAppData;
        case SpecialFolderKind::sfCommonAppData:
            return kCsidlCommonAppData;
        case SpecialFolderKind::sfPictures:
            return kCsidlMyPictures;
        case SpecialFolderKind::sfCommonDocuments:
            return kCsidlCommonDocuments;
    }
    return kCsidlAppData;  // unreachable for the enumeration's values
}

bool FolderExists(FileSystem& files, const std::u16string& path) {
    const AttributeRead read = files.ReadAttributes(path);
    if (!read.attributes) {
        return std::find(kMissingErrors.begin(), kMissingErrors.end(), read.error) ==
               kMissingErrors.end();
    }
    const std::uint32_t attributes = *read.attributes;
    if ((attributes & kFileAttributeReparsePoint) == 0) {
        return IsDirectory(attributes);
    }
    // A junction keeps its directory bit even when its target is gone; only
    // following it tells whether anything is behind it.
    if (!files.CanOpenThroughLinks(path)) {
        return false;
    }
    return IsDirectory(attributes);
}

std::optional<std::u16string> Varnel::GetSpecialFolderPath(SpecialFolderKind kind) {
    return FFiles.LookUpSpecialFolder(CsidlOf(kind));
}

bool Varnel::EnsureDataFolder(const std::u16string& name, bool allUsers) {
    const std::optional<std::u16string> root = GetSpecialFolderPath(
        allUsers ? SpecialFolderKind::sfCommonAppData : SpecialFolderKind::sfAppData);
    // Without a root there is no place for the folder. An empty root would turn the
    // path into one below the current drive's root, so it is no place either.
    if (!root || root->empty()) {
        return false;
    }

    std::u16string dir = *root + kMakerFolder;
    CreateIfMissing(FFiles, dir);
    dir += u'\\';
    dir += name;
    CreateIfMissing(FFiles, dir);
    dir += u'\\';

    std::u16string& stored = allUsers ? FCommonDataDir : FUserDataDir;
    stored = dir;
    return FolderExists(FFiles, stored);
}

bool Varnel::IsWindows10() {
    const std::optional<std::uint32_t> major = FVersion.MajorVersion();
    return major && *major == 10;
}

}  // namespace tovel
