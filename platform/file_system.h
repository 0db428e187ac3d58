#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tovel {

// System values the file and folder concern works with, by their documented numbers.
// The names differ from the Win32 macros on purpose: a macro of the same name would
// rewrite these declarations wherever <windows.h> comes first.

// File attribute bits (FILE_ATTRIBUTE_*).
inline constexpr std::uint32_t kFileAttributeDirectory = 0x10;      // FILE_ATTRIBUTE_DIRECTORY
inline constexpr std::uint32_t kFileAttributeArchive = 0x20;        // FILE_ATTRIBUTE_ARCHIVE
inline constexpr std::uint32_t kFileAttributeReparsePoint = 0x400;  // FILE_ATTRIBUTE_REPARSE_POINT

// System error codes (ERROR_*), as GetLastError reports them.
inline constexpr std::uint32_t kErrorSuccess = 0;                 // ERROR_SUCCESS
inline constexpr std::uint32_t kErrorFileNotFound = 2;            // ERROR_FILE_NOT_FOUND
inline constexpr std::uint32_t kErrorPathNotFound = 3;            // ERROR_PATH_NOT_FOUND
inline constexpr std::uint32_t kErrorAccessDenied = 5;            // ERROR_ACCESS_DENIED
inline constexpr std::uint32_t kErrorNotReady = 21;               // ERROR_NOT_READY
inline constexpr std::uint32_t kErrorSharingViolation = 32;       // ERROR_SHARING_VIOLATION
inline constexpr std::uint32_t kErrorBadNetPath = 53;             // ERROR_BAD_NETPATH
inline constexpr std::uint32_t kErrorBadNetName = 67;             // ERROR_BAD_NET_NAME
inline constexpr std::uint32_t kErrorDiskFull = 112;              // ERROR_DISK_FULL
inline constexpr std::uint32_t kErrorInvalidName = 123;           // ERROR_INVALID_NAME
inline constexpr std::uint32_t kErrorBadPathName = 161;           // ERROR_BAD_PATHNAME
inline constexpr std::uint32_t kErrorAlreadyExists = 183;         // ERROR_ALREADY_EXISTS
inline constexpr std::uint32_t kErrorUnableToRemoveReplaced = 1175;    // ERROR_UNABLE_TO_REMOVE_REPLACED
inline constexpr std::uint32_t kErrorUnableToMoveReplacement = 1176;   // ERROR_UNABLE_TO_MOVE_REPLACEMENT
inline constexpr std::uint32_t kErrorUnableToMoveReplacement2 = 1177;  // ERROR_UNABLE_TO_MOVE_REPLACEMENT_2
inline constexpr std::uint32_t kErrorCantResolveFilename = 1921;  // ERROR_CANT_RESOLVE_FILENAME

// Shell special folders (CSIDL_*), always passed without CSIDL_FLAG_CREATE.
inline constexpr std::int32_t kCsidlPersonal = 0x05;         // CSIDL_PERSONAL
inline constexpr std::int32_t kCsidlAppData = 0x1A;          // CSIDL_APPDATA
inline constexpr std::int32_t kCsidlLocalAppData = 0x1C;     // CSIDL_LOCAL_APPDATA
inline constexpr std::int32_t kCsidlCommonAppData = 0x23;    // CSIDL_COMMON_APPDATA
inline constexpr std::int32_t kCsidlMyPictures = 0x27;       // CSIDL_MYPICTURES
inline constexpr std::int32_t kCsidlCommonDocuments = 0x2E;  // CSIDL_COMMON_DOCUMENTS

// The outcome of reading a path's attributes: the attribute bits, or the system
// error code that stopped the read.
struct AttributeRead {
    std::optional<std::uint32_t> attributes;
    std::uint32_t error = kErrorSuccess;

    static AttributeRead Found(std::uint32_t bits) { return {bits, kErrorSuccess}; }
    static AttributeRead Failed(std::uint32_t code) { return {std::nullopt, code}; }
};

// The outcome of reading a whole file: its bytes, the news that there is no file to
// read, or the system error code that stopped the read.
struct FileRead {
    enum class Outcome { Read, Missing, Failed };

    Outcome outcome = Outcome::Missing;
    std::vector<std::uint8_t> contents;   // only for Read
    std::uint32_t error = kErrorSuccess;  // only for Failed

    static FileRead Of(std::vector<std::uint8_t> bytes) {
        return {Outcome::Read, std::move(bytes), kErrorSuccess};
    }
    static FileRead Absent() { return {Outcome::Missing, {}, kErrorSuccess}; }
    static FileRead Failed(std::uint32_t code) { return {Outcome::Failed, {}, code}; }
};

// Files and folders as the program sees them. Paths are full Windows paths
// (drive letter, backslashes) in UTF-16.
class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // The current location of a shell special folder, without creating it;
    // nothing when the shell cannot name it.
    virtual std::optional<std::u16string> LookUpSpecialFolder(std::int32_t csidl) = 0;

    // The path's own attributes; a link is not followed.
    virtual AttributeRead ReadAttributes(const std::u16string& path) = 0;

    // Creates one directory (its parent must exist); kErrorSuccess or the system error code.
    virtual std::uint32_t CreateFolder(const std::u16string& path) = 0;

    // Opens the path for reading, following links, the way a folder can be opened
    // (backup semantics, others may read), and closes it again at once.
    // Answers whether the open succeeded.
    virtual bool CanOpenThroughLinks(const std::u16string& path) = 0;

    // Reads the whole file at path, following links, while other programs may read it
    // but not write it. A path that names no file (nothing there, a missing folder on
    // the way, a link to nothing, or a folder) answers Missing; a file that is there
    // but cannot be opened or read answers Failed with the system error code.
    virtual FileRead ReadWholeFile(const std::u16string& path) = 0;

    // Makes contents the whole content of the file at path, all or nothing: the bytes
    // go to a new file beside the target, which then takes the target's place, so a
    // failure at any point leaves the old file as it was. The one exception is the
    // system's replace taking the old file away and then failing: the new file is
    // then moved to the name, and if that fails as well it stays beside it under its
    // own name, so the data is never lost with the error. A link at path stays a link:
    // the file it points to is replaced. kErrorSuccess or the system error code; a
    // folder at path or a read-only file there is refused (access denied).
    virtual std::uint32_t ReplaceWholeFile(const std::u16string& path,
                                           const std::vector<std::uint8_t>& contents) = 0;
};

}  // namespace tovel
