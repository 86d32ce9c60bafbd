// Serves the program: the Pocket PC shell calls it makes, full-screen dialogs with a Done button
// and the soft-key menu bar at the bottom of the screen.
#pragma once

#include <windows.h>
#include <commctrl.h>

// SHInitDialog
#define SHIDIM_FLAGS 0x0001

#define SHIDIF_DONEBUTTON 0x0001
#define SHIDIF_SIZEDLGFULLSCREEN 0x0004
#define SHIDIF_SIPDOWN 0x0008
#define SHIDIF_EMPTYMENU 0x0020

// An OK button in a dialog's caption, which sends IDOK.
#define WS_EX_CAPTIONOKBTN 0x80000000L

// Menu-bar resources: a button without a drop-down names this menu index.
#define NOMENU 0xFFFF

// The menu bar's message for the popup behind a button.
#define SHCMBM_GETSUBMENU (WM_USER + 401)

#ifndef RC_INVOKED

typedef struct tagSHINITDLGINFO {
    DWORD dwMask;
    HWND hDlg;
    DWORD dwFlags;
} SHINITDLGINFO, *PSHINITDLGINFO;

typedef struct tagSHMENUBARINFO {
    DWORD cbSize;
    HWND hwndParent;
    DWORD dwFlags;
    UINT nToolBarId;
    HINSTANCE hInstRes;
    int nBmpId;
    int cBmpImages;
    HWND hwndMB;
    COLORREF clrBk;
} SHMENUBARINFO;

#ifdef __cplusplus
extern "C" {
#endif

BOOL WINAPI SHInitDialog(PSHINITDLGINFO pshidi);
BOOL WINAPI SHCreateMenuBar(SHMENUBARINFO* pmbi);
HWND WINAPI SHFindMenuBar(HWND hwnd);

#ifdef __cplusplus
}
#endif

#endif // RC_INVOKED
