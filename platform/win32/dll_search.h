#pragma once

namespace tovel::win32 {

// Narrows where the process looks for DLLs it loads at run time to the system
// folder, and takes the current folder out of the search, so a DLL planted beside
// the program or in the working folder is never picked up. The entry point calls
// this before anything else. DLLs imported statically are loaded before it runs,
// which is why the program imports only known system DLLs that way.
// Answers whether the default search folders could be restricted.
bool RestrictDllSearchToSystem();

}  // namespace tovel::win32
