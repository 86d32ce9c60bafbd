// The program's run from start to end: platform set-up, the accounts and their saved settings,
// the run log, the mode the command line chooses, and the shutdown, each in its fixed order.
#pragma once

#include <windows.h>
#include <cemapi.h>

#include <string>

// The messaging session of this run, or null when the log-on gave none.
extern IMAPISession* session;

// Runs the program for the given argument text. With an empty one, runInteractive shows the
// main dialog, unless claimInteractive, when given, says that another run has it open: then the
// run ends at once, before anything else. Otherwise the batch repairs run. Returns the process
// exit code: 0 when every repair asked for succeeded (or none was asked for), 1 when one failed
// or named no account, when config is there but could not be read, or when another run kept
// config's lock.
int RunCourierfix(HINSTANCE instance, const std::wstring& commandLine, void (*runInteractive)(),
                  bool (*claimInteractive)() = nullptr);
