#include "platform/win32/win32_file_system.h"

#include <shlobj.h>
#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <string>

#include "platform/file_replacement.h"
#include "platform/temporary_file_name.h"

namespace tovel::win32 {
namespace {

const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

// Owns one handle from CreateFileW and closes it on every way out.
class FileHandle {
  public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() { Close(); }

    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }
    // Closing is a step of its own where a file must be complete before it is moved.
    bool Close() {
        const bool closed = !Valid() || CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        return closed;
    }

  private:
    HANDLE handle_;
};

// A handle that reaches whatever the path finally names, folders and the targets of
// links included, without reading or locking its contents.
HANDLE OpenForInspection(const std::u16string& path) {
    return CreateFileW(Wide(path), FILE_READ_ATTRIBUTES,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

bool IsFolderThroughLinks(const std::u16string& path) {
    FileHandle handle(OpenForInspection(path));
    BY_HANDLE_FILE_INFORMATION info = {};
    return handle.Valid() && GetFileInformationByHandle(handle.Get(), &info) &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Whether the path itself, not what it leads to, is a reparse point (a
// symbolic link): only then does it name another file than the one at the path.
bool IsReparsePoint(const std::u16string& path) {
    // The attributes of a link are its own, not its target's.
    const DWORD attributes = GetFileAttributesW(Wide(path));
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// Writes all of contents to a file opened for writing.
DWORD WriteAll(HANDLE file, const std::vector<std::uint8_t>& contents) {
    std::size_t done = 0;
    while (done < contents.size()) {
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(contents.size() - done, 1u << 20));
        DWORD written = 0;
        if (!WriteFile(file, contents.data() + done, chunk, &written, nullptr)) {
            return GetLastError();
        }
        if (written == 0) {
            return ERROR_WRITE_FAULT;
        }
        done += written;
    }
    return ERROR_SUCCESS;
}

// A new, empty file beside target under a name no one else uses, its path no
// longer than target's: wherever target can be written, so can its copy.
HANDLE CreateTemporaryBeside(const std::u16string& target, std::u16string& temporary,
                             DWORD& error) {
    error = ERROR_FILE_EXISTS;
    for (int attempt = 1; attempt <= kTemporaryNameCount; ++attempt) {
        const std::optional<std::u16string> name = TemporaryPathBeside(target, attempt);
        if (!name) {
            continue;
        }
        temporary = *name;
        // Never an existing file: one left by a run that ended halfway, or
        // another session's save under way, keeps its name and its contents.
        const HANDLE handle = CreateFileW(Wide(temporary), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            error = ERROR_SUCCESS;
            return handle;
        }
        error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            break;
        }
    }
    temporary.clear();
    return INVALID_HANDLE_VALUE;
}

std::uint32_t MoveIntoPlace(const std::u16string& from, const std::u16string& to) {
    return MoveFileExW(Wide(from), Wide(to), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? ERROR_SUCCESS
               : GetLastError();
}

}  // namespace

Win32FileSystem::Win32FileSystem() : Win32FileSystem(SystemReplace, SystemFinalPath) {}

Win32FileSystem::Win32FileSystem(ReplaceStep replace)
    : Win32FileSystem(std::move(replace), SystemFinalPath) {}

Win32FileSystem::Win32FileSystem(ReplaceStep replace, FinalPathQuery finalPath)
    : replace_(std::move(replace)), finalPath_(std::move(finalPath)) {}

// The replace keeps the old file's security and creation time.
std::uint32_t Win32FileSystem::SystemReplace(const std::u16string& target,
                                             const std::u16string& replacement) {
    if (ReplaceFileW(Wide(target), Wide(replacement), nullptr,
                     REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr,
                     nullptr)) {
        return ERROR_SUCCESS;
    }
    return GetLastError();
}

std::optional<std::u16string> Win32FileSystem::SystemFinalPath(void* file) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetFinalPathNameByHandleW(file, buffer.data(), static_cast<DWORD>(buffer.size()),
                                      FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) {
            return std::nullopt;
        }
        if (length < buffer.size()) {
            return std::u16string(reinterpret_cast<const char16_t*>(buffer.data()), length);
        }
        buffer.assign(length + 1, L'\0');  // too small: length is the size it needs
    }
}

std::optional<std::u16string> Win32FileSystem::LookUpSpecialFolder(std::int32_t csidl) {
    // shell32 is one of the system's known DLLs, so this import cannot be answered by
    // a look-alike DLL placed beside the program (as SHFolder.dll could be).
    wchar_t buffer[MAX_PATH] = {};
    const HRESULT result = SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer);
    // On failure the buffer holds nothing defined; S_FALSE (a valid folder that does
    // not exist yet) still names the path.
    if (FAILED(result)) {
        return std::nullopt;
    }
    const std::size_t length = wcsnlen(buffer, MAX_PATH);
    return std::u16string(reinterpret_cast<const char16_t*>(buffer), length);
}

AttributeRead Win32FileSystem::ReadAttributes(const std::u16string& path) {
    const DWORD attributes = GetFileAttributesW(Wide(path));
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return AttributeRead::Failed(GetLastError());
    }
    return AttributeRead::Found(attributes);
}

std::uint32_t Win32FileSystem::CreateFolder(const std::u16string& path) {
    if (CreateDirectoryW(Wide(path), nullptr)) {
        return kErrorSuccess;
    }
    return GetLastError();
}

bool Win32FileSystem::CanOpenThroughLinks(const std::u16string& path) {
    // Backup semantics is what lets CreateFileW open a directory at all.
    const HANDLE handle = CreateFileW(Wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(handle);
    return true;
}

FileRead Win32FileSystem::ReadWholeFile(const std::u16string& path) {
    // Sharing read access only: no one may write the file while it is being read.
    FileHandle file(CreateFileW(Wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.Valid()) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            return FileRead::Absent();
        }
        // A folder refuses a plain open; it is no file, not a file that is locked.
        if (IsFolderThroughLinks(path)) {
            return FileRead::Absent();
        }
        return FileRead::Failed(error);
    }
    std::vector<std::uint8_t> contents;
    std::uint8_t chunk[65536];
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file.Get(), chunk, sizeof chunk, &read, nullptr)) {
            return FileRead::Failed(GetLastError());
        }
        if (read == 0) {
            break;
        }
        contents.insert(contents.end(), chunk, chunk + read);
    }
    return FileRead::Of(std::move(contents));
}

std::uint32_t Win32FileSystem::ReplaceWholeFile(const std::u16string& path,
                                                const std::vector<std::uint8_t>& contents) {
    // Find the file that is really meant: through a link, the link's target, so that
    // the link itself stays in place where the system can name the target.
    std::u16string target = path;
    bool exists = false;
    DWORD keptAttributes = 0;
    {
        FileHandle existing(OpenForInspection(path));
        if (existing.Valid()) {
            BY_HANDLE_FILE_INFORMATION info = {};
            if (!GetFileInformationByHandle(existing.Get(), &info)) {
                return GetLastError();
            }
            // The plain open of a folder or a read-only file for writing is refused
            // with this code; say the same before anything is written.
            if ((info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) !=
                0) {
                return ERROR_ACCESS_DENIED;
            }
            // Asking for the final path costs a query that a redirected AppData
            // on a network share, or a volume mounted without a drive letter,
            // cannot answer; a file that is no link is replaced where it is.
            // Where the query fails for a link, the save still goes to the
            // path as given: the data counts for more than the link.
            if (IsReparsePoint(path)) {
                target = finalPath_(existing.Get()).value_or(path);
            }
            exists = true;
            keptAttributes = info.dwFileAttributes &
                             (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                              FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
        } else if (const DWORD error = GetLastError(); error != ERROR_FILE_NOT_FOUND) {
            return error;  // a missing folder on the way, or the file cannot be reached
        }
    }

    std::u16string temporary;
    DWORD error = ERROR_SUCCESS;
    FileHandle file(CreateTemporaryBeside(target, temporary, error));
    if (!file.Valid()) {
        return error;
    }
    error = WriteAll(file.Get(), contents);
    if (error == ERROR_SUCCESS && !FlushFileBuffers(file.Get())) {
        error = GetLastError();
    }
    if (!file.Close() && error == ERROR_SUCCESS) {
        error = GetLastError();
    }
    if (error == ERROR_SUCCESS) {
        // The attributes are carried over by hand, since not every system's
        // ReplaceFileW does. Losing one of them is no reason to fail the write.
        if (keptAttributes != 0) {
            SetFileAttributesW(Wide(temporary), keptAttributes);
        }
        if (!exists) {
            error = MoveIntoPlace(temporary, target);
        } else if ((error = replace_(target, temporary)) != ERROR_SUCCESS &&
                   AfterFailedReplace(error) == FailedReplaceAction::MoveNewCopyIntoPlace) {
            // The old file has left its name and the new copy is all there is: it
            // takes the name now, or stays under its own rather than be deleted.
            return MoveIntoPlace(temporary, target) == ERROR_SUCCESS ? ERROR_SUCCESS : error;
        }
        if (error == ERROR_SUCCESS) {
            return ERROR_SUCCESS;
        }
    }
    DeleteFileW(Wide(temporary));
    return error;
}

}  // namespace tovel::win32
