// The real program in its interactive mode, started with an empty command line and driven from
// this process through window messages, as another program on the handset could.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "handset/messaging/store_registry.h"
#include "tests/support/config_lines.h"
#include "tests/support/files.h"
#include "tests/support/installed_program.h"
#include "tests/support/scoped_handset.h"
#include "ui/resource.h"

namespace {

using testing_support::Parm;
using testing_support::ReadTextLines;
using testing_support::SettingsOf;
using testing_support::TextFileBytes;
using testing_support::WriteBytes;
using Lines = std::vector<std::wstring>;

std::wstring Text(HWND window) {
    wchar_t text[256] = {};
    SendMessageW(window, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
    return text;
}

struct FoundWindow {
    DWORD processId;
    HWND window;
};

// The main dialog of the given process, once it is up.
HWND WaitForMainDialog(DWORD processId) {
    for (int attempt = 0; attempt < 300; ++attempt) {
        FoundWindow found{processId, nullptr};
        EnumWindows(
            [](HWND window, LPARAM data) -> BOOL {
                auto* wanted = reinterpret_cast<FoundWindow*>(data);
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                wchar_t title[64] = {};
                GetWindowTextW(window, title, 64);
                if (owner == wanted->processId && std::wstring(title) == L"Courierfix" &&
                    IsWindowVisible(window) && GetDlgItem(window, IDC_ACCOUNT_LIST) != nullptr) {
                    wanted->window = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&found));
        if (found.window != nullptr) {
            return found.window;
        }
        Sleep(100);
    }
    return nullptr;
}

TEST(InteractiveProgram, RepairsTheChosenAccountAndQuitsAndTheBatchAppliesTheSameAgain) {
    const std::wstring password = L"\tT\rC\nL &<>\"' café 郵便 \U0001F511";
    testing_support::ScopedHandset handsetState;
    testing_support::InstalledProgram program{L"\\Program Files\\Courierfix"};
    handset::AddAccount(L"Work", {{L"INSERVER", L"broken"}});
    handset::AddAccount(L"Home", {{L"INSERVER", L"untouched"}});
    WriteBytes(program.File(L"config"),
               TextFileBytes({L"[Work]", Parm(L"INSERVER", L"pop.saved")}));
    WriteBytes(program.File(L"log.txt"), "an old log\r\n");

    std::wstring commandLine = L"\"" + program.Exe() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process));
    HWND dialog = WaitForMainDialog(process.dwProcessId);
    if (dialog == nullptr) {
        TerminateProcess(process.hProcess, 1);
    }
    ASSERT_NE(dialog, nullptr);

    HWND list = GetDlgItem(dialog, IDC_ACCOUNT_LIST);
    ASSERT_EQ(SendMessageW(list, CB_GETCOUNT, 0, 0), 2);
    wchar_t name[64] = {};
    SendMessageW(list, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(name));
    EXPECT_STREQ(name, L"Work");

    // Choose Work, as a tap on the list does.
    SendMessageW(list, CB_SETCURSEL, 1, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_ACCOUNT_LIST, CBN_SELENDOK),
                 reinterpret_cast<LPARAM>(list));
    HWND tabs = GetDlgItem(dialog, IDC_SETTINGS_TABS);
    HWND page = FindWindowExW(tabs, nullptr, L"#32770", nullptr);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(Text(GetDlgItem(page, IDC_IN_SERVER)), L"pop.saved");
    SendMessageW(GetDlgItem(page, IDC_OUT_SERVER), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(L"smtp.work"));
    // A password of every kind of character a value can hold.
    SendMessageW(GetDlgItem(page, IDC_PASSWORD), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(password.c_str()));

    // Over to the other tab and back: the typed value is kept.
    SendMessageW(tabs, TCM_SETCURFOCUS, 1, 0);
    page = FindWindowExW(tabs, nullptr, L"#32770", nullptr);
    ASSERT_NE(GetDlgItem(page, IDC_SMTP_USERNAME), nullptr);
    SendMessageW(GetDlgItem(page, IDC_SMTP_USERNAME), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(L"me@work"));
    SendMessageW(tabs, TCM_SETCURFOCUS, 0, 0);
    page = FindWindowExW(tabs, nullptr, L"#32770", nullptr);
    EXPECT_EQ(Text(GetDlgItem(page, IDC_OUT_SERVER)), L"smtp.work");

    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_REPAIR, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_REPAIR)));
    HWND result = GetDlgItem(dialog, IDC_RESULT_LINE);
    EXPECT_TRUE(IsWindowVisible(result));
    EXPECT_EQ(Text(result), L"Account successfully repaired");
    HWND trace = GetDlgItem(dialog, IDC_TRACE_LIST);
    EXPECT_EQ(SendMessageW(trace, LB_GETCOUNT, 0, 0), 2);

    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDM_QUIT, 0), 0);
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 30000), WAIT_OBJECT_0);
    DWORD exitCode = 99;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(exitCode, 0u);

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

} // namespace
