// Serves the program: SHInitDialog's full-screen dialog below the navigation bar, which shows its
// title and the Done button.
#include "aygshell.h"
#include "screen.h"

#include "handset/common/owners.h"

#include <commctrl.h>
#include <windowsx.h>

#include <string>

namespace handset {

namespace {

constexpr COLORREF BarColour = RGB(0, 40, 120);
constexpr COLORREF TitleColour = RGB(255, 255, 255);
constexpr int TitleIndent = 6;
constexpr int DoneButtonWidth = 32;
constexpr int DoneButtonHeight = 20;
constexpr int DoneButtonMargin = 3;

// The title stands out in bold, as on the handset; it is read now, so a dialog that changes its
// text shows the new one.
void PaintBar(HWND bar) {
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(bar, &paint);
    RECT client{};
    GetClientRect(bar, &client);
    UniqueGdi<HBRUSH> background(CreateSolidBrush(BarColour));
    FillRect(dc, &client, background.get());

    HWND owner = GetWindow(bar, GW_OWNER);
    std::wstring title(static_cast<size_t>(GetWindowTextLengthW(owner)) + 1, L'\0');
    title.resize(
        static_cast<size_t>(GetWindowTextW(owner, title.data(), static_cast<int>(title.size()))));
    RECT textArea{TitleIndent, 0, client.right, client.bottom};
    if (GetDlgItem(bar, IDOK) != nullptr) {
        textArea.right -= Scaled(DoneButtonMargin + DoneButtonWidth) + TitleIndent;
    }
    LOGFONTW description{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(owner, WM_GETFONT, 0, 0)), sizeof(description),
               &description);
    description.lfWeight = FW_BOLD;
    UniqueGdi<HFONT> font(CreateFontIndirectW(&description));
    HGDIOBJ previous = SelectObject(dc, font.get());
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

bool AnswerNavigationBar(HWND bar, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_PAINT:
        PaintBar(bar);
        return true;
    case WM_SIZE:
        PlaceDoneButton(bar);
        return true;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK && HIWORD(wParam) == BN_CLICKED) {
            result = SendMessageW(GetWindow(bar, GW_OWNER), WM_COMMAND, wParam, lParam);
            return true;
        }
        break;
    }
    return false;
}

constexpr BarKind NavigationBarKind{L"navigation_bar", NavigationBarRect, AnswerNavigationBar};

// The Done button works like a push button but never takes the focus: a tap on it must leave
// the dialog active, with its focus where it was.
LRESULT CALLBACK DoneButtonSubclassProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR, DWORD_PTR) {
    RECT client{};
    GetClientRect(button, &client);
    bool inside = PtInRect(&client, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}) != FALSE;
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        SetCapture(button);
        [[fallthrough]];
    case WM_MOUSEMOVE:
        if (GetCapture() == button) {
            SendMessageW(button, BM_SETSTATE, inside, 0);
        }
        return 0;
    case WM_LBUTTONUP:
        if (GetCapture() == button) {
            ReleaseCapture();
            if (inside) {
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

// The dialog fills the screen below the navigation bar, which carries its title instead of a
// caption, down to the menu bar (SHINITDLGINFO, Windows Mobile). A program built for this
// platform is orientation-aware: when the screen turns, the shell sizes each full-screen dialog
// to the screen as it is now, which the dialog hears as WM_SIZE, and then it hears
// WM_SETTINGCHANGE (How Applications Detect and Respond to Screen Rotation; Rotation Behavior in
// Older Applications, Windows Mobile: no scroll bar is added).
LRESULT CALLBACK FullScreenSubclassProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR, DWORD_PTR) {
    if (message == WM_SETTINGCHANGE && wParam == SettingChangeReset) {
        MoveWindowTo(dialog, FullScreenRect());
    } else if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(dialog, FullScreenSubclassProc, 1);
    }
    return DefSubclassProc(dialog, message, wParam, lParam);
}

void SizeFullScreen(HWND dialog) {
    SetWindowLongPtrW(dialog, GWL_STYLE,
                      GetWindowLongPtrW(dialog, GWL_STYLE) &
                          ~static_cast<LONG_PTR>(WS_CAPTION | WS_THICKFRAME | WS_SYSMENU |
                                                 WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    SetWindowLongPtrW(dialog, GWL_EXSTYLE,
                      GetWindowLongPtrW(dialog, GWL_EXSTYLE) &
                          ~static_cast<LONG_PTR>(WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE |
                                                 WS_EX_CLIENTEDGE | WS_EX_STATICEDGE));
    RECT screen = FullScreenRect();
    SetWindowPos(dialog, nullptr, screen.left, screen.top, screen.right - screen.left,
                 screen.bottom - screen.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    SetWindowSubclass(dialog, FullScreenSubclassProc, 1, 0);
}

void AddDoneButton(HWND bar, HWND dialog) {
    HWND done = CreateWindowExW(0, WC_BUTTONW, L"ok", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0,
                                Scaled(DoneButtonWidth), Scaled(DoneButtonHeight), bar,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDOK)), ShellModule(),
                                nullptr);
    SendMessageW(done, WM_SETFONT, SendMessageW(dialog, WM_GETFONT, 0, 0), FALSE);
    SetWindowSubclass(done, DoneButtonSubclassProc, 0, 0);
    PlaceDoneButton(bar);
}

} // namespace

} // namespace handset

// The program makes full-screen dialogs only: a call without SHIDIF_SIZEDLGFULLSCREEN, or with a
// flag the program never passes, is not emulated and fails as the reference's FALSE. A dialog's
// window class is the atom 32770.
extern "C" BOOL WINAPI SHInitDialog(PSHINITDLGINFO pshidi) {
    constexpr DWORD Emulated =
        SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN | SHIDIF_EMPTYMENU;
    if (pshidi == nullptr || pshidi->dwMask != SHIDIM_FLAGS ||
        GetClassLongPtrW(pshidi->hDlg, GCW_ATOM) != 32770 || (pshidi->dwFlags & ~Emulated) != 0 ||
        !(pshidi->dwFlags & SHIDIF_SIZEDLGFULLSCREEN)) {
        return FALSE;
    }
    HWND dialog = pshidi->hDlg;
    handset::SizeFullScreen(dialog);
    HWND bar = handset::CreateBar(dialog, handset::NavigationBarKind, 0, nullptr);
    if (bar != nullptr && (pshidi->dwFlags & SHIDIF_DONEBUTTON)) {
        handset::AddDoneButton(bar, dialog);
    }
    // There is no input panel to lower: SHIDIF_SIPDOWN needs nothing.
    if (pshidi->dwFlags & SHIDIF_EMPTYMENU) {
        handset::CreateMenuBar(dialog, handset::ShellModule(), nullptr);
    }
    return bar != nullptr;
}
