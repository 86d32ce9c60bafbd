#include "tests/handset/shell/test_dialog.h"

#include <aygshell.h>
#include <gtest/gtest.h>

using namespace shell_testing;

namespace {

constexpr wchar_t NavigationBarClass[] = L"navigation_bar";

BOOL InitDialog(HWND dialog, DWORD flags) {
    SHINITDLGINFO info{SHIDIM_FLAGS, dialog, flags};
    return SHInitDialog(&info);
}

HWND NavigationBarOf(HWND dialog) {
    std::vector<HWND> bars = OwnedWindows(dialog, NavigationBarClass);
    return bars.size() == 1 ? bars.front() : nullptr;
}

struct BarColours {
    int white = 0;    // title text
    int darkBlue = 0; // background
    int other = 0;
};

// Paints the bar now and sorts the pixels left of the Done button's place.
BarColours SampleTitleArea(HWND bar) {
    RedrawWindow(bar, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    BarColours colours;
    HDC dc = GetDC(bar);
    for (int y = 0; y < 26; ++y) {
        for (int x = 0; x < 190; ++x) {
            COLORREF pixel = GetPixel(dc, x, y);
            int red = GetRValue(pixel), green = GetGValue(pixel), blue = GetBValue(pixel);
            if (red > 200 && green > 200 && blue > 200) {
                ++colours.white;
            } else if (blue > 80 && blue > red + 40 && blue > green + 40) {
                ++colours.darkBlue;
            } else {
                ++colours.other;
            }
        }
    }
    ReleaseDC(bar, dc);
    return colours;
}

} // namespace

TEST(InitDialog, FullScreenDialogLosesItsCaptionAndFillsTheScreenBelowTheNavigationBar) {
    for (DWORD sizing : {DWORD{SHIDIF_SIZEDLGFULLSCREEN}, DWORD{SHIDIF_SIZEDLG}}) {
        TestDialog dialog;
        ASSERT_NE(dialog.Window(), nullptr);
        EXPECT_TRUE(InitDialog(dialog.Window(), sizing | SHIDIF_SIPDOWN));

        RECT rect = ScreenRect(dialog.Window());
        EXPECT_EQ(rect.left, 0) << "flags " << sizing;
        EXPECT_EQ(rect.top, 26) << "flags " << sizing;
        EXPECT_EQ(rect.right, 240) << "flags " << sizing;
        EXPECT_EQ(rect.bottom, 320) << "flags " << sizing;
        LONG_PTR style = GetWindowLongPtrW(dialog.Window(), GWL_STYLE);
        EXPECT_EQ(style & WS_CAPTION, 0) << "flags " << sizing;
        EXPECT_EQ(style & WS_THICKFRAME, 0) << "flags " << sizing;
        // Without caption and borders the whole window is client area.
        RECT client{};
        GetClientRect(dialog.Window(), &client);
        EXPECT_EQ(client.right, 240);
        EXPECT_EQ(client.bottom, 294);
        EXPECT_NE(NavigationBarOf(dialog.Window()), nullptr) << "flags " << sizing;
    }
}

TEST(InitDialog, RefusesWhatIsNotADialogAndIgnoresFlagsWithoutTheirMask) {
    EXPECT_FALSE(SHInitDialog(nullptr));

    HWND plain = CreateWindowExW(0, L"STATIC", L"plain", WS_POPUP, 10, 10, 50, 50, nullptr, nullptr,
                                 TestModule(), nullptr);
    ASSERT_NE(plain, nullptr);
    EXPECT_FALSE(InitDialog(plain, SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_DONEBUTTON));
    EXPECT_TRUE(OwnedWindows(plain, NavigationBarClass).empty());
    RECT rect = ScreenRect(plain);
    EXPECT_EQ(rect.left, 10);
    EXPECT_EQ(rect.right, 60);
    DestroyWindow(plain);

    HWND gone = nullptr;
    {
        TestDialog dialog;
        gone = dialog.Window();
    }
    EXPECT_FALSE(InitDialog(gone, SHIDIF_SIZEDLGFULLSCREEN));

    TestDialog dialog;
    RECT before = ScreenRect(dialog.Window());
    SHINITDLGINFO noMask{0, dialog.Window(), SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_DONEBUTTON};
    EXPECT_TRUE(SHInitDialog(&noMask));
    RECT after = ScreenRect(dialog.Window());
    EXPECT_TRUE(EqualRect(&before, &after));
    EXPECT_TRUE(OwnedWindows(dialog.Window(), NavigationBarClass).empty());
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
    RECT rect = ScreenRect(bar);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, 240);
    EXPECT_EQ(rect.bottom, 26);
    EXPECT_EQ(GetWindowLongPtrW(bar, GWL_STYLE) & WS_CHILD, 0);

    BarColours titled = SampleTitleArea(bar);
    EXPECT_GT(titled.white, 20) << "the title should be written in white";
    EXPECT_GT(titled.darkBlue, titled.white + titled.other);

    // The bar reads the title when it paints: without one there is no white.
    SetWindowTextW(dialog.Window(), L"");
    EXPECT_EQ(SampleTitleArea(bar).white, 0);
    SetWindowTextW(dialog.Window(), L"Mail settings and more");
    EXPECT_GT(SampleTitleArea(bar).white, titled.white);
}

TEST(InitDialog, DoneButtonAtTheRightEndSendsIdOkToTheDialog) {
    TestDialog dialog;
    ShowWindow(dialog.Window(), SW_SHOW);
    ASSERT_TRUE(InitDialog(dialog.Window(), SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_DONEBUTTON));
    HWND bar = NavigationBarOf(dialog.Window());
    ASSERT_NE(bar, nullptr);
    HWND done = FindWindowExW(bar, nullptr, L"Button", nullptr);
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(TextOf(done), L"ok");
    RECT rect = ScreenRect(done);
    EXPECT_GE(rect.left, 180);
    EXPECT_LE(rect.right, 240);
    EXPECT_GE(rect.right, 230);
    EXPECT_GE(rect.top, 0);
    EXPECT_LE(rect.bottom, 26);

    SetActiveWindow(dialog.Window());
    SendMessageW(done, BM_CLICK, 0, 0);
    PumpMessages();
    EXPECT_EQ(GetActiveWindow(), dialog.Window()) << "a tap on Done must leave the dialog active";
    ASSERT_EQ(dialog.Commands().size(), 1u);
    EXPECT_EQ(dialog.Commands()[0], MAKEWPARAM(IDOK, BN_CLICKED));
}

TEST(InitDialog, WithoutTheDoneFlagTheBarHasNoButtonUntilAskedAgain) {
    TestDialog dialog;
    ASSERT_TRUE(InitDialog(dialog.Window(), SHIDIF_SIZEDLGFULLSCREEN));
    HWND bar = NavigationBarOf(dialog.Window());
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(FindWindowExW(bar, nullptr, L"Button", nullptr), nullptr);

    // A second call keeps the one bar and adds the button.
    ASSERT_TRUE(InitDialog(dialog.Window(), SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_DONEBUTTON));
    EXPECT_EQ(NavigationBarOf(dialog.Window()), bar);
    EXPECT_NE(FindWindowExW(bar, nullptr, L"Button", nullptr), nullptr);
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

TEST(InitDialog, EmptyMenuGivesTheDialogAnEmptyMenuBarAtTheBottom) {
    TestDialog dialog;
    ASSERT_TRUE(InitDialog(dialog.Window(), SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_EMPTYMENU));
    HWND menuBar = SHFindMenuBar(dialog.Window());
    ASSERT_NE(menuBar, nullptr);
    EXPECT_EQ(SendMessageW(menuBar, TB_BUTTONCOUNT, 0, 0), 0);
    EXPECT_EQ(SendMessageW(menuBar, SHCMBM_GETMENU, 0, 0), 0);
    RECT rect = ScreenRect(menuBar);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 294);
    EXPECT_EQ(rect.right, 240);
    EXPECT_EQ(rect.bottom, 320);

    TestDialog plain;
    ASSERT_TRUE(InitDialog(plain.Window(), SHIDIF_SIZEDLGFULLSCREEN));
    EXPECT_EQ(SHFindMenuBar(plain.Window()), nullptr);
}
