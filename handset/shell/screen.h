// Serves the program: the handset's screen and the bars the shell keeps on it, in pixels (the
// navigation bar across the top, a full-screen dialog's menu bar across the bottom), each a window
// of its own that the dialog owns; and the turn of the screen that handset.exe and tests make.
#pragma once

#include <windows.h>

#include <optional>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace handset {

// The module this library is linked into: the shell's window classes are registered there.
inline HINSTANCE ShellModule() {
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

// The screen: the form chosen for the handset, or else the display it runs on, from (0, 0).
SIZE ScreenSize();

// A length of the handset's 96-DPI screen, grown with the screen's dots per inch: a VGA screen
// of 192 DPI has bars twice as high.
int Scaled(int pixels);

// The navigation bar across the top of the screen, the menu bar across its bottom, and what a
// full-screen dialog fills between them.
RECT NavigationBarRect();
RECT MenuBarRect();
RECT FullScreenRect();

// Moves and sizes a window to place, on the screen.
void MoveWindowTo(HWND window, const RECT& place);

// What the shell sends to every top-level window when the screen has turned: WM_SETTINGCHANGE
// with this wParam (How Applications Detect and Respond to Screen Rotation, Windows Mobile).
constexpr WPARAM SettingChangeReset = 0x3002;

// Chooses the form of the screen (nothing: the display's) and tells every top-level window, as
// a turn of the screen does.
bool TurnScreen(const std::optional<SIZE>& form);

// What one kind of bar adds to what every bar does (keep to its place when the screen turns,
// never take the activation, show, hide and go with the window that owns it).
struct BarKind {
    const wchar_t* className;
    RECT (*place)();
    // Answers a message of the bar's own, or returns false to leave it to the common part.
    bool (*answer)(HWND bar, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
};

// Creates a bar of that kind at its place, owned by owner, with state in its GWLP_USERDATA, and
// shows it with its owner. Null when it could not be created.
HWND CreateBar(HWND owner, const BarKind& kind, DWORD style, void* state);
// The bar of that class that owner owns, or null.
HWND FindBar(HWND owner, const wchar_t* className);

// A menu bar for parent with the buttons of the menu-bar resource's words (labels from module's
// string table), or an empty one for null words. With two or more buttons the toolbar holds one
// more: a blank, disabled button before the last one that keeps it at the right edge.
HWND CreateMenuBar(HWND parent, HINSTANCE module, const WORD* words);
inline constexpr wchar_t MenuBarClass[] = L"menu_worker";

} // namespace handset
