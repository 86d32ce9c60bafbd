// The baselines of the start-up benchmark, built and started as courierfix.exe is. The empty
// Win32 program does nothing, but has USER32 loaded, as every program that can show a window
// has; the bare process, built without USER_LOADED, has only the kernel and the C runtime.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
#ifdef USER_LOADED
    // Any call into USER32 makes it an import of the program.
    GetSystemMetrics(SM_CXSCREEN);
#endif
    return 0;
}
