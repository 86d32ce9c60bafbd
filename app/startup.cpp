#include "app/startup.h"

#include <mapix.h>
#include <objbase.h>

#include <optional>
#include <span>
#include <vector>

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

// COM, from the first step of the run to its last.
class ComForTheRun {
public:
    ComForTheRun() { CoInitializeEx(nullptr, COINIT_MULTITHREADED); }
    ~ComForTheRun() { CoUninitialize(); }
    ComForTheRun(const ComForTheRun&) = delete;
    ComForTheRun& operator=(const ComForTheRun&) = delete;
};

// The messaging session of the run, published in session; logged off and released at the end.
// MAPI is initialised right before the log-on and uninitialised right after the log-off, when
// its initialisation succeeded; without it there is no log-on. Without a session there is
// nothing to log off.
class SessionForTheRun {
public:
    SessionForTheRun() : mapiInitialized(SUCCEEDED(MAPIInitialize(nullptr))) {
        if (mapiInitialized) {
            MAPILogonEx(0, nullptr, nullptr, 0, &session);
        }
    }
    ~SessionForTheRun() {
        if (session != nullptr) {
            session->Logoff(0, 0, 0);
            session->Release();
            session = nullptr;
        }
        if (mapiInitialized) {
            MAPIUninitialize();
        }
    }
    SessionForTheRun(const SessionForTheRun&) = delete;
    SessionForTheRun& operator=(const SessionForTheRun&) = delete;

private:
    bool mapiInitialized;
};

// The accounts of the run with their saved settings, destroyed before the session that opened
// their stores. The same one pass over config gives its header lines, in file order, for the
// repair of all saved accounts: a batch run holds config's lock from before this read to its end,
// so no save of the program's comes between.
class AccountsForTheRun {
public:
    AccountsForTheRun() {
        accountTable.Clear();
        // Without a session there are no stores to walk: the table stays empty.
        if (session != nullptr) {
            EnumerateAccounts(session, accountTable);
        }
        configReadable = LoadAccountSections(accountTable, &headerLines);
    }
    ~AccountsForTheRun() { accountTable.Clear(); }
    AccountsForTheRun(const AccountsForTheRun&) = delete;
    AccountsForTheRun& operator=(const AccountsForTheRun&) = delete;

    // False when config is there but could not be read: the accounts hold no saved lines.
    bool ConfigReadable() const { return configReadable; }
    std::span<const std::wstring> HeaderLines() const { return headerLines; }

private:
    bool configReadable = true;
    std::vector<std::wstring> headerLines;
};

} // namespace

int RunCourierfix(HINSTANCE instance, const std::wstring& commandLine, void (*runInteractive)(),
                  bool (*claimInteractive)()) {
    // What start-up sets up, in its order: COM, the run log, the session, the accounts. Shutdown
    // closes the run log first; then each owner ends the rest in the reverse order: the accounts,
    // the session, COM.
    ComForTheRun com;
    instanceHandle = instance;
    const CommandLineOptions options = ReadCommandLine(commandLine);
    if (!options.batchMode && claimInteractive != nullptr && !claimInteractive()) {
        return 0;
    }

    // No two runs write log.txt at once: a batch run holds config's lock to its end, so that a
    // soft reset and a user starting the program together run one after the other. The dialog
    // does not wait for it, but shows at once: it holds the lock while it replaces log.txt, and
    // afterwards only while it saves; while a batch run holds it, the log is that run's.
    std::optional<ConfigLock> lock(std::in_place, GetConfigFilePath(),
                                   options.batchMode ? ConfigLock::WaitMs : 0);
    const bool repairs = options.listRepair || options.repairAll;
    if (options.batchMode && !lock->Held()) {
        // Another run still writes the log; this one leaves it alone and repairs nothing, which
        // fails it only when it was asked to repair.
        return repairs ? 1 : 0;
    }
    // The log is replaced first, before anything that could fail for want of memory: a run that
    // ends that way never leaves the last run's log standing as if it were its own.
    std::optional<RunLog> log;
    if (lock->Held()) {
        log.emplace(OpenRunLog(commandLine));
    }
    SessionForTheRun messaging;
    AccountsForTheRun accounts;

    // A config that is there but cannot be read fails a run that repairs: its settings were not
    // applied. The dialog and a run without a repair have nothing to report.
    bool allRepaired = !repairs || accounts.ConfigReadable();
    if (!options.batchMode) {
        lock.reset();
        runInteractive();
    }
    if (options.listRepair) {
        allRepaired =
            RepairNamedAccounts(*log, options.listText, accounts.ConfigReadable()) && allRepaired;
    }
    if (options.repairAll) {
        allRepaired =
            RepairAllSavedAccounts(*log, accounts.HeaderLines(), accounts.ConfigReadable()) &&
            allRepaired;
    }

    if (log) {
        CloseRunLog(*log);
    }
    return allRepaired ? 0 : 1;
}
