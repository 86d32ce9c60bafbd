#include "ui/main_dialog.h"

#include <aygshell.h>
#include <commctrl.h>

#include <memory>

#include "accounts/account_table.h"
#include "autostart/startup_shortcut.h"
#include "files/program_folder.h"
#include "store/config_file.h"
#include "ui/about_dialog.h"
#include "ui/dialog_instance.h"
#include "ui/dialog_layout.h"
#include "ui/dialog_template.h"
#include "ui/keyboard_order.h"
#include "ui/main_dialog_state.h"
#include "ui/menu_bar.h"
#include "ui/repair_command.h"
#include "ui/resource.h"
#include "ui/settings_pages.h"

HWND menuBarWindow = nullptr;

namespace {

// The first that fits the dialog gives its controls their places.
constexpr int mainTemplates[] = {IDD_MAIN, IDD_MAIN_LANDSCAPE, IDD_MAIN_SQUARE};

HWND AccountList(HWND dialog) {
    return GetDlgItem(dialog, IDC_ACCOUNT_LIST);
}

HMENU OptionsMenu(HWND dialog) {
    return reinterpret_cast<HMENU>(
        SendMessageW(SHFindMenuBar(dialog), SHCMBM_GETSUBMENU, 0, IDM_OPTIONS));
}

// Until a repair shows its own result, the result line says whether the saved settings could be
// read at start: fields left empty by a config that could not be read are not those of an
// account without saved settings, and a repair from them would empty the handset's.
void ResetResultLine(HWND dialog) {
    HWND resultLine = GetDlgItem(dialog, IDC_RESULT_LINE);
    if (ConfigLoadedWhole()) {
        ShowWindow(resultLine, SW_HIDE);
        return;
    }
    SetDlgItemTextW(dialog, IDC_RESULT_LINE, L"Saved settings could not be read");
    ShowWindow(resultLine, SW_SHOW);
}

// Repair works on the selected account; without one it is offered nowhere.
void UpdateRepairCommands(HWND dialog) {
    const bool hasAccount = GetSelectedAccount(AccountList(dialog)) != nullptr;
    EnableWindow(GetDlgItem(dialog, IDC_REPAIR), hasAccount);
    if (HMENU menu = OptionsMenu(dialog)) {
        EnableMenuItem(menu, IDM_REPAIR, MF_BYCOMMAND | (hasAccount ? MF_ENABLED : MF_GRAYED));
    }
}

// The check mark shows whether the Startup shortcut starts this program's repair of every saved
// account. It is read again whenever the Options menu opens, so that a change made elsewhere (a
// copy of the program moved, its shortcut written by the other copy) shows; the soft-key menu's
// parent hears WM_INITMENUPOPUP as the menu is about to show ("How to: Obtain a Handle to a Soft
// Key Menu", Windows Mobile 5.0).
void ShowAutoRepairState(HWND dialog) {
    SetMenuBarItemCheck(dialog, IDM_OPTIONS, IDM_AUTO_REPAIR, StartupShortcutExists());
}

void InsertTab(HWND tabControl, int index, const wchar_t* caption) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.iImage = -1;
    item.pszText = const_cast<wchar_t*>(caption);
    SendMessageW(tabControl, TCM_INSERTITEMW, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&item));
}

void OnInitDialog(HWND dialog) {
    SHINITDLGINFO dialogInfo{};
    dialogInfo.dwMask = SHIDIM_FLAGS;
    dialogInfo.hDlg = dialog;
    dialogInfo.dwFlags = SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN;
    SHInitDialog(&dialogInfo);

    SHMENUBARINFO menuBarInfo{};
    menuBarInfo.cbSize = sizeof(menuBarInfo);
    menuBarInfo.hwndParent = dialog;
    menuBarInfo.nToolBarId = IDR_MENUBAR;
    menuBarInfo.hInstRes = instanceHandle;
    SHCreateMenuBar(&menuBarInfo);
    menuBarWindow = menuBarInfo.hwndMB;

    // The resource calls the right soft key "Help"; its menu holds more than help.
    TBBUTTONINFOW buttonInfo{};
    buttonInfo.cbSize = sizeof(buttonInfo);
    buttonInfo.dwMask = TBIF_TEXT;
    buttonInfo.pszText = const_cast<wchar_t*>(L"Options");
    SendMessageW(SHFindMenuBar(dialog), TB_SETBUTTONINFOW, IDM_OPTIONS,
                 reinterpret_cast<LPARAM>(&buttonInfo));
    DrawMenuBar(menuBarWindow);

    ShowAutoRepairState(dialog);

    // The dialog window owns its state from here until WM_DESTROY.
    MainDialogState* state = std::make_unique<MainDialogState>().release();
    SetWindowLongW(dialog, GWL_USERDATA, reinterpret_cast<LONG_PTR>(state));
    HWND tabControl = GetDlgItem(dialog, IDC_SETTINGS_TABS);
    InsertTab(tabControl, 0, L"Server");
    InsertTab(tabControl, 1, L"Stmp auth");
    state->tabControl = tabControl;

    // The dialog manager visits the dialog's own controls in z-order: ">" first, the list, the
    // tabs (and through them the page's fields), "3 - Repair" last.
    SetWindowPos(GetDlgItem(dialog, IDC_NEXT_ACCOUNT), HWND_TOP, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    SetWindowPos(GetDlgItem(dialog, IDC_REPAIR), HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    TakeTabKey(tabControl);
    TakeTabKey(GetDlgItem(dialog, IDC_REPAIR));
    accountTable.FillAccountList(AccountList(dialog));
    ResetResultLine(dialog);
    ShowSettingsPage(dialog, IDC_SETTINGS_TABS);
    UpdateRepairCommands(dialog);
    PublishMainDialog(dialog);
}

// Another account: its page is built anew; what was typed and not collected is dropped.
void OnAccountChanged(HWND dialog) {
    ResetResultLine(dialog);
    ShowSettingsPage(dialog, IDC_SETTINGS_TABS);
    UpdateRepairCommands(dialog);
}

// The page always shows the account that the list shows, whichever way the selection moved: a
// key in the closed or the open list, a tap, Escape in the open list (which keeps the item it
// moved to), ">".
void ShowSelectedAccount(HWND dialog) {
    MainDialogState* state = GetMainDialogState(dialog);
    if (state != nullptr && GetSelectedAccount(AccountList(dialog)) != state->pageAccount) {
        OnAccountChanged(dialog);
    }
}

void OnNextAccount(HWND dialog) {
    HWND list = AccountList(dialog);
    LRESULT next = SendMessageW(list, CB_GETCURSEL, 0, 0) + 1;
    if (next >= SendMessageW(list, CB_GETCOUNT, 0, 0)) {
        next = 0;
    }
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(next), 0);
    OnAccountChanged(dialog);
}

void OnInitMenuPopup(HWND dialog, HMENU popup) {
    if (popup != nullptr && popup == OptionsMenu(dialog)) {
        ShowAutoRepairState(dialog);
    }
}

// The check mark tells which way the switch goes, read again first; it changes only when the
// shortcut really was written or removed. Switching on writes this program's shortcut over
// whatever the file held.
void OnToggleAutoRepair(HWND dialog) {
    HMENU menu = OptionsMenu(dialog);
    if (menu == nullptr) {
        return;
    }
    ShowAutoRepairState(dialog);
    MENUITEMINFOW item{};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_STATE;
    GetMenuItemInfoW(menu, IDM_AUTO_REPAIR, FALSE, &item);
    if (item.fState & MFS_CHECKED) {
        if (RemoveStartupShortcut() == 0) {
            CheckMenuItem(menu, IDM_AUTO_REPAIR, MF_BYCOMMAND | MF_UNCHECKED);
        }
    } else if (CreateStartupShortcut(RepairAllArguments) == 0) {
        CheckMenuItem(menu, IDM_AUTO_REPAIR, MF_BYCOMMAND | MF_CHECKED);
    }
}

void OnAbout() {
    if (LPCDLGTEMPLATEW aboutTemplate = LoadDialogTemplate(IDD_ABOUT)) {
        DialogBoxIndirectParamW(instanceHandle, aboutTemplate, nullptr, AboutDialogProc, 0);
    }
}

void OnCommand(HWND dialog, int command, int notification) {
    switch (command) {
    case IDOK:
        EndDialog(dialog, IDOK);
        break;
    case IDC_ACCOUNT_LIST:
        // A choice from the list builds the page anew even for the account already shown; a
        // selection that only moved does so when the account changed.
        if (notification == CBN_SELENDOK) {
            OnAccountChanged(dialog);
        } else if (notification == CBN_SELCHANGE || notification == CBN_SELENDCANCEL ||
                   notification == CBN_CLOSEUP) {
            ShowSelectedAccount(dialog);
        }
        break;
    case IDC_REPAIR:
    case IDM_REPAIR:
        ShowSelectedAccount(dialog);
        RunRepairCommand(dialog);
        break;
    case IDC_NEXT_ACCOUNT:
        OnNextAccount(dialog);
        break;
    case IDM_AUTO_REPAIR:
        OnToggleAutoRepair(dialog);
        break;
    case IDM_QUIT:
        EndDialog(dialog, IDM_QUIT);
        break;
    case IDM_ABOUT:
        OnAbout();
        break;
    default:
        break;
    }
}

void OnNotify(HWND dialog, const NMHDR& header) {
    // The tab being left is still current while the change is announced.
    if (header.code == TCN_SELCHANGING) {
        CollectSettingsPage(dialog, static_cast<int>(header.idFrom));
    } else if (header.code == TCN_SELCHANGE) {
        ShowSettingsPage(dialog, static_cast<int>(header.idFrom));
    }
}

void OnDestroy(HWND dialog) {
    PublishMainDialog(nullptr);
    DestroyWindow(menuBarWindow);
    menuBarWindow = nullptr;
    // The pages go with the dialog; the accounts stay in the table until shutdown.
    std::unique_ptr<MainDialogState> state(GetMainDialogState(dialog));
    SetWindowLongW(dialog, GWL_USERDATA, 0);
}

} // namespace

MainDialogState* GetMainDialogState(HWND dialog) {
    return reinterpret_cast<MainDialogState*>(GetWindowLongW(dialog, GWL_USERDATA));
}

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        break;
    case WM_COMMAND:
        OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
        break;
    case WM_NOTIFY:
        OnNotify(dialog, *reinterpret_cast<const NMHDR*>(lParam));
        break;
    case WM_INITMENUPOPUP:
        OnInitMenuPopup(dialog, reinterpret_cast<HMENU>(wParam));
        break;
    case WM_SIZE:
        // The shell sizes the dialog to the screen, and again when the screen turns.
        LayOutDialog(dialog, mainTemplates);
        break;
    case WM_DESTROY:
        OnDestroy(dialog);
        break;
    default:
        break;
    }
    return FALSE;
}

bool RegisterMainDialogControls() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TAB_CLASSES | ICC_BAR_CLASSES};
    return InitCommonControlsEx(&controls) != FALSE;
}

void RunMainDialog() {
    if (LPCDLGTEMPLATEW mainTemplate = LoadDialogTemplate(IDD_MAIN);
        mainTemplate != nullptr && RegisterMainDialogControls()) {
        DialogBoxIndirectParamW(instanceHandle, mainTemplate, nullptr, MainDialogProc, 0);
    }
}
