#include "platform/headless/headless_file_system.h"

#include <stdexcept>
#include <utility>

namespace tovel::headless {
namespace {

// Links followed in a row before the path counts as unresolvable (a loop).
constexpr int kMaxLinkDepth = 8;

// Windows compares names without regard to case; ASCII folding is all the tests need.
std::u16string Upper(std::u16string text) {
    for (char16_t& c : text) {
        if (c >= u'a' && c <= u'z') {
            c = static_cast<char16_t>(c - u'a' + u'A');
        }
    }
    return text;
}

bool IsInvalidNameChar(char16_t c) {
    return c < 32 || c == u'<' || c == u'>' || c == u':' || c == u'"' || c == u'|' || c == u'?' ||
           c == u'*' || c == u'/';
}

struct ParsedPath {
    std::uint32_t error = kErrorSuccess;
    std::u16string drive;  // "C:" as spelt
    std::vector<std::u16string> components;
    bool trailingBackslash = false;
};

// Full paths only: "X:\..." with "." and ".." and doubled backslashes folded away as
// the system's own path normalisation does. UNC paths name a network the headless
// machine does not have.
ParsedPath Parse(const std::u16string& path) {
    ParsedPath parsed;
    if (path.size() >= 2 && path[0] == u'\\' && path[1] == u'\\') {
        parsed.error = kErrorBadNetPath;
        return parsed;
    }
    const bool driveLetter = path.size() >= 3 && ((path[0] >= u'A' && path[0] <= u'Z') ||
                                                  (path[0] >= u'a' && path[0] <= u'z'));
    if (!driveLetter || path[1] != u':' || path[2] != u'\\') {
        parsed.error = kErrorInvalidName;
        return parsed;
    }
    parsed.drive = path.substr(0, 2);
    parsed.trailingBackslash = path.size() > 3 && path.back() == u'\\';
    std::size_t start = 3;
    while (start <= path.size()) {
        std::size_t end = path.find(u'\\', start);
        if (end == std::u16string::npos) {
            end = path.size();
        }
        std::u16string part = path.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == u".") {
            continue;
        }
        if (part == u"..") {
            if (!parsed.components.empty()) {
                parsed.components.pop_back();
            }
            continue;
        }
        for (char16_t c : part) {
            if (IsInvalidNameChar(c)) {
                parsed.error = kErrorInvalidName;
                return parsed;
            }
        }
        parsed.components.push_back(std::move(part));
    }
    return parsed;
}

// The key failures are injected under: the path as written, without trailing backslashes.
std::u16string FailureKey(const std::u16string& path) {
    std::u16string key = Upper(path);
    while (key.size() > 3 && key.back() == u'\\') {
        key.pop_back();
    }
    return key;
}

}  // namespace

HeadlessFileSystem::HeadlessFileSystem() {
    AddDrive(u"C:");
}

void HeadlessFileSystem::AddDrive(const std::u16string& drive) {
    drives_[Upper(drive)] = drive;
}

HeadlessFileSystem::Entry& HeadlessFileSystem::Put(const std::u16string& path, Kind kind) {
    const ParsedPath parsed = Parse(path);
    if (parsed.error != kErrorSuccess || parsed.components.empty()) {
        throw std::logic_error("headless file system: not a full path below a drive");
    }
    if (drives_.count(Upper(parsed.drive)) == 0) {
        throw std::logic_error("headless file system: no such drive");
    }
    std::u16string key = Upper(parsed.drive);
    for (std::size_t i = 0; i < parsed.components.size(); ++i) {
        const bool last = i + 1 == parsed.components.size();
        key += u'\\';
        key += Upper(parsed.components[i]);
        auto found = entries_.find(key);
        if (found == entries_.end()) {
            Entry& entry = entries_[key];
            entry.kind = last ? kind : Kind::Folder;
            entry.name = parsed.components[i];
            if (last) {
                return entry;
            }
            continue;
        }
        if (!last && found->second.kind != Kind::Folder) {
            throw std::logic_error("headless file system: a parent is not a plain folder");
        }
        if (last) {
            if (found->second.kind != kind || kind != Kind::Folder) {
                throw std::logic_error("headless file system: the path is already taken");
            }
            return found->second;
        }
    }
    throw std::logic_error("headless file system: unreachable");
}

void HeadlessFileSystem::AddFolder(const std::u16string& path) {
    Put(path, Kind::Folder);
}

void HeadlessFileSystem::AddFile(const std::u16string& path, std::vector<std::uint8_t> contents) {
    Put(path, Kind::File).contents = std::move(contents);
}

void HeadlessFileSystem::AddJunction(const std::u16string& path, const std::u16string& target) {
    Put(path, Kind::Junction).target = target;
}

void HeadlessFileSystem::Remove(const std::u16string& path) {
    const std::u16string key = FailureKey(path);
    const std::u16string below = key + u'\\';
    for (auto it = entries_.begin(); it != entries_.end();) {
        if (it->first == key || it->first.compare(0, below.size(), below) == 0) {
            it = entries_.erase(it);
        } else {
            ++it;
        }
    }
}

void HeadlessFileSystem::SetReadOnly(const std::u16string& path, bool readOnly) {
    const Resolved resolved = Resolve(path, true);
    if (resolved.error != kErrorSuccess || resolved.isRoot || resolved.entry->kind != Kind::File) {
        throw std::logic_error("headless file system: no file to mark read-only");
    }
    entries_.at(resolved.key).readOnly = readOnly;
}

void HeadlessFileSystem::SetSpecialFolder(std::int32_t csidl, const std::u16string& path) {
    specialFolders_[csidl] = path;
}

void HeadlessFileSystem::ClearSpecialFolder(std::int32_t csidl) {
    specialFolders_.erase(csidl);
}

void HeadlessFileSystem::Fail(FileOperation operation, const std::u16string& path,
                              std::uint32_t error) {
    const auto key = std::make_pair(operation, FailureKey(path));
    if (error == kErrorSuccess) {
        failures_.erase(key);
    } else {
        failures_[key] = error;
    }
}

std::uint32_t HeadlessFileSystem::InjectedError(FileOperation operation,
                                                const std::u16string& path) const {
    const auto found = failures_.find(std::make_pair(operation, FailureKey(path)));
    return found == failures_.end() ? kErrorSuccess : found->second;
}

HeadlessFileSystem::Resolved HeadlessFileSystem::Resolve(const std::u16string& path,
                                                         bool followFinalLink, int depth) const {
    Resolved resolved;
    if (depth > kMaxLinkDepth) {
        resolved.error = kErrorCantResolveFilename;
        return resolved;
    }
    const ParsedPath parsed = Parse(path);
    if (parsed.error != kErrorSuccess) {
        resolved.error = parsed.error;
        return resolved;
    }
    if (drives_.count(Upper(parsed.drive)) == 0) {
        resolved.error = kErrorPathNotFound;
        return resolved;
    }
    resolved.key = Upper(parsed.drive);
    resolved.isRoot = true;
    for (std::size_t i = 0; i < parsed.components.size(); ++i) {
        const bool last = i + 1 == parsed.components.size();
        const std::u16string key = resolved.key + u'\\' + Upper(parsed.components[i]);
        const auto found = entries_.find(key);
        if (found == entries_.end()) {
            resolved.entry = nullptr;
            resolved.isRoot = false;
            resolved.error = last ? kErrorFileNotFound : kErrorPathNotFound;
            if (last) {
                resolved.parentExists = true;
                resolved.key = key;
                resolved.finalName = parsed.components[i];
            }
            return resolved;
        }
        const Entry& entry = found->second;
        if (entry.kind == Kind::File && !last) {
            resolved.error = kErrorPathNotFound;
            return resolved;
        }
        if (entry.kind == Kind::Junction && (!last || followFinalLink)) {
            const Resolved target = Resolve(entry.target, true, depth + 1);
            const bool usable = target.error == kErrorSuccess &&
                                (last || target.isRoot || target.entry->kind != Kind::File);
            if (!usable) {
                resolved = Resolved{};
                resolved.error =
                    (last && target.error != kErrorSuccess) ? target.error : kErrorPathNotFound;
                return resolved;
            }
            resolved.key = target.key;
            resolved.entry = target.entry;
            resolved.isRoot = target.isRoot;
        } else {
            resolved.key = key;
            resolved.entry = &entry;
            resolved.isRoot = false;
        }
        resolved.finalName = parsed.components[i];
    }
    // A file's name followed by a backslash is no valid name for it.
    if (parsed.trailingBackslash && resolved.entry && resolved.entry->kind == Kind::File) {
        Resolved invalid;
        invalid.error = kErrorInvalidName;
        return invalid;
    }
    return resolved;
}

std::optional<HeadlessFileSystem::Kind> HeadlessFileSystem::KindAt(
    const std::u16string& path) const {
    const Resolved resolved = Resolve(path, false);
    if (resolved.error != kErrorSuccess) {
        return std::nullopt;
    }
    return resolved.isRoot ? Kind::Folder : resolved.entry->kind;
}

const std::vector<std::uint8_t>* HeadlessFileSystem::ContentsOf(const std::u16string& path) const {
    const Resolved resolved = Resolve(path, true);
    if (resolved.error != kErrorSuccess || resolved.isRoot || resolved.entry->kind != Kind::File) {
        return nullptr;
    }
    return &resolved.entry->contents;
}

std::vector<FileCall> HeadlessFileSystem::CallsOf(FileOperation operation) const {
    std::vector<FileCall> selected;
    for (const FileCall& call : calls_) {
        if (call.operation == operation) {
            selected.push_back(call);
        }
    }
    return selected;
}

void HeadlessFileSystem::Record(FileOperation operation, const std::u16string& path,
                                std::int32_t csidl, std::uint32_t error) {
    calls_.push_back(FileCall{operation, path, csidl, error});
}

std::optional<std::u16string> HeadlessFileSystem::LookUpSpecialFolder(std::int32_t csidl) {
    const auto found = specialFolders_.find(csidl);
    const bool known = found != specialFolders_.end();
    // The shell's "no such folder" answer (E_INVALIDARG) carried as a Win32 code.
    Record(FileOperation::LookUpSpecialFolder, u"", csidl,
           known ? kErrorSuccess : kErrorFileNotFound);
    if (!known) {
        return std::nullopt;
    }
    return found->second;
}

AttributeRead HeadlessFileSystem::ReadAttributes(const std::u16string& path) {
    AttributeRead read;
    if (const std::uint32_t injected = InjectedError(FileOperation::ReadAttributes, path)) {
        read = AttributeRead::Failed(injected);
    } else {
        const Resolved resolved = Resolve(path, false);
        if (resolved.error != kErrorSuccess) {
            read = AttributeRead::Failed(resolved.error);
        } else if (resolved.isRoot || resolved.entry->kind == Kind::Folder) {
            read = AttributeRead::Found(kFileAttributeDirectory);
        } else if (resolved.entry->kind == Kind::Junction) {
            // A junction is a directory carrying a reparse point, whether or not its
            // target is there.
            read = AttributeRead::Found(kFileAttributeDirectory | kFileAttributeReparsePoint);
        } else {
            read = AttributeRead::Found(kFileAttributeArchive);
        }
    }
    Record(FileOperation::ReadAttributes, path, 0, read.error);
    return read;
}

std::uint32_t HeadlessFileSystem::CreateFolder(const std::u16string& path) {
    std::uint32_t error = InjectedError(FileOperation::CreateFolder, path);
    if (error == kErrorSuccess) {
        const Resolved resolved = Resolve(path, false);
        if (resolved.error == kErrorSuccess) {
            error = kErrorAlreadyExists;  // whatever is there, a junction included
        } else if (resolved.parentExists) {
            Entry& entry = entries_[resolved.key];
            entry.kind = Kind::Folder;
            entry.name = resolved.finalName;
        } else {
            error = resolved.error;
        }
    }
    Record(FileOperation::CreateFolder, path, 0, error);
    return error;
}

bool HeadlessFileSystem::CanOpenThroughLinks(const std::u16string& path) {
    std::uint32_t error = InjectedError(FileOperation::CanOpenThroughLinks, path);
    if (error == kErrorSuccess) {
        error = Resolve(path, true).error;
    }
    Record(FileOperation::CanOpenThroughLinks, path, 0, error);
    return error == kErrorSuccess;
}

FileRead HeadlessFileSystem::ReadWholeFile(const std::u16string& path) {
    FileRead read;
    if (const std::uint32_t injected = InjectedError(FileOperation::ReadWholeFile, path)) {
        read = FileRead::Failed(injected);
    } else {
        const Resolved resolved = Resolve(path, true);
        if (resolved.error == kErrorFileNotFound || resolved.error == kErrorPathNotFound) {
            read = FileRead::Absent();
        } else if (resolved.error != kErrorSuccess) {
            read = FileRead::Failed(resolved.error);
        } else if (resolved.isRoot || resolved.entry->kind != Kind::File) {
            read = FileRead::Absent();  // a folder is no file to read
        } else {
            read = FileRead::Of(resolved.entry->contents);
        }
    }
    Record(FileOperation::ReadWholeFile, path, 0,
           read.outcome == FileRead::Outcome::Failed ? read.error : kErrorSuccess);
    return read;
}

std::uint32_t HeadlessFileSystem::ReplaceWholeFile(const std::u16string& path,
                                                   const std::vector<std::uint8_t>& contents) {
    // The tree changes in one step or not at all, which is what the real replacement
    // through a file beside the target guarantees.
    std::uint32_t error = InjectedError(FileOperation::ReplaceWholeFile, path);
    if (error == kErrorSuccess) {
        const Resolved resolved = Resolve(path, true);
        if (resolved.error == kErrorSuccess) {
            if (resolved.isRoot || resolved.entry->kind != Kind::File || resolved.entry->readOnly) {
                error = kErrorAccessDenied;
            } else {
                entries_.at(resolved.key).contents = contents;
            }
        } else if (resolved.parentExists) {
            Entry& entry = entries_[resolved.key];
            entry.kind = Kind::File;
            entry.name = resolved.finalName;
            entry.contents = contents;
        } else {
            error = resolved.error;
        }
    }
    calls_.push_back(FileCall{FileOperation::ReplaceWholeFile, path, 0, error, contents});
    return error;
}

}  // namespace tovel::headless
