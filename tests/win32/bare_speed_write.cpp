// The baseline a one-shot run is measured against: a program that does
// nothing but the one settings write Tovel.exe 7 makes.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    SystemParametersInfoW(SPI_SETMOUSESPEED, 0, reinterpret_cast<PVOID>(static_cast<INT_PTR>(7)),
                          SPIF_SENDCHANGE);
    return 0;
}
