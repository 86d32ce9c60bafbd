// Showing the program's dialog templates as the program does, and reading what they show.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/window_queries.h"

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

// The dialog's controls in template order.
std::vector<HWND> Controls(HWND dialog);

using testing_support::ClassOf;
using testing_support::TextOf;

// The window's rectangle in its parent's client coordinates.
RECT RectInParent(HWND window);

// Whether the control's text fits on one line of its client area in the control's font (or in
// font, for a control of another process), up to the ink of its last character.
bool TextFitsOnOneLine(HWND control, SIZE* needed = nullptr, HFONT font = nullptr);

// Whether the control's text shows whole in font: on one line, or on the lines that a label
// wrapping its words has room for. Icons show no text.
bool TextShowsWhole(HWND control, HFONT font);

using testing_support::PumpMessages;

// Real input, as a user's keys and taps arrive: through the system's input queue to the window
// that has the focus, or to the window under the pointer.
void PressKey(WORD key);
// A key while another is held, such as Shift+Tab.
void PressKeyWith(WORD modifier, WORD key);
void TypeText(std::wstring_view text);
// A tap of the left button at a point of the screen.
void TapAt(POINT screen);
// A tap at the middle of a window.
void Tap(HWND window);

// Lets a modeless dialog of this thread take the input sent so far, as its message loop would:
// the dialog manager sees the keys first (Tab, Enter, Escape).
void TakeInput(HWND dialog);

} // namespace ui_testing
