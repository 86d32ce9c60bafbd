// The About dialog: who made the program and where to find it.
#pragma once

#include <windows.h>

// Dialog procedure of the About dialog (template IDD_ABOUT). It ends with IDOK on its Done button
// and with WM_CLOSE's own number, 16, when closed.
INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
