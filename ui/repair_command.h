// The Repair command of the main dialog: the shown page into the selected account, the account's
// settings into the handset, and, once they are accepted, into config.
#pragma once

#include <windows.h>

#include "store/config_lock.h"

struct RepairOutcome {
    int result = 0;     // the account's Repair: negative when the settings were refused
    bool saved = false; // config holds the account's lines (or there were none to save)
};

// Repairs the selected account and, when the repair succeeded, saves its lines to config, both
// under config's lock: while a batch run (a soft reset's) holds it, the repair waits for it to
// end, at most lockWaitMs, so that the batch never applies what config held before this repair
// after it. When the wait runs out, nothing is applied or saved and the repair fails.
RepairOutcome RepairSelectedAccount(HWND dialog, DWORD lockWaitMs = ConfigLock::WaitMs);

// The whole command, as the button "3 - Repair" and the menu item "Repair" run it: collect,
// repair under the wait cursor, and report in the trace list and the result line. Does nothing
// when no account is selected.
void RunRepairCommand(HWND dialog);
