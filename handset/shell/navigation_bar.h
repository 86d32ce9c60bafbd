// The bar across the top of the screen that shows a full-screen dialog's title and, when asked
// for, the Done button.
#pragma once

#include <windows.h>

namespace handset {

// The window class of the bar; a top-level popup owned by its dialog.
constexpr wchar_t NavigationBarClass[] = L"navigation_bar";

// Creates the bar for dialog (or finds the one it already has) and gives it the Done button when
// doneButton is set. Returns the bar, or null when it could not be created.
HWND ShowNavigationBar(HWND dialog, bool doneButton);

// The bar owned by dialog, or null.
HWND FindNavigationBar(HWND dialog);

} // namespace handset
