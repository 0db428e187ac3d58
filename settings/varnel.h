#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/file_system.h"
#include "platform/system_version.h"

namespace tovel {

// The shell folders the program can name, in the order of their fixed CSIDL table.
enum class SpecialFolderKind {
    sfDocuments,        // the user's documents
    sfAppData,          // the user's roaming application data
    sfLocalAppData,     // the user's local application data
    sfCommonAppData,    // application data shared by all users
    sfPictures,         // the user's pictures
    sfCommonDocuments,  // documents shared by all users
};

// The CSIDL the shell knows the folder by.
std::int32_t CsidlOf(SpecialFolderKind kind);

// Whether the path names an existing folder; a trailing backslash is allowed.
// A failed attribute read counts as missing only for the errors that say the path
// is not there or cannot be a path; any other failure (access denied, sharing
// violation) counts as existing, so a folder that cannot be inspected does not stop
// the program. A link counts as a folder only if it can be followed.
bool FolderExists(FileSystem& files, const std::u16string& path);

// The program's place on disk and its one fact about the system:
// <application data>\Varnel Project\<name>\ and whether this is Windows 10 or later.
class Varnel {
  public:
    Varnel(FileSystem& files, SystemVersion& version) : FFiles(files), FVersion(version) {}

    // The folder's full path without a trailing backslash; nothing when the shell
    // cannot name it.
    std::optional<std::u16string> GetSpecialFolderPath(SpecialFolderKind kind);

    // Makes <root>\Varnel Project\<name> one level at a time, where root is the
    // all-users or the per-user application data, and remembers it with a trailing
    // backslash in CommonDataDir or UserDataDir. Answers whether the folder exists.
    bool EnsureDataFolder(const std::u16string& name, bool allUsers);

    // Empty until EnsureDataFolder has set them.
    const std::u16string& UserDataDir() const { return FUserDataDir; }
    const std::u16string& CommonDataDir() const { return FCommonDataDir; }

    // Windows 10 and 11 both report major version 10.
    bool IsWindows10();

  private:
    FileSystem& FFiles;
    SystemVersion& FVersion;
    std::u16string FUserDataDir;
    std::u16string FCommonDataDir;
};

}  // namespace tovel
