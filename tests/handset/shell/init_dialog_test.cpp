#include "tests/handset/shell/shell_test_ids.h"
#include "tests/handset/shell/test_dialog.h"
#include "tests/support/scoped_screen.h"

#include <aygshell.h>
#include <commctrl.h>
#include <gtest/gtest.h>

using namespace shell_testing;

namespace {

BOOL InitDialog(HWND dialog, DWORD flags) {
    SHINITDLGINFO info{SHIDIM_FLAGS, dialog, flags};
    return SHInitDialog(&info);
}

HWND NavigationBarOf(HWND dialog) {
    std::vector<HWND> bars = OwnedWindows(dialog, L"navigation_bar");
    return bars.size() == 1 ? bars.front() : nullptr;
}

HWND DoneButtonOf(HWND dialog) {
    return FindWindowExW(NavigationBarOf(dialog), nullptr, L"Button", nullptr);
}

struct TitleArea {
    int white = 0;    // the title's text
    int darkBlue = 0; // the background
    int other = 0;
};

// Paints the bar now and sorts the pixels left of the Done button.
TitleArea SampleTitleArea(HWND bar) {
    RedrawWindow(bar, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    TitleArea area;
    HDC dc = GetDC(bar);
    for (int y = 0; y < 26; ++y) {
        for (int x = 0; x < 190; ++x) {
            COLORREF pixel = GetPixel(dc, x, y);
            int red = GetRValue(pixel), green = GetGValue(pixel), blue = GetBValue(pixel);
            if (red > 200 && green > 200 && blue > 200) {
                ++area.white;
            } else if (blue > 80 && blue > red + 40 && blue > green + 40) {
                ++area.darkBlue;
            } else {
                ++area.other;
            }
        }
    }
    ReleaseDC(bar, dc);
    return area;
}

} // namespace

TEST(InitDialog, FullScreenDialogLosesItsCaptionAndFillsTheScreenBetweenTheBars) {
    TestDialog dialog;
    EXPECT_TRUE(InitDialog(dialog.Window(), SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN));
    // Without caption and borders the whole dialog is client area.
    EXPECT_EQ(RectText(ScreenRect(dialog.Window())), "0,26,240,294");
    EXPECT_EQ(RectText(ClientRect(dialog.Window())), "0,0,240,268");
    EXPECT_NE(NavigationBarOf(dialog.Window()), nullptr);
}

// A full-screen dialog with its menu bar, as a program makes it.
struct FullScreenDialog {
    FullScreenDialog() {
        SHINITDLGINFO init{SHIDIM_FLAGS, dialog.Window(),
                           SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_DONEBUTTON};
        SHInitDialog(&init);
        ShowWindow(dialog.Window(), SW_SHOW);
        SHMENUBARINFO info{};
        info.cbSize = sizeof(info);
        info.hwndParent = dialog.Window();
        info.nToolBarId = IDR_TEST_MENUBAR;
        info.hInstRes = TestModule();
        SHCreateMenuBar(&info);
        menuBar = info.hwndMB;
    }
    // The dialog, the navigation bar and the menu bar, and where each bar's right button ends.
    std::string Layout() const {
        RECT done = ScreenRect(DoneButtonOf(dialog.Window()));
        RECT softKey{};
        SendMessageW(menuBar, TB_GETRECT, IDM_MENU, reinterpret_cast<LPARAM>(&softKey));
        MapWindowPoints(FindWindowExW(menuBar, nullptr, TOOLBARCLASSNAMEW, nullptr), nullptr,
                        reinterpret_cast<POINT*>(&softKey), 2);
        return RectText(ScreenRect(dialog.Window())) + " " +
               RectText(ScreenRect(NavigationBarOf(dialog.Window()))) + " " +
               RectText(ScreenRect(menuBar)) + " " + std::to_string(done.right) + " " +
               std::to_string(softKey.right);
    }
    TestDialog dialog;
    HWND menuBar = nullptr;
};

TEST(InitDialog, FullScreenDialogAndItsBarsFitEachScreenAndFollowATurn) {
    struct Form {
        std::optional<SIZE> size; // nothing: the display's, 640 x 640 for the tests
        const char* layout;
    };
    const Form forms[] = {
        {SIZE{320, 240}, "0,26,320,214 0,0,320,26 0,214,320,240 317 320"},
        {SIZE{240, 240}, "0,26,240,214 0,0,240,26 0,214,240,240 237 240"},
        {std::nullopt, "0,26,640,614 0,0,640,26 0,614,640,640 637 640"},
        {SIZE{240, 320}, "0,26,240,294 0,0,240,26 0,294,240,320 237 240"},
    };
    testing_support::ScopedScreen screen(SIZE{240, 320});
    FullScreenDialog turned;
    for (const Form& form : forms) {
        SCOPED_TRACE(form.layout);
        screen.Turn(form.size);
        PumpMessages();
        EXPECT_EQ(turned.Layout(), form.layout) << "a dialog open while the screen turned";
        EXPECT_EQ(FullScreenDialog().Layout(), form.layout) << "a dialog opened afterwards";
    }
}

TEST(InitDialog, RefusesWhatIsNotADialogAndFlagsItDoesNotEmulate) {
    EXPECT_FALSE(SHInitDialog(nullptr));
    // SHIDIF_SIZEDLG and SHIDIF_FULLSCREENNOMENUBAR, a call without sizing, and no SHIDIM_FLAGS.
    for (DWORD flags : {0x0002ul, 0x0010ul, static_cast<DWORD>(SHIDIF_DONEBUTTON), 0x0044ul}) {
        TestDialog dialog;
        const std::string before = RectText(ScreenRect(dialog.Window()));
        EXPECT_FALSE(InitDialog(dialog.Window(), flags)) << flags;
        EXPECT_EQ(RectText(ScreenRect(dialog.Window())), before) << flags;
        EXPECT_TRUE(OwnedWindows(dialog.Window(), L"navigation_bar").empty()) << flags;
    }
    TestDialog unmasked;
    SHINITDLGINFO noMask{0, unmasked.Window(), SHIDIF_SIZEDLGFULLSCREEN};
    EXPECT_FALSE(SHInitDialog(&noMask));
    HWND plain = CreateWindowExW(0, L"STATIC", L"plain", WS_POPUP, 10, 10, 50, 50, nullptr, nullptr,
                                 TestModule(), nullptr);
    ASSERT_NE(plain, nullptr);
    EXPECT_FALSE(InitDialog(plain, SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_DONEBUTTON));
    EXPECT_EQ(RectText(ScreenRect(plain)), "10,10,60,60");
    EXPECT_TRUE(OwnedWindows(plain, L"navigation_bar").empty());
    DestroyWindow(plain);
    EXPECT_FALSE(InitDialog(plain, SHIDIF_SIZEDLGFULLSCREEN));
}

TEST(InitDialog, NavigationBarShowsTheTitleInWhiteOnDarkBlueWithoutTakingActivation) {
    TestDialog dialog;
    SetWindowTextW(dialog.Window(), L"Mail settings");
    ShowWindow(dialog.Window(), SW_SHOW);
    SetActiveWindow(dialog.Window());
    ASSERT_TRUE(InitDialog(dialog.Window(), SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_DONEBUTTON));
    PumpMessages();
    HWND bar = NavigationBarOf(dialog.Window());
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(IsWindowVisible(bar));
    EXPECT_EQ(GetActiveWindow(), dialog.Window());
    EXPECT_EQ(RectText(ScreenRect(bar)), "0,0,240,26");

    TitleArea titled = SampleTitleArea(bar);
    EXPECT_GT(titled.white, 20) << "the title should be written in white";
    EXPECT_GT(titled.darkBlue, titled.white + titled.other);
    // The bar reads the title when it paints.
    SetWindowTextW(dialog.Window(), L"");
    EXPECT_EQ(SampleTitleArea(bar).white, 0);
    SetWindowTextW(dialog.Window(), L"Mail settings and more");
    EXPECT_GT(SampleTitleArea(bar).white, titled.white);
}

TEST(InitDialog, DoneButtonAtTheRightEndSendsIdOkAndLeavesTheDialogActive) {
    TestDialog withoutDone;
    ASSERT_TRUE(InitDialog(withoutDone.Window(), SHIDIF_SIZEDLGFULLSCREEN));
    EXPECT_EQ(DoneButtonOf(withoutDone.Window()), nullptr);

    TestDialog dialog;
    ShowWindow(dialog.Window(), SW_SHOW);
    ASSERT_TRUE(InitDialog(dialog.Window(), SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_DONEBUTTON));
    HWND done = DoneButtonOf(dialog.Window());
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(TextOf(done), L"ok");
    RECT rect = ScreenRect(done);
    EXPECT_TRUE(rect.left >= 180 && rect.right >= 230 && rect.right <= 240) << RectText(rect);
    EXPECT_TRUE(rect.top >= 0 && rect.bottom <= 26) << RectText(rect);

    SetActiveWindow(dialog.Window());
    SendMessageW(done, BM_CLICK, 0, 0);
    PumpMessages();
    EXPECT_EQ(GetActiveWindow(), dialog.Window()) << "a tap on Done must leave the dialog active";
    ASSERT_EQ(dialog.Commands().size(), 1u);
    EXPECT_EQ(dialog.Commands()[0], MAKEWPARAM(IDOK, BN_CLICKED));
}

TEST(InitDialog, NavigationBarIsShownHiddenAndDestroyedWithItsDialog) {
    HWND bar = nullptr;
    {
        TestDialog dialog;
        ASSERT_TRUE(InitDialog(dialog.Window(), SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_DONEBUTTON));
        bar = NavigationBarOf(dialog.Window());
        ASSERT_NE(bar, nullptr);
        // Still being initialised: the bar waits for the dialog.
        EXPECT_FALSE(IsWindowVisible(bar));
        ShowWindow(dialog.Window(), SW_SHOW);
        EXPECT_TRUE(IsWindowVisible(bar));
        ShowWindow(dialog.Window(), SW_HIDE);
        EXPECT_FALSE(IsWindowVisible(bar));
        SetWindowPos(dialog.Window(), nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
        EXPECT_TRUE(IsWindowVisible(bar));
    }
    EXPECT_FALSE(IsWindow(bar));
}
