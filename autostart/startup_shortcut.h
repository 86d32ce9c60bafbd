// The shortcut in the handset's Startup folder that runs the repair of every saved account after
// each soft reset. The file itself is the state: there is nothing else to keep.
#pragma once

#include <string>
#include <string_view>

// The argument text the shortcut starts the program with: the repair of every saved account.
inline constexpr std::wstring_view RepairAllArguments = L" --autorepairall";

// The Startup folder (registry value Startup under HKEY_LOCAL_MACHINE\SYSTEM\EXPLORER\SHELL
// FOLDERS, read at whatever length it has, of any string type: REG_SZ, REG_EXPAND_SZ as stored,
// the first string of a REG_MULTI_SZ; empty when the key or value is missing or is no string)
// joined with "\autorepair.lnk".
std::wstring GetStartupShortcutPath();

// The shortcut's one line: the number of characters of the command in decimal, "#", and the
// command, which is the quoted program path followed by the argument text.
std::wstring StartupShortcutLine(std::wstring_view programPath, std::wstring_view argumentText);

// Whether the shortcut starts this program with the repair of every saved account, as a handset's
// shell reads it ("count#command" from the first byte): a file of that name that starts another
// program (another copy of this one, say, on the storage card) or something else is not this
// program's auto repair.
bool StartupShortcutExists();

// Writes the shortcut line for this program and argumentText, UTF-8 without a byte-order mark, as
// a handset's shell reads it. 0 when the file was written whole; negative otherwise, leaving no
// file behind, and without writing one when the program's path is too long for the shell to
// start it (MAX_PATH characters or more).
int CreateStartupShortcut(std::wstring_view argumentText);
// The same for the program at programPath.
int CreateStartupShortcut(const std::wstring& programPath, std::wstring_view argumentText);

// Deletes the shortcut. 0 when it is gone (also when it was not there); negative when it could
// not be removed.
int RemoveStartupShortcut();
