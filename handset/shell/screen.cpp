// Serves the program: the screen, its turn, and the window procedure that both bars share.
#include "screen.h"

#include "handset/common/owners.h"
#include "handset/registry/store_registry.h"

#include <commctrl.h>

namespace handset {

namespace {

constexpr int BarHeight = 26;

// Keeps a bar in step with the window that owns it: shown and hidden with it, repainted when
// its text changes.
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

LRESULT CALLBACK BarProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(bar, 0, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* kind = reinterpret_cast<const BarKind*>(GetWindowLongPtrW(bar, 0));
    LRESULT result = 0;
    if (kind == nullptr || kind->answer(bar, message, wParam, lParam, result)) {
        return kind == nullptr ? DefWindowProcW(bar, message, wParam, lParam) : result;
    }
    switch (message) {
    case WM_MOUSEACTIVATE:
        // A tap on a bar must not take the activation away from the dialog.
        return MA_NOACTIVATE;
    case WM_SETTINGCHANGE:
        // The screen has turned: the bar goes to its place on the screen as it is now.
        if (wParam == SettingChangeReset) {
            MoveWindowTo(bar, kind->place());
        }
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(GetWindow(bar, GW_OWNER), OwnerSubclassProc,
                             reinterpret_cast<UINT_PTR>(bar));
        break;
    }
    return DefWindowProcW(bar, message, wParam, lParam);
}

} // namespace

SIZE ScreenSize() {
    if (std::optional<SIZE> form = ScreenForm()) {
        return *form;
    }
    return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

int Scaled(int pixels) {
    static const int dpi =
        GetDeviceCaps(UniqueDc(CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr)).get(), LOGPIXELSY);
    return MulDiv(pixels, dpi, 96);
}

RECT NavigationBarRect() {
    return {0, 0, ScreenSize().cx, Scaled(BarHeight)};
}

RECT MenuBarRect() {
    SIZE screen = ScreenSize();
    return {0, screen.cy - Scaled(BarHeight), screen.cx, screen.cy};
}

RECT FullScreenRect() {
    return {0, NavigationBarRect().bottom, ScreenSize().cx, MenuBarRect().top};
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

HWND CreateBar(HWND owner, const BarKind& kind, DWORD style, void* state) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = BarProc;
    windowClass.cbWndExtra = sizeof(LONG_PTR);
    windowClass.hInstance = ShellModule();
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kind.className;
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return nullptr;
    }
    RECT place = kind.place();
    HWND bar =
        CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kind.className, L"", WS_POPUP | style,
                        place.left, place.top, place.right - place.left, place.bottom - place.top,
                        owner, nullptr, ShellModule(), const_cast<BarKind*>(&kind));
    if (bar == nullptr) {
        return nullptr;
    }
    SetWindowLongPtrW(bar, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    SetWindowSubclass(owner, OwnerSubclassProc, reinterpret_cast<UINT_PTR>(bar),
                      reinterpret_cast<DWORD_PTR>(bar));
    // A dialog still being initialised is shown later; the bar follows it then.
    if (IsWindowVisible(owner)) {
        SetWindowPos(bar, HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
    return bar;
}

HWND FindBar(HWND owner, const wchar_t* className) {
    for (HWND window = FindWindowExW(nullptr, nullptr, className, nullptr); window != nullptr;
         window = FindWindowExW(nullptr, window, className, nullptr)) {
        if (GetWindow(window, GW_OWNER) == owner) {
            return window;
        }
    }
    return nullptr;
}

} // namespace handset
