#pragma once

#include <windows.h>

#include <string>

namespace tovel::win32 {

// The text in upper case as the system folds it for names of files and
// variables (any script's letters, not only ASCII), letter for letter.
inline std::u16string UpperCase(std::u16string text) {
    if (!text.empty()) {
        CharUpperBuffW(reinterpret_cast<wchar_t*>(text.data()), static_cast<DWORD>(text.size()));
    }
    return text;
}

}  // namespace tovel::win32
