#include "app/startup.h"

#include <objbase.h>

#include <optional>

#include "accounts/account_discovery.h"
#include "accounts/account_table.h"
#include "app/batch_repair.h"
#include "app/command_line.h"
#include "app/run_log.h"
#include "files/program_folder.h"
#include "store/config_file.h"
#include "store/config_lock.h"

IMAPISession* session = nullptr;

namespace {

// The platform, the accounts and their saved settings. False when config exists but could not
// be read: the accounts then hold no saved lines at all.
bool StartUp() {
    MAPILogonEx(0, nullptr, nullptr, 0, &session);

    accountTable.Clear();
    // Without a session there are no stores to walk: the table stays empty.
    if (session != nullptr) {
        EnumerateAccounts(session, accountTable);
    }
    return LoadAccountSections(accountTable);
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
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    instanceHandle = instance;
    const CommandLineOptions options = ReadCommandLine(commandLine);

    // No two runs write log.txt at once: a batch run holds config's lock to its end, so that a
    // soft reset and a user starting the program together run one after the other; the dialog
    // holds it while it replaces log.txt, and afterwards only while it saves.
    std::optional<ConfigLock> lock(std::in_place, GetConfigFilePath());
    if (options.batchMode && !lock->Held()) {
        // Another run still writes the log; this one leaves it alone and repairs nothing.
        CoUninitialize();
        return 1;
    }
    const bool configReadable = StartUp();
    RunLog log = OpenRunLog(commandLine);

    // A config that is there but cannot be read fails the run: its settings were not applied.
    bool allRepaired = configReadable;
    if (!options.batchMode) {
        lock.reset();
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
