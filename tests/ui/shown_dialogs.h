// Showing the program's dialog templates as the program does, and reading what they show.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace ui_testing {

// The module holding the program's resources: the test links the same resources as the program.
HINSTANCE Module();

struct WindowDestroyer {
    void operator()(HWND window) const {
        if (IsWindow(window)) {
            DestroyWindow(window);
        }
    }
};
using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;

// The main dialog as the program starts it: full screen with a Done button and the menu bar of
// resource IDR_MENUBAR. Shown, modeless, so a test can look at it.
UniqueWindow ShowMainDialog();

// A template created modeless with a procedure that does nothing, as a child of parent if given.
UniqueWindow CreatePlainDialog(UINT templateId, HWND parent = nullptr);

// The dialog's controls in template order; the menu bar is not one of them.
std::vector<HWND> Controls(HWND dialog);

std::wstring TextOf(HWND window);
std::wstring ClassOf(HWND window);

// The window's rectangle in its parent's client coordinates.
RECT RectInParent(HWND window);

// Whether the control's text fits on one line of its client area in the control's font, up to
// the ink of its last character.
bool TextFitsOnOneLine(HWND control, SIZE* needed = nullptr);

void PumpMessages();

} // namespace ui_testing
