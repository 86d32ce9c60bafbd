#include "tests/handset/shell/shell_test_ids.h"
#include "tests/handset/shell/test_dialog.h"

#include <aygshell.h>
#include <gtest/gtest.h>

#include <string>

using namespace shell_testing;

namespace {

SHMENUBARINFO MenuBarInfo(HWND parent, UINT resource, DWORD flags = 0) {
    SHMENUBARINFO info{};
    info.cbSize = sizeof(info);
    info.hwndParent = parent;
    info.dwFlags = flags;
    info.nToolBarId = resource;
    info.hInstRes = TestModule();
    return info;
}

// What a thread timer saw of the popup menu that a tap opened.
struct MenuProbe {
    bool chooseFirstItem = false;
    bool seen = false;
    HMENU shown = nullptr;
    RECT rect{};
    int ticks = 0;
} probe;

// Runs inside the menu's own loop: notes the open menu, then picks its first item by keyboard
// or closes it. Gives up after a while, so that a menu that never opens cannot hang the run.
void CALLBACK ProbeMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND menu = FindWindowW(L"#32768", nullptr);
    if (menu != nullptr && IsWindowVisible(menu)) {
        probe.seen = true;
        probe.shown = reinterpret_cast<HMENU>(SendMessageW(menu, MN_GETHMENU, 0, 0));
        GetWindowRect(menu, &probe.rect);
        KillTimer(nullptr, timer);
        if (probe.chooseFirstItem) {
            PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
            PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
        } else {
            EndMenu();
        }
    } else if (++probe.ticks > 100) {
        KillTimer(nullptr, timer);
        EndMenu();
    }
}

class MenuBar : public ::testing::Test {
protected:
    void SetUp() override {
        SHINITDLGINFO init{SHIDIM_FLAGS, dialog.Window(), SHIDIF_SIZEDLGFULLSCREEN};
        ASSERT_TRUE(SHInitDialog(&init));
        ShowWindow(dialog.Window(), SW_SHOW);
        SHMENUBARINFO info = MenuBarInfo(dialog.Window(), IDR_TEST_MENUBAR);
        ASSERT_TRUE(SHCreateMenuBar(&info));
        bar = info.hwndMB;
        toolbar = FindWindowExW(bar, nullptr, TOOLBARCLASSNAMEW, nullptr);
        ASSERT_NE(toolbar, nullptr);
        PumpMessages();
    }

    // The button's rectangle in the bar's client coordinates.
    RECT ButtonRect(UINT command) {
        RECT rect{};
        EXPECT_TRUE(SendMessageW(bar, TB_GETRECT, command, reinterpret_cast<LPARAM>(&rect)));
        MapWindowPoints(toolbar, bar, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }

    std::wstring ButtonText(UINT command) {
        wchar_t text[128] = {};
        SendMessageW(bar, TB_GETBUTTONTEXTW, command, reinterpret_cast<LPARAM>(text));
        return text;
    }

    HMENU SubMenu(UINT command) {
        return reinterpret_cast<HMENU>(SendMessageW(bar, SHCMBM_GETSUBMENU, 0, command));
    }

    // A tap x pixels into the button, as the stylus gives it: down, then up. With a probe, a
    // thread timer watches for the popup that the tap opens.
    void Tap(UINT command, int x, bool probeMenu = false, bool chooseFirstItem = false) {
        if (probeMenu) {
            probe = MenuProbe{};
            probe.chooseFirstItem = chooseFirstItem;
            SetTimer(nullptr, 0, 20, ProbeMenu);
        }
        RECT rect{};
        SendMessageW(toolbar, TB_GETRECT, command, reinterpret_cast<LPARAM>(&rect));
        LPARAM point = MAKELPARAM(rect.left + x, (rect.top + rect.bottom) / 2);
        SendMessageW(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, point);
        SendMessageW(toolbar, WM_LBUTTONUP, 0, point);
        PumpMessages();
    }

    TestDialog dialog;
    HWND bar = nullptr;
    HWND toolbar = nullptr;
};

} // namespace

TEST_F(MenuBar, IsAWindowOfItsOwnAtTheBottomOfTheScreenWhereTheDialogEnds) {
    EXPECT_EQ(ClassOf(bar), L"menu_worker");
    EXPECT_FALSE(GetWindowLongPtrW(bar, GWL_STYLE) & WS_CHILD);
    EXPECT_EQ(GetWindow(bar, GW_OWNER), dialog.Window());
    EXPECT_EQ(SHFindMenuBar(dialog.Window()), bar);
    EXPECT_EQ(RectText(ScreenRect(bar)), "0,294,240,320");
    EXPECT_EQ(ScreenRect(dialog.Window()).bottom, ScreenRect(bar).top);
    EXPECT_TRUE(IsWindowVisible(toolbar));
}

TEST_F(MenuBar, LabelsComeFromTheStringTableWithTheSoftKeysAtTheEdges) {
    EXPECT_EQ(ButtonText(IDM_BACK), L"Back");
    EXPECT_EQ(ButtonText(IDM_MENU), L"Menu");
    RECT left = ButtonRect(IDM_BACK);
    RECT right = ButtonRect(IDM_MENU);
    EXPECT_LE(left.left, 1);
    EXPECT_TRUE(right.right >= 239 && right.right <= 240) << RectText(right);
    EXPECT_LT(left.right, right.left);
    EXPECT_GT(left.right - left.left, 20) << "too narrow for its label";
    EXPECT_GT(right.right - right.left, 20) << "too narrow for its label";
}

TEST_F(MenuBar, RelabellingKeepsTheRightSoftKeyAtTheRightEdge) {
    int width = ButtonRect(IDM_MENU).right - ButtonRect(IDM_MENU).left;
    for (std::wstring text : {L"Options and more", L"X"}) {
        TBBUTTONINFOW info{};
        info.cbSize = sizeof(info);
        info.dwMask = TBIF_TEXT;
        info.pszText = text.data();
        EXPECT_NE(SendMessageW(bar, TB_SETBUTTONINFOW, IDM_MENU, reinterpret_cast<LPARAM>(&info)),
                  0);
        EXPECT_EQ(ButtonText(IDM_MENU), text);
        RECT after = ButtonRect(IDM_MENU);
        EXPECT_GE(after.right, 239) << RectText(after);
        EXPECT_EQ(after.right - after.left > width, text.size() > 4) << RectText(after);
        EXPECT_LE(ButtonRect(IDM_BACK).left, 1);
    }
}

TEST_F(MenuBar, GivesTheDropDownOfAButtonAndNoneForAPlainOne) {
    HMENU dropDown = SubMenu(IDM_MENU);
    ASSERT_NE(dropDown, nullptr);
    // The resource names the second popup of the menu.
    EXPECT_EQ(GetMenuItemID(dropDown, 0), static_cast<UINT>(IDM_OTHER_ITEM));
    EXPECT_EQ(SubMenu(IDM_BACK), nullptr);
    EXPECT_EQ(SubMenu(12345), nullptr);
}

TEST_F(MenuBar, APlainButtonsClickReachesTheDialogAsItsCommand) {
    Tap(IDM_BACK, 5);
    ASSERT_EQ(dialog.Commands().size(), 1u);
    EXPECT_EQ(LOWORD(dialog.Commands()[0]), IDM_BACK);
}

TEST_F(MenuBar, ATapAnywhereOnTheDropDownButtonOpensItsPopupAboveIt) {
    RECT button = ButtonRect(IDM_MENU);
    MapWindowPoints(bar, nullptr, reinterpret_cast<POINT*>(&button), 2);
    int width = button.right - button.left;
    for (int x : {2, width / 2, width - 2}) {
        Tap(IDM_MENU, x, true);
        EXPECT_TRUE(probe.seen) << "tap at " << x;
        EXPECT_EQ(probe.shown, SubMenu(IDM_MENU)) << "tap at " << x;
        EXPECT_TRUE(probe.rect.bottom <= button.top && probe.rect.top < probe.rect.bottom &&
                    probe.rect.right <= 240)
            << "tap at " << x << ": " << RectText(probe.rect);
    }
    // A popup closed without a choice sends nothing; the button itself is no command.
    EXPECT_TRUE(dialog.Commands().empty());
}

TEST_F(MenuBar, AnItemChosenFromTheDropDownReachesTheDialog) {
    Tap(IDM_MENU, 5, true, true);
    ASSERT_TRUE(probe.seen);
    PumpMessages();
    ASSERT_EQ(dialog.Commands().size(), 1u);
    EXPECT_EQ(LOWORD(dialog.Commands()[0]), IDM_OTHER_ITEM);
}

TEST_F(MenuBar, IsShownHiddenAndDestroyedWithItsDialog) {
    ASSERT_TRUE(IsWindowVisible(bar));
    ShowWindow(dialog.Window(), SW_HIDE);
    EXPECT_FALSE(IsWindowVisible(bar));
    ShowWindow(dialog.Window(), SW_SHOW);
    EXPECT_TRUE(IsWindowVisible(bar));
    // One made while its dialog is hidden waits for the dialog.
    TestDialog hidden;
    SHMENUBARINFO info = MenuBarInfo(hidden.Window(), IDR_TEST_MENUBAR);
    ASSERT_TRUE(SHCreateMenuBar(&info));
    EXPECT_FALSE(IsWindowVisible(info.hwndMB));
    ShowWindow(hidden.Window(), SW_SHOW);
    EXPECT_TRUE(IsWindowVisible(info.hwndMB));
    DestroyWindow(hidden.Window());
    EXPECT_FALSE(IsWindow(info.hwndMB));
}

TEST_F(MenuBar, DestroyingTheBarDestroysItsMenu) {
    HMENU dropDown = SubMenu(IDM_MENU);
    ASSERT_TRUE(IsMenu(dropDown));
    DestroyWindow(bar);
    EXPECT_FALSE(IsMenu(dropDown));
    EXPECT_EQ(SHFindMenuBar(dialog.Window()), nullptr);
}

TEST(MenuBarCreation, AMissingOrShortResourceOrAFlagMakesNoBar) {
    TestDialog dialog;
    for (UINT resource : {IDR_MISSING_MENU_BAR, IDR_SHORT_MENUBAR, IDR_TEST_MENUBAR}) {
        // SHCMBF_HIDDEN: a bar made by flags is not emulated.
        SHMENUBARINFO info =
            MenuBarInfo(dialog.Window(), resource, resource == IDR_TEST_MENUBAR ? 0x0002 : 0);
        info.hwndMB = dialog.Window(); // must be cleared
        EXPECT_FALSE(SHCreateMenuBar(&info)) << "resource " << resource;
        EXPECT_EQ(info.hwndMB, nullptr) << "resource " << resource;
        EXPECT_EQ(SHFindMenuBar(dialog.Window()), nullptr) << "resource " << resource;
    }
    SHMENUBARINFO orphan = MenuBarInfo(nullptr, IDR_TEST_MENUBAR);
    EXPECT_FALSE(SHCreateMenuBar(&orphan));
    EXPECT_FALSE(SHCreateMenuBar(nullptr));
}

TEST(MenuBarCreation, FindMenuBarAnswersNullForAWindowWithoutOne) {
    TestDialog dialog;
    EXPECT_EQ(SHFindMenuBar(dialog.Window()), nullptr);
    EXPECT_EQ(SHFindMenuBar(nullptr), nullptr);
}
