#include "tests/handset/shell/test_dialog.h"
#include "tests/handset/shell/shell_test_ids.h"

#include <algorithm>
#include <utility>

namespace shell_testing {

TestDialog::TestDialog() {
    window = CreateDialogParamW(TestModule(), MAKEINTRESOURCEW(IDD_TEST_DIALOG), nullptr, Procedure,
                                reinterpret_cast<LPARAM>(this));
}

TestDialog::~TestDialog() {
    if (IsWindow(window)) {
        DestroyWindow(window);
    }
    PumpMessages();
}

bool TestDialog::Received(UINT command) const {
    return std::any_of(commands.begin(), commands.end(),
                       [command](WPARAM wParam) { return LOWORD(wParam) == command; });
}

INT_PTR CALLBACK TestDialog::Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        return TRUE;
    }
    auto* self = reinterpret_cast<TestDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (message == WM_COMMAND && self != nullptr) {
        self->commands.push_back(wParam);
        return TRUE;
    }
    return FALSE;
}

HINSTANCE TestModule() {
    return GetModuleHandleW(nullptr);
}

RECT ClientRect(HWND window) {
    RECT rect{};
    GetClientRect(window, &rect);
    return rect;
}

namespace {

struct OwnedSearch {
    HWND owner;
    std::wstring className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectOwned(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<OwnedSearch*>(data);
    if (GetWindow(window, GW_OWNER) == search->owner && ClassOf(window) == search->className) {
        search->found.push_back(window);
    }
    return TRUE;
}

} // namespace

std::vector<HWND> OwnedWindows(HWND owner, const std::wstring& className) {
    OwnedSearch search{owner, className, {}};
    EnumThreadWindows(GetCurrentThreadId(), CollectOwned, reinterpret_cast<LPARAM>(&search));
    return std::move(search.found);
}

} // namespace shell_testing
