#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace tovel::headless {

// The file operations a test can inspect or make fail.
enum class FileOperation {
    LookUpSpecialFolder,
    ReadAttributes,
    CreateFolder,
    CanOpenThroughLinks,
    ReadWholeFile,
    ReplaceWholeFile,
};

// One call that reached the file system, with what it answered.
struct FileCall {
    FileOperation operation;
    std::u16string path;                      // as the caller passed it; empty for a folder lookup
    std::int32_t csidl = 0;                   // the folder lookup's CSIDL
    std::uint32_t error = 0;                  // kErrorSuccess, or the error the call reported
    std::vector<std::uint8_t> contents = {};  // what a whole-file write delivered
    bool operator==(const FileCall&) const = default;
};

// An in-memory Windows file tree: drives, folders, files and junctions, with
// case-insensitive names and backslash paths. Set-up calls (Add..., Set..., Fail...)
// are not recorded; every FileSystem call is.
class HeadlessFileSystem final : public FileSystem {
  public:
    enum class Kind { Folder, File, Junction };

    // Starts with the empty drive C:.
    HeadlessFileSystem();

    // Set-up. Paths are full ("C:\\a\\b"); missing parent folders are made as well.
    // A clash with an existing entry of another kind is a test error (std::logic_error).
    void AddDrive(const std::u16string& drive);  // "D:"
    void AddFolder(const std::u16string& path);
    void AddFile(const std::u16string& path, std::vector<std::uint8_t> contents = {});
    // A junction at path pointing to target, which need not exist.
    void AddJunction(const std::u16string& path, const std::u16string& target);
    void Remove(const std::u16string& path);  // the entry and everything below it
    // A read-only file refuses to be replaced (access denied), as the system's does.
    void SetReadOnly(const std::u16string& path, bool readOnly);

    // Special folders answer only once set; an unset CSIDL fails to look up.
    void SetSpecialFolder(std::int32_t csidl, const std::u16string& path);
    void ClearSpecialFolder(std::int32_t csidl);

    // From now on, calls of operation on exactly this path (case-insensitive, a trailing
    // backslash ignored, no links followed) fail with error before the tree is looked
    // at; kErrorSuccess lifts the failure again.
    void Fail(FileOperation operation, const std::u16string& path, std::uint32_t error);

    // Inspection, without following a final junction; nothing when absent.
    std::optional<Kind> KindAt(const std::u16string& path) const;
    const std::vector<std::uint8_t>* ContentsOf(const std::u16string& path) const;

    const std::vector<FileCall>& Calls() const { return calls_; }
    std::vector<FileCall> CallsOf(FileOperation operation) const;
    void ClearCalls() { calls_.clear(); }

    std::optional<std::u16string> LookUpSpecialFolder(std::int32_t csidl) override;
    AttributeRead ReadAttributes(const std::u16string& path) override;
    std::uint32_t CreateFolder(const std::u16string& path) override;
    bool CanOpenThroughLinks(const std::u16string& path) override;
    FileRead ReadWholeFile(const std::u16string& path) override;
    std::uint32_t ReplaceWholeFile(const std::u16string& path,
                                   const std::vector<std::uint8_t>& contents) override;

  private:
    struct Entry {
        Kind kind = Kind::Folder;
        std::u16string name;    // as first spelt, for listings
        std::u16string target;  // a junction's target, full path
        std::vector<std::uint8_t> contents;
        bool readOnly = false;
    };

    // Where a path leads: the entry it names, or the error on the way. When only the
    // final name is absent, parentExists is set and key is where it would be made.
    struct Resolved {
        std::uint32_t error = kErrorSuccess;
        std::u16string key;            // upper-cased full path, links resolved
        std::u16string finalName;      // the final component as spelt
        const Entry* entry = nullptr;  // nullptr for a drive root or an absent path
        bool isRoot = false;
        bool parentExists = false;
    };

    Resolved Resolve(const std::u16string& path, bool followFinalLink, int depth = 0) const;
    std::uint32_t InjectedError(FileOperation operation, const std::u16string& path) const;
    Entry& Put(const std::u16string& path, Kind kind);
    void Record(FileOperation operation, const std::u16string& path, std::int32_t csidl,
                std::uint32_t error);

    std::map<std::u16string, std::u16string> drives_;  // upper-cased "C:" -> spelling
    std::map<std::u16string, Entry> entries_;          // upper-cased full path -> entry
    std::map<std::int32_t, std::u16string> specialFolders_;
    std::map<std::pair<FileOperation, std::u16string>, std::uint32_t> failures_;
    std::vector<FileCall> calls_;
};

}  // namespace tovel::headless
