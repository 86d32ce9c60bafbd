#include <windows.h>

#include "app/startup.h"
#include "ui/main_dialog.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int) {
    // The argument text as the handset gives it: exactly what the program was started with,
    // without its name, leading blanks included.
    return RunCourierfix(instance, arguments, RunMainDialog);
}
