#include "tests/ui/shown_dialogs.h"
#include "ui/resource.h"

#include <aygshell.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace ui_testing;

namespace {

struct Expected {
    int id;
    const wchar_t* className;
    const wchar_t* text;
};

void ExpectControls(HWND dialog, const std::vector<Expected>& expected) {
    std::vector<HWND> controls = Controls(dialog);
    ASSERT_EQ(controls.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "control " << i);
        EXPECT_EQ(GetDlgCtrlID(controls[i]) & 0xFFFF, expected[i].id & 0xFFFF);
        EXPECT_EQ(lstrcmpiW(ClassOf(controls[i]).c_str(), expected[i].className), 0);
        EXPECT_EQ(TextOf(controls[i]), expected[i].text);
    }
}

// Every visible text of the dialog must show whole: no label cut off or wrapped away.
void ExpectNoClippedText(HWND dialog) {
    for (HWND control : Controls(dialog)) {
        LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
        if (lstrcmpiW(ClassOf(control).c_str(), L"Static") == 0 && (style & WS_VISIBLE) &&
            (style & SS_TYPEMASK) != SS_ICON && !TextOf(control).empty()) {
            SIZE needed{};
            EXPECT_TRUE(TextFitsOnOneLine(control, &needed))
                << testing::PrintToString(TextOf(control)) << " needs " << needed.cx << "x"
                << needed.cy;
        }
    }
}

// As the dialog manager places a control: its position and its size are each converted from
// dialog units, so the far corner is not the conversion of the template's far corner.
RECT DialogUnits(HWND dialog, int x, int y, int width, int height) {
    RECT placement{x, y, width, height};
    MapDialogRect(dialog, &placement);
    return {placement.left, placement.top, placement.left + placement.right,
            placement.top + placement.bottom};
}

std::vector<WORD> ResourceWords(const wchar_t* name, const wchar_t* type) {
    HRSRC found = FindResourceW(Module(), name, type);
    if (found == nullptr) {
        return {};
    }
    auto words = static_cast<const WORD*>(LockResource(LoadResource(Module(), found)));
    return std::vector<WORD>(words, words + SizeofResource(Module(), found) / sizeof(WORD));
}

} // namespace

TEST(MainDialogTemplate, ShowsItsControlsInTemplateOrderFullScreenWithTheMenuBar) {
    UniqueWindow dialog = ShowMainDialog();
    ASSERT_TRUE(dialog);
    ExpectControls(dialog.get(), {{-1, L"Static", L"1- Mail account to repair:"},
                                  {IDC_ACCOUNT_LIST, L"ComboBox", L""},
                                  {IDC_REPAIR, L"Button", L"3 - Repair"},
                                  {IDC_TRACE_LIST, L"ListBox", L""},
                                  {IDC_NEXT_ACCOUNT, L"Button", L">"},
                                  {IDC_RESULT_LINE, L"Static", L"Repair complete"},
                                  {-1, L"Static", L"2- Settings to apply:"},
                                  {IDC_WEB_ADDRESS, L"Static", L"www.courierfix.example"},
                                  {IDC_SETTINGS_TABS, L"SysTabControl32", L""}});
    EXPECT_EQ(TextOf(dialog.get()), L"Courierfix");
    EXPECT_NE(SHFindMenuBar(dialog.get()), nullptr);
}

TEST(MainDialogTemplate, AccountListIsReadOnlyAndSortedTraceListHiddenResultLineCentred) {
    UniqueWindow dialog = ShowMainDialog();
    ASSERT_TRUE(dialog);
    HWND accounts = GetDlgItem(dialog.get(), IDC_ACCOUNT_LIST);
    EXPECT_EQ(GetWindowLongPtrW(accounts, GWL_STYLE) & 3, CBS_DROPDOWNLIST);
    EXPECT_EQ(FindWindowExW(accounts, nullptr, L"Edit", nullptr), nullptr) << "no field to type in";
    for (const wchar_t* name : {L"Work", L"Alpha", L"Home"}) {
        SendMessageW(accounts, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
    EXPECT_EQ(testing_support::ItemsOf(accounts),
              (std::vector<std::wstring>{L"Alpha", L"Home", L"Work"}));

    HWND trace = GetDlgItem(dialog.get(), IDC_TRACE_LIST);
    ASSERT_NE(trace, nullptr);
    EXPECT_FALSE(IsWindowVisible(trace));
    HWND result = GetDlgItem(dialog.get(), IDC_RESULT_LINE);
    EXPECT_EQ(GetWindowLongPtrW(result, GWL_STYLE) & SS_TYPEMASK, SS_CENTER);
}

TEST(MainDialogTemplate, EveryVisibleControlFitsAboveTheMenuBarAndShowsItsTextWhole) {
    UniqueWindow dialog = ShowMainDialog();
    ASSERT_TRUE(dialog);
    RECT menuBar{};
    GetWindowRect(SHFindMenuBar(dialog.get()), &menuBar);
    MapWindowPoints(nullptr, dialog.get(), reinterpret_cast<POINT*>(&menuBar), 2);
    for (HWND control : Controls(dialog.get())) {
        RECT rect = RectInParent(control);
        // A combo box's rectangle includes its closed list; its field is what shows.
        if (lstrcmpiW(ClassOf(control).c_str(), L"ComboBox") == 0) {
            rect.bottom =
                rect.top + static_cast<int>(SendMessageW(control, CB_GETITEMHEIGHT, -1, 0));
        }
        EXPECT_TRUE(!IsWindowVisible(control) ||
                    (rect.left >= 0 && rect.right <= 240 && rect.bottom <= menuBar.top))
            << "control " << GetDlgCtrlID(control);
    }
    ExpectNoClippedText(dialog.get());

    // The settings pages go into the tab control: it must be where the template puts it.
    RECT tabs = RectInParent(GetDlgItem(dialog.get(), IDC_SETTINGS_TABS));
    RECT expected = DialogUnits(dialog.get(), 1, 34, 154, 82);
    EXPECT_TRUE(EqualRect(&tabs, &expected));
}

TEST(SettingsPageTemplates, CreateAsHiddenChildrenOfTheTabControlWithTheirFields) {
    UniqueWindow dialog = ShowMainDialog();
    ASSERT_TRUE(dialog);
    HWND tabs = GetDlgItem(dialog.get(), IDC_SETTINGS_TABS);
    struct Page {
        UINT templateId;
        std::vector<int> fields;
        std::vector<std::wstring> labels;
    };
    for (const Page& page : {Page{IDD_SERVER_PAGE,
                                  {IDC_IN_SERVER, IDC_OUT_SERVER, IDC_PASSWORD},
                                  {L"In server (pop)", L"Out server (smtp)", L"Password"}},
                             Page{IDD_SMTP_AUTH_PAGE,
                                  {IDC_SMTP_USERNAME, IDC_SMTP_PASSWORD, IDC_SMTP_DOMAIN},
                                  {L"Username:", L"Password:", L"Domain:"}}}) {
        SCOPED_TRACE(testing::Message() << "page " << page.templateId);
        UniqueWindow window = CreatePlainDialog(page.templateId, tabs);
        ASSERT_TRUE(window);
        EXPECT_EQ(GetParent(window.get()), tabs);
        EXPECT_TRUE(GetWindowLongPtrW(window.get(), GWL_STYLE) & WS_CHILD);
        EXPECT_FALSE(IsWindowVisible(window.get()));
        RECT client{};
        GetClientRect(window.get(), &client);
        RECT expected = DialogUnits(window.get(), 0, 0, 150, 68);
        EXPECT_TRUE(EqualRect(&client, &expected));

        std::vector<int> fields;
        std::vector<std::wstring> labels;
        for (HWND control : Controls(window.get())) {
            if (lstrcmpiW(ClassOf(control).c_str(), L"Edit") != 0) {
                labels.push_back(TextOf(control));
                continue;
            }
            fields.push_back(GetDlgCtrlID(control));
            LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
            EXPECT_EQ(style & (WS_TABSTOP | ES_AUTOHSCROLL | ES_PASSWORD),
                      WS_TABSTOP | ES_AUTOHSCROLL);
            // An edit control turns its WS_BORDER into a client edge of its own.
            EXPECT_TRUE((style & WS_BORDER) ||
                        (GetWindowLongPtrW(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE));
        }
        EXPECT_EQ(fields, page.fields);
        EXPECT_EQ(labels, page.labels);
        ShowWindow(window.get(), SW_SHOW);
        ExpectNoClippedText(window.get());
    }
}

TEST(AboutDialogTemplate, ShowsTheIconAndItsTextsWhole) {
    UniqueWindow dialog = CreatePlainDialog(IDD_ABOUT);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(TextOf(dialog.get()), L"About Courierfix");
    EXPECT_NE(SendDlgItemMessageW(dialog.get(), IDC_ABOUT_ICON, STM_GETICON, 0, 0), 0);
    HWND version = GetDlgItem(dialog.get(), IDC_ABOUT_VERSION);
    EXPECT_EQ(TextOf(version), L"Courierfix Version 1.0");
    EXPECT_TRUE(GetWindowLongPtrW(version, GWL_STYLE) & SS_NOPREFIX);
    ExpectNoClippedText(dialog.get());
}

TEST(MenuBarResources, HoldTheSixteenWordsAndTheDropDownItems) {
    EXPECT_EQ(ResourceWords(MAKEINTRESOURCEW(IDR_MENUBAR), RT_RCDATA),
              (std::vector<WORD>{134, 2, 65534, 40000, 4, 16, 103, 0, 65535, 65534, 40001, 4, 24,
                                 104, 0, 0}));
    EXPECT_EQ(ResourceWords(L"HI_RES_AWARE", L"CEUX"), std::vector<WORD>{1});

    UniqueWindow dialog = ShowMainDialog();
    ASSERT_TRUE(dialog);
    HWND bar = SHFindMenuBar(dialog.get());
    EXPECT_EQ(testing_support::ButtonTextOf(bar, IDM_QUIT), L"Quit");
    EXPECT_EQ(testing_support::ButtonTextOf(bar, IDM_OPTIONS), L"Help");

    auto dropDown = reinterpret_cast<HMENU>(SendMessageW(bar, SHCMBM_GETSUBMENU, 0, IDM_OPTIONS));
    std::vector<std::wstring> items;
    for (int i = 0; i < GetMenuItemCount(dropDown); ++i) {
        wchar_t text[64] = {};
        GetMenuStringW(dropDown, i, text, 64, MF_BYPOSITION);
        items.push_back(std::to_wstring(GetMenuItemID(dropDown, i)) + L" " + text);
        EXPECT_FALSE(GetMenuState(dropDown, i, MF_BYPOSITION) & MF_CHECKED);
    }
    EXPECT_EQ(items, (std::vector<std::wstring>{L"40002 About", L"32780 Auto repair on soft reset",
                                                L"32781 Repair"}));
}

TEST(IconResources, HoldTheirImagesInTheirSizesAndColours) {
    // A group icon: three words, then 14 bytes per image with its width, height and bit count.
    auto images = [](UINT id) {
        std::vector<WORD> words = ResourceWords(MAKEINTRESOURCEW(id), RT_GROUP_ICON);
        std::vector<std::wstring> found;
        for (size_t entry = 3; entry + 7 <= words.size(); entry += 7) {
            found.push_back(std::to_wstring(words[entry] & 0xFF) + L"x" +
                            std::to_wstring(words[entry] >> 8) + L"@" +
                            std::to_wstring(words[entry + 3]));
            EXPECT_NE(LoadImageW(Module(), MAKEINTRESOURCEW(id), IMAGE_ICON, words[entry] & 0xFF,
                                 words[entry] >> 8, 0),
                      nullptr);
        }
        std::sort(found.begin(), found.end());
        return found;
    };
    EXPECT_EQ(images(IDI_COURIERFIX),
              (std::vector<std::wstring>{L"16x16@32", L"16x16@4", L"16x16@8", L"32x32@32",
                                         L"32x32@4", L"32x32@8", L"48x48@32", L"48x48@8"}));
    EXPECT_EQ(images(IDI_ABOUT), std::vector<std::wstring>{L"16x16@8"});
}
