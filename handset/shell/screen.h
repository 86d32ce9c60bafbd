// The handset's screen and the bars the shell keeps on it, in pixels: the navigation bar across
// the top and a full-screen dialog's menu bar across the bottom, each a window of its own that
// the dialog owns.
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
// full-screen dialog fills between them; with leaveMenuBar clear it reaches the bottom.
RECT NavigationBarRect();
RECT MenuBarRect();
RECT FullScreenRect(bool leaveMenuBar);

// Moves and sizes a window to place, on the screen.
void MoveWindowTo(HWND window, const RECT& place);

// What the shell sends to every top-level window when the screen has turned: WM_SETTINGCHANGE
// with this wParam (How Applications Detect and Respond to Screen Rotation, Windows Mobile).
constexpr WPARAM SettingChangeReset = 0x3002;

// Chooses the form of the screen (nothing: the display's) and tells every top-level window, as
// a turn of the screen does.
bool TurnScreen(const std::optional<SIZE>& form);

// The window of that class that owner owns, or null.
HWND FindOwnedWindow(HWND owner, const wchar_t* className);

// Keeps a bar in step with the window that owns it: shown with it (at once when it is shown
// already) and hidden with it, repainted when its text changes. A bar stops when it is destroyed.
void FollowOwner(HWND bar);
void StopFollowingOwner(HWND bar);

} // namespace handset
