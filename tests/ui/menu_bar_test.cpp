#include "tests/ui/dialog_helpers.h"
#include "ui/menu_bar.h"
#include "ui/resource.h"

#include <aygshell.h>
#include <gtest/gtest.h>

using namespace ui_testing;

namespace {

HMENU DropDown(HWND dialog, UINT button) {
    return reinterpret_cast<HMENU>(
        SendMessageW(SHFindMenuBar(dialog), SHCMBM_GETSUBMENU, 0, button));
}

bool IsChecked(HMENU menu, UINT item) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STATE;
    EXPECT_TRUE(GetMenuItemInfoW(menu, item, FALSE, &info));
    return (info.fState & MFS_CHECKED) != 0;
}

} // namespace

TEST(SetMenuBarItemCheck, SetsAndClearsTheCheckMarkOfOneItemOnly) {
    UniqueWindow dialog = ShowMainDialog();
    ASSERT_TRUE(dialog);
    HMENU menu = DropDown(dialog.get(), IDM_OPTIONS);
    ASSERT_NE(menu, nullptr);

    SetMenuBarItemCheck(dialog.get(), IDM_OPTIONS, IDM_AUTO_REPAIR, true);
    EXPECT_TRUE(IsChecked(menu, IDM_AUTO_REPAIR));
    EXPECT_FALSE(IsChecked(menu, IDM_ABOUT));
    EXPECT_FALSE(IsChecked(menu, IDM_REPAIR));
    SetMenuBarItemCheck(dialog.get(), IDM_OPTIONS, IDM_AUTO_REPAIR, true);
    EXPECT_TRUE(IsChecked(menu, IDM_AUTO_REPAIR)) << "setting twice keeps the mark";

    SetMenuBarItemCheck(dialog.get(), IDM_OPTIONS, IDM_AUTO_REPAIR, false);
    EXPECT_FALSE(IsChecked(menu, IDM_AUTO_REPAIR));
}

TEST(SetMenuBarItemCheck, LeavesEverythingAsItWasWithoutAMenuBarOrADropDown) {
    UniqueWindow dialog = ShowMainDialog();
    ASSERT_TRUE(dialog);
    HMENU menu = DropDown(dialog.get(), IDM_OPTIONS);
    ASSERT_NE(menu, nullptr);

    // The Quit key has no drop-down: the item of the other key's menu must stay unchecked.
    SetMenuBarItemCheck(dialog.get(), IDM_QUIT, IDM_AUTO_REPAIR, true);
    EXPECT_FALSE(IsChecked(menu, IDM_AUTO_REPAIR));

    // A window without a menu bar, and no window at all, are simply ignored.
    UniqueWindow bare = CreatePlainDialog(IDD_ABOUT);
    ASSERT_TRUE(bare);
    SetMenuBarItemCheck(bare.get(), IDM_OPTIONS, IDM_AUTO_REPAIR, true);
    SetMenuBarItemCheck(nullptr, IDM_OPTIONS, IDM_AUTO_REPAIR, true);
    EXPECT_FALSE(IsChecked(menu, IDM_AUTO_REPAIR));
    EXPECT_EQ(SHFindMenuBar(bare.get()), nullptr);
}
