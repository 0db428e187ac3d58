#pragma once

#include <string>

namespace tovel::win32 {

// Removes a folder and everything below it. A link inside it (a junction, a
// symbolic link) is removed itself; what it points to is left alone. A
// read-only file is made writable first. True when the folder is gone,
// also when it was not there. An empty path or a bare drive ("C:", "C:\")
// is refused: it would name the drive's root.
bool RemoveTree(const std::u16string& folder);

}  // namespace tovel::win32
