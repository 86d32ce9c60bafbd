#include "aygshell.h"
#include "navigation_bar.h"
#include "screen.h"

#include <commctrl.h>

namespace {

bool IsDialog(HWND window) {
    wchar_t className[16] = {};
    return IsWindow(window) && GetClassNameW(window, className, 16) > 0 &&
           lstrcmpW(className, L"#32770") == 0;
}

// The dialog fills the screen below the navigation bar, which carries its title instead of a
// caption, down to the menu bar at the bottom of the screen; only SHIDIF_FULLSCREENNOMENUBAR
// leaves no room for the menu bar (SHINITDLGINFO, Windows Mobile).
void PlaceFullScreen(HWND dialog, bool leaveMenuBar) {
    RECT screen = handset::FullScreenRect(leaveMenuBar);
    SetWindowPos(dialog, nullptr, screen.left, screen.top, screen.right - screen.left,
                 screen.bottom - screen.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

// A program built for this platform is orientation-aware: when the screen turns, the shell
// sizes each full-screen dialog to the screen as it is now, which the dialog hears as WM_SIZE,
// and then it hears WM_SETTINGCHANGE (How Applications Detect and Respond to Screen Rotation;
// Rotation Behavior in Older Applications, Windows Mobile: no scroll bar is added).
LRESULT CALLBACK FullScreenSubclassProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR, DWORD_PTR leaveMenuBar) {
    if (message == WM_SETTINGCHANGE && wParam == handset::SettingChangeReset) {
        PlaceFullScreen(dialog, leaveMenuBar != 0);
    } else if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(dialog, FullScreenSubclassProc, 1);
    }
    return DefSubclassProc(dialog, message, wParam, lParam);
}

void SizeFullScreen(HWND dialog, bool leaveMenuBar) {
    LONG_PTR style = GetWindowLongPtrW(dialog, GWL_STYLE);
    style &= ~static_cast<LONG_PTR>(WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX |
                                    WS_MAXIMIZEBOX);
    SetWindowLongPtrW(dialog, GWL_STYLE, style);
    LONG_PTR extendedStyle = GetWindowLongPtrW(dialog, GWL_EXSTYLE);
    extendedStyle &= ~static_cast<LONG_PTR>(WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE |
                                            WS_EX_CLIENTEDGE | WS_EX_STATICEDGE);
    SetWindowLongPtrW(dialog, GWL_EXSTYLE, extendedStyle);
    PlaceFullScreen(dialog, leaveMenuBar);
    SetWindowSubclass(dialog, FullScreenSubclassProc, 1, leaveMenuBar);
}

} // namespace

extern "C" BOOL WINAPI SHInitDialog(PSHINITDLGINFO pshidi) {
    if (pshidi == nullptr || !IsDialog(pshidi->hDlg)) {
        return FALSE;
    }
    if (!(pshidi->dwMask & SHIDIM_FLAGS)) {
        return TRUE;
    }
    HWND dialog = pshidi->hDlg;
    DWORD flags = pshidi->dwFlags;
    bool fullScreen =
        (flags & (SHIDIF_SIZEDLG | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_FULLSCREENNOMENUBAR)) != 0;
    if (fullScreen) {
        SizeFullScreen(dialog, !(flags & SHIDIF_FULLSCREENNOMENUBAR));
    }
    if (fullScreen || (flags & SHIDIF_DONEBUTTON)) {
        handset::ShowNavigationBar(dialog, (flags & SHIDIF_DONEBUTTON) != 0);
    }
    // There is no input panel to lower: SHIDIF_SIPDOWN needs nothing.
    if (flags & SHIDIF_EMPTYMENU) {
        SHMENUBARINFO menuBar{};
        menuBar.cbSize = sizeof(menuBar);
        menuBar.hwndParent = dialog;
        menuBar.dwFlags = SHCMBF_EMPTYBAR;
        SHCreateMenuBar(&menuBar);
    }
    return TRUE;
}
