#include "ui/menu_bar.h"

#include <aygshell.h>

void SetMenuBarItemCheck(HWND window, UINT buttonCommand, UINT itemCommand, bool checked) {
    HWND menuBar = SHFindMenuBar(window);
    if (menuBar == nullptr) {
        return;
    }
    auto dropDown =
        reinterpret_cast<HMENU>(SendMessageW(menuBar, SHCMBM_GETSUBMENU, 0, buttonCommand));
    if (dropDown == nullptr) {
        return;
    }
    CheckMenuItem(dropDown, itemCommand, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}
