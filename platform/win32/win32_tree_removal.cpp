#include "platform/win32/win32_tree_removal.h"

#include <windows.h>

#include "platform/win32/win32_text.h"

namespace tovel::win32 {

bool RemoveTree(const std::u16string& folder) {
    if (folder.size() < 4) {
        return false;
    }
    WIN32_FIND_DATAW found = {};
    const HANDLE search = FindFirstFileW(Wide(folder + u"\\*"), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::u16string name = FromWide(found.cFileName);
            if (name == u"." || name == u"..") {
                continue;
            }
            const std::u16string path = folder + u"\\" + name;
            SetFileAttributesW(Wide(path), FILE_ATTRIBUTE_NORMAL);
            const bool folderLike = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            // A directory link is removed with RemoveDirectoryW, which takes
            // the link away and leaves its target as it is.
            const bool link = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
            if (folderLike && !link) {
                RemoveTree(path);
            } else if (folderLike) {
                RemoveDirectoryW(Wide(path));
            } else {
                DeleteFileW(Wide(path));
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    return RemoveDirectoryW(Wide(folder)) != FALSE ||
           GetFileAttributesW(Wide(folder)) == INVALID_FILE_ATTRIBUTES;
}

}  // namespace tovel::win32
