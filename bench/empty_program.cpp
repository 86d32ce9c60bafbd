// The baseline of the whole-process rows, built and started as courierfix.exe is: it does
// nothing, but has USER32 loaded, as every program that can show a window has.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Any call into USER32 makes it an import of the program.
    GetSystemMetrics(SM_CXSCREEN);
    return 0;
}
