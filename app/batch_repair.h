// Repairs without a window: the accounts named on the command line, or every account that has a
// section in config. Each outcome is one line of the run log; the results tell whether every
// repair asked for succeeded.
#pragma once

#include <optional>
#include <span>
#include <string>

#include "app/run_log.h"

// "repairing [name]:" and then " OK.", " FAILED." or " account not found.". True for OK. Without
// its saved settings (config could not be read), a found account is not repaired but FAILED: an
// empty document would apply nothing, and OK would say that its settings were.
bool RepairAccountByName(RunLog& log, const std::wstring& name, bool settingsRead = true);

// The list header, then one result line per name of the list text, in order.
bool RepairNamedAccounts(RunLog& log, const std::wstring& listText, bool configReadable = true);

// The account that a header line of config names for the repair of all saved accounts, or
// nothing for a line that names none.
std::optional<std::wstring> SectionName(const std::wstring& headerLine);

// "Auto repair All", one result line per section header of config in file order, and "Done".
// The header lines are those that start-up read along with the accounts' sections, while the
// batch run holds config's lock; a config that could not be read fails the run and repairs
// nothing, a missing one has no header lines.
bool RepairAllSavedAccounts(RunLog& log, std::span<const std::wstring> headerLines,
                            bool configReadable);
