#include "ui/repair_command.h"

#include <exception>
#include <string>

#include "accounts/account_table.h"
#include "files/program_folder.h"
#include "store/config_file.h"
#include "ui/resource.h"
#include "ui/settings_pages.h"

namespace {

void AddTraceLine(HWND dialog, const wchar_t* text) {
    SendDlgItemMessageW(dialog, IDC_TRACE_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

const wchar_t* ResultText(const RepairOutcome& outcome) {
    if (outcome.result < 0) {
        return L"Repair failed";
    }
    return outcome.saved ? L"Account successfully repaired"
                         : L"Account repaired, but settings not saved";
}

} // namespace

RepairOutcome RepairSelectedAccount(HWND dialog, DWORD lockWaitMs) {
    RepairOutcome outcome;
    AccountRecord* account = GetSelectedAccount(GetDlgItem(dialog, IDC_ACCOUNT_LIST));
    if (account == nullptr) {
        return outcome;
    }
    ConfigLock lock(GetConfigFilePath(), lockWaitMs);
    if (!lock.Held()) {
        outcome.result = -1;
        return outcome;
    }
    outcome.result = account->Repair();
    if (outcome.result < 0) {
        return outcome;
    }
    // An account without lines has nothing to save.
    outcome.saved = account->GetParmLineCount() <= 0 ||
                    SaveAccountSection(account->GetName(), account->GetParmLines());
    return outcome;
}

void RunRepairCommand(HWND dialog) {
    if (GetSelectedAccount(GetDlgItem(dialog, IDC_ACCOUNT_LIST)) == nullptr) {
        return;
    }
    try {
        CollectSettingsPage(dialog, IDC_SETTINGS_TABS);
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        AddTraceLine(dialog, L"Repairing config...");

        RepairOutcome outcome = RepairSelectedAccount(dialog);

        AddTraceLine(dialog, outcome.result < 0 ? L"DMProcessConfigXML Failed"
                                                : L"DMProcessConfigXML Succeeded");
        SetDlgItemTextW(dialog, IDC_RESULT_LINE, ResultText(outcome));
        ShowWindow(GetDlgItem(dialog, IDC_RESULT_LINE), SW_SHOW);
    } catch (const std::exception&) {
        // Out of memory, or a string too long: the result line keeps what it showed.
    }
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
}
