#include "tests/ui/shown_dialogs.h"
#include "ui/about_dialog.h"
#include "ui/resource.h"

#include <aygshell.h>
#include <gtest/gtest.h>

#include <functional>

using namespace ui_testing;

namespace {

// The About dialog runs modally, as the program runs it, while a thread timer plays the user:
// once the dialog is up, act is called with it. A dialog still open after that is ended with -2,
// so that a fault cannot hang the run.
std::function<void(HWND)> act;
bool acted = false;
int ticks = 0;

void CALLBACK Drive(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND about = FindWindowW(L"#32770", L"About Courierfix");
    if (about == nullptr) {
        return;
    }
    // The dialog is shown once its loop first goes idle; the user acts on what is shown.
    if (!acted && IsWindowVisible(about)) {
        acted = true;
        act(about);
    } else if (acted || ++ticks > 100) {
        KillTimer(nullptr, timer);
        EndDialog(about, -2);
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
    EXPECT_TRUE(acted) << "the About dialog never showed";
    return result;
}

HWND DoneButtonOf(HWND dialog) {
    for (HWND window = GetTopWindow(nullptr); window != nullptr;
         window = GetWindow(window, GW_HWNDNEXT)) {
        if (GetWindow(window, GW_OWNER) == dialog && ClassOf(window) == L"navigation_bar") {
            return FindWindowExW(window, nullptr, L"Button", nullptr);
        }
    }
    return nullptr;
}

} // namespace

TEST(AboutDialog, FillsTheScreenStaysOpenOnOtherCommandsAndEndsWithOneOnDone) {
    INT_PTR result = RunAbout([](HWND about) {
        RECT rect{};
        GetWindowRect(about, &rect);
        EXPECT_TRUE(rect.left == 0 && rect.top == 26 && rect.right == 240 && rect.bottom == 294);
        HWND menuBar = SHFindMenuBar(about);
        ASSERT_NE(menuBar, nullptr);
        EXPECT_TRUE(IsWindowVisible(menuBar));
        EXPECT_EQ(SendMessageW(menuBar, TB_BUTTONCOUNT, 0, 0), 0) << "the menu bar is empty";

        for (WPARAM command : {WPARAM{IDCANCEL}, WPARAM{IDM_ABOUT}, WPARAM{IDM_QUIT},
                               MAKEWPARAM(IDC_ABOUT_ICON, STN_CLICKED)}) {
            SendMessageW(about, WM_COMMAND, command, 0);
            EXPECT_TRUE(IsWindowVisible(about)) << "command " << LOWORD(command);
            EXPECT_EQ(AboutDialogProc(about, WM_COMMAND, command, 0), FALSE);
        }
        EXPECT_EQ(AboutDialogProc(about, WM_TIMER, 0, 0), FALSE);
        HWND done = DoneButtonOf(about);
        ASSERT_NE(done, nullptr);
        SendMessageW(done, BM_CLICK, 0, 0);
    });
    EXPECT_EQ(result, IDOK);
}

TEST(AboutDialog, CloseEndsItWithTheMessageNumber) {
    EXPECT_EQ(RunAbout([](HWND about) { SendMessageW(about, WM_CLOSE, 0, 0); }), 16);
}
