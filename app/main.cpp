#include <windows.h>

#include "app/command_line.h"
#include "app/startup.h"
#include "ui/main_dialog.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // The C runtime trims the blanks in front of the argument text it passes here; the program
    // takes the arguments exactly as they were given, so it reads them from the full command line.
    return RunCourierfix(instance, CommandLineArguments(GetCommandLineW()), RunMainDialog);
}
