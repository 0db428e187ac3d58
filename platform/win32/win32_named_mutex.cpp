#include "platform/win32/win32_named_mutex.h"

#include <windows.h>

namespace tovel::win32 {
namespace {

const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

}  // namespace

bool Win32NamedMutexes::OpenExisting(const std::u16string& name) {
    HANDLE existing = OpenMutexW(MUTEX_ALL_ACCESS, FALSE, Wide(name));
    if (existing == nullptr) {
        return false;
    }
    CloseHandle(existing);
    return true;
}

void Win32NamedMutexes::Create(const std::u16string& name) {
    // Deliberately never closed: the object lives as long as this process,
    // and the system closes the handle when the process ends.
    CreateMutexW(nullptr, FALSE, Wide(name));
}

}  // namespace tovel::win32
