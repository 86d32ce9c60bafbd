#include "screen.h"

#include <commctrl.h>

namespace handset {

namespace {

struct OwnedSearch {
    HWND owner;
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK MatchOwned(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<OwnedSearch*>(data);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (GetWindow(window, GW_OWNER) == search->owner &&
        lstrcmpW(className, search->className) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

LRESULT CALLBACK OwnerSubclassProc(HWND owner, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                   DWORD_PTR data) {
    auto bar = reinterpret_cast<HWND>(data);
    LRESULT result = DefSubclassProc(owner, message, wParam, lParam);
    if (message == WM_SETTEXT) {
        InvalidateRect(bar, nullptr, TRUE);
    } else if (message == WM_WINDOWPOSCHANGED) {
        auto* position = reinterpret_cast<const WINDOWPOS*>(lParam);
        if (position->flags & SWP_SHOWWINDOW) {
            ShowWindow(bar, SW_SHOWNOACTIVATE);
        } else if (position->flags & SWP_HIDEWINDOW) {
            ShowWindow(bar, SW_HIDE);
        }
    }
    return result;
}

} // namespace

HWND FindOwnedWindow(HWND owner, const wchar_t* className) {
    OwnedSearch search{owner, className, nullptr};
    EnumThreadWindows(GetWindowThreadProcessId(owner, nullptr), MatchOwned,
                      reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void FollowOwner(HWND bar) {
    SetWindowSubclass(GetWindow(bar, GW_OWNER), OwnerSubclassProc, reinterpret_cast<UINT_PTR>(bar),
                      reinterpret_cast<DWORD_PTR>(bar));
    // A dialog still being initialised is shown later; the bar follows it then.
    if (IsWindowVisible(GetWindow(bar, GW_OWNER))) {
        SetWindowPos(bar, HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
}

void StopFollowingOwner(HWND bar) {
    RemoveWindowSubclass(GetWindow(bar, GW_OWNER), OwnerSubclassProc,
                         reinterpret_cast<UINT_PTR>(bar));
}

} // namespace handset
