#include "tests/ui/shown_dialogs.h"
#include "ui/menu_bar.h"
#include "ui/resource.h"

#include <aygshell.h>
#include <gtest/gtest.h>

using namespace ui_testing;

namespace {

std::vector<UINT> CheckedItems(HMENU menu) {
    std::vector<UINT> checked;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        if (GetMenuState(menu, i, MF_BYPOSITION) & MF_CHECKED) {
            checked.push_back(GetMenuItemID(menu, i));
        }
    }
    return checked;
}

} // namespace

TEST(SetMenuBarItemCheck, SetsAndClearsTheCheckMarkOfOneItemOnly) {
    UniqueWindow dialog = ShowMainDialog();
    ASSERT_TRUE(dialog);
    auto menu = reinterpret_cast<HMENU>(
        SendMessageW(SHFindMenuBar(dialog.get()), SHCMBM_GETSUBMENU, 0, IDM_OPTIONS));
    ASSERT_NE(menu, nullptr);

    SetMenuBarItemCheck(dialog.get(), IDM_OPTIONS, IDM_AUTO_REPAIR, true);
    EXPECT_EQ(CheckedItems(menu), std::vector<UINT>{IDM_AUTO_REPAIR});
    SetMenuBarItemCheck(dialog.get(), IDM_OPTIONS, IDM_AUTO_REPAIR, false);
    EXPECT_TRUE(CheckedItems(menu).empty());

    // The Quit key has no drop-down, and a window without a menu bar has none at all: nothing
    // changes.
    SetMenuBarItemCheck(dialog.get(), IDM_QUIT, IDM_AUTO_REPAIR, true);
    UniqueWindow bare = CreatePlainDialog(IDD_ABOUT);
    SetMenuBarItemCheck(bare.get(), IDM_OPTIONS, IDM_AUTO_REPAIR, true);
    SetMenuBarItemCheck(nullptr, IDM_OPTIONS, IDM_AUTO_REPAIR, true);
    EXPECT_TRUE(CheckedItems(menu).empty());
}
