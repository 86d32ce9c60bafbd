// What the shell does after a soft reset: start every shortcut of the Startup folder.
#pragma once

namespace handset {

// How long one started program may run before the soft reset goes on without it.
inline constexpr unsigned long SoftResetWaitMs = 120000;

// Starts the Startup folder's *.lnk shortcuts in name order, one after another, waiting for
// each. For each it prints the command and then "  exit code N" (or why it did not run);
// a malformed shortcut is reported on standard error and skipped. Returns 0 when every shortcut
// ran, 1 when any was skipped, failed to start or did not finish in time.
int SoftReset();

} // namespace handset
