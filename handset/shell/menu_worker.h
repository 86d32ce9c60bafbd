// The menu bar's window: a window of its own at the bottom of the screen, owned by the window it
// serves, that hosts the toolbar of soft keys and owns the menu behind their drop-downs.
#pragma once

#include "menu_bar_resource.h"

#include "handset/common/owners.h"

#include <windows.h>

namespace handset {

constexpr wchar_t MenuWorkerClass[] = L"menu_worker";

// Creates the bar for parent, which owns it, with the buttons of resource (labels from module's
// string table) and takes the menu, which may be null. Returns the bar, or null on failure (the
// menu then goes with its owner). With two or more buttons the toolbar holds one more: a blank,
// disabled button before the last one that keeps it at the right edge, so TB_BUTTONCOUNT counts
// it too.
HWND CreateMenuWorker(HWND parent, HINSTANCE module, const MenuBarResource& resource,
                      UniqueMenu menu);

} // namespace handset
