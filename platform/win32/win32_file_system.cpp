#include "platform/win32/win32_file_system.h"

#include <shlobj.h>
#include <windows.h>

#include <cwchar>

namespace tovel::win32 {
namespace {

const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

}  // namespace

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

}  // namespace tovel::win32
