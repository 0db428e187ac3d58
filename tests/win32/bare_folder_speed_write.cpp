// The second baseline of the one-shot latency measurement: the settings write
// after the per-user data-folder lookup, the least any start of the program
// must do before it writes.
#include <windows.h>

#include <shlobj.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t folder[MAX_PATH];
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
    SystemParametersInfoW(SPI_SETMOUSESPEED, 0, reinterpret_cast<PVOID>(static_cast<INT_PTR>(7)),
                          SPIF_SENDCHANGE);
    return 0;
}
