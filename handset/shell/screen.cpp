#include "screen.h"

#include "handset/registry/store_registry.h"

#include <commctrl.h>

namespace handset {

namespace {

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

constexpr int BarHeight = 26;

} // namespace

SIZE ScreenSize() {
    if (std::optional<SIZE> form = ScreenForm()) {
        return *form;
    }
    return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

int Scaled(int pixels) {
    static const int dpi = [] {
        HDC screen = GetDC(nullptr);
        int dotsPerInch = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        return dotsPerInch;
    }();
    return MulDiv(pixels, dpi, 96);
}

RECT NavigationBarRect() {
    return {0, 0, ScreenSize().cx, Scaled(BarHeight)};
}

RECT MenuBarRect() {
    SIZE screen = ScreenSize();
    return {0, screen.cy - Scaled(BarHeight), screen.cx, screen.cy};
}

RECT FullScreenRect(bool leaveMenuBar) {
    return {0, NavigationBarRect().bottom, ScreenSize().cx,
            leaveMenuBar ? MenuBarRect().top : ScreenSize().cy};
}

void MoveWindowTo(HWND window, const RECT& place) {
    MoveWindow(window, place.left, place.top, place.right - place.left, place.bottom - place.top,
               TRUE);
}

bool TurnScreen(const std::optional<SIZE>& form) {
    if (!SetScreenForm(form)) {
        return false;
    }
    SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, SettingChangeReset, 0, SMTO_ABORTIFHUNG,
                        5000, nullptr);
    return true;
}

HWND FindOwnedWindow(HWND owner, const wchar_t* className) {
    for (HWND window = FindWindowExW(nullptr, nullptr, className, nullptr); window != nullptr;
         window = FindWindowExW(nullptr, window, className, nullptr)) {
        if (GetWindow(window, GW_OWNER) == owner) {
            return window;
        }
    }
    return nullptr;
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
