#include "menu_worker.h"
#include "aygshell.h"
#include "screen.h"

#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

namespace handset {

namespace {

constexpr int ToolbarId = 1;
constexpr int MaxLabelLength = 256;

struct MenuWorker {
    HWND parent = nullptr;
    HWND toolbar = nullptr;
    UniqueMenu menu; // destroyed with the window
    std::vector<MenuBarButton> buttons;
    int spacerIndex = -1; // the separator that pushes the last button to the right edge
};

MenuWorker* WorkerState(HWND window) {
    return reinterpret_cast<MenuWorker*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

HMENU DropDownMenu(const MenuWorker& worker, UINT command) {
    if (!worker.menu) {
        return nullptr;
    }
    for (const MenuBarButton& button : worker.buttons) {
        if (button.command == command) {
            return button.dropDown == NOMENU
                       ? nullptr
                       : GetSubMenu(worker.menu.get(), static_cast<int>(button.dropDown));
        }
    }
    return nullptr;
}

// The first soft key sits at the left edge, the last at the right: the spacer between them takes
// whatever width the buttons leave, so a relabelled button keeps its place at the edge.
void LayOut(HWND window, const MenuWorker& worker) {
    RECT client{};
    GetClientRect(window, &client);
    MoveWindow(worker.toolbar, 0, 0, client.right, client.bottom, TRUE);
    if (worker.spacerIndex < 0) {
        return;
    }
    int count = static_cast<int>(SendMessageW(worker.toolbar, TB_BUTTONCOUNT, 0, 0));
    int used = 0;
    for (int i = 0; i < count; ++i) {
        RECT item{};
        if (i != worker.spacerIndex &&
            SendMessageW(worker.toolbar, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&item))) {
            used += item.right - item.left;
        }
    }
    TBBUTTONINFOW spacer{};
    spacer.cbSize = sizeof(spacer);
    spacer.dwMask = TBIF_BYINDEX | TBIF_SIZE;
    spacer.cx = static_cast<WORD>(client.right > used ? client.right - used : 0);
    SendMessageW(worker.toolbar, TB_SETBUTTONINFOW, worker.spacerIndex,
                 reinterpret_cast<LPARAM>(&spacer));
}

// Opens the button's popup above it, owned by the parent, so that the chosen item's WM_COMMAND
// goes straight to the dialog.
void OpenDropDown(const MenuWorker& worker, HWND window, UINT command, HMENU popup) {
    HWND toolbar = worker.toolbar;
    RECT button{};
    SendMessageW(toolbar, TB_GETRECT, command, reinterpret_cast<LPARAM>(&button));
    MapWindowPoints(toolbar, nullptr, reinterpret_cast<POINT*>(&button), 2);
    RECT bar{};
    GetWindowRect(window, &bar);
    bool rightSide = button.left + button.right > bar.left + bar.right;
    UINT flags = TPM_BOTTOMALIGN | TPM_LEFTBUTTON | (rightSide ? TPM_RIGHTALIGN : TPM_LEFTALIGN);
    SendMessageW(toolbar, TB_PRESSBUTTON, command, TRUE);
    TrackPopupMenuEx(popup, flags, rightSide ? button.right : button.left, button.top,
                     worker.parent, nullptr);
    if (IsWindow(toolbar)) {
        SendMessageW(toolbar, TB_PRESSBUTTON, command, FALSE);
    }
}

LRESULT CALLBACK MenuWorkerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MenuWorker* worker = WorkerState(window);
    if (worker == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    switch (message) {
    case WM_MOUSEACTIVATE:
        // A tap on a soft key must not take the activation away from the dialog.
        return MA_NOACTIVATE;
    case SHCMBM_GETSUBMENU:
        return reinterpret_cast<LRESULT>(DropDownMenu(*worker, static_cast<UINT>(lParam)));
    case SHCMBM_GETMENU:
        return reinterpret_cast<LRESULT>(worker->menu.get());
    case WM_COMMAND:
        // A plain soft key reaches the dialog as its command; a drop-down button only opens its
        // popup.
        if (reinterpret_cast<HWND>(lParam) == worker->toolbar) {
            if (DropDownMenu(*worker, LOWORD(wParam)) == nullptr) {
                SendMessageW(worker->parent, WM_COMMAND, MAKEWPARAM(LOWORD(wParam), 0),
                             reinterpret_cast<LPARAM>(window));
            }
            return 0;
        }
        break;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->hwndFrom == worker->toolbar && header->code == TBN_DROPDOWN) {
            auto* notice = reinterpret_cast<const NMTOOLBARW*>(lParam);
            UINT command = static_cast<UINT>(notice->iItem);
            if (HMENU popup = DropDownMenu(*worker, command)) {
                OpenDropDown(*worker, window, command, popup);
                return TBDDRET_DEFAULT;
            }
            return TBDDRET_NODEFAULT;
        }
        break;
    }
    case WM_SIZE:
        LayOut(window, *worker);
        return 0;
    case WM_SETTINGCHANGE:
        // The screen has turned: the bar goes to the bottom of the screen as it is now.
        if (wParam == SettingChangeReset) {
            MoveWindowTo(window, MenuBarRect());
        }
        break;
    case WM_DESTROY:
        StopFollowingOwner(window);
        worker->menu.reset();
        break;
    case WM_NCDESTROY:
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        delete worker;
        return DefWindowProcW(window, message, wParam, lParam);
    default:
        // Toolbar messages are the toolbar's to answer; any of them may change a button's
        // width, so the bar is laid out again after each.
        if (message > WM_USER && message < SHCMBM_SETSUBMENU) {
            LRESULT answer = SendMessageW(worker->toolbar, message, wParam, lParam);
            LayOut(window, *worker);
            return answer;
        }
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool RegisterWorkerClass() {
    static const bool registered = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = MenuWorkerProc;
        windowClass.hInstance = ShellModule();
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = MenuWorkerClass;
        return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    return registered;
}

std::wstring LoadLabel(HINSTANCE module, UINT id) {
    wchar_t text[MaxLabelLength] = {};
    int length = LoadStringW(module, id, text, MaxLabelLength);
    return std::wstring(text, length > 0 ? static_cast<size_t>(length) : 0);
}

HWND CreateToolbar(HWND window, HINSTANCE module, MenuWorker& worker) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    RECT client{};
    GetClientRect(window, &client);
    HWND toolbar = CreateWindowExW(
        0, TOOLBARCLASSNAMEW, nullptr,
        WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST | CCS_NOPARENTALIGN | CCS_NORESIZE, 0,
        0, client.right, client.bottom, window,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(ToolbarId)), ShellModule(), nullptr);
    if (toolbar == nullptr) {
        return nullptr;
    }
    SendMessageW(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(toolbar, WM_SETFONT, SendMessageW(worker.parent, WM_GETFONT, 0, 0), FALSE);
    SendMessageW(toolbar, TB_SETBITMAPSIZE, 0, MAKELPARAM(0, 0));
    SendMessageW(toolbar, TB_SETMAXTEXTROWS, 1, 0);

    std::vector<std::wstring> labels;
    labels.reserve(worker.buttons.size());
    std::vector<TBBUTTON> entries;
    for (size_t i = 0; i < worker.buttons.size(); ++i) {
        const MenuBarButton& button = worker.buttons[i];
        if (i + 1 == worker.buttons.size() && i > 0) {
            // A disabled button without text draws nothing, where a separator would draw a line.
            TBBUTTON spacer{};
            spacer.iBitmap = I_IMAGENONE;
            spacer.fsStyle = BTNS_BUTTON;
            spacer.iString = -1;
            worker.spacerIndex = static_cast<int>(entries.size());
            entries.push_back(spacer);
        }
        labels.push_back(LoadLabel(module, button.stringId));
        TBBUTTON entry{};
        entry.iBitmap = button.image;
        entry.idCommand = static_cast<int>(button.command);
        entry.fsState = button.state;
        entry.fsStyle = button.style;
        entry.iString = reinterpret_cast<INT_PTR>(labels.back().c_str());
        entries.push_back(entry);
    }
    if (!entries.empty()) {
        SendMessageW(toolbar, TB_ADDBUTTONSW, entries.size(),
                     reinterpret_cast<LPARAM>(entries.data()));
    }
    return toolbar;
}

} // namespace

HWND CreateMenuWorker(HWND parent, HINSTANCE module, const MenuBarResource& resource,
                      UniqueMenu menu) {
    auto worker = std::make_unique<MenuWorker>();
    worker->parent = parent;
    worker->menu = std::move(menu);
    worker->buttons = resource.buttons;
    if (!RegisterWorkerClass()) {
        return nullptr;
    }
    RECT place = MenuBarRect();
    HWND window =
        CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, MenuWorkerClass, L"",
                        WS_POPUP | WS_CLIPCHILDREN, place.left, place.top, place.right - place.left,
                        place.bottom - place.top, parent, nullptr, ShellModule(), nullptr);
    if (window == nullptr) {
        return nullptr;
    }
    MenuWorker* state = worker.release();
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    state->toolbar = CreateToolbar(window, module, *state);
    LayOut(window, *state);
    FollowOwner(window);
    return window;
}

} // namespace handset
