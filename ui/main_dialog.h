// The main dialog: pick an account, see and edit its settings on two tabs, repair it, switch the
// auto-repair at soft reset, read About, quit.
#pragma once

#include <windows.h>

// The menu bar of the main dialog, while the dialog exists.
extern HWND menuBarWindow;

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Registers the common controls that the main dialog holds (its tab control, the menu bar's
// toolbar); the common controls library is loaded only when the dialog is about to be shown,
// since batch runs show nothing. Called before the dialog is created.
bool RegisterMainDialogControls();

// Runs the main dialog modally from its template until Done or "Quit" ends it.
void RunMainDialog();
