#include "tests/ui/dialog_helpers.h"
#include "ui/resource.h"

#include <aygshell.h>
#include <gtest/gtest.h>

#include <set>
#include <tuple>
#include <vector>

using namespace ui_testing;

namespace {

constexpr int MenuBarTop = 294 - 26; // in the full-screen dialog's client area

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
        EXPECT_EQ(static_cast<int>(GetDlgCtrlID(controls[i])) & 0xFFFF, expected[i].id & 0xFFFF);
        EXPECT_EQ(lstrcmpiW(ClassOf(controls[i]).c_str(), expected[i].className), 0);
        EXPECT_EQ(TextOf(controls[i]), expected[i].text);
    }
}

// Every visible text of the dialog must show whole: no label cut off or wrapped away.
void ExpectNoClippedText(HWND dialog) {
    for (HWND control : Controls(dialog)) {
        LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
        bool isText = lstrcmpiW(ClassOf(control).c_str(), L"Static") == 0 &&
                      (style & SS_TYPEMASK) != SS_ICON && !TextOf(control).empty();
        if (isText && (style & WS_VISIBLE)) {
            SIZE needed{};
            RECT client{};
            GetClientRect(control, &client);
            EXPECT_TRUE(TextFitsOnOneLine(control, &needed))
                << "\"" << testing::PrintToString(TextOf(control)) << "\" needs " << needed.cx
                << "x" << needed.cy << " in " << client.right << "x" << client.bottom;
        }
    }
}

RECT DialogUnits(HWND dialog, int x, int y, int width, int height) {
    RECT rect{x, y, x + width, y + height};
    MapDialogRect(dialog, &rect);
    return rect;
}

struct IconImage {
    int width;
    int height;
    int bits;
    bool operator==(const IconImage& other) const = default;
    bool operator<(const IconImage& other) const {
        return std::tie(width, height, bits) < std::tie(other.width, other.height, other.bits);
    }
};

void PrintTo(const IconImage& image, std::ostream* out) {
    *out << image.width << "x" << image.height << "@" << image.bits;
}

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width;
    BYTE height;
    BYTE colours;
    BYTE reserved;
    WORD planes;
    WORD bits;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

const BYTE* ResourceBytes(const wchar_t* name, const wchar_t* type, DWORD* size) {
    HRSRC found = FindResourceW(Module(), name, type);
    if (found == nullptr) {
        return nullptr;
    }
    *size = SizeofResource(Module(), found);
    return static_cast<const BYTE*>(LockResource(LoadResource(Module(), found)));
}

// The share of the image's pixels that the icon covers, drawn on white.
double CoveredShare(HICON icon, int size) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    RECT all{0, 0, size, size};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    int covered = 0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            covered += GetPixel(dc, x, y) != RGB(255, 255, 255);
        }
    }
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return static_cast<double>(covered) / (size * size);
}

// The images of a group icon; each is decoded and drawn to prove it is a picture.
std::multiset<IconImage> IconImages(UINT groupId) {
    std::multiset<IconImage> images;
    DWORD size = 0;
    const BYTE* group = ResourceBytes(MAKEINTRESOURCEW(groupId), RT_GROUP_ICON, &size);
    if (group == nullptr || size < 6) {
        ADD_FAILURE() << "no group icon " << groupId;
        return images;
    }
    WORD count = reinterpret_cast<const WORD*>(group)[2];
    EXPECT_EQ(size, 6 + count * sizeof(GroupIconEntry));
    const auto* entries = reinterpret_cast<const GroupIconEntry*>(group + 6);
    for (WORD i = 0; i < count; ++i) {
        const GroupIconEntry& entry = entries[i];
        int side = entry.width == 0 ? 256 : entry.width;
        images.insert({side, entry.height == 0 ? 256 : entry.height, entry.bits});
        DWORD imageSize = 0;
        const BYTE* image = ResourceBytes(MAKEINTRESOURCEW(entry.id), RT_ICON, &imageSize);
        if (image == nullptr) {
            ADD_FAILURE() << "no image " << entry.id;
            continue;
        }
        HICON icon = CreateIconFromResourceEx(const_cast<BYTE*>(image), imageSize, TRUE, 0x00030000,
                                              side, side, LR_DEFAULTCOLOR);
        if (icon == nullptr) {
            ADD_FAILURE() << side << "x" << side << " at " << entry.bits << " bits does not decode";
            continue;
        }
        double share = CoveredShare(icon, side);
        EXPECT_GT(share, 0.3) << side << "x" << side << " at " << entry.bits << " bits";
        EXPECT_LT(share, 0.95) << side << "x" << side << " at " << entry.bits << " bits";
        DestroyIcon(icon);
    }
    return images;
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
    RECT rect{};
    GetWindowRect(dialog.get(), &rect);
    EXPECT_EQ(rect.top, 26);
    EXPECT_EQ(rect.bottom, 320);
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
    wchar_t first[32] = {};
    SendMessageW(accounts, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
    EXPECT_STREQ(first, L"Alpha");

    HWND trace = GetDlgItem(dialog.get(), IDC_TRACE_LIST);
    ASSERT_NE(trace, nullptr);
    EXPECT_FALSE(IsWindowVisible(trace));
    HWND result = GetDlgItem(dialog.get(), IDC_RESULT_LINE);
    EXPECT_EQ(GetWindowLongPtrW(result, GWL_STYLE) & SS_TYPEMASK, SS_CENTER);
}

TEST(MainDialogTemplate, EveryVisibleControlFitsAboveTheMenuBarAndShowsItsTextWhole) {
    UniqueWindow dialog = ShowMainDialog();
    ASSERT_TRUE(dialog);
    for (HWND control : Controls(dialog.get())) {
        if (!IsWindowVisible(control)) {
            continue;
        }
        RECT rect = RectInParent(control);
        SCOPED_TRACE(testing::Message() << "control " << GetDlgCtrlID(control));
        EXPECT_GE(rect.left, 0);
        EXPECT_LE(rect.right, 240);
        // A combo box's rectangle includes its closed list; its field is what shows.
        int bottom =
            lstrcmpiW(ClassOf(control).c_str(), L"ComboBox") == 0
                ? rect.top + static_cast<int>(SendMessageW(control, CB_GETITEMHEIGHT, -1, 0))
                : rect.bottom;
        EXPECT_LE(bottom, MenuBarTop);
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
        UniqueWindow created = CreatePlainDialog(page.templateId, tabs);
        ASSERT_TRUE(created);
        HWND window = created.get();
        EXPECT_EQ(GetParent(window), tabs);
        EXPECT_TRUE(GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD);
        EXPECT_FALSE(IsWindowVisible(window));
        RECT client{};
        GetClientRect(window, &client);
        RECT expected = DialogUnits(window, 0, 0, 150, 68);
        EXPECT_EQ(client.right, expected.right);
        EXPECT_EQ(client.bottom, expected.bottom);

        std::vector<int> fields;
        std::vector<std::wstring> labels;
        for (HWND control : Controls(window)) {
            if (lstrcmpiW(ClassOf(control).c_str(), L"Edit") == 0) {
                fields.push_back(GetDlgCtrlID(control));
                LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
                EXPECT_EQ(style & (WS_TABSTOP | ES_AUTOHSCROLL), WS_TABSTOP | ES_AUTOHSCROLL);
                // An edit control turns its WS_BORDER into a client edge of its own.
                EXPECT_TRUE((style & WS_BORDER) ||
                            (GetWindowLongPtrW(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE))
                    << "style " << std::hex << style << " extended "
                    << GetWindowLongPtrW(control, GWL_EXSTYLE);
                EXPECT_EQ(style & ES_PASSWORD, 0) << "passwords show in clear";
            } else {
                labels.push_back(TextOf(control));
            }
        }
        EXPECT_EQ(fields, page.fields);
        EXPECT_EQ(labels, page.labels);
        ShowWindow(window, SW_SHOW);
        ExpectNoClippedText(window);
    }
}

TEST(AboutDialogTemplate, ShowsTheIconAndItsTextsWhole) {
    UniqueWindow dialog = CreatePlainDialog(IDD_ABOUT);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(TextOf(dialog.get()), L"About Courierfix");
    HWND icon = GetDlgItem(dialog.get(), IDC_ABOUT_ICON);
    ASSERT_NE(icon, nullptr);
    EXPECT_NE(SendMessageW(icon, STM_GETICON, 0, 0), 0) << "icon 132 should be loaded";
    EXPECT_EQ(TextOf(GetDlgItem(dialog.get(), IDC_ABOUT_VERSION)), L"Courierfix Version 1.0");
    EXPECT_TRUE(GetWindowLongPtrW(GetDlgItem(dialog.get(), IDC_ABOUT_VERSION), GWL_STYLE) &
                SS_NOPREFIX);
    ExpectNoClippedText(dialog.get());
}

TEST(MenuBarResources, HoldTheSixteenWordsTheMenuAndTheLabels) {
    DWORD size = 0;
    const BYTE* bytes = ResourceBytes(MAKEINTRESOURCEW(IDR_MENUBAR), RT_RCDATA, &size);
    ASSERT_NE(bytes, nullptr);
    ASSERT_EQ(size, 16 * sizeof(WORD));
    const auto* words = reinterpret_cast<const WORD*>(bytes);
    std::vector<WORD> stored(words, words + 16);
    EXPECT_EQ(stored, (std::vector<WORD>{134, 2, 65534, 40000, 4, 16, 103, 0, 65535, 65534, 40001,
                                         4, 24, 104, 0, 0}));

    UniqueWindow dialog = ShowMainDialog();
    ASSERT_TRUE(dialog);
    HWND bar = SHFindMenuBar(dialog.get());
    ASSERT_NE(bar, nullptr);
    wchar_t label[32] = {};
    SendMessageW(bar, TB_GETBUTTONTEXTW, IDM_QUIT, reinterpret_cast<LPARAM>(label));
    EXPECT_STREQ(label, L"Quit");
    SendMessageW(bar, TB_GETBUTTONTEXTW, IDM_OPTIONS, reinterpret_cast<LPARAM>(label));
    EXPECT_STREQ(label, L"Help");
    EXPECT_EQ(SendMessageW(bar, SHCMBM_GETSUBMENU, 0, IDM_QUIT), 0);

    auto dropDown = reinterpret_cast<HMENU>(SendMessageW(bar, SHCMBM_GETSUBMENU, 0, IDM_OPTIONS));
    ASSERT_NE(dropDown, nullptr);
    ASSERT_EQ(GetMenuItemCount(dropDown), 3);
    const std::vector<std::pair<UINT, std::wstring>> items{
        {IDM_ABOUT, L"About"},
        {IDM_AUTO_REPAIR, L"Auto repair on soft reset"},
        {IDM_REPAIR, L"Repair"}};
    for (int i = 0; i < 3; ++i) {
        wchar_t text[64] = {};
        MENUITEMINFOW item{};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_ID | MIIM_STATE | MIIM_STRING;
        item.dwTypeData = text;
        item.cch = 64;
        ASSERT_TRUE(GetMenuItemInfoW(dropDown, i, TRUE, &item));
        EXPECT_EQ(item.wID, items[i].first);
        EXPECT_EQ(text, items[i].second);
        EXPECT_FALSE(item.fState & MFS_CHECKED);
    }
}

TEST(IconResources, HoldTheirImagesAsPictures) {
    EXPECT_EQ(IconImages(IDI_COURIERFIX), (std::multiset<IconImage>{{32, 32, 4},
                                                                    {16, 16, 4},
                                                                    {48, 48, 8},
                                                                    {32, 32, 8},
                                                                    {16, 16, 8},
                                                                    {48, 48, 32},
                                                                    {32, 32, 32},
                                                                    {16, 16, 32}}));
    EXPECT_EQ(IconImages(IDI_ABOUT), (std::multiset<IconImage>{{16, 16, 8}}));
}

TEST(HighResolutionMarker, IsOneWordOfOne) {
    DWORD size = 0;
    const BYTE* bytes = ResourceBytes(L"HI_RES_AWARE", L"CEUX", &size);
    ASSERT_NE(bytes, nullptr);
    ASSERT_EQ(size, sizeof(WORD));
    EXPECT_EQ(*reinterpret_cast<const WORD*>(bytes), 1);
}
