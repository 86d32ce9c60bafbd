#include "app/batch_repair.h"

#include <optional>
#include <vector>

#include "accounts/account_table.h"
#include "app/command_line.h"
#include "store/config_file.h"

bool RepairAccountByName(RunLog& log, const std::wstring& name, bool settingsRead) {
    log.Write(L"repairing [");
    log.Write(name);
    log.Write(L"]:");

    AccountRecord* account = accountTable.FindAccountByName(name);
    if (account == nullptr) {
        log.WriteLine(L" account not found.");
        return false;
    }
    // The account holds the lines loaded from config at start-up.
    if (!settingsRead || account->Repair() < 0) {
        log.WriteLine(L" FAILED.");
        return false;
    }
    log.WriteLine(L" OK.");
    return true;
}

bool RepairNamedAccounts(RunLog& log, const std::wstring& listText, bool configReadable) {
    log.Write(L"Auto repair: [");
    log.Write(listText);
    log.WriteLine(L"]");

    bool allRepaired = true;
    for (const auto& name : SplitAccountNames(listText)) {
        allRepaired = RepairAccountByName(log, name, configReadable) && allRepaired;
    }
    return allRepaired;
}

std::optional<std::wstring> SectionName(const std::wstring& headerLine) {
    if (!IsHeaderLine(headerLine)) {
        return std::nullopt;
    }
    // A header that ends with "]" names the text between its "[" and that last "]", so
    // "[Mail [old]]" is the account "Mail [old]"; any other names its text up to the first "]".
    size_t closing = headerLine.back() == L']' ? headerLine.size() - 1 : headerLine.find(L']');
    if (closing == std::wstring::npos) {
        return std::nullopt;
    }
    return headerLine.substr(1, closing - 1);
}

bool RepairAllSavedAccounts(RunLog& log, std::span<const std::wstring> headerLines,
                            bool configReadable) {
    log.WriteLine(L"Auto repair All");

    // A config that is there but cannot be read is a failure, and not one to repair from at all;
    // a missing one holds no sections.
    bool allRepaired = configReadable;
    if (configReadable) {
        for (const auto& headerLine : headerLines) {
            if (auto name = SectionName(headerLine)) {
                allRepaired = RepairAccountByName(log, *name) && allRepaired;
            }
        }
    }

    log.WriteLine(L"Done");
    return allRepaired;
}
