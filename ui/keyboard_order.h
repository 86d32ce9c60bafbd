// Tab and Shift+Tab through the main dialog: ">", the account list, the tabs, the fields of the
// page shown, "3 - Repair". The dialog's own controls are visited by the dialog manager in
// z-order; the page lies inside the tab control, where a handset's dialog manager does not go,
// so the controls at its border take the Tab key themselves and hand the focus on.
#pragma once

#include <windows.h>

// Lets a control of the chain (the tab control, a field of a page, "3 - Repair") take the Tab
// key: Tab and Shift+Tab move the focus to the next or previous control of the chain, and at
// either end of the chain the dialog manager moves on as from any other control.
void TakeTabKey(HWND control);
