#include "app/batch_repair.h"

#include "accounts/account_table.h"
#include "app/command_line.h"
#include "app/program_folder.h"
#include "store/text_file.h"

bool RepairAccountByName(RunLog& log, const std::wstring& name) {
    log.Write(L"repairing [");
    log.Write(name);
    log.Write(L"]:");

    AccountRecord* account = accountTable.FindAccountByName(name);
    if (account == nullptr) {
        log.WriteLine(L" account not found.");
        return false;
    }
    // The account holds the lines loaded from config at start-up.
    if (account->Repair() < 0) {
        log.WriteLine(L" FAILED.");
        return false;
    }
    log.WriteLine(L" OK.");
    return true;
}

bool RepairNamedAccounts(RunLog& log, const std::wstring& listText) {
    log.Write(L"Auto repair: [");
    log.Write(listText);
    log.WriteLine(L"]");

    bool allRepaired = true;
    for (const auto& name : SplitAccountNames(listText)) {
        allRepaired = RepairAccountByName(log, name) && allRepaired;
    }
    return allRepaired;
}

bool RepairAllSavedAccounts(RunLog& log, const std::wstring& configPath) {
    log.WriteLine(L"Auto repair All");

    bool allRepaired = true;
    TextLineReader reader(configPath);
    std::wstring line;
    while (reader.ReadLine(line)) {
        // A section header names its account up to the first "]"; what follows is ignored.
        if (line.empty() || line[0] != L'[') {
            continue;
        }
        size_t closing = line.find(L']');
        if (closing == std::wstring::npos) {
            continue;
        }
        allRepaired = RepairAccountByName(log, line.substr(1, closing - 1)) && allRepaired;
    }

    log.WriteLine(L"Done");
    return allRepaired;
}

bool RepairAllSavedAccounts(RunLog& log) {
    return RepairAllSavedAccounts(log, GetConfigFilePath());
}
