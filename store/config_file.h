// The settings file, config: for each account repaired from the dialog, a header line "[" name
// "]" and then the account's parm lines, up to the next line that begins with "[".
#pragma once

#include <functional>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class AccountTable;

// The most that the body of one section may hold, its line ends included. Every line of an
// account's section is held in memory, and a repair puts them all into one document: an account's
// settings take a few hundred bytes, and a config with a larger section than this is more than
// the program holds, so it is unreadable.
inline constexpr size_t MaxSectionBytes = 64 * 1024;

// The header line of an account's section.
std::wstring AccountHeader(const std::wstring& displayName);

// Whether a line, as text or as its bytes, begins a section: it begins with "[". That is one and
// the same byte in every encoding the reader gives, so only header lines need decoding to be told
// apart.
template <typename Line> bool IsHeaderLine(const Line& line) {
    return !line.empty() && line[0] == '[';
}

// The body lines of an account's first section: the lines after the first line that is exactly
// "[" name "]", up to the next line that begins with "[" or the end of the file.
using SavedSections = std::map<std::wstring, std::vector<std::wstring>>;

// Gives take the bytes of each line of the file, in order. A missing file whose save was stopped
// half-way is made whole again first when the file's lock can be had at once (see
// SaveAccountSection). False when the file exists but could not be read whole (no access, a read
// error, a file or a line too long, no text); when it is missing while a whole copy of it that a
// stopped save left beside it cannot be put in place now; or when it is set aside for a moment
// by another process's save. A missing file without such a copy has no lines.
bool ReadConfigLines(const std::wstring& configPath,
                     const std::function<void(std::string_view bytes)>& take);

// The first section of each of the given names, found in one pass over the file, by name; a name
// without a section has no entry. False, with no section at all, when the file exists but could
// not be read whole (no access, a read error, a file or a line too long); a missing file is an
// empty one. Given headerLines, the same pass hands out every header line of the file, in its
// order (none when the file could not be read whole).
bool ReadAccountSections(const std::wstring& configPath, std::span<const std::wstring> displayNames,
                         SavedSections& sections, std::vector<std::wstring>* headerLines = nullptr);
// The first section of one name; empty when there is none.
std::vector<std::wstring> ReadAccountSection(const std::wstring& configPath,
                                             const std::wstring& displayName);

// Appends the body lines of each account's first section to its parm lines, reading the file
// once for all of them; an account without a section gets nothing. False when the file exists
// but could not be read whole; then no account got a line. Given headerLines, it also receives
// the file's header lines, as ReadAccountSections gives them.
bool LoadAccountSections(AccountTable& table, const std::wstring& configPath,
                         std::vector<std::wstring>* headerLines = nullptr);
// The same, for the config file beside the program. When it fails, no save of this run writes
// that file: the accounts do not hold what it holds, and a save would replace their sections.
bool LoadAccountSections(AccountTable& table, std::vector<std::wstring>* headerLines = nullptr);
// Whether this run's last load of the config beside the program read it whole (so far, true).
bool ConfigLoadedWhole();

// Rewrites the file with every section of the account removed and the account's section, with
// the given lines, appended; every other line stays, in its order and byte for byte. The new
// content is written to a fresh file beside it that replaces it in steps, which the next load or
// save finishes or undoes after a stop at any point, so that a failure leaves the file exactly as
// it was. The file's lock is held
// throughout, so that saves of other processes never lose one another's sections. Returns
// whether the file now holds the new section: false when the file exists but cannot be read
// whole, since rewriting it would lose what it holds; when it is read-only; when what it would
// become is more than the reader takes; and when the name or a line holds a line break, which
// would end it early, or a surrogate outside a pair, which UTF-8 cannot carry.
bool SaveAccountSection(const std::wstring& configPath, const std::wstring& displayName,
                        std::span<const std::wstring> parmLines);
// The same, for the config file beside the program; false without a try after this run's load of
// it failed.
bool SaveAccountSection(const std::wstring& displayName, std::span<const std::wstring> parmLines);

// For tests: hook is called after each step of a save (1: the new file is written; 2 to 4: the
// steps of the replace), so that a test can stop the save there by throwing, as a kill would.
// Null for none.
void SetSaveStepHook(void (*hook)(int step));
// For tests: hook gives the ID of each attempt (0, 1, ...) at a name for a save's new file, in
// place of the program's own, so that a test can have that name taken. Null for none.
void SetReplacementIdHook(unsigned long (*hook)(int attempt));
