#include "app/startup.h"

#include <objbase.h>

#include "accounts/account_discovery.h"
#include "accounts/account_table.h"
#include "app/batch_repair.h"
#include "app/command_line.h"
#include "app/program_folder.h"
#include "app/run_log.h"
#include "store/config_file.h"

IMAPISession* session = nullptr;

namespace {

void StartUp(HINSTANCE instance) {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    instanceHandle = instance;
    MAPILogonEx(0, nullptr, nullptr, 0, &session);

    accountTable.Clear();
    // Without a session there are no stores to walk: the table stays empty.
    if (session != nullptr) {
        EnumerateAccounts(session, accountTable);
    }
    LoadAccountSections(accountTable);
}

void ShutDown(RunLog& log) {
    CloseRunLog(log);
    accountTable.Clear();
    if (session != nullptr) {
        session->Logoff(0, 0, 0);
        session->Release();
        session = nullptr;
    }
    CoUninitialize();
}

} // namespace

int RunCourierfix(HINSTANCE instance, const std::wstring& commandLine, void (*runInteractive)()) {
    StartUp(instance);
    RunLog log = OpenRunLog(commandLine);
    CommandLineOptions options = ReadCommandLine(commandLine);

    bool allRepaired = true;
    if (!options.batchMode) {
        runInteractive();
    }
    if (options.listRepair) {
        allRepaired = RepairNamedAccounts(log, options.listText) && allRepaired;
    }
    if (options.repairAll) {
        allRepaired = RepairAllSavedAccounts(log) && allRepaired;
    }

    ShutDown(log);
    return allRepaired ? 0 : 1;
}
