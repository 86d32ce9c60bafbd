// The main dialog, created from its template with its own procedure and driven with the messages
// a user's taps send, on a handset of the test's own.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <aygshell.h>

#include <functional>

#include "accounts/account_discovery.h"
#include "accounts/account_table.h"
#include "files/program_folder.h"
#include "autostart/startup_shortcut.h"
#include "handset/registry/store_registry.h"
#include "store/config_file.h"
#include "tests/support/account_lines.h"
#include "tests/support/config_lines.h"
#include "tests/support/config_lock_held.h"
#include "tests/support/files.h"
#include "tests/support/installed_program.h"
#include "tests/support/rect_text.h"
#include "tests/support/scoped_handset.h"
#include "tests/support/messaging_session.h"
#include "tests/support/scoped_screen.h"
#include "tests/support/scoped_startup_folder.h"
#include "tests/support/window_queries.h"
#include "tests/support/temp_folder.h"
#include "tests/ui/shown_dialogs.h"
#include "ui/dialog_template.h"
#include "ui/main_dialog.h"
#include "ui/main_dialog_state.h"
#include "ui/repair_command.h"
#include "ui/resource.h"
#include "ui/settings_pages.h"

namespace {

using testing_support::FileExists;
using testing_support::Parm;
using testing_support::ParmLineAt;
using testing_support::ReadBytes;
using testing_support::ReadTextLines;
using testing_support::SettingsOf;
using testing_support::TextFileBytes;
using testing_support::TextOf;
using testing_support::WriteBytes;
using Lines = std::vector<std::wstring>;

Lines LinesOf(const AccountRecord* account) {
    Lines lines;
    for (int index = 0; index < account->GetParmLineCount(); ++index) {
        lines.push_back(ParmLineAt(*account, index));
    }
    return lines;
}

class MainDialog : public ::testing::Test {
protected:
    void SetUp() override {
        instanceHandle = GetModuleHandleW(nullptr);
        ASSERT_TRUE(RegisterMainDialogControls());
        config = GetConfigFilePath();
        DeleteFileW(config.c_str());
        // This run's load of config, as start-up makes it: there is none to read.
        AccountTable none;
        ASSERT_TRUE(LoadAccountSections(none));
        session = messaging.Logon();
        ASSERT_NE(session, nullptr);
    }

    void TearDown() override {
        if (dialog != nullptr) {
            DestroyWindow(dialog);
        }
        accountTable.Clear();
        messaging.Logoff();
        DeleteFileW(config.c_str());
    }

    // Discovers the handset's accounts, gives each the lines given for it, and opens the dialog.
    void Open(const std::vector<std::pair<std::wstring, Lines>>& linesByAccount = {}) {
        ASSERT_GE(EnumerateAccounts(session, accountTable), 0);
        for (const auto& [name, lines] : linesByAccount) {
            for (const auto& line : lines) {
                accountTable.FindAccountByName(name)->AddParmLine(line);
            }
        }
        dialog = CreateDialogIndirectParamW(instanceHandle, LoadDialogTemplate(IDD_MAIN), nullptr,
                                            MainDialogProc, 0);
        ASSERT_NE(dialog, nullptr);
        ShowWindow(dialog, SW_SHOW);
    }

    HWND Item(int id) const { return GetDlgItem(dialog, id); }
    HWND Page() const { return GetMainDialogState(dialog)->currentPage; }
    std::wstring Field(int id) const { return TextOf(GetDlgItem(Page(), id)); }
    void Type(int id, const std::wstring& text) const { SetDlgItemTextW(Page(), id, text.c_str()); }
    void Command(int id, int notification = 0) const {
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, notification), 0);
    }
    void ChooseAccount(int index) const {
        SendMessageW(Item(IDC_ACCOUNT_LIST), CB_SETCURSEL, index, 0);
        Command(IDC_ACCOUNT_LIST, CBN_SELENDOK);
    }
    // As a tap on a tab does: the dialog hears of the change before and after it.
    void ChooseTab(int index) const {
        SendMessageW(Item(IDC_SETTINGS_TABS), TCM_SETCURFOCUS, index, 0);
    }
    AccountRecord* Selected() const { return GetSelectedAccount(Item(IDC_ACCOUNT_LIST)); }
    // Brings the dialog to the front, as the shell shows it, with the focus on control.
    void Activate(HWND control) const {
        SetForegroundWindow(dialog);
        SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
        ui_testing::TakeInput(dialog);
    }
    Lines AccountList() const { return testing_support::ItemsOf(Item(IDC_ACCOUNT_LIST)); }
    Lines TraceList() const { return testing_support::ItemsOf(Item(IDC_TRACE_LIST)); }
    bool ResultShown() const { return IsWindowVisible(Item(IDC_RESULT_LINE)) != FALSE; }
    std::wstring ResultLine() const { return TextOf(Item(IDC_RESULT_LINE)); }
    // Opens the Options menu with a tap on its soft key, as a user does, and closes it again with
    // Escape, which the menu's loop takes from the queue. Whether the menu opened.
    bool OpenAndCloseOptions() {
        menusOpened = 0;
        HWND toolbar = FindWindowExW(SHFindMenuBar(dialog), nullptr, TOOLBARCLASSNAMEW, nullptr);
        RECT button{};
        SendMessageW(toolbar, TB_GETRECT, IDM_OPTIONS, reinterpret_cast<LPARAM>(&button));
        const LPARAM point = MAKELPARAM(button.left + 4, (button.top + button.bottom) / 2);
        HHOOK hook =
            SetWindowsHookExW(WH_CALLWNDPROC, CountMenusOpened, nullptr, GetCurrentThreadId());
        PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
        SendMessageW(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, point);
        SendMessageW(toolbar, WM_LBUTTONUP, 0, point);
        testing_support::PumpMessages();
        UnhookWindowsHookEx(hook);
        return menusOpened > 0;
    }
    // Counts the menus about to show, as the windows of this thread hear of them.
    static inline int menusOpened = 0;
    static LRESULT CALLBACK CountMenusOpened(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HC_ACTION &&
            reinterpret_cast<const CWPSTRUCT*>(lParam)->message == WM_INITMENUPOPUP) {
            ++menusOpened;
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    bool AutoRepairChecked() const {
        HMENU menu = reinterpret_cast<HMENU>(
            SendMessageW(SHFindMenuBar(dialog), SHCMBM_GETSUBMENU, 0, IDM_OPTIONS));
        return (GetMenuState(menu, IDM_AUTO_REPAIR, MF_BYCOMMAND) & MF_CHECKED) != 0;
    }

    testing_support::ScopedHandset handsetState;
    testing_support::MessagingSession messaging;
    testing_support::ScopedStartupFolder startup;
    std::wstring config;
    IMAPISession* session = nullptr;
    HWND dialog = nullptr;
};

TEST_F(MainDialog, ListsTheAccountsSortedAndOpensOnTheFirst) {
    handset::AddAccount(L"Work");
    handset::AddAccount(L"Alpha");
    handset::AddAccount(L"Home");
    Open({{L"Alpha", {Parm(L"INSERVER", L"pop.alpha"), Parm(L"AUTHSECRET", L"a&amp;b")}},
          {L"Work", {Parm(L"INSERVER", L"pop.work")}}});

    EXPECT_EQ(AccountList(), (Lines{L"Alpha", L"Home", L"Work"}));
    EXPECT_EQ(Selected(), accountTable.FindAccountByName(L"Alpha"));
    EXPECT_FALSE(ResultShown());
    EXPECT_EQ(SendMessageW(Item(IDC_SETTINGS_TABS), TCM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageW(Item(IDC_SETTINGS_TABS), TCM_GETCURSEL, 0, 0), 0);
    // The server page, inside the tab control, with the account's values, decoded.
    ASSERT_NE(Page(), nullptr);
    EXPECT_EQ(GetParent(Page()), Item(IDC_SETTINGS_TABS));
    EXPECT_TRUE(IsWindowVisible(Page()));
    EXPECT_EQ(Field(IDC_IN_SERVER), L"pop.alpha");
    EXPECT_EQ(Field(IDC_OUT_SERVER), L"");
    EXPECT_EQ(Field(IDC_PASSWORD), L"a&b");
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_REPAIR)));
}

TEST_F(MainDialog, TabAndShiftTabVisitNextTheListTheTabsTheFieldsAndRepair) {
    handset::AddAccount(L"Work");
    Open();
    Activate(Item(IDC_NEXT_ACCOUNT));
    // The moves are the dialog manager's: the program's procedure leaves WM_NEXTDLGCTL to it, so
    // that handed one straight, bypassing the dialog manager, it moves the focus nowhere.
    for (auto [wParam, lParam] : {std::pair<WPARAM, LPARAM>{0, FALSE},
                                  {1, FALSE},
                                  {reinterpret_cast<WPARAM>(Item(IDC_REPAIR)), TRUE}}) {
        EXPECT_FALSE(MainDialogProc(dialog, WM_NEXTDLGCTL, wParam, lParam));
        EXPECT_EQ(GetFocus(), Item(IDC_NEXT_ACCOUNT));
    }
    for (int tab : {0, 1}) {
        SCOPED_TRACE(testing::Message() << "tab " << tab);
        ChooseTab(tab);
        std::vector<HWND> order = {Item(IDC_NEXT_ACCOUNT), Item(IDC_ACCOUNT_LIST),
                                   Item(IDC_SETTINGS_TABS)};
        for (const auto& field : FieldsOfTab(tab)) {
            order.push_back(GetDlgItem(Page(), field.controlId));
        }
        order.push_back(Item(IDC_REPAIR));
        ASSERT_EQ(GetFocus(), Item(IDC_NEXT_ACCOUNT));
        for (size_t step = 1; step <= order.size(); ++step) {
            ui_testing::PressKey(VK_TAB);
            ui_testing::TakeInput(dialog);
            EXPECT_EQ(GetFocus(), order[step % order.size()]) << "Tab number " << step;
        }
        for (size_t step = 1; step <= order.size(); ++step) {
            ui_testing::PressKeyWith(VK_SHIFT, VK_TAB);
            ui_testing::TakeInput(dialog);
            EXPECT_EQ(GetFocus(), order[order.size() - step]) << "Shift+Tab number " << step;
        }
    }
}

// Every control of the dialog and of the page, in z-order, with its id and its place.
Lines Places(HWND dialog, HWND page) {
    Lines places;
    for (HWND window : {dialog, page}) {
        for (HWND control = GetWindow(window, GW_CHILD); control != nullptr;
             control = GetWindow(control, GW_HWNDNEXT)) {
            RECT place = ui_testing::RectInParent(control);
            std::string text =
                std::to_string(GetDlgCtrlID(control)) + " " + testing_support::RectText(place);
            places.push_back(std::wstring(text.begin(), text.end()));
        }
    }
    return places;
}

TEST_F(MainDialog, ATurnOfTheScreenKeepsWhatWasTypedAndTurningBackRestoresEveryPlace) {
    handset::AddAccount(L"Alpha");
    handset::AddAccount(L"Beta");
    testing_support::ScopedScreen screen(SIZE{240, 320});
    Open();
    ChooseAccount(1);
    ChooseTab(1);
    HWND field = GetDlgItem(Page(), IDC_SMTP_USERNAME);
    Type(IDC_SMTP_USERNAME, L"typed");
    Activate(field);
    const Lines portrait = Places(dialog, Page());

    screen.Turn(SIZE{320, 240});
    RECT client{};
    GetClientRect(dialog, &client);
    EXPECT_EQ(testing_support::RectText(client), "0,0,320,188");
    EXPECT_NE(Places(dialog, Page()), portrait);
    EXPECT_GE(ui_testing::RectInParent(Item(IDC_REPAIR)).left,
              ui_testing::RectInParent(Item(IDC_SETTINGS_TABS)).right)
        << "the landscape places put Repair beside the tabs";
    screen.Turn(SIZE{240, 320});
    EXPECT_EQ(Places(dialog, Page()), portrait);

    // The same page, account, text and focus all along.
    EXPECT_EQ(GetDlgItem(Page(), IDC_SMTP_USERNAME), field);
    EXPECT_EQ(Selected()->GetName(), L"Beta");
    EXPECT_EQ(Field(IDC_SMTP_USERNAME), L"typed");
    EXPECT_EQ(GetFocus(), field);
}

TEST_F(MainDialog, NextAccountWrapsAroundAndRebuildsThePage) {
    handset::AddAccount(L"B");
    handset::AddAccount(L"A");
    Open({{L"A", {Parm(L"INSERVER", L"a")}}, {L"B", {Parm(L"INSERVER", L"b")}}});

    Command(IDC_NEXT_ACCOUNT);
    EXPECT_EQ(Selected()->GetName(), L"B");
    EXPECT_EQ(Field(IDC_IN_SERVER), L"b");
    Command(IDC_NEXT_ACCOUNT);
    EXPECT_EQ(Selected()->GetName(), L"A");
    EXPECT_EQ(Field(IDC_IN_SERVER), L"a");
}

TEST_F(MainDialog, WithOneAccountNextReselectsItAndDropsWhatWasTyped) {
    handset::AddAccount(L"Only");
    Open({{L"Only", {Parm(L"INSERVER", L"kept")}}});
    Type(IDC_IN_SERVER, L"typed");
    HWND before = Page();

    Command(IDC_NEXT_ACCOUNT);
    EXPECT_EQ(Selected()->GetName(), L"Only");
    EXPECT_NE(Page(), before);
    EXPECT_FALSE(IsWindow(before));
    EXPECT_EQ(Field(IDC_IN_SERVER), L"kept");
}

TEST_F(MainDialog, ChangingTheAccountDiscardsWhatWasTyped) {
    handset::AddAccount(L"Alpha");
    handset::AddAccount(L"Beta");
    Open({{L"Alpha", {Parm(L"OUTSERVER", L"smtp.alpha")}}});

    Type(IDC_OUT_SERVER, L"typed but not kept");
    ChooseAccount(1);
    EXPECT_EQ(Field(IDC_OUT_SERVER), L"");
    ChooseAccount(0);
    EXPECT_EQ(Field(IDC_OUT_SERVER), L"smtp.alpha");
    // Choosing the account already shown builds its page anew too; a selection that did not move
    // leaves the page alone.
    Type(IDC_OUT_SERVER, L"typed again");
    Command(IDC_ACCOUNT_LIST, CBN_SELCHANGE);
    EXPECT_EQ(Field(IDC_OUT_SERVER), L"typed again");
    ChooseAccount(0);
    EXPECT_EQ(Field(IDC_OUT_SERVER), L"smtp.alpha");
    EXPECT_EQ(LinesOf(accountTable.FindAccountByName(L"Alpha")),
              (Lines{Parm(L"OUTSERVER", L"smtp.alpha")}));
}

TEST_F(MainDialog, ThePageShowsTheListsAccountWhicheverWayTheSelectionMoves) {
    const Lines names = {L"Alpha", L"Beta", L"Gamma", L"Delta"};
    std::vector<std::pair<std::wstring, Lines>> saved;
    for (const auto& name : names) {
        handset::AddAccount(name);
        saved.push_back({name, {Parm(L"INSERVER", L"pop." + name)}});
    }
    Open(saved);
    HWND list = Item(IDC_ACCOUNT_LIST);
    // Taps on the field, each a little further right, so that two are never one double tap.
    int tapX = 8;
    auto openList = [&] {
        RECT field{};
        GetWindowRect(list, &field);
        ui_testing::TapAt({field.left + (tapX += 12), field.top + 6});
        ui_testing::TakeInput(dialog);
        ASSERT_TRUE(SendMessageW(list, CB_GETDROPPEDSTATE, 0, 0));
    };
    struct Way {
        const char* what;
        std::function<void()> move;
    };
    const Way ways[] = {
        {"Down in the closed list", [&] { Activate(list), ui_testing::PressKey(VK_DOWN); }},
        {"Down and Escape in the open list",
         [&] {
             openList();
             ui_testing::PressKey(VK_DOWN);
             ui_testing::PressKey(VK_ESCAPE);
         }},
        {"Down and Enter in the open list",
         [&] {
             openList();
             ui_testing::PressKey(VK_DOWN);
             ui_testing::PressKey(VK_RETURN);
         }},
        {"a tap on another item of the open list",
         [&] {
             openList();
             COMBOBOXINFO info{};
             info.cbSize = sizeof(info);
             GetComboBoxInfo(list, &info);
             LRESULT other = (SendMessageW(list, CB_GETCURSEL, 0, 0) + 2) % 4;
             RECT item{};
             SendMessageW(info.hwndList, LB_GETITEMRECT, static_cast<WPARAM>(other),
                          reinterpret_cast<LPARAM>(&item));
             MapWindowPoints(info.hwndList, nullptr, reinterpret_cast<POINT*>(&item), 2);
             ui_testing::TapAt({(item.left + item.right) / 2, (item.top + item.bottom) / 2});
         }},
        {"a tap on \">\"", [&] { ui_testing::Tap(Item(IDC_NEXT_ACCOUNT)); }},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.what);
        const AccountRecord* before = Selected();
        Type(IDC_IN_SERVER, L"typed, never collected");
        way.move();
        ui_testing::TakeInput(dialog);
        ASSERT_FALSE(SendMessageW(list, CB_GETDROPPEDSTATE, 0, 0));
        ASSERT_NE(Selected(), before) << "the selection did not move";
        // The list shows one account, the page shows the same one.
        EXPECT_EQ(TextOf(list), Selected()->GetName());
        EXPECT_EQ(Field(IDC_IN_SERVER), L"pop." + Selected()->GetName());
        // A tab change collects the page into the account it shows, and changes nothing.
        ChooseTab(1);
        ChooseTab(0);
        for (const auto& [name, lines] : saved) {
            EXPECT_EQ(LinesOf(accountTable.FindAccountByName(name))[0], lines[0]) << name;
        }
    }
}

TEST_F(MainDialog, ChangingTheTabKeepsWhatWasTypedInTheAccountOnly) {
    handset::AddAccount(L"Work");
    Open({{L"Work", {Parm(L"OUTSERVER", L"old")}}});

    Type(IDC_IN_SERVER, L"in1");
    Type(IDC_OUT_SERVER, L"new");
    ChooseTab(1);
    ASSERT_EQ(SendMessageW(Item(IDC_SETTINGS_TABS), TCM_GETCURSEL, 0, 0), 1);
    EXPECT_NE(GetDlgItem(Page(), IDC_SMTP_DOMAIN), nullptr);
    // The existing line got its new value in place; the others were added in field order.
    EXPECT_EQ(LinesOf(Selected()), (Lines{Parm(L"OUTSERVER", L"new"), Parm(L"INSERVER", L"in1"),
                                          Parm(L"AUTHSECRET", L"")}));

    Type(IDC_SMTP_USERNAME, L"me");
    ChooseTab(0);
    EXPECT_EQ(Field(IDC_IN_SERVER), L"in1");
    EXPECT_EQ(Field(IDC_OUT_SERVER), L"new");
    EXPECT_EQ(LinesOf(Selected()),
              (Lines{Parm(L"OUTSERVER", L"new"), Parm(L"INSERVER", L"in1"),
                     Parm(L"AUTHSECRET", L""), Parm(L"SMTPALTAUTHNAME", L"me"),
                     Parm(L"SMTPALTPASSWORD", L""), Parm(L"SMTPALTDOMAIN", L"")}));
    // Nothing reaches config before a repair.
    EXPECT_FALSE(FileExists(config));
}

TEST_F(MainDialog, ShowsAndCollectsEverySettingHoweverManyLinesComeFirst) {
    // Ten blank lines and more before the settings: every one is shown, and what is typed is
    // kept, in its line; a setting the account lacks still gets a line of its own.
    handset::AddAccount(L"Full");
    Lines lines(10, L"");
    lines.push_back(Parm(L"OTHER", L"x"));
    lines.push_back(Parm(L"INSERVER", L"pop.full"));
    lines.push_back(Parm(L"AUTHSECRET", L"secret"));
    Open({{L"Full", lines}});
    EXPECT_EQ(Field(IDC_IN_SERVER), L"pop.full");
    EXPECT_EQ(Field(IDC_PASSWORD), L"secret");

    Type(IDC_IN_SERVER, L"typed");
    ChooseTab(1);
    lines[11] = Parm(L"INSERVER", L"typed");
    lines.push_back(Parm(L"OUTSERVER", L""));
    EXPECT_EQ(LinesOf(Selected()), lines);
    ChooseTab(0);
    EXPECT_EQ(Field(IDC_IN_SERVER), L"typed");
}

TEST_F(MainDialog, CollectsAFieldUpTo99CharactersAndNeverHalfACharacter) {
    handset::AddAccount(L"Work");
    Open();
    const std::wstring key = L"\U0001F511"; // one character, two UTF-16 units
    struct Case {
        std::wstring typed;
        std::wstring collected;
    };
    const Case cases[] = {
        {std::wstring(120, L'u'), std::wstring(99, L'u')},
        {std::wstring(97, L'a') + key + L"b", std::wstring(97, L'a') + key},
        {std::wstring(98, L'a') + key, std::wstring(98, L'a')},
        {std::wstring(98, L'a') + key + key, std::wstring(98, L'a')},
    };
    for (const Case& test : cases) {
        Type(IDC_IN_SERVER, test.typed);
        Command(IDC_REPAIR);
        std::wstring value;
        Selected()->GetParmValue(L"INSERVER", value);
        EXPECT_EQ(value, test.collected) << testing::PrintToString(test.typed);
        EXPECT_EQ(ResultLine(), L"Account successfully repaired");
    }
}

TEST_F(MainDialog, KeepsALongSavedValueWholeAndEverythingTypedIntoAField) {
    const std::wstring token(150, L't');
    handset::AddAccount(L"Work", {{L"AUTHSECRET", L"lost"}});
    Open({{L"Work", {Parm(L"AUTHSECRET", token)}}});
    HWND password = GetDlgItem(Page(), IDC_PASSWORD);
    HWND server = GetDlgItem(Page(), IDC_IN_SERVER);
    EXPECT_EQ(Field(IDC_PASSWORD), token);

    // Nothing typed: the value is applied and saved whole.
    Command(IDC_REPAIR);
    EXPECT_EQ(ResultLine(), L"Account successfully repaired");
    EXPECT_EQ(SettingsOf(L"Work")[L"AUTHSECRET"], token);
    EXPECT_EQ(ReadAccountSection(config, L"Work")[0], Parm(L"AUTHSECRET", token));

    // Typed with keys: a field takes no more than a repair collects, and a long value can be
    // edited whole.
    Activate(server);
    ui_testing::TypeText(std::wstring(105, L's'));
    ui_testing::TakeInput(dialog);
    EXPECT_EQ(Field(IDC_IN_SERVER), std::wstring(99, L's'));
    Activate(password);
    ui_testing::PressKey(VK_END);
    ui_testing::PressKey(VK_BACK);
    ui_testing::TakeInput(dialog);
    Command(IDC_REPAIR);
    EXPECT_EQ(SettingsOf(L"Work")[L"AUTHSECRET"], std::wstring(149, L't'));
    EXPECT_EQ(SettingsOf(L"Work")[L"INSERVER"], std::wstring(99, L's'));
}

// A line in another form than the one the program writes: what the handset applies from it is
// what the dialog shows, what a repair of the dialog and of the batch applies, and what is saved.
TEST_F(MainDialog, TheDialogAndTheBatchAgreeOnEveryFormOfLine) {
    struct Form {
        std::wstring setting; // INSERVER or AUTHSECRET
        Lines lines;          // as config holds them
        std::wstring applied; // what the handset applies, and the field shows
        Lines afterTyping;    // the lines once "new" is typed into the field
    };
    const std::wstring oldInServer = L"<!-- <parm name=\"INSERVER\" value=\"old\"/> -->";
    const Form forms[] = {
        {L"INSERVER",
         {L"<parm name='INSERVER' value='pop.single'/>"},
         L"pop.single",
         {L"<parm name='INSERVER' value='new'/>"}},
        {L"INSERVER",
         {oldInServer, Parm(L"INSERVER", L"pop.current")},
         L"pop.current",
         {oldInServer, Parm(L"INSERVER", L"new")}},
        {L"AUTHSECRET",
         {Parm(L"AUTHSECRET", L"pa&#x0000000073;s")},
         L"pass",
         {Parm(L"AUTHSECRET", L"new")}},
        {L"INSERVER",
         {L"<parm  value = \"pop.order\"\tname= 'INSERVER' />"},
         L"pop.order",
         {L"<parm  value = \"new\"\tname= 'INSERVER' />"}},
        {L"INSERVER",
         {L"<parm name=\"INSERVER\" value=\"pop.end\" datatype=\"string\"></parm > <!-- x -->"},
         L"pop.end",
         {L"<parm name=\"INSERVER\" value=\"new\" datatype=\"string\"></parm > <!-- x -->"}},
        {L"AUTHSECRET",
         {L"<parm name=\"AUTH&#x53;ECRET\" value=\"s&#0101;cret\"/>"},
         L"secret",
         {L"<parm name=\"AUTH&#x53;ECRET\" value=\"new\"/>"}},
        {L"AUTHSECRET", {Parm(L"AUTHSECRET", L"a\tb")}, L"a b", {Parm(L"AUTHSECRET", L"new")}},
        // Two lines for one setting: the handset keeps the last, so that is the one edited.
        {L"INSERVER",
         {Parm(L"INSERVER", L"pop.first"), Parm(L"INSERVER", L"pop.last")},
         L"pop.last",
         {Parm(L"INSERVER", L"pop.first"), Parm(L"INSERVER", L"new")}},
        {L"AUTHSECRET",
         {L"<parm name=\"AUTHSECRET\" value='&lt;\"it&apos;s\"&gt;'/>"},
         L"<\"it's\">",
         {L"<parm name=\"AUTHSECRET\" value='new'/>"}},
    };
    // The batch first, on a config of every form, each in an account of its own.
    testing_support::InstalledProgram program;
    Lines configLines;
    std::vector<std::pair<std::wstring, Lines>> linesByAccount;
    for (size_t index = 0; index < std::size(forms); ++index) {
        const std::wstring name = L"Form " + std::to_wstring(index);
        handset::AddAccount(name, {{forms[index].setting, L"lost"}});
        configLines.push_back(L"[" + name + L"]");
        configLines.insert(configLines.end(), forms[index].lines.begin(), forms[index].lines.end());
        linesByAccount.push_back({name, forms[index].lines});
    }
    WriteBytes(program.File(L"config"), TextFileBytes(configLines));
    EXPECT_EQ(program.Run(L"--autorepairall"), 0u);
    Open(linesByAccount);

    for (size_t index = 0; index < std::size(forms); ++index) {
        const Form& form = forms[index];
        const std::wstring name = L"Form " + std::to_wstring(index);
        SCOPED_TRACE(testing::PrintToString(form.lines));
        EXPECT_EQ(SettingsOf(name)[form.setting], form.applied) << "by the batch";
        handset::SetSettings(name, {{form.setting, L"lost"}});

        ChooseAccount(static_cast<int>(index));
        const int field = form.setting == L"INSERVER" ? IDC_IN_SERVER : IDC_PASSWORD;
        EXPECT_EQ(Field(field), form.applied);
        // Another setting typed: the line stays as it is, and the handset gets what it holds.
        Type(IDC_OUT_SERVER, L"smtp.typed");
        Command(IDC_REPAIR);
        ASSERT_EQ(ResultLine(), L"Account successfully repaired");
        EXPECT_EQ(SettingsOf(name)[form.setting], form.applied) << "by the dialog";
        Lines added = {Parm(L"OUTSERVER", L"smtp.typed")};
        added.insert(field == IDC_IN_SERVER ? added.end() : added.begin(),
                     Parm(field == IDC_IN_SERVER ? L"AUTHSECRET" : L"INSERVER", L""));
        Lines saved = form.lines;
        saved.insert(saved.end(), added.begin(), added.end());
        EXPECT_EQ(ReadAccountSection(config, name), saved);

        // The setting itself typed: its value is replaced where it stands.
        Type(field, L"new");
        Command(IDC_REPAIR);
        EXPECT_EQ(SettingsOf(name)[form.setting], L"new");
        saved = form.afterTyping;
        saved.insert(saved.end(), added.begin(), added.end());
        EXPECT_EQ(ReadAccountSection(config, name), saved);
    }
}

// A line that the handset would read otherwise than the dialog, or that reaches out of the
// account's settings: the repair fails before anything is submitted, and nothing is saved.
TEST_F(MainDialog, ALineThatIsNotReadAsTheHandsetReadsItFailsTheRepair) {
    handset::AddAccount(L"Work", {{L"INSERVER", L"pop.work"}});
    GUID home = handset::AddAccount(L"Home", {{L"AUTHSECRET", L"home's own"}});
    const std::wstring lines[] = {L"</characteristic><characteristic type=\"" +
                                      handset::GuidText(home) +
                                      L"\"><parm name=\"AUTHSECRET\" value=\"hijacked\"/>",
                                  L"INSERVER", L"<parm name=\"INSERVER\" value=\"R&D\"/>",
                                  L"<parm name=\"INSERVER\" value=\"a\"> </parm>"};
    for (const auto& line : lines) {
        SCOPED_TRACE(testing::PrintToString(line));
        Open({{L"Work", {Parm(L"INSERVER", L"pop.saved"), line}}});
        ChooseAccount(1);
        Type(IDC_PASSWORD, L"typed");
        const auto stores = handset::ListStores();

        Command(IDC_REPAIR);
        EXPECT_EQ(ResultLine(), L"Repair failed");
        EXPECT_EQ(handset::ListStores()[0].settings, stores[0].settings);
        EXPECT_EQ(handset::ListStores()[1].settings, stores[1].settings);
        EXPECT_FALSE(FileExists(config));
        DestroyWindow(dialog);
        dialog = nullptr;
        accountTable.Clear();
    }
}

TEST_F(MainDialog, ANameThatWouldBreakItsHeaderIsRepairedButNotSaved) {
    handset::AddAccount(L"Evil]\r\n[Work", {{L"INSERVER", L"broken"}});
    handset::AddAccount(L"Work", {{L"INSERVER", L"work"}});
    WriteBytes(config, TextFileBytes({L"[Work]", Parm(L"INSERVER", L"work")}));
    const std::string before = ReadBytes(config);
    Open({{L"Evil]\r\n[Work", {Parm(L"INSERVER", L"evil")}}});
    ASSERT_EQ(Selected()->GetName(), L"Evil]\r\n[Work");

    Command(IDC_REPAIR);
    EXPECT_EQ(ResultLine(), L"Account repaired, but settings not saved");
    EXPECT_EQ(ReadBytes(config), before);
    EXPECT_EQ(SettingsOf(L"Work"), (handset::Settings{{L"INSERVER", L"work"}}));
}

TEST_F(MainDialog, RepairAppliesSavesAndReports) {
    handset::AddAccount(L"Other");
    handset::AddAccount(L"Work", {{L"INSERVER", L"broken"}});
    WriteBytes(config, TextFileBytes({L"[Work]", Parm(L"INSERVER", L"stale"), L"[Other]",
                                      Parm(L"INSERVER", L"o")}));
    Open({{L"Work", {Parm(L"INSERVER", L"pop.work"), Parm(L"OUTSERVER", L"smtp.work")}}});
    ChooseAccount(1);
    Type(IDC_PASSWORD, L"p&ss<\"1\">");

    Command(IDC_REPAIR);
    EXPECT_EQ(TraceList(), (Lines{L"Repairing config...", L"DMProcessConfigXML Succeeded"}));
    EXPECT_TRUE(ResultShown());
    EXPECT_EQ(ResultLine(), L"Account successfully repaired");
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
    const Lines saved = {Parm(L"INSERVER", L"pop.work"), Parm(L"OUTSERVER", L"smtp.work"),
                         Parm(L"AUTHSECRET", L"p&amp;ss&lt;&quot;1&quot;&gt;")};
    Lines expected = {L"[Other]", Parm(L"INSERVER", L"o"), L"[Work]"};
    expected.insert(expected.end(), saved.begin(), saved.end());
    EXPECT_EQ(ReadTextLines(config), expected);
    EXPECT_EQ(handset::ListStores()[1].settings, (handset::Settings{{L"AUTHSECRET", L"p&ss<\"1\">"},
                                                                    {L"INSERVER", L"pop.work"},
                                                                    {L"OUTSERVER", L"smtp.work"}}));

    // Once more, from the menu: the same again, and config as the first repair left it.
    std::string once = ReadBytes(config);
    Command(IDM_REPAIR);
    EXPECT_EQ(TraceList(), (Lines{L"Repairing config...", L"DMProcessConfigXML Succeeded",
                                  L"Repairing config...", L"DMProcessConfigXML Succeeded"}));
    EXPECT_EQ(ReadBytes(config), once);
}

TEST_F(MainDialog, ARefusedRepairSavesNothing) {
    handset::AddAccount(L"Work", {{L"INSERVER", L"broken"}});
    WriteBytes(config, TextFileBytes({L"[Work]", Parm(L"INSERVER", L"saved")}));
    std::string before = ReadBytes(config);
    Open({{L"Work", {Parm(L"INSERVER", L"saved")}}});
    handset::SetRefusesDocuments(true);
    Type(IDC_IN_SERVER, L"typed");

    Command(IDC_REPAIR);
    EXPECT_EQ(TraceList(), (Lines{L"Repairing config...", L"DMProcessConfigXML Failed"}));
    EXPECT_EQ(ResultLine(), L"Repair failed");
    EXPECT_TRUE(ResultShown());
    EXPECT_EQ(ReadBytes(config), before);
    // The typed value stays in the account, to be sent again.
    const Lines collected = {Parm(L"INSERVER", L"typed"), Parm(L"OUTSERVER", L""),
                             Parm(L"AUTHSECRET", L"")};
    EXPECT_EQ(LinesOf(Selected()), collected);
    handset::SetRefusesDocuments(false);
    Command(IDC_REPAIR);
    EXPECT_EQ(ResultLine(), L"Account successfully repaired");
    Lines saved = {L"[Work]"};
    saved.insert(saved.end(), collected.begin(), collected.end());
    EXPECT_EQ(ReadTextLines(config), saved);
}

TEST_F(MainDialog, RepairAppliesAndSavesEveryCharacterThatXmlCanCarryAndNoOther) {
    handset::AddAccount(L"Work", {{L"AUTHSECRET", L"broken"}});
    // A TAB saved as a reference: a repair with nothing edited applies and saves it so.
    WriteBytes(config, TextFileBytes({L"[Work]", Parm(L"AUTHSECRET", L"pa&#9;ss")}));
    Open({{L"Work", {Parm(L"AUTHSECRET", L"pa&#9;ss")}}});
    EXPECT_EQ(Field(IDC_PASSWORD), L"pa\tss");
    Command(IDC_REPAIR);
    EXPECT_EQ(ResultLine(), L"Account successfully repaired");
    EXPECT_EQ(SettingsOf(L"Work")[L"AUTHSECRET"], L"pa\tss");
    EXPECT_EQ(ReadTextLines(config)[1], Parm(L"AUTHSECRET", L"pa&#9;ss"));

    struct Case {
        std::wstring typed;
        const wchar_t* saved; // as the line holds it; null when the repair must fail
    };
    const Case cases[] = {
        {L"a\tb\r\nc\rd\ne", L"a&#9;b&#13;&#10;c&#13;d&#10;e"},
        {L"&<>\"'", L"&amp;&lt;&gt;&quot;&apos;"},
        {L"café 郵便 \U0001F511", L"café 郵便 \U0001F511"},
        {L"bell\x07", nullptr},
        {L"\xFFFE", nullptr},
        {L"half \xD83D of a pair", nullptr},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(testing::PrintToString(test.typed));
        Type(IDC_PASSWORD, test.typed);
        ASSERT_EQ(Field(IDC_PASSWORD), test.typed);
        const std::string before = ReadBytes(config);
        const handset::Settings handsetBefore = SettingsOf(L"Work");
        Command(IDC_REPAIR);
        if (test.saved == nullptr) {
            EXPECT_EQ(ResultLine(), L"Repair failed");
            EXPECT_EQ(ReadBytes(config), before);
            EXPECT_EQ(SettingsOf(L"Work"), handsetBefore);
            continue;
        }
        EXPECT_EQ(ResultLine(), L"Account successfully repaired");
        EXPECT_EQ(SettingsOf(L"Work")[L"AUTHSECRET"], test.typed);
        EXPECT_EQ(ReadTextLines(config)[1], Parm(L"AUTHSECRET", test.saved));
        EXPECT_EQ(ReadAccountSection(config, L"Work").size(), 3u);
    }
}

TEST_F(MainDialog, SaysSoWhenTheSettingsCouldNotBeSaved) {
    handset::AddAccount(L"Work");
    // A folder where config should be: the file cannot be read, so it is not rewritten.
    ASSERT_TRUE(CreateDirectoryW(config.c_str(), nullptr));
    Open({{L"Work", {Parm(L"INSERVER", L"pop.work")}}});

    Command(IDC_REPAIR);
    RemoveDirectoryW(config.c_str());
    EXPECT_EQ(TraceList(), (Lines{L"Repairing config...", L"DMProcessConfigXML Succeeded"}));
    EXPECT_EQ(ResultLine(), L"Account repaired, but settings not saved");
    EXPECT_EQ(
        handset::ListStores()[0].settings,
        (handset::Settings{{L"AUTHSECRET", L""}, {L"INSERVER", L"pop.work"}, {L"OUTSERVER", L""}}));
}

TEST_F(MainDialog, AConfigThatCouldNotBeReadAtStartIsSaidSoUntilARepairShowsItsResult) {
    handset::AddAccount(L"Work", {{L"INSERVER", L"pop.work"}});
    handset::AddAccount(L"Home", {{L"INSERVER", L"pop.home"}});
    // A folder where config should be, at start: there, but not read.
    ASSERT_TRUE(CreateDirectoryW(config.c_str(), nullptr));
    EXPECT_FALSE(LoadAccountSections(accountTable));
    ASSERT_TRUE(RemoveDirectoryW(config.c_str()));
    Open();
    const std::wstring notRead = L"Saved settings could not be read";
    EXPECT_TRUE(ResultShown());
    EXPECT_EQ(ResultLine(), notRead);
    EXPECT_EQ(Field(IDC_IN_SERVER), L"");
    // Whatever the page or the account shown, until a repair says more.
    ChooseTab(1);
    ChooseAccount(1);
    Command(IDC_NEXT_ACCOUNT);
    EXPECT_TRUE(ResultShown());
    EXPECT_EQ(ResultLine(), notRead);

    Command(IDC_REPAIR);
    EXPECT_EQ(ResultLine(), L"Account repaired, but settings not saved");
    EXPECT_FALSE(FileExists(config));
    // Another account's fields are as empty as the first's were.
    Command(IDC_NEXT_ACCOUNT);
    EXPECT_TRUE(ResultShown());
    EXPECT_EQ(ResultLine(), notRead);
}

TEST_F(MainDialog, ARepairWaitsForABatchRunThatHoldsConfigAndFailsWhenTheWaitRunsOut) {
    handset::AddAccount(L"Work", {{L"INSERVER", L"broken"}});
    WriteBytes(config, TextFileBytes({L"[Work]", Parm(L"INSERVER", L"saved")}));
    const std::string before = ReadBytes(config);
    Open({{L"Work", {Parm(L"INSERVER", L"typed")}}});
    {
        // As the soft reset's batch run holds it, to its end.
        testing_support::ConfigLockHeldElsewhere batchRun(config);
        ASSERT_TRUE(batchRun.Held());
        const DWORD started = GetTickCount();
        RepairOutcome outcome = RepairSelectedAccount(dialog, 300);
        EXPECT_GE(GetTickCount() - started, 250u);
        EXPECT_LT(outcome.result, 0);
        EXPECT_FALSE(outcome.saved);
        EXPECT_EQ(SettingsOf(L"Work"), (handset::Settings{{L"INSERVER", L"broken"}}));
        EXPECT_EQ(ReadBytes(config), before);
    }
    // Once the batch run has ended, the same repair goes through.
    RepairOutcome outcome = RepairSelectedAccount(dialog, 300);
    EXPECT_EQ(outcome.result, 0);
    EXPECT_TRUE(outcome.saved);
    EXPECT_EQ(SettingsOf(L"Work"), (handset::Settings{{L"INSERVER", L"typed"}}));
    EXPECT_EQ(ReadAccountSection(config, L"Work"), Lines{Parm(L"INSERVER", L"typed")});
}

TEST_F(MainDialog, AnAccountWithoutSettingsIsRepairedButNotSaved) {
    handset::AddAccount(L"Bare");
    Open();
    // The command collects the page first, which gives the account its lines; the repair step
    // itself, on an account without any, applies the empty document and saves nothing.
    RepairOutcome outcome = RepairSelectedAccount(dialog);
    EXPECT_EQ(outcome.result, 0);
    EXPECT_TRUE(outcome.saved);
    EXPECT_FALSE(FileExists(config));
}

TEST_F(MainDialog, TheResultLineStaysOverATabChangeAndGoesWithTheAccount) {
    handset::AddAccount(L"A");
    handset::AddAccount(L"B");
    Open();
    Command(IDC_REPAIR);
    ASSERT_TRUE(ResultShown());
    ChooseTab(1);
    EXPECT_TRUE(ResultShown());
    Command(IDC_ACCOUNT_LIST, CBN_SELCHANGE);
    EXPECT_TRUE(ResultShown());
    ChooseAccount(0);
    EXPECT_FALSE(ResultShown());
    Command(IDC_REPAIR);
    ChooseAccount(1);
    EXPECT_FALSE(ResultShown());
    Command(IDC_REPAIR);
    Command(IDC_NEXT_ACCOUNT);
    EXPECT_FALSE(ResultShown());
}

TEST_F(MainDialog, TheAutoRepairSwitchWritesAndRemovesTheShortcut) {
    handset::AddAccount(L"Work");
    const std::wstring shortcut = startup / L"autorepair.lnk";
    const std::wstring ours = StartupShortcutLine(GetProgramFilePath(), RepairAllArguments);
    WriteBytes(shortcut, testing_support::Utf8(ours) + "\r\n");
    Open();
    EXPECT_TRUE(AutoRepairChecked());

    Command(IDM_AUTO_REPAIR);
    EXPECT_FALSE(AutoRepairChecked());
    EXPECT_FALSE(FileExists(shortcut));

    Command(IDM_AUTO_REPAIR);
    EXPECT_TRUE(AutoRepairChecked());
    EXPECT_EQ(ReadTextLines(shortcut), (Lines{ours}));
    Command(IDM_AUTO_REPAIR);
    EXPECT_FALSE(FileExists(shortcut));
}

TEST_F(MainDialog, TheCheckMarkIsOnOnlyForThisProgramsShortcutAndIsReadAgainWhenOptionsOpens) {
    handset::AddAccount(L"Work");
    const std::wstring shortcut = startup / L"autorepair.lnk";
    // The shortcut of the copy this program was moved from, on the storage card.
    const std::string otherCopys =
        testing_support::Utf8(StartupShortcutLine(L"C:\\Storage Card\\Courierfix\\courierfix.exe",
                                                  RepairAllArguments)) +
        "\r\n";
    WriteBytes(shortcut, otherCopys);
    Open();
    EXPECT_FALSE(AutoRepairChecked());
    // Switched on, this program's shortcut takes the other's place.
    Command(IDM_AUTO_REPAIR);
    EXPECT_TRUE(AutoRepairChecked());
    EXPECT_EQ(ReadTextLines(shortcut),
              (Lines{StartupShortcutLine(GetProgramFilePath(), RepairAllArguments)}));

    // Changed elsewhere while the dialog is open: the mark follows when Options opens.
    WriteBytes(shortcut, otherCopys);
    EXPECT_TRUE(AutoRepairChecked());
    EXPECT_TRUE(OpenAndCloseOptions());
    EXPECT_FALSE(AutoRepairChecked());
    // And the switch goes by what the file holds now: on, over the other copy's.
    Command(IDM_AUTO_REPAIR);
    EXPECT_TRUE(AutoRepairChecked());
    EXPECT_EQ(ReadTextLines(shortcut),
              (Lines{StartupShortcutLine(GetProgramFilePath(), RepairAllArguments)}));
    DeleteFileW(shortcut.c_str());
    EXPECT_TRUE(OpenAndCloseOptions());
    EXPECT_FALSE(AutoRepairChecked());
}

TEST_F(MainDialog, TheCheckMarkNeverClaimsAShortcutThatIsNotThere) {
    handset::AddAccount(L"Work");
    Open();
    EXPECT_FALSE(AutoRepairChecked());
    // A Startup folder that does not exist: the shortcut cannot be written.
    testing_support::ScopedStartupFolder::SetValue(L"C:\\no such folder");
    Command(IDM_AUTO_REPAIR);
    EXPECT_FALSE(AutoRepairChecked());
}

TEST_F(MainDialog, WithoutAnyAccountThereIsNoPageAndNoRepair) {
    handset::AddStore(L"SMS", std::nullopt);
    Open();
    EXPECT_EQ(AccountList(), Lines{});
    EXPECT_EQ(Page(), nullptr);
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_REPAIR)));
    HMENU menu = reinterpret_cast<HMENU>(
        SendMessageW(SHFindMenuBar(dialog), SHCMBM_GETSUBMENU, 0, IDM_OPTIONS));
    EXPECT_TRUE(GetMenuState(menu, IDM_REPAIR, MF_BYCOMMAND) & MF_GRAYED);

    Command(IDC_REPAIR);
    Command(IDM_REPAIR);
    Command(IDC_NEXT_ACCOUNT);
    ChooseTab(1);
    EXPECT_EQ(TraceList(), Lines{});
    EXPECT_FALSE(ResultShown());
    EXPECT_EQ(Page(), nullptr);
    EXPECT_FALSE(FileExists(config));
}

TEST_F(MainDialog, ShowsTheMenuBarWithQuitAndOptions) {
    handset::AddAccount(L"Work");
    Open();
    HWND bar = SHFindMenuBar(dialog);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar, menuBarWindow);
    EXPECT_EQ(testing_support::ButtonTextOf(bar, IDM_OPTIONS), L"Options");
    EXPECT_EQ(testing_support::ButtonTextOf(bar, IDM_QUIT), L"Quit");
}

// Runs the dialog as start-up does and, once it is up, posts it one command.
INT_PTR RunAndSend(int command) {
    static int pending;
    pending = command;
    SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR timer, DWORD) CALLBACK {
        KillTimer(nullptr, timer);
        PostMessageW(FindWindowW(L"#32770", L"Courierfix"), WM_COMMAND, pending, 0);
    });
    return DialogBoxIndirectParamW(instanceHandle, LoadDialogTemplate(IDD_MAIN), nullptr,
                                   MainDialogProc, 0);
}

TEST_F(MainDialog, DoneAndQuitEndTheDialog) {
    handset::AddAccount(L"Work");
    ASSERT_GE(EnumerateAccounts(session, accountTable), 0);
    EXPECT_EQ(RunAndSend(IDOK), IDOK);
    EXPECT_EQ(RunAndSend(IDM_QUIT), IDM_QUIT);
    EXPECT_EQ(menuBarWindow, nullptr);
}

TEST_F(MainDialog, AboutOpensItsOwnDialog) {
    handset::AddAccount(L"Work");
    Open();
    static bool aboutSeen;
    aboutSeen = false;
    SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR timer, DWORD) CALLBACK {
        KillTimer(nullptr, timer);
        HWND about = FindWindowW(L"#32770", L"About Courierfix");
        aboutSeen = about != nullptr && IsWindowVisible(about);
        PostMessageW(about, WM_COMMAND, IDOK, 0);
    });
    Command(IDM_ABOUT);
    EXPECT_TRUE(aboutSeen);
    EXPECT_EQ(FindWindowW(L"#32770", L"About Courierfix"), nullptr);
    EXPECT_TRUE(IsWindow(dialog));
}

} // namespace
