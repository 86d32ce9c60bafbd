// The settings file, config: for each account repaired from the dialog, a header line "[" name
// "]" and then the account's parm lines, up to the next line that begins with "[".
#pragma once

#include <map>
#include <span>
#include <string>
#include <vector>

class AccountRecord;
class AccountTable;

// The header line of an account's section.
std::wstring AccountHeader(const std::wstring& displayName);

// The body lines of an account's first section: the lines after the first line that is exactly
// "[" name "]", up to the next line that begins with "[" or the end of the file.
using SavedSections = std::map<std::wstring, std::vector<std::wstring>>;

// The first section of each of the given names, found in one pass over the file, by name. A name
// without a section has no entry; so has every name when the file cannot be read.
SavedSections ReadAccountSections(const std::wstring& configPath,
                                  std::span<const std::wstring> displayNames);
// The first section of one name; empty when there is none.
std::vector<std::wstring> ReadAccountSection(const std::wstring& configPath,
                                             const std::wstring& displayName);

// Appends the body lines of the account's first section to its parm lines, as far as it has
// room. A missing or unreadable file, or no section, adds nothing.
void LoadAccountSection(AccountRecord& account, const std::wstring& configPath);

// The same for every account of the table, reading the file once for all of them.
void LoadAccountSections(AccountTable& table, const std::wstring& configPath);
// The same, for the config file beside the program.
void LoadAccountSections(AccountTable& table);

// Rewrites the file with every section of the account removed and the account's section, with
// the given lines, appended; every other line stays, in its order. The new content is written
// beside the file and replaces it in one step, so a failure leaves the file exactly as it was.
// Returns whether the file now holds the new section.
bool SaveAccountSection(const std::wstring& configPath, const std::wstring& displayName,
                        std::span<const std::wstring> parmLines);
// The same, for the config file beside the program.
bool SaveAccountSection(const std::wstring& displayName, std::span<const std::wstring> parmLines);
