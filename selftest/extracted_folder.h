#pragma once

#include <string>

namespace tovel::selftest {

// True when the exe sits in a folder an archive tool unpacked into %TEMP% to
// run it from inside the archive (Explorer's "Temp1_<name>.zip", 7-Zip's
// "7zO...", WinRAR's "Rar$EX..."): its report would be lost with the folder.
// Both paths in their long form; letter case does not count.
bool StartedFromInsideZip(const std::u16string& exe, const std::u16string& temp);

}  // namespace tovel::selftest
