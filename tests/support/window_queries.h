// What a window shows, asked with messages, which reach a window of another process too; and
// the windows of a program found as a user sees them.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace testing_support {

inline std::wstring TextOf(HWND window) {
    std::wstring text(static_cast<size_t>(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    text.resize(static_cast<size_t>(
        SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

inline std::wstring ClassOf(HWND window) {
    wchar_t name[128] = {};
    GetClassNameW(window, name, 128);
    return name;
}

// The items of a combo box or a list box, in their order.
inline std::vector<std::wstring> ItemsOf(HWND list) {
    const bool combo = ClassOf(list) == L"ComboBox";
    std::vector<std::wstring> items;
    const LRESULT count = SendMessageW(list, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
    for (LRESULT index = 0; index < count; ++index) {
        std::wstring text(static_cast<size_t>(SendMessageW(
                              list, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, index, 0)) +
                              1,
                          L'\0');
        text.resize(static_cast<size_t>(SendMessageW(list, combo ? CB_GETLBTEXT : LB_GETTEXT, index,
                                                     reinterpret_cast<LPARAM>(text.data()))));
        items.push_back(text);
    }
    return items;
}

// The text of the toolbar's button for command.
inline std::wstring ButtonTextOf(HWND toolbar, UINT command) {
    std::wstring text(static_cast<size_t>(SendMessageW(toolbar, TB_GETBUTTONTEXTW, command, 0)) + 1,
                      L'\0');
    text.resize(static_cast<size_t>(
        SendMessageW(toolbar, TB_GETBUTTONTEXTW, command, reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

inline RECT ScreenRectOf(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

// Dispatches whatever is waiting in this thread's queue.
inline void PumpMessages() {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// A shown top-level window that holds a control of that id and whose title holds title, of the
// process when one is given; null when there is none.
inline HWND FindShownDialog(int controlId, const std::wstring& title, DWORD processId = 0) {
    struct Search {
        int controlId;
        const std::wstring& title;
        DWORD processId;
        HWND found;
    } search{controlId, title, processId, nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) CALLBACK -> BOOL {
            auto* wanted = reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            // The title as the window manager keeps it: no message to a window that may hang.
            wchar_t title[64] = {};
            GetWindowTextW(window, title, 64);
            if ((wanted->processId == 0 || owner == wanted->processId) && IsWindowVisible(window) &&
                GetDlgItem(window, wanted->controlId) != nullptr &&
                std::wstring(title).find(wanted->title) != std::wstring::npos) {
                wanted->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The same, waited for up to thirty seconds, as a program takes to start under load.
inline HWND WaitForShownDialog(int controlId, const std::wstring& title, DWORD processId = 0) {
    for (int attempt = 0; attempt < 300; ++attempt) {
        if (HWND window = FindShownDialog(controlId, title, processId)) {
            return window;
        }
        Sleep(100);
    }
    return nullptr;
}

} // namespace testing_support
