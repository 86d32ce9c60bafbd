// dialog_driver.exe STEP: moves a running Courierfix on by one step from another process,
// through window messages, as the screenshot script and the fault tests need it. Each step
// returns once the program has taken it; exit code 0, or 1 with a line on stderr when the window
// is not there.
//
//   wait          waits until the main dialog is shown
//   tab N         shows settings page N (0 Server, 1 Stmp auth)
//   options       opens the drop-down of the Options soft key, as a tap on it does
//   escape        closes an open menu, as the Escape key does
//   repair        taps "3 - Repair" and prints the result line
//   about         opens the About dialog from its menu command
//   close-about   closes the About dialog with its OK button
//   quit          the "Quit" soft key; waits until the program has ended
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "files/handles.h"
#include "tests/support/window_queries.h"
#include "ui/resource.h"

namespace {

using testing_support::FindShownDialog;
using testing_support::WaitForShownDialog;

// The menu bar's toolbar: the child of the menu-bar window that the dialog owns.
HWND FindSoftKeyToolbar(HWND dialog) {
    for (HWND window = GetTopWindow(nullptr); window != nullptr;
         window = GetWindow(window, GW_HWNDNEXT)) {
        if (GetWindow(window, GW_OWNER) == dialog) {
            if (HWND toolbar = FindWindowExW(window, nullptr, TOOLBARCLASSNAMEW, nullptr)) {
                return toolbar;
            }
        }
    }
    return nullptr;
}

void PostCommand(HWND window, int command) {
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

int Fail(const char* what) {
    std::fprintf(stderr, "dialog_driver: %s\n", what);
    return 1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        return Fail("no step given");
    }
    const std::wstring step = argv[1];
    HWND dialog = WaitForShownDialog(IDC_ACCOUNT_LIST, L"Courierfix");
    if (dialog == nullptr) {
        return Fail("the main dialog is not shown");
    }
    if (step == L"wait") {
        return 0;
    }
    if (step == L"tab" && argc == 3) {
        SendDlgItemMessageW(dialog, IDC_SETTINGS_TABS, TCM_SETCURFOCUS, _wtoi(argv[2]), 0);
        return 0;
    }
    if (step == L"options") {
        // The Options key is the bar's last button, at its right end: a press there opens its
        // drop-down, which then keeps the program in its menu loop, so the press is posted.
        HWND toolbar = FindSoftKeyToolbar(dialog);
        if (toolbar == nullptr) {
            return Fail("the menu bar is not there");
        }
        RECT client{};
        GetClientRect(toolbar, &client);
        PostMessageW(toolbar, WM_LBUTTONDOWN, MK_LBUTTON,
                     MAKELPARAM(client.right - 12, client.bottom / 2));
        return 0;
    }
    if (step == L"escape") {
        // A menu loop takes the keys posted to any window of its thread.
        PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
        return 0;
    }
    if (step == L"repair") {
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_REPAIR, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_REPAIR)));
        std::wprintf(L"%ls\n",
                     testing_support::TextOf(GetDlgItem(dialog, IDC_RESULT_LINE)).c_str());
        return 0;
    }
    if (step == L"about") {
        PostCommand(dialog, IDM_ABOUT);
        return WaitForShownDialog(IDC_ABOUT_VERSION, L"Courierfix") != nullptr
                   ? 0
                   : Fail("the About dialog is not shown");
    }
    if (step == L"close-about") {
        HWND about = FindShownDialog(IDC_ABOUT_VERSION, L"Courierfix");
        if (about == nullptr) {
            return Fail("the About dialog is not shown");
        }
        PostCommand(about, IDOK);
        return 0;
    }
    if (step == L"quit") {
        DWORD processId = 0;
        GetWindowThreadProcessId(dialog, &processId);
        OwnedKernelObject process(OpenProcess(SYNCHRONIZE, FALSE, processId));
        PostCommand(dialog, IDM_QUIT);
        if (process.IsValid()) {
            WaitForSingleObject(process.Get(), 30000);
        }
        return 0;
    }
    return Fail("unknown step");
}
