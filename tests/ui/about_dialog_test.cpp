#include "tests/ui/dialog_helpers.h"
#include "ui/about_dialog.h"
#include "ui/resource.h"

#include <aygshell.h>
#include <gtest/gtest.h>

#include <functional>

using namespace ui_testing;

namespace {

// Runs the About dialog modally, as the program does, while a thread timer plays the user: once
// the dialog is up, act is called with it. A dialog still open after the act is ended with -2
// so that a fault cannot hang the run.
std::function<void(HWND)> act;
bool acted = false;
int ticks = 0;

BOOL CALLBACK FindAbout(HWND window, LPARAM found) {
    if (ClassOf(window) == L"#32770" && TextOf(window) == L"About Courierfix" &&
        IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK Drive(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND about = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindAbout, reinterpret_cast<LPARAM>(&about));
    ++ticks;
    if (about != nullptr && !acted) {
        acted = true;
        act(about);
    } else if (about != nullptr || ticks > 200) {
        KillTimer(nullptr, timer);
        if (about != nullptr) {
            EndDialog(about, -2);
        }
    }
}

INT_PTR RunAbout(std::function<void(HWND)> userAction) {
    act = std::move(userAction);
    acted = false;
    ticks = 0;
    UINT_PTR timer = SetTimer(nullptr, 0, 20, Drive);
    INT_PTR result =
        DialogBoxParamW(Module(), MAKEINTRESOURCEW(IDD_ABOUT), nullptr, AboutDialogProc, 0);
    KillTimer(nullptr, timer);
    PumpMessages();
    EXPECT_TRUE(acted) << "the About dialog never showed";
    return result;
}

HWND NavigationBarOf(HWND dialog) {
    for (HWND window = GetTopWindow(nullptr); window != nullptr;
         window = GetWindow(window, GW_HWNDNEXT)) {
        if (GetWindow(window, GW_OWNER) == dialog && ClassOf(window) == L"navigation_bar") {
            return window;
        }
    }
    return nullptr;
}

} // namespace

TEST(AboutDialog, CommandsOtherThanOkLeaveItOpenAndOkEndsItWithOne) {
    INT_PTR result = RunAbout([](HWND about) {
        for (WPARAM command : {WPARAM{IDCANCEL}, WPARAM{IDM_ABOUT}, WPARAM{IDM_QUIT},
                               MAKEWPARAM(IDC_ABOUT_ICON, STN_CLICKED)}) {
            SendMessageW(about, WM_COMMAND, command, 0);
            PumpMessages();
            EXPECT_TRUE(IsWindowVisible(about)) << "command " << LOWORD(command);
            EXPECT_EQ(AboutDialogProc(about, WM_COMMAND, command, 0), FALSE);
        }
        EXPECT_EQ(AboutDialogProc(about, WM_TIMER, 0, 0), FALSE);
        SendMessageW(about, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(result, IDOK);
}

TEST(AboutDialog, CloseEndsItWithTheMessageNumber) {
    INT_PTR result = RunAbout([](HWND about) { SendMessageW(about, WM_CLOSE, 0, 0); });
    EXPECT_EQ(result, 16);
}

TEST(AboutDialog, FillsTheScreenWithADoneButtonThatEndsItAndAnEmptyMenuBar) {
    INT_PTR result = RunAbout([](HWND about) {
        RECT rect{};
        GetWindowRect(about, &rect);
        EXPECT_EQ(rect.left, 0);
        EXPECT_EQ(rect.top, 26);
        EXPECT_EQ(rect.right, 240);
        EXPECT_EQ(rect.bottom, 320);
        HWND menuBar = SHFindMenuBar(about);
        ASSERT_NE(menuBar, nullptr);
        EXPECT_EQ(SendMessageW(menuBar, TB_BUTTONCOUNT, 0, 0), 0);

        HWND bar = NavigationBarOf(about);
        ASSERT_NE(bar, nullptr);
        EXPECT_TRUE(IsWindowVisible(bar));
        HWND done = FindWindowExW(bar, nullptr, L"Button", nullptr);
        ASSERT_NE(done, nullptr);
        SendMessageW(done, BM_CLICK, 0, 0);
    });
    EXPECT_EQ(result, IDOK);
}
