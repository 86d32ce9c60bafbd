// Repairs without a window: the accounts named on the command line, or every account that has a
// section in config. Each outcome is one line of the run log; the results tell whether every
// repair asked for succeeded.
#pragma once

#include <optional>
#include <string>

#include "app/run_log.h"

// "repairing [name]:" and then " OK.", " FAILED." or " account not found.". True for OK.
bool RepairAccountByName(RunLog& log, const std::wstring& name);

// The list header, then one result line per name of the list text, in order.
bool RepairNamedAccounts(RunLog& log, const std::wstring& listText);

// The account that a header line of config names for the repair of all saved accounts, or
// nothing for a line that names none.
std::optional<std::wstring> SectionName(const std::wstring& headerLine);

// "Auto repair All", one result line per section header of the config file, in file order, and
// "Done" (also when the file cannot be read, which fails the run; a missing file does not).
bool RepairAllSavedAccounts(RunLog& log, const std::wstring& configPath);
bool RepairAllSavedAccounts(RunLog& log);
