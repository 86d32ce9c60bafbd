// The handset's screen and the bars the shell keeps on it, in pixels: the navigation bar across
// the top and a full-screen dialog's menu bar across the bottom, each a window of its own that
// the dialog owns.
#pragma once

#include <windows.h>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace handset {

constexpr int ScreenWidth = 240;
constexpr int ScreenHeight = 320;
constexpr int NavigationBarHeight = 26;
constexpr int MenuBarHeight = 26;

// The module this library is linked into: the shell's window classes are registered there.
inline HINSTANCE ShellModule() {
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

// The window of that class that owner owns, or null.
HWND FindOwnedWindow(HWND owner, const wchar_t* className);

// Keeps a bar in step with the window that owns it: shown with it (at once when it is shown
// already) and hidden with it, repainted when its text changes. A bar stops when it is destroyed.
void FollowOwner(HWND bar);
void StopFollowingOwner(HWND bar);

} // namespace handset
