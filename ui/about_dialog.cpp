#include "ui/about_dialog.h"

#include <aygshell.h>

namespace {

INT_PTR OnInitDialog(HWND dialog) {
    SHINITDLGINFO info{};
    info.dwMask = SHIDIM_FLAGS;
    info.hDlg = dialog;
    info.dwFlags = SHIDIF_DONEBUTTON | SHIDIF_SIPDOWN | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_EMPTYMENU;
    SHInitDialog(&info);
    return TRUE;
}

INT_PTR OnCommand(HWND dialog, WPARAM wParam) {
    if (LOWORD(wParam) != IDOK) {
        return FALSE;
    }
    EndDialog(dialog, IDOK);
    return TRUE;
}

} // namespace

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog);
    case WM_COMMAND:
        return OnCommand(dialog, wParam);
    case WM_CLOSE:
        EndDialog(dialog, WM_CLOSE);
        return TRUE;
    default:
        return FALSE;
    }
}
