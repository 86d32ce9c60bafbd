// Check marks on the items of a menu-bar drop-down.
#pragma once

#include <windows.h>

// Shows (checked) or clears the check mark of itemCommand in the drop-down menu of the menu-bar
// button buttonCommand of window. A window without a menu bar, or a button without a drop-down,
// is left as it is.
void SetMenuBarItemCheck(HWND window, UINT buttonCommand, UINT itemCommand, bool checked);
