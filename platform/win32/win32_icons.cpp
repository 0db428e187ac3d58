#include "platform/win32/win32_api.h"

#include "platform/win32/win32_icons.h"

#include "platform/win32/win32_handles.h"

namespace tovel::win32 {

bool Win32Icons::HasIconResource(int id) {
    // Finding the resource reads no picture and needs no display.
    return FindResourceW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), RT_GROUP_ICON) != nullptr;
}

THandle Win32Icons::LoadIconResource(int id, int size) {
    return ToHandle(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size,
                               size, LR_DEFAULTCOLOR));
}

THandle Win32Icons::DuplicateIcon(THandle icon) {
    return ToHandle(::CopyIcon(AsIcon(icon)));
}

void Win32Icons::FreeIcon(THandle icon) {
    if (icon != 0) {
        ::DestroyIcon(AsIcon(icon));
    }
}

THandle Win32Icons::WindowsLogoIcon() {
    // Shared by the system: a later DestroyIcon leaves it alone.
    return ToHandle(LoadIconW(nullptr, IDI_WINLOGO));
}

}  // namespace tovel::win32
