// The real program in its interactive mode, started with an empty command line and driven from
// this process: through window messages, as another program on the handset could, and with
// nothing but keys, as a user does.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <optional>
#include <string_view>

#include "files/handles.h"
#include "handset/common/owners.h"

#include "handset/registry/store_registry.h"
#include "store/config_file.h"
#include "store/config_lock.h"
#include "tests/support/config_lines.h"
#include "tests/support/files.h"
#include "tests/support/held_file.h"
#include "tests/support/installed_program.h"
#include "tests/support/process.h"
#include "tests/support/rect_text.h"
#include "tests/support/scoped_handset.h"
#include "tests/support/scoped_screen.h"
#include "tests/support/window_queries.h"
#include "tests/ui/shown_dialogs.h"
#include "ui/resource.h"

#include <functional>

namespace {

using testing_support::Parm;
using testing_support::ReadTextLines;
using testing_support::RectText;
using testing_support::ScreenRectOf;
using testing_support::SettingsOf;
using testing_support::TextFileBytes;
using testing_support::TextOf;
using testing_support::WriteBytes;
using Lines = std::vector<std::wstring>;

// Waits up to ten seconds for what is wanted: a repair on a loaded machine can take seconds.
bool WaitFor(const std::function<bool()>& wanted) {
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (wanted()) {
            return true;
        }
        Sleep(50);
    }
    return wanted();
}

// The shown top-level window of the program's that owner owns and that is of the class.
HWND OwnedWindow(HWND owner, const std::wstring& className) {
    for (HWND window = GetTopWindow(nullptr); window != nullptr;
         window = GetWindow(window, GW_HWNDNEXT)) {
        if (GetWindow(window, GW_OWNER) == owner && ui_testing::ClassOf(window) == className &&
            IsWindowVisible(window)) {
            return window;
        }
    }
    return nullptr;
}

// The shown top-level window of a process with that class and title.
HWND ShownWindow(DWORD processId, const wchar_t* className, const wchar_t* title) {
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, className, title)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId && IsWindowVisible(window)) {
            return window;
        }
    }
    return nullptr;
}

bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

std::string Describe(HWND control) {
    return "control " + std::to_string(GetDlgCtrlID(control)) + " " +
           testing::PrintToString(TextOf(control));
}

// Each shown control of window lies whole inside area (on the screen), no two overlap, and each
// shows its text whole in font.
void ExpectLaidOut(HWND window, const RECT& area, HFONT font) {
    std::vector<HWND> shown;
    for (HWND control = GetWindow(window, GW_CHILD); control != nullptr;
         control = GetWindow(control, GW_HWNDNEXT)) {
        if (IsWindowVisible(control)) {
            shown.push_back(control);
        }
    }
    for (size_t i = 0; i < shown.size(); ++i) {
        RECT rect = ScreenRectOf(shown[i]);
        EXPECT_TRUE(Inside(rect, area)) << Describe(shown[i]);
        EXPECT_TRUE(ui_testing::TextShowsWhole(shown[i], font)) << Describe(shown[i]);
        for (size_t j = i + 1; j < shown.size(); ++j) {
            RECT other = ScreenRectOf(shown[j]);
            RECT common{};
            EXPECT_FALSE(IntersectRect(&common, &rect, &other))
                << Describe(shown[i]) << " overlaps " << Describe(shown[j]);
        }
    }
}

// The client area of a window, on the screen.
RECT ClientOnScreen(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    return client;
}

// The tab control below its row of tabs, on the screen. The tab control of another process
// writes the rectangle of its first tab into memory of its own process.
RECT BelowTheTabs(HWND tabs) {
    DWORD processId = 0;
    GetWindowThreadProcessId(tabs, &processId);
    OwnedKernelObject process(
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId));
    RECT tab{};
    void* remote = VirtualAllocEx(process.Get(), nullptr, sizeof(tab), MEM_COMMIT, PAGE_READWRITE);
    EXPECT_TRUE(SendMessageW(tabs, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(remote)));
    EXPECT_TRUE(ReadProcessMemory(process.Get(), remote, &tab, sizeof(tab), nullptr));
    VirtualFreeEx(process.Get(), remote, 0, MEM_RELEASE);
    RECT area{};
    GetClientRect(tabs, &area);
    area.top = tab.bottom;
    MapWindowPoints(tabs, nullptr, reinterpret_cast<POINT*>(&area), 2);
    return area;
}

class InteractiveProgram : public ::testing::Test {
protected:
    // Starts the program, or another installation of it, with an empty command line and waits
    // for its dialog.
    void Start() { Start(program); }
    void Start(const testing_support::InstalledProgram& installed) {
        process.emplace(L"\"" + installed.Exe() + L"\"");
        ASSERT_TRUE(process->Started());
        dialog =
            testing_support::WaitForShownDialog(IDC_ACCOUNT_LIST, L"Courierfix", process->Id());
        ASSERT_NE(dialog, nullptr);
    }

    // Waits for the program to end and gives its exit code.
    unsigned long WaitForExit() {
        auto exitCode = process->Wait(30000);
        EXPECT_TRUE(exitCode) << "the program did not end";
        process.reset();
        return exitCode.value_or(99);
    }

    // Chooses the account at index of the sorted list, as a tap on the list does, and gives the
    // settings page shown for it.
    HWND ChooseAccount(int index) const {
        HWND list = GetDlgItem(dialog, IDC_ACCOUNT_LIST);
        SendMessageW(list, CB_SETCURSEL, index, 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_ACCOUNT_LIST, CBN_SELENDOK),
                     reinterpret_cast<LPARAM>(list));
        return Page();
    }
    HWND Page() const {
        return FindWindowExW(GetDlgItem(dialog, IDC_SETTINGS_TABS), nullptr, L"#32770", nullptr);
    }
    static void Type(HWND page, int id, const std::wstring& text) {
        SendMessageW(GetDlgItem(page, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }

    // The id of the control that has the focus in the program, once keys sent before have been
    // taken: it is waited for until it is wanted, for at most two seconds.
    int FocusAfterKeys(int wanted) {
        int focused = 0;
        for (int attempt = 0; attempt < 40 && focused != wanted; ++attempt) {
            Sleep(50);
            GUITHREADINFO info{};
            info.cbSize = sizeof(info);
            GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
            focused = info.hwndFocus != nullptr ? GetDlgCtrlID(info.hwndFocus) : 0;
        }
        return focused;
    }

    // Presses Tab (or Shift+Tab, going back) count times, expects the focus on the control
    // wanted afterwards, and types text there.
    void Tab(int count, int wanted, std::wstring_view text = L"", bool back = false) {
        for (int time = 0; time < count; ++time) {
            back ? ui_testing::PressKeyWith(VK_SHIFT, VK_TAB) : ui_testing::PressKey(VK_TAB);
        }
        ASSERT_EQ(FocusAfterKeys(wanted), wanted);
        ui_testing::TypeText(text);
    }

    std::wstring ResultLine() const { return TextOf(GetDlgItem(dialog, IDC_RESULT_LINE)); }
    // Taps "3 - Repair" and gives the result line.
    std::wstring Repair() const {
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_REPAIR, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_REPAIR)));
        return ResultLine();
    }
    void Quit() const { SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDM_QUIT, 0), 0); }
    // The result line of a repair, once it shows.
    std::wstring ResultAfterRepair() {
        WaitFor([&] { return IsWindowVisible(GetDlgItem(dialog, IDC_RESULT_LINE)) != FALSE; });
        return ResultLine();
    }

    testing_support::ScopedHandset handsetState;
    testing_support::InstalledProgram program{L"\\Program Files\\Courierfix"};
    // Ended, if it still runs, before its installation is removed.
    std::optional<testing_support::Process> process;
    HWND dialog = nullptr;
};

TEST_F(InteractiveProgram, RepairsTheChosenAccountAndQuitsAndTheBatchAppliesTheSameAgain) {
    const std::wstring password = L"\tT\rC\nL &<>\"' café 郵便 \U0001F511";
    handset::AddAccount(L"Work", {{L"INSERVER", L"broken"}});
    handset::AddAccount(L"Home", {{L"INSERVER", L"untouched"}});
    WriteBytes(program.File(L"config"),
               TextFileBytes({L"[Work]", Parm(L"INSERVER", L"pop.saved")}));
    WriteBytes(program.File(L"log.txt"), "an old log\r\n");
    Start();

    EXPECT_EQ(testing_support::ItemsOf(GetDlgItem(dialog, IDC_ACCOUNT_LIST)),
              (Lines{L"Home", L"Work"}));

    HWND page = ChooseAccount(1);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(TextOf(GetDlgItem(page, IDC_IN_SERVER)), L"pop.saved");
    Type(page, IDC_OUT_SERVER, L"smtp.work");
    // A password of every kind of character a value can hold.
    Type(page, IDC_PASSWORD, password);

    // Over to the other tab and back: the typed value is kept.
    HWND tabs = GetDlgItem(dialog, IDC_SETTINGS_TABS);
    SendMessageW(tabs, TCM_SETCURFOCUS, 1, 0);
    ASSERT_NE(GetDlgItem(Page(), IDC_SMTP_USERNAME), nullptr);
    Type(Page(), IDC_SMTP_USERNAME, L"me@work");
    SendMessageW(tabs, TCM_SETCURFOCUS, 0, 0);
    page = Page();
    EXPECT_EQ(TextOf(GetDlgItem(page, IDC_OUT_SERVER)), L"smtp.work");

    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_REPAIR, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_REPAIR)));
    HWND result = GetDlgItem(dialog, IDC_RESULT_LINE);
    EXPECT_TRUE(IsWindowVisible(result));
    EXPECT_EQ(TextOf(result), L"Account successfully repaired");
    HWND trace = GetDlgItem(dialog, IDC_TRACE_LIST);
    EXPECT_EQ(SendMessageW(trace, LB_GETCOUNT, 0, 0), 2);

    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDM_QUIT, 0), 0);
    EXPECT_EQ(WaitForExit(), 0u);

    EXPECT_EQ(ReadTextLines(program.File(L"log.txt")), (Lines{L"Command line: []"}));
    const std::wstring saved = L"&#9;T&#13;C&#10;L &amp;&lt;&gt;&quot;&apos; café 郵便 \U0001F511";
    EXPECT_EQ(ReadTextLines(program.File(L"config")),
              (Lines{L"[Work]", Parm(L"INSERVER", L"pop.saved"), Parm(L"OUTSERVER", L"smtp.work"),
                     Parm(L"AUTHSECRET", saved), Parm(L"SMTPALTAUTHNAME", L"me@work"),
                     Parm(L"SMTPALTPASSWORD", L""), Parm(L"SMTPALTDOMAIN", L"")}));
    const handset::Settings repaired = {
        {L"AUTHSECRET", password},        {L"INSERVER", L"pop.saved"}, {L"OUTSERVER", L"smtp.work"},
        {L"SMTPALTAUTHNAME", L"me@work"}, {L"SMTPALTDOMAIN", L""},     {L"SMTPALTPASSWORD", L""}};
    EXPECT_EQ(SettingsOf(L"Work"), repaired);
    EXPECT_EQ(SettingsOf(L"Home"), (handset::Settings{{L"INSERVER", L"untouched"}}));

    // A soft reset later: the batch run applies exactly what the dialog saved.
    handset::SetSettings(L"Work", {{L"AUTHSECRET", L"lost"}, {L"INSERVER", L"lost"}});
    EXPECT_EQ(program.Run(L"--autorepairall"), 0u);
    EXPECT_EQ(SettingsOf(L"Work"), repaired);
}

TEST_F(InteractiveProgram, EndsWithZeroWhateverConfigHolds) {
    handset::AddAccount(L"Work");
    // A folder where config should be: there, but not to be read.
    ASSERT_TRUE(CreateDirectoryW(program.File(L"config").c_str(), nullptr));
    Start();
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDM_QUIT, 0), 0);
    EXPECT_EQ(WaitForExit(), 0u);
    RemoveDirectoryW(program.File(L"config").c_str());
}

TEST_F(InteractiveProgram, ASessionWithTheKeysAloneRepairsWhatWasTypedForTheAccountShown) {
    handset::AddAccount(L"Work", {{L"INSERVER", L"broken"}});
    handset::AddAccount(L"Home", {{L"INSERVER", L"broken"}});
    WriteBytes(program.File(L"config"),
               TextFileBytes({L"[Home]", Parm(L"INSERVER", L"pop.saved")}));
    Start();
    SetForegroundWindow(dialog);
    // The dialog opens on Home, with the focus on ">", the first control in keyboard order.
    // Reaching a field with Tab selects its text, so what is typed replaces it.
    ASSERT_EQ(FocusAfterKeys(IDC_NEXT_ACCOUNT), IDC_NEXT_ACCOUNT);
    Tab(3, IDC_IN_SERVER, L"pop.home");
    Tab(1, IDC_OUT_SERVER, L"smtp.home");
    Tab(1, IDC_PASSWORD, L"pässwörd \U0001F511");
    Tab(1, IDC_REPAIR);
    ui_testing::PressKey(VK_SPACE);
    EXPECT_EQ(ResultAfterRepair(), L"Account successfully repaired");

    // The other tab: from the tabs, Right, and into its fields.
    Tab(4, IDC_SETTINGS_TABS, L"", true);
    ui_testing::PressKey(VK_RIGHT);
    Tab(1, IDC_SMTP_USERNAME, L"me@home");
    Tab(2, IDC_SMTP_DOMAIN, L"HOME");
    Tab(1, IDC_REPAIR);
    ui_testing::PressKey(VK_SPACE);

    // Another account, chosen with Down in the list: its own page, and its own repair.
    Tab(5, IDC_ACCOUNT_LIST, L"", true);
    ui_testing::PressKey(VK_DOWN);
    Tab(2, IDC_SMTP_USERNAME, L"me@work");
    Tab(3, IDC_REPAIR);
    ui_testing::PressKey(VK_SPACE);
    for (int attempt = 0; attempt < 40 && SettingsOf(L"Work").size() < 4; ++attempt) {
        Sleep(50);
    }
    // Enter in a field ends the dialog, as the Done key does.
    Tab(1, IDC_SMTP_DOMAIN, L"", true);
    ui_testing::PressKey(VK_RETURN);
    EXPECT_EQ(WaitForExit(), 0u);

    const handset::Settings home = {{L"AUTHSECRET", L"pässwörd \U0001F511"},
                                    {L"INSERVER", L"pop.home"},
                                    {L"OUTSERVER", L"smtp.home"},
                                    {L"SMTPALTAUTHNAME", L"me@home"},
                                    {L"SMTPALTDOMAIN", L"HOME"},
                                    {L"SMTPALTPASSWORD", L""}};
    const handset::Settings work = {{L"INSERVER", L"broken"},
                                    {L"SMTPALTAUTHNAME", L"me@work"},
                                    {L"SMTPALTDOMAIN", L""},
                                    {L"SMTPALTPASSWORD", L""}};
    EXPECT_EQ(SettingsOf(L"Home"), home);
    EXPECT_EQ(SettingsOf(L"Work"), work);
    EXPECT_EQ(
        ReadTextLines(program.File(L"config")),
        (Lines{L"[Home]", Parm(L"INSERVER", L"pop.home"), Parm(L"OUTSERVER", L"smtp.home"),
               Parm(L"AUTHSECRET", L"pässwörd \U0001F511"), Parm(L"SMTPALTAUTHNAME", L"me@home"),
               Parm(L"SMTPALTPASSWORD", L""), Parm(L"SMTPALTDOMAIN", L"HOME"), L"[Work]",
               Parm(L"SMTPALTAUTHNAME", L"me@work"), Parm(L"SMTPALTPASSWORD", L""),
               Parm(L"SMTPALTDOMAIN", L"")}));
}

TEST_F(InteractiveProgram, OnTheStorageCardTheDialogSavesAndTheBatchAppliesWhatItSaved) {
    testing_support::InstalledProgram onCard{L"\\Program Files\\Courierfix",
                                             testing_support::Volume::StorageCard};
    handset::AddAccount(L"Work", {{L"INSERVER", L"broken"}});
    handset::AddAccount(L"Home", {{L"INSERVER", L"untouched"}});
    WriteBytes(onCard.File(L"config"), TextFileBytes({L"[Work]", Parm(L"INSERVER", L"pop.saved"),
                                                      L"[Home]", Parm(L"INSERVER", L"pop.home")}));
    Start(onCard);
    // The list is sorted: Home, then Work.
    Type(ChooseAccount(1), IDC_OUT_SERVER, L"smtp.work");
    EXPECT_EQ(Repair(), L"Account successfully repaired");
    Quit();
    EXPECT_EQ(WaitForExit(), 0u);

    const Lines saved = ReadTextLines(onCard.File(L"config"));
    ASSERT_GE(saved.size(), 4u);
    EXPECT_EQ(Lines(saved.begin(), saved.begin() + 3),
              (Lines{L"[Home]", Parm(L"INSERVER", L"pop.home"), L"[Work]"}));
    EXPECT_NE(std::find(saved.begin(), saved.end(), Parm(L"OUTSERVER", L"smtp.work")), saved.end());
    EXPECT_EQ(testing_support::FolderEntries(onCard.File(L"")),
              (Lines{L"config", L"courierfix.exe", L"log.txt"}));

    handset::SetSettings(L"Work", {{L"INSERVER", L"lost"}, {L"OUTSERVER", L"lost"}});
    EXPECT_EQ(onCard.Run(L"--autorepairall"), 0u);
    EXPECT_EQ(SettingsOf(L"Work").at(L"OUTSERVER"), L"smtp.work");
    EXPECT_EQ(SettingsOf(L"Work").at(L"INSERVER"), L"pop.saved");
}

TEST_F(InteractiveProgram, AConfigThatCouldNotBeReadAtStartIsNeverSavedOver) {
    handset::AddAccount(L"Work", {{L"INSERVER", L"broken"}});
    WriteBytes(program.File(L"config"), TextFileBytes({L"[Work]", Parm(L"INSERVER", L"pop.saved"),
                                                       Parm(L"SMTPALTAUTHNAME", L"me@work")}));
    const std::string before = testing_support::ReadBytes(program.File(L"config"));
    // Held open without sharing while the dialog starts, as a desktop sync or an editor does,
    // and let go before the repair: the fields showed nothing of what config holds.
    OwnedHandle held(CreateFileW(program.File(L"config").c_str(), GENERIC_READ, 0, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held.IsValid());
    Start();
    held.Reset();

    EXPECT_EQ(Repair(), L"Account repaired, but settings not saved");
    Quit();
    WaitForExit();
    EXPECT_EQ(testing_support::ReadBytes(program.File(L"config")), before);
}

TEST_F(InteractiveProgram, WhileABatchRunHoldsTheLockTheDialogShowsAtOnceAndLeavesItsLogAlone) {
    handset::AddAccount(L"Work", {{L"INSERVER", L"broken"}});
    WriteBytes(program.File(L"config"),
               TextFileBytes({L"[Work]", Parm(L"INSERVER", L"pop.saved")}));
    const std::string batchLog = "\xEF\xBB\xBF"
                                 "Command line: [--autorepairall]\r\nAuto repair All\r\n";
    WriteBytes(program.File(L"log.txt"), batchLog);
    {
        // As a batch run holds it, from its start to its end.
        ConfigLock batchRun(program.File(L"config"));
        ASSERT_TRUE(batchRun.Held());
        const DWORD started = GetTickCount();
        Start();
        EXPECT_LT(GetTickCount() - started, 15000u);
        EXPECT_EQ(TextOf(GetDlgItem(Page(), IDC_IN_SERVER)), L"pop.saved");
        EXPECT_EQ(testing_support::ReadBytes(program.File(L"log.txt")), batchLog);
    }
    // The batch run has ended: a repair saves as ever.
    EXPECT_EQ(Repair(), L"Account successfully repaired");
    Quit();
    EXPECT_EQ(WaitForExit(), 0u);
    EXPECT_EQ(testing_support::ReadBytes(program.File(L"log.txt")), batchLog);
}

BOOL CALLBACK AddIfMainDialog(HWND window, LPARAM list) {
    wchar_t title[64] = {};
    GetWindowTextW(window, title, 64);
    if (IsWindowVisible(window) && std::wstring(title) == L"Courierfix" &&
        GetDlgItem(window, IDC_ACCOUNT_LIST) != nullptr) {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    }
    return TRUE;
}

// The main dialogs of the program shown on the screen, of any process.
std::vector<HWND> ShownMainDialogs() {
    std::vector<HWND> found;
    EnumWindows(AddIfMainDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

TEST_F(InteractiveProgram, ASecondStartBringsTheOpenDialogForwardAndEndsWhileABatchStartRuns) {
    handset::AddAccount(L"Work", {{L"INSERVER", L"lost"}});
    WriteBytes(program.File(L"config"),
               TextFileBytes({L"[Work]", Parm(L"INSERVER", L"pop.saved")}));
    Start();
    const std::string openRunsLog = "the log of the run whose dialog is open\r\n";
    WriteBytes(program.File(L"log.txt"), openRunsLog);
    // Another program's window in front, as when the user went on to something else.
    HWND other = CreateWindowExW(0, L"STATIC", L"Another program", WS_POPUP | WS_VISIBLE, 0, 0, 240,
                                 320, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    SetForegroundWindow(other);
    ASSERT_EQ(GetForegroundWindow(), other);

    auto again = testing_support::RunProcess(L"\"" + program.Exe() + L"\"", 30000);
    EXPECT_FALSE(again.timedOut);
    EXPECT_EQ(again.exitCode, 0u);
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == dialog; }));
    EXPECT_EQ(ShownMainDialogs(), std::vector<HWND>{dialog});
    EXPECT_EQ(testing_support::ReadBytes(program.File(L"log.txt")), openRunsLog);
    DestroyWindow(other);

    // A batch start is not held back: it repairs while the dialog is open.
    EXPECT_EQ(program.Run(L"--autorepairall"), 0u);
    EXPECT_EQ(SettingsOf(L"Work"), (handset::Settings{{L"INSERVER", L"pop.saved"}}));
    Quit();
    EXPECT_EQ(WaitForExit(), 0u);

    // Two starts at the same moment: one dialog, and the other start ends.
    testing_support::Process one(L"\"" + program.Exe() + L"\"");
    testing_support::Process another(L"\"" + program.Exe() + L"\"");
    ASSERT_TRUE(WaitFor([&] { return ShownMainDialogs().size() == 1; }));
    const auto ended = [](testing_support::Process& start) { return start.Wait(0).has_value(); };
    EXPECT_TRUE(WaitFor([&] { return ended(one) || ended(another); }));
    EXPECT_FALSE(ended(one) && ended(another));
    Sleep(500);
    EXPECT_EQ(ShownMainDialogs().size(), 1u);
    for (HWND shown : ShownMainDialogs()) {
        PostMessageW(shown, WM_COMMAND, MAKEWPARAM(IDM_QUIT, 0), 0);
    }
    EXPECT_EQ(one.Wait(30000), std::optional<unsigned long>(0));
    EXPECT_EQ(another.Wait(30000), std::optional<unsigned long>(0));
}

TEST_F(InteractiveProgram, AStoppedSaveThatCannotBeFinishedNowIsSaidSoAndNeverSavedOver) {
    for (auto volume :
         {testing_support::Volume::ObjectStore, testing_support::Volume::StorageCard}) {
        SCOPED_TRACE(testing::PrintToString(volume));
        testing_support::InstalledProgram installed{L"\\Program Files\\Courierfix", volume};
        handset::ClearStores();
        handset::AddAccount(L"Work", {{L"INSERVER", L"lost"}});
        // A save stopped after it set config aside, whose new content a desktop sync holds open.
        WriteBytes(installed.File(L"config.5EED0001.old"),
                   TextFileBytes({L"[Work]", Parm(L"INSERVER", L"pop.old")}));
        WriteBytes(installed.File(L"config.5EED0001.new"),
                   TextFileBytes({L"[Work]", Parm(L"INSERVER", L"pop.new")}));
        const Lines beside = testing_support::FolderEntries(installed.File(L""));
        testing_support::HeldFile held(installed.File(L"config.5EED0001.new"),
                                       testing_support::HeldFile::Sharing::None);
        ASSERT_TRUE(held.Held());
        Start(installed);

        EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_RESULT_LINE)));
        EXPECT_EQ(ResultLine(), L"Saved settings could not be read");
        EXPECT_EQ(TextOf(GetDlgItem(Page(), IDC_IN_SERVER)), L"");
        EXPECT_EQ(Repair(), L"Account repaired, but settings not saved");
        Quit();
        EXPECT_EQ(WaitForExit(), 0u);
        Lines after = testing_support::FolderEntries(installed.File(L""));
        after.erase(std::remove(after.begin(), after.end(), L"log.txt"), after.end());
        EXPECT_EQ(after, beside);

        // Let go of: the soft reset's run finishes the save and applies what it saved.
        held.Release();
        EXPECT_EQ(installed.Run(L"--autorepairall"), 0u);
        EXPECT_EQ(SettingsOf(L"Work").at(L"INSERVER"), L"pop.new");
    }
}

TEST_F(InteractiveProgram, ARepairTappedWhileTheSoftResetsRunHoldsConfigIsAppliedAfterIt) {
    for (auto volume :
         {testing_support::Volume::ObjectStore, testing_support::Volume::StorageCard}) {
        SCOPED_TRACE(testing::PrintToString(volume));
        testing_support::InstalledProgram installed{L"\\Program Files\\Courierfix", volume};
        handset::ClearStores();
        handset::AddAccount(L"Work", {{L"AUTHSECRET", L"lost"}});
        handset::AddAccount(L"Home", {{L"INSERVER", L"lost"}});
        // Work last: the run is still to apply its old password when Repair is tapped.
        WriteBytes(installed.File(L"config"),
                   TextFileBytes({L"[Home]", Parm(L"INSERVER", L"pop.home"), L"[Work]",
                                  Parm(L"AUTHSECRET", L"old")}));
        Start(installed);
        // The list is sorted: Home, then Work.
        Type(ChooseAccount(1), IDC_PASSWORD, L"new");

        // A handset busy enough that the soft reset's run is still under way when Repair is
        // tapped: the run holds config from before it reads it to its end.
        handset::SetDocumentDelayMs(1500);
        testing_support::Process softReset(L"\"" + installed.Exe() + L"\" --autorepairall");
        ASSERT_TRUE(WaitFor([&] {
            return testing_support::ReadBytes(installed.File(L"log.txt")).find("Auto repair All") !=
                   std::string::npos;
        }));
        SetForegroundWindow(dialog);
        ui_testing::Tap(GetDlgItem(dialog, IDC_REPAIR));
        EXPECT_EQ(ResultAfterRepair(), L"Account successfully repaired");
        EXPECT_EQ(softReset.Wait(30000), std::optional<unsigned long>(0));
        handset::SetDocumentDelayMs(0);

        // The run applied what config held before; the repair, after it, what was typed.
        EXPECT_EQ(
            SettingsOf(L"Work"),
            (handset::Settings{{L"AUTHSECRET", L"new"}, {L"INSERVER", L""}, {L"OUTSERVER", L""}}));
        EXPECT_EQ(
            ReadAccountSection(installed.File(L"config"), L"Work"),
            (Lines{Parm(L"AUTHSECRET", L"new"), Parm(L"INSERVER", L""), Parm(L"OUTSERVER", L"")}));
        Quit();
        EXPECT_EQ(WaitForExit(), 0u);
    }
}

} // namespace

namespace {

struct ScreenForm {
    const char* name;
    SIZE size;
    int dpi;
};

// The dialogs' font, "MS Shell Dlg" of 8 points, as a program started at dpi makes it.
handset::UniqueGdi<HFONT> DialogFont(int dpi) {
    return handset::UniqueGdi<HFONT>(CreateFontW(-MulDiv(8, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE,
                                                 FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0,
                                                 L"MS Shell Dlg"));
}

} // namespace

TEST_F(InteractiveProgram, FitsEveryScreenAHandsetHasAndRepairsByATap) {
    const ScreenForm forms[] = {{"portrait", {240, 320}, 96},
                                {"landscape", {320, 240}, 96},
                                {"square", {240, 240}, 96},
                                {"VGA", {480, 640}, 192},
                                {"VGA landscape", {640, 480}, 192}};
    handset::AddAccount(L"Work", {{L"INSERVER", L"broken"}});
    for (const ScreenForm& form : forms) {
        SCOPED_TRACE(form.name);
        testing_support::ScopedScreen screen(form.size, form.dpi);
        Start();
        SetForegroundWindow(dialog);
        const auto owner = DialogFont(form.dpi);
        const HFONT font = owner.get();
        const int bar = MulDiv(26, form.dpi, 96);

        // The whole width, from below the navigation bar down to the menu bar, which is on the
        // screen at the bottom.
        HWND menuBar = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (menuBar = OwnedWindow(dialog, L"menu_worker")); }));
        const RECT barPlace{0, form.size.cy - bar, form.size.cx, form.size.cy};
        const RECT dialogPlace{0, bar, form.size.cx, form.size.cy - bar};
        EXPECT_EQ(RectText(ScreenRectOf(menuBar)), RectText(barPlace));
        EXPECT_EQ(RectText(ScreenRectOf(dialog)), RectText(dialogPlace));

        // The page's controls whole inside the tab control, below its row of tabs.
        HWND tabs = GetDlgItem(dialog, IDC_SETTINGS_TABS);
        HWND page = Page();
        ASSERT_NE(page, nullptr);
        const RECT belowTheTabs = BelowTheTabs(tabs);
        EXPECT_GE(ScreenRectOf(page).top, belowTheTabs.top) << "the page covers the tabs";
        ExpectLaidOut(page, belowTheTabs, font);

        // A tap on "3 - Repair", and its result line shown in its place.
        ui_testing::Tap(GetDlgItem(dialog, IDC_REPAIR));
        EXPECT_EQ(ResultAfterRepair(), L"Account successfully repaired");
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_RESULT_LINE)));
        ExpectLaidOut(dialog, ClientOnScreen(dialog), font);

        // A tap on Options opens its menu on the screen.
        ui_testing::TapAt({barPlace.right - bar / 2, (barPlace.top + barPlace.bottom) / 2});
        HWND menu = nullptr;
        EXPECT_TRUE(WaitFor(
            [&] { return (menu = ShownWindow(process->Id(), L"#32768", nullptr)) != nullptr; }));
        const RECT screenArea{0, 0, form.size.cx, form.size.cy};
        EXPECT_TRUE(menu != nullptr && Inside(ScreenRectOf(menu), screenArea));
        ui_testing::PressKey(VK_ESCAPE);
        EXPECT_TRUE(WaitFor([&] { return !ShownWindow(process->Id(), L"#32768", nullptr); }));

        // The About dialog fits too.
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDM_ABOUT, 0), 0);
        HWND about = nullptr;
        ASSERT_TRUE(WaitFor(
            [&] { return (about = ShownWindow(process->Id(), L"#32770", L"About Courierfix")); }));
        EXPECT_EQ(RectText(ScreenRectOf(about)), RectText(dialogPlace));
        ExpectLaidOut(about, ClientOnScreen(about), font);
        PostMessageW(about, WM_COMMAND, IDOK, 0);

        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDM_QUIT, 0), 0);
        EXPECT_EQ(WaitForExit(), 0u);
    }

    // A turn of the screen while the program runs, made by handset.exe as a user's turn is.
    testing_support::ScopedScreen portrait(SIZE{240, 320}, 96);
    Start();
    auto turn = testing_support::RunProcess(L"\"" + testing_support::BinFolder() +
                                            L"handset.exe\" screen 320x240");
    EXPECT_EQ(turn.exitCode, 0u);
    EXPECT_TRUE(WaitFor([&] { return RectText(ScreenRectOf(dialog)) == "0,26,320,214"; }))
        << RectText(ScreenRectOf(dialog));
    EXPECT_EQ(RectText(ScreenRectOf(OwnedWindow(dialog, L"menu_worker"))), "0,214,320,240");
    EXPECT_GE(ScreenRectOf(GetDlgItem(dialog, IDC_REPAIR)).left,
              ScreenRectOf(GetDlgItem(dialog, IDC_SETTINGS_TABS)).right);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDM_QUIT, 0), 0);
    EXPECT_EQ(WaitForExit(), 0u);
}
