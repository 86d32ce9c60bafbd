#include "navigation_bar.h"
#include "screen.h"

#include "handset/common/owners.h"

#include <commctrl.h>
#include <windowsx.h>

#include <memory>
#include <string>

namespace handset {

namespace {

constexpr COLORREF BarColour = RGB(0, 40, 120);
constexpr COLORREF TitleColour = RGB(255, 255, 255);
constexpr int TitleIndent = 6;
constexpr int DoneButtonWidth = 32;
constexpr int DoneButtonHeight = 20;
constexpr int DoneButtonMargin = 3;

using UniqueFont = UniqueGdi<HFONT>;

struct NavigationBar {
    UniqueFont titleFont;
};

NavigationBar* BarState(HWND bar) {
    return reinterpret_cast<NavigationBar*>(GetWindowLongPtrW(bar, GWLP_USERDATA));
}

HFONT DialogFont(HWND dialog) {
    auto font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    return font != nullptr ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

// The title stands out in bold, as on the handset.
UniqueFont BoldFontLike(HFONT font) {
    LOGFONTW description{};
    if (GetObjectW(font, sizeof(description), &description) == 0) {
        return nullptr;
    }
    description.lfWeight = FW_BOLD;
    return UniqueFont(CreateFontIndirectW(&description));
}

void PaintBar(HWND bar) {
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(bar, &paint);
    RECT client{};
    GetClientRect(bar, &client);
    UniqueGdi<HBRUSH> background(CreateSolidBrush(BarColour));
    FillRect(dc, &client, background.get());

    // The title is read now, so a dialog that changes its text shows the new one.
    HWND owner = GetWindow(bar, GW_OWNER);
    std::wstring title(static_cast<size_t>(GetWindowTextLengthW(owner)) + 1, L'\0');
    title.resize(
        static_cast<size_t>(GetWindowTextW(owner, title.data(), static_cast<int>(title.size()))));

    RECT textArea = client;
    textArea.left = TitleIndent;
    if (HWND done = GetDlgItem(bar, IDOK)) {
        RECT button{};
        GetWindowRect(done, &button);
        MapWindowPoints(nullptr, bar, reinterpret_cast<POINT*>(&button), 2);
        textArea.right = button.left - TitleIndent;
    }
    NavigationBar* state = BarState(bar);
    HFONT font = state != nullptr && state->titleFont ? state->titleFont.get() : DialogFont(owner);
    HGDIOBJ previous = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, TitleColour);
    DrawTextW(dc, title.c_str(), static_cast<int>(title.size()), &textArea,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    SelectObject(dc, previous);
    EndPaint(bar, &paint);
}

// The Done button keeps to the right end of the bar, whatever the width of the screen.
void PlaceDoneButton(HWND bar) {
    RECT client{};
    GetClientRect(bar, &client);
    SetWindowPos(GetDlgItem(bar, IDOK), nullptr,
                 client.right - Scaled(DoneButtonMargin) - Scaled(DoneButtonWidth),
                 (client.bottom - Scaled(DoneButtonHeight)) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK NavigationBarProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEACTIVATE:
        // A tap on the bar must not take the activation away from the dialog.
        return MA_NOACTIVATE;
    case WM_PAINT:
        PaintBar(bar);
        return 0;
    case WM_SETTINGCHANGE:
        // The screen has turned: the bar goes across the top of the screen as it is now.
        if (wParam == SettingChangeReset) {
            MoveWindowTo(bar, NavigationBarRect());
        }
        break;
    case WM_SIZE:
        PlaceDoneButton(bar);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK && HIWORD(wParam) == BN_CLICKED) {
            SendMessageW(GetWindow(bar, GW_OWNER), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                         lParam);
            return 0;
        }
        break;
    case WM_NCDESTROY:
        StopFollowingOwner(bar);
        delete BarState(bar);
        SetWindowLongPtrW(bar, GWLP_USERDATA, 0);
        break;
    }
    return DefWindowProcW(bar, message, wParam, lParam);
}

bool RegisterBarClass() {
    static const bool registered = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.style = CS_HREDRAW | CS_VREDRAW;
        windowClass.lpfnWndProc = NavigationBarProc;
        windowClass.hInstance = ShellModule();
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.lpszClassName = NavigationBarClass;
        return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    return registered;
}

// The Done button works like a push button but never takes the focus: a tap on it must leave
// the dialog active, with its focus where it was.
LRESULT CALLBACK DoneButtonSubclassProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR, DWORD_PTR) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        SetCapture(button);
        SendMessageW(button, BM_SETSTATE, TRUE, 0);
        return 0;
    case WM_MOUSEMOVE:
        if (GetCapture() == button) {
            RECT client{};
            GetClientRect(button, &client);
            POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            SendMessageW(button, BM_SETSTATE, PtInRect(&client, point), 0);
        }
        return 0;
    case WM_LBUTTONUP:
        if (GetCapture() == button) {
            bool pressed = (SendMessageW(button, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
            ReleaseCapture();
            if (pressed) {
                SendMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                             reinterpret_cast<LPARAM>(button));
            }
        }
        return 0;
    case WM_CAPTURECHANGED:
        SendMessageW(button, BM_SETSTATE, FALSE, 0);
        return 0;
    }
    return DefSubclassProc(button, message, wParam, lParam);
}

void AddDoneButton(HWND bar, HWND dialog) {
    HWND done = CreateWindowExW(0, WC_BUTTONW, L"ok", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0,
                                Scaled(DoneButtonWidth), Scaled(DoneButtonHeight), bar,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDOK)), ShellModule(),
                                nullptr);
    SendMessageW(done, WM_SETFONT, reinterpret_cast<WPARAM>(DialogFont(dialog)), FALSE);
    SetWindowSubclass(done, DoneButtonSubclassProc, 0, 0);
    PlaceDoneButton(bar);
}

} // namespace

HWND FindNavigationBar(HWND dialog) {
    return FindOwnedWindow(dialog, NavigationBarClass);
}

HWND ShowNavigationBar(HWND dialog, bool doneButton) {
    HWND bar = FindNavigationBar(dialog);
    if (bar == nullptr) {
        if (!RegisterBarClass()) {
            return nullptr;
        }
        RECT place = NavigationBarRect();
        bar = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, NavigationBarClass, L"",
                              WS_POPUP, place.left, place.top, place.right - place.left,
                              place.bottom - place.top, dialog, nullptr, ShellModule(), nullptr);
        if (bar == nullptr) {
            return nullptr;
        }
        auto state = std::make_unique<NavigationBar>();
        state->titleFont = BoldFontLike(DialogFont(dialog));
        SetWindowLongPtrW(bar, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state.release()));
        FollowOwner(bar);
    }
    if (doneButton && GetDlgItem(bar, IDOK) == nullptr) {
        AddDoneButton(bar, dialog);
    }
    InvalidateRect(bar, nullptr, TRUE);
    return bar;
}

} // namespace handset
