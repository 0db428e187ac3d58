#pragma once

#include <cstdint>
#include <optional>
#include <string>

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
inline constexpr std::uint32_t kErrorInvalidName = 123;           // ERROR_INVALID_NAME
inline constexpr std::uint32_t kErrorBadPathName = 161;           // ERROR_BAD_PATHNAME
inline constexpr std::uint32_t kErrorAlreadyExists = 183;         // ERROR_ALREADY_EXISTS
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
};

}  // namespace tovel
