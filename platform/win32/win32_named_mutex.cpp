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

NamedMutexes::Creation Win32NamedMutexes::Create(const std::u16string& name) {
    HANDLE mutex = CreateMutexW(nullptr, FALSE, Wide(name));
    if (mutex == nullptr) {
        return Creation::Failed;
    }
    // A handle to a mutex that existed before comes with this code; the
    // handle is let go at once, so the guard stays the other process's alone.
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return Creation::Existed;
    }
    // Deliberately never closed: the object lives as long as this process,
    // and the system closes the handle when the process ends.
    return Creation::Created;
}

}  // namespace tovel::win32
