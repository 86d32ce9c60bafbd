#include <windows.h>

#include "app/startup.h"
#include "ui/dialog_instance.h"
#include "ui/main_dialog.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int) {
    // The argument text as the handset gives it: exactly what the program was started with,
    // without its name, leading blanks included. An interactive start while the dialog is open
    // goes back to it.
    return RunCourierfix(instance, arguments, RunMainDialog, ClaimMainDialog);
}
