// The handset's screen and the bars the shell keeps on it, in pixels.
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

} // namespace handset
