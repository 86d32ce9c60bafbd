#include "ui/keyboard_order.h"

#include <algorithm>
#include <vector>

#include "ui/main_dialog_state.h"
#include "ui/resource.h"

namespace {

bool TakesFocus(HWND control) {
    LONG_PTR style = GetWindowLongW(control, GWL_STYLE);
    return (style & (WS_TABSTOP | WS_VISIBLE | WS_DISABLED)) == (WS_TABSTOP | WS_VISIBLE);
}

// The dialog a control belongs to, however deep inside it lies.
HWND DialogOf(HWND control) {
    HWND window = control;
    while (window != nullptr && (GetWindowLongW(window, GWL_STYLE) & WS_CHILD)) {
        window = GetParent(window);
    }
    return window;
}

// The tab control, the fields of the page shown in the order they were created, "3 - Repair".
std::vector<HWND> Chain(HWND dialog) {
    std::vector<HWND> chain = {GetDlgItem(dialog, IDC_SETTINGS_TABS)};
    if (MainDialogState* state = GetMainDialogState(dialog); state && state->currentPage) {
        for (HWND field = GetWindow(state->currentPage, GW_CHILD); field != nullptr;
             field = GetWindow(field, GW_HWNDNEXT)) {
            chain.push_back(field);
        }
    }
    chain.push_back(GetDlgItem(dialog, IDC_REPAIR));
    std::erase_if(chain, [](HWND control) { return !TakesFocus(control); });
    return chain;
}

// Posted, not sent, as the reference asks of a focus change made while other messages may move
// the focus (WM_NEXTDLGCTL, Windows CE 5.0). The dialog manager selects an edit's text and moves
// the default button as for its own moves.
void HandOn(HWND control, bool backwards) {
    HWND dialog = DialogOf(control);
    std::vector<HWND> chain = Chain(dialog);
    auto at = std::find(chain.begin(), chain.end(), control);
    HWND next = nullptr;
    if (at != chain.end()) {
        if (backwards && at != chain.begin()) {
            next = *(at - 1);
        } else if (!backwards && at + 1 != chain.end()) {
            next = *(at + 1);
        }
    }
    if (next != nullptr) {
        PostMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
    } else {
        PostMessageW(dialog, WM_NEXTDLGCTL, backwards, FALSE);
    }
}

// A handset's GetNextDlgTabItem searches the dialog's controls "in the order they were created"
// and no further (GetNextDlgTabItem, Windows CE 5.0); WS_EX_CONTROLPARENT, which lets a desktop's
// dialog manager walk into a control's children, is among the styles that CreateWindowEx on a
// handset does not support (CreateWindowEx, Windows Mobile). What a handset documents is that a
// control may take the Tab key itself (WM_GETDLGCODE and DLGC_WANTTAB, Windows CE 5.0), through a
// subclass (CallWindowProc, Windows CE 5.0).
LRESULT CALLBACK TabKeyProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    auto original = reinterpret_cast<WNDPROC>(GetWindowLongW(control, GWL_USERDATA));
    switch (message) {
    case WM_GETDLGCODE:
        return CallWindowProcW(original, control, message, wParam, lParam) | DLGC_WANTTAB;
    case WM_KEYDOWN:
        if (wParam == VK_TAB) {
            HandOn(control, GetKeyState(VK_SHIFT) < 0);
            return 0;
        }
        break;
    case WM_CHAR:
        // The character of the Tab key, which the control would take as typed.
        if (wParam == L'\t') {
            return 0;
        }
        break;
    default:
        break;
    }
    return CallWindowProcW(original, control, message, wParam, lParam);
}

} // namespace

void TakeTabKey(HWND control) {
    if (control == nullptr ||
        GetWindowLongW(control, GWL_WNDPROC) == reinterpret_cast<LONG_PTR>(TabKeyProc)) {
        return;
    }
    // The standard controls leave their GWL_USERDATA to the program.
    SetWindowLongW(control, GWL_USERDATA, GetWindowLongW(control, GWL_WNDPROC));
    SetWindowLongW(control, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(TabKeyProc));
}
