// The Pocket PC shell calls the program uses: full-screen dialogs with a Done button, and the
// soft-key menu bar at the bottom of the screen.
#pragma once

#include <windows.h>
#include <commctrl.h>

// SHInitDialog
#define SHIDIM_FLAGS 0x0001

#define SHIDIF_DONEBUTTON 0x0001
#define SHIDIF_SIZEDLG 0x0002
#define SHIDIF_SIZEDLGFULLSCREEN 0x0004
#define SHIDIF_SIPDOWN 0x0008
#define SHIDIF_FULLSCREENNOMENUBAR 0x0010
#define SHIDIF_EMPTYMENU 0x0020

// An OK button in a dialog's caption, which sends IDOK.
#define WS_EX_CAPTIONOKBTN 0x80000000L

// Menu-bar resources: a button without a drop-down names this menu index.
#define NOMENU 0xFFFF

// Messages of the menu bar window.
#define SHCMBM_SETSUBMENU (WM_USER + 400)
#define SHCMBM_GETSUBMENU (WM_USER + 401)
#define SHCMBM_GETMENU (WM_USER + 402)

// SHCreateMenuBar flags
#define SHCMBF_EMPTYBAR 0x0001
#define SHCMBF_HIDDEN 0x0002
#define SHCMBF_HIDESIPBUTTON 0x0004
#define SHCMBF_COLORBK 0x0008
#define SHCMBF_HMENU 0x0010

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
} SHMENUBARINFO, *PSHMENUBARINFO;

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
