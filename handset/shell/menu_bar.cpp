// Serves the program: the soft-key menu bar, a window of its own at the bottom of the screen that
// its dialog owns, hosting a toolbar of the menu-bar resource's buttons and owning the menu
// behind their drop-downs.
#include "aygshell.h"
#include "screen.h"

#include "handset/common/owners.h"

#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

namespace handset {

namespace {

// The resource's words: the menu's id, the button count, then seven words per button (image,
// command, state, style, string id, reserved, the index of its popup in the menu or NOMENU).
constexpr size_t WordsPerButton = 7;

struct MenuBar {
    HWND parent = nullptr;
    HWND toolbar = nullptr;
    UniqueMenu menu;                              // destroyed with the window
    std::vector<std::pair<UINT, UINT>> dropDowns; // each button's command and popup index
    int spacerIndex = -1; // the button that pushes the last one to the right edge
};

MenuBar* StateOf(HWND bar) {
    return reinterpret_cast<MenuBar*>(GetWindowLongPtrW(bar, GWLP_USERDATA));
}

HMENU DropDownMenu(const MenuBar& state, UINT command) {
    for (auto [button, index] : state.dropDowns) {
        if (button == command && index != NOMENU && state.menu) {
            return GetSubMenu(state.menu.get(), static_cast<int>(index));
        }
    }
    return nullptr;
}

// The first soft key sits at the left edge, the last at the right: the spacer between them takes
// whatever width the buttons leave, so a relabelled button keeps its place at the edge.
void LayOut(HWND bar, const MenuBar& state) {
    RECT client{};
    GetClientRect(bar, &client);
    MoveWindow(state.toolbar, 0, 0, client.right, client.bottom, TRUE);
    if (state.spacerIndex < 0) {
        return;
    }
    int count = static_cast<int>(SendMessageW(state.toolbar, TB_BUTTONCOUNT, 0, 0));
    int used = 0;
    for (int i = 0; i < count; ++i) {
        RECT item{};
        if (i != state.spacerIndex &&
            SendMessageW(state.toolbar, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&item))) {
            used += item.right - item.left;
        }
    }
    TBBUTTONINFOW spacer{};
    spacer.cbSize = sizeof(spacer);
    spacer.dwMask = TBIF_BYINDEX | TBIF_SIZE;
    spacer.cx = static_cast<WORD>(client.right > used ? client.right - used : 0);
    SendMessageW(state.toolbar, TB_SETBUTTONINFOW, state.spacerIndex,
                 reinterpret_cast<LPARAM>(&spacer));
}

// Opens the button's popup above it, owned by the parent, so that the chosen item's WM_COMMAND
// goes straight to the dialog.
void OpenDropDown(const MenuBar& state, HWND bar, UINT command, HMENU popup) {
    RECT button{};
    SendMessageW(state.toolbar, TB_GETRECT, command, reinterpret_cast<LPARAM>(&button));
    MapWindowPoints(state.toolbar, nullptr, reinterpret_cast<POINT*>(&button), 2);
    RECT place{};
    GetWindowRect(bar, &place);
    bool rightSide = button.left + button.right > place.left + place.right;
    UINT flags = TPM_BOTTOMALIGN | TPM_LEFTBUTTON | (rightSide ? TPM_RIGHTALIGN : TPM_LEFTALIGN);
    SendMessageW(state.toolbar, TB_PRESSBUTTON, command, TRUE);
    TrackPopupMenuEx(popup, flags, rightSide ? button.right : button.left, button.top, state.parent,
                     nullptr);
    if (IsWindow(state.toolbar)) {
        SendMessageW(state.toolbar, TB_PRESSBUTTON, command, FALSE);
    }
}

bool AnswerMenuBar(HWND bar, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    MenuBar* state = StateOf(bar);
    if (state == nullptr) {
        return false;
    }
    switch (message) {
    case SHCMBM_GETSUBMENU:
        result = reinterpret_cast<LRESULT>(DropDownMenu(*state, static_cast<UINT>(lParam)));
        return true;
    case WM_COMMAND:
        // A plain soft key reaches the dialog as its command; a drop-down button only opens its
        // popup.
        if (reinterpret_cast<HWND>(lParam) != state->toolbar) {
            return false;
        }
        if (DropDownMenu(*state, LOWORD(wParam)) == nullptr) {
            SendMessageW(state->parent, WM_COMMAND, MAKEWPARAM(LOWORD(wParam), 0),
                         reinterpret_cast<LPARAM>(bar));
        }
        return true;
    case WM_NOTIFY: {
        auto* notice = reinterpret_cast<const NMTOOLBARW*>(lParam);
        if (notice->hdr.hwndFrom != state->toolbar || notice->hdr.code != TBN_DROPDOWN) {
            return false;
        }
        HMENU popup = DropDownMenu(*state, static_cast<UINT>(notice->iItem));
        if (popup != nullptr) {
            OpenDropDown(*state, bar, static_cast<UINT>(notice->iItem), popup);
        }
        result = popup != nullptr ? TBDDRET_DEFAULT : TBDDRET_NODEFAULT;
        return true;
    }
    case WM_SIZE:
        LayOut(bar, *state);
        return true;
    case WM_NCDESTROY:
        SetWindowLongPtrW(bar, GWLP_USERDATA, 0);
        delete state;
        return false;
    }
    // Toolbar messages are the toolbar's to answer; a new label changes a button's width, so the
    // bar is laid out again after one.
    if (message > WM_USER && message < SHCMBM_GETSUBMENU) {
        result = SendMessageW(state->toolbar, message, wParam, lParam);
        if (message == TB_SETBUTTONINFOW) {
            LayOut(bar, *state);
        }
        return true;
    }
    return false;
}

constexpr BarKind MenuBarKind{MenuBarClass, MenuBarRect, AnswerMenuBar};

} // namespace

HWND CreateMenuBar(HWND parent, HINSTANCE module, const WORD* words) {
    auto state = std::make_unique<MenuBar>();
    state->parent = parent;
    size_t count = words != nullptr ? words[1] : 0;
    if (words != nullptr) {
        state->menu.reset(LoadMenuW(module, MAKEINTRESOURCEW(words[0])));
    }
    HWND bar = CreateBar(parent, MenuBarKind, WS_CLIPCHILDREN, state.get());
    if (bar == nullptr) {
        return nullptr;
    }
    MenuBar& menuBar = *state.release();
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    menuBar.toolbar = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                                      WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST |
                                          CCS_NOPARENTALIGN | CCS_NORESIZE,
                                      0, 0, 0, 0, bar, nullptr, ShellModule(), nullptr);
    SendMessageW(menuBar.toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(menuBar.toolbar, WM_SETFONT, SendMessageW(parent, WM_GETFONT, 0, 0), FALSE);
    SendMessageW(menuBar.toolbar, TB_SETBITMAPSIZE, 0, MAKELPARAM(0, 0));
    SendMessageW(menuBar.toolbar, TB_SETMAXTEXTROWS, 1, 0);
    std::vector<std::wstring> labels(count);
    std::vector<TBBUTTON> entries;
    for (size_t i = 0; i < count; ++i) {
        const WORD* button = words + 2 + i * WordsPerButton;
        if (i + 1 == count && i > 0) {
            // A disabled button without text draws nothing, where a separator would draw a line.
            menuBar.spacerIndex = static_cast<int>(entries.size());
            entries.push_back(TBBUTTON{I_IMAGENONE, 0, 0, BTNS_BUTTON, {}, 0, -1});
        }
        // LoadStringW with no buffer gives the resource's own text, which has no terminator.
        const wchar_t* label = nullptr;
        int length = LoadStringW(module, button[4], reinterpret_cast<LPWSTR>(&label), 0);
        labels[i].assign(label != nullptr ? label : L"", length > 0 ? length : 0);
        entries.push_back(TBBUTTON{static_cast<SHORT>(button[0]),
                                   button[1],
                                   static_cast<BYTE>(button[2]),
                                   static_cast<BYTE>(button[3]),
                                   {},
                                   0,
                                   reinterpret_cast<INT_PTR>(labels[i].c_str())});
        menuBar.dropDowns.emplace_back(button[1], button[6]);
    }
    SendMessageW(menuBar.toolbar, TB_ADDBUTTONSW, entries.size(),
                 reinterpret_cast<LPARAM>(entries.data()));
    LayOut(bar, menuBar);
    return bar;
}

} // namespace handset

// The program passes no flags: a bar made by flags (empty, hidden, coloured, from a menu) is not
// emulated and fails as the reference's FALSE, as does a resource too short for its buttons.
extern "C" BOOL WINAPI SHCreateMenuBar(SHMENUBARINFO* pmbi) {
    if (pmbi == nullptr) {
        return FALSE;
    }
    pmbi->hwndMB = nullptr;
    HRSRC found = FindResourceW(pmbi->hInstRes, MAKEINTRESOURCEW(pmbi->nToolBarId), RT_RCDATA);
    HGLOBAL loaded = found != nullptr ? LoadResource(pmbi->hInstRes, found) : nullptr;
    auto* words = static_cast<const WORD*>(loaded != nullptr ? LockResource(loaded) : nullptr);
    size_t count = words != nullptr ? SizeofResource(pmbi->hInstRes, found) / sizeof(WORD) : 0;
    if (pmbi->dwFlags != 0 || !IsWindow(pmbi->hwndParent) || count < 2 ||
        count < 2 + words[1] * handset::WordsPerButton) {
        return FALSE;
    }
    pmbi->hwndMB = handset::CreateMenuBar(pmbi->hwndParent, pmbi->hInstRes, words);
    return pmbi->hwndMB != nullptr;
}

// The bar is a window of its own that the window owns: "the gray bar at the bottom of the
// screen" (SHFindMenuBar, Windows Mobile).
extern "C" HWND WINAPI SHFindMenuBar(HWND hwnd) {
    return hwnd != nullptr && IsWindow(hwnd) ? handset::FindBar(hwnd, handset::MenuBarClass)
                                             : nullptr;
}
