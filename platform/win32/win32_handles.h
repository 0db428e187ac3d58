#pragma once

#include "platform/win32/win32_api.h"

namespace tovel::win32 {

// The portable code carries the system's handles as opaque numbers; they are
// turned back into the system's types here and nowhere else.
inline HWND AsWindow(THandle handle) {
    return reinterpret_cast<HWND>(handle);
}

inline HICON AsIcon(THandle handle) {
    return reinterpret_cast<HICON>(handle);
}

// Any of the system's handles (a window, an icon) as the portable code
// carries it.
template <typename Handle>
THandle ToHandle(Handle handle) {
    return reinterpret_cast<THandle>(handle);
}

}  // namespace tovel::win32
