#include "store/config_file.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <functional>
#include <optional>
#include <unordered_map>
#include <vector>

#include "accounts/account_table.h"
#include "files/handles.h"
#include "files/program_folder.h"
#include "files/text_file.h"
#include "files/unicode.h"
#include "store/config_lock.h"

namespace {

// Called after each step of a save, for tests that stop a save there.
void (*saveStepHook)(int step) = nullptr;
// Gives the ID of each attempt at a name for the new file, for tests that have it taken.
unsigned long (*replacementIdHook)(int attempt) = nullptr;

void StepDone(int step) {
    if (saveStepHook != nullptr) {
        saveStepHook(step);
    }
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The files a save makes beside config have names of one exact form: config's name, a dot, eight
// upper-case hexadecimal digits, and ".new" (the new content) or ".old" (the old content, set
// aside). Only files of that form are the program's own; a user's config.before-upgrade.new is
// not.
constexpr size_t replacementIdLength = 8;
constexpr std::wstring_view newSuffix = L".new";
constexpr std::wstring_view oldSuffix = L".old";

bool IsReplacementName(std::wstring_view configName, std::wstring_view name) {
    const size_t length = configName.size() + 1 + replacementIdLength + newSuffix.size();
    if (name.size() != length || !name.starts_with(configName) || name[configName.size()] != L'.') {
        return false;
    }
    std::wstring_view id = name.substr(configName.size() + 1, replacementIdLength);
    std::wstring_view suffix = name.substr(length - newSuffix.size());
    return std::all_of(id.begin(), id.end(),
                       [](wchar_t unit) {
                           return (unit >= L'0' && unit <= L'9') || (unit >= L'A' && unit <= L'F');
                       }) &&
           (suffix == newSuffix || suffix == oldSuffix);
}

// The paths of the files of the program's own replacement names that lie beside config.
std::vector<std::wstring> FindReplacements(const std::wstring& configPath) {
    const size_t nameStart = configPath.rfind(L'\\') + 1;
    const std::wstring_view configName = std::wstring_view(configPath).substr(nameStart);
    std::vector<std::wstring> paths;
    WIN32_FIND_DATAW found{};
    OwnedFind search(FindFirstFileW((configPath + L".*").c_str(), &found));
    if (!search.IsValid()) {
        return paths;
    }
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
            IsReplacementName(configName, found.cFileName)) {
            paths.push_back(configPath.substr(0, nameStart) + found.cFileName);
        }
    } while (FindNextFileW(search.Get(), &found));
    return paths;
}

// The path with its ".new" ending changed into ".old", and back.
std::wstring SetAsidePath(const std::wstring& newPath) {
    return newPath.substr(0, newPath.size() - newSuffix.size()) + std::wstring(oldSuffix);
}
std::wstring NewContentPath(const std::wstring& setAsidePath) {
    return setAsidePath.substr(0, setAsidePath.size() - oldSuffix.size()) + std::wstring(newSuffix);
}

bool IsSetAside(const std::wstring& path) {
    return path.ends_with(oldSuffix);
}

// A handset has no call that replaces a file in one step: DeleteAndRenameFile is documented for
// the RAM-based object store only (DeleteAndRenameFile, Windows CE 5.0), and Windows Mobile 5
// keeps the object store in flash, as a storage card is. So config is replaced in steps:
//   1. the new content is written whole to config.ID.new, and forced to disk;
//   2. config is renamed config.ID.old;
//   3. config.ID.new is renamed config;
//   4. config.ID.old is deleted.
// A stop after step 1 leaves config as it was; after step 3 or 4, config is the new content.
// Only a stop after step 2 leaves no config, and then config.ID.old beside config.ID.new of the
// same ID says that the new content is whole: the next load or save, holding the lock, takes
// step 3 (SettleConfig). A save that fails after step 2 names config.ID.old config again, and
// where even that fails deletes its new file, so that the set-aside copy, the last whole config,
// is what the next load puts back: a save reported as failed is never put in place later.
bool ReplaceInSteps(const std::wstring& newPath, const std::wstring& configPath) {
    const std::wstring oldPath = SetAsidePath(newPath);
    if (!MoveFileW(configPath.c_str(), oldPath.c_str())) {
        return false;
    }
    StepDone(2);
    if (!MoveFileW(newPath.c_str(), configPath.c_str())) {
        MoveFileW(oldPath.c_str(), configPath.c_str());
        return false;
    }
    StepDone(3);
    DeleteFileW(oldPath.c_str());
    StepDone(4);
    return true;
}

// Puts the new file in config's place, in the steps above; a config that is not there yet is
// simply named.
bool PutInPlace(const std::wstring& newPath, const std::wstring& configPath) {
    if (!Exists(configPath)) {
        return MoveFileW(newPath.c_str(), configPath.c_str()) != FALSE;
    }
    return ReplaceInSteps(newPath, configPath);
}

// The whole copy of a missing config that a stopped save left beside it: the new content of a
// save stopped after config was set aside (config.ID.old beside config.ID.new), or else a lone
// set-aside copy (its new file deleted, as a desktop deletes a stray temporary file, or by a save
// that failed). More than one candidate cannot be told apart: none of them is taken.
struct WholeCopy {
    enum class Kind { None, NewContent, SetAside, Several } kind = Kind::None;
    std::wstring path;
};

WholeCopy FindWholeCopy(const std::vector<std::wstring>& replacements) {
    WholeCopy found;
    for (const auto& path : replacements) {
        if (!IsSetAside(path)) {
            continue;
        }
        if (found.kind != WholeCopy::Kind::None) {
            return {WholeCopy::Kind::Several, {}};
        }
        const std::wstring newPath = NewContentPath(path);
        const bool paired =
            std::find(replacements.begin(), replacements.end(), newPath) != replacements.end();
        found = paired ? WholeCopy{WholeCopy::Kind::NewContent, newPath}
                       : WholeCopy{WholeCopy::Kind::SetAside, path};
    }
    return found;
}

enum class ConfigState { There, Missing, Unreadable };

// With the lock held, so that no save is under way: when config is missing, puts the whole copy
// that a stopped save left beside it in its place and deletes what else such saves left. A copy
// that cannot be put in place now (held open by another process, a write-protected card) is
// never deleted: a pair's new content leaves config unreadable until it can be, and a lone
// set-aside copy is read in config's stead (readFrom). Without any copy, config is missing, and a
// new file beside it is a first save's that was stopped before it was whole.
ConfigState SettleMissingConfig(const std::wstring& configPath, std::wstring& readFrom) {
    readFrom = configPath;
    const std::vector<std::wstring> replacements = FindReplacements(configPath);
    const WholeCopy copy = FindWholeCopy(replacements);
    switch (copy.kind) {
    case WholeCopy::Kind::Several:
        return ConfigState::Unreadable;
    case WholeCopy::Kind::NewContent:
        if (!MoveFileW(copy.path.c_str(), configPath.c_str())) {
            return ConfigState::Unreadable;
        }
        break;
    case WholeCopy::Kind::SetAside:
        if (!MoveFileW(copy.path.c_str(), configPath.c_str())) {
            readFrom = copy.path;
            return ConfigState::There;
        }
        break;
    case WholeCopy::Kind::None:
        break;
    }
    for (const auto& path : replacements) {
        if (path != copy.path) {
            DeleteFileW(path.c_str());
        }
    }
    return copy.kind == WholeCopy::Kind::None ? ConfigState::Missing : ConfigState::There;
}

// With the lock held, before a save: a config that is there is whole, so what stopped saves left
// beside it is of no use and is cleared away; a missing one is settled as above.
ConfigState SettleConfig(const std::wstring& configPath) {
    if (!Exists(configPath)) {
        std::wstring readFrom;
        return SettleMissingConfig(configPath, readFrom);
    }
    for (const auto& path : FindReplacements(configPath)) {
        DeleteFileW(path.c_str());
    }
    return ConfigState::There;
}

// Whether another process's save has set config aside for a moment, so that it seems missing.
bool SetAsideByAnotherSave(const std::wstring& configPath) {
    const std::vector<std::wstring> replacements = FindReplacements(configPath);
    // Looked at after the replacements: a save that ended meanwhile has named config again.
    return std::any_of(replacements.begin(), replacements.end(), IsSetAside) || Exists(configPath);
}

// The UTF-8 of the text, in bytes, which serve one line after another.
std::string_view Utf8(std::wstring_view text, std::string& bytes) {
    bytes.clear();
    AppendUtf8(text, bytes);
    return bytes;
}

// Counts the lines of a config as a load takes them: the file within the reader's limits as
// written (its mark included), and no section whose body, line ends included, is past
// MaxSectionBytes. A save counts what it writes, so that it never writes a file that no load
// would read again, nor any later save rewrite.
class ConfigShape {
public:
    // Counts a line; false once the file is past what a load takes.
    bool Add(std::string_view bytes) {
        constexpr size_t lineEnd = 2;
        total += bytes.size() + lineEnd;
        ++lines;
        inSection = inSection || IsHeaderLine(bytes);
        sectionBytes =
            IsHeaderLine(bytes) ? 0 : sectionBytes + (inSection ? bytes.size() + lineEnd : 0);
        sectionsWithin = sectionsWithin && sectionBytes <= MaxSectionBytes;
        within = within && sectionsWithin && bytes.size() <= MaxTextLineBytes &&
                 lines <= MaxTextLines && total <= MaxTextFileBytes;
        return within;
    }
    // Whether every section so far is within its limit; the file's other limits are the reader's
    // when it reads.
    bool SectionsWithin() const { return sectionsWithin; }

private:
    unsigned long long total = Utf8ByteOrderMark.size();
    size_t lines = 0;
    bool inSection = false;
    size_t sectionBytes = 0;
    bool sectionsWithin = true;
    bool within = true;
};

// Creates the file that the new content goes into, beside config, under a name that no file has:
// a file or link that is already there is never opened, whatever its name.
TextFileWriter CreateReplacement(const std::wstring& configPath, std::wstring& path) {
    static unsigned long sequence = 0;
    for (int attempt = 0;; ++attempt) {
        unsigned long unique =
            replacementIdHook != nullptr
                ? replacementIdHook(attempt)
                : GetTickCount() ^ (GetCurrentProcessId() << 12) ^ (++sequence * 0x9E3779B9ul);
        wchar_t suffix[24] = {};
        std::swprintf(suffix, 24, L".%08lX.new", unique);
        path = configPath + suffix;
        TextFileWriter writer = TextFileWriter::CreateNew(path, ByteOrderMark::Written);
        DWORD error = writer.OpenError();
        if (writer.IsOpen() || (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) ||
            attempt == 16) {
            return writer;
        }
    }
}

// Whether the save of this run to the config beside the program may go ahead: not after its load
// at start failed, since the accounts then hold what config does not.
bool configLoadedWhole = true;

} // namespace

std::wstring AccountHeader(const std::wstring& displayName) {
    return L"[" + displayName + L"]";
}

bool ReadConfigLines(const std::wstring& configPath,
                     const std::function<void(std::string_view bytes)>& take) {
    // Of a save stopped half-way, only a stop after config was set aside leaves config missing;
    // any other leaves a whole config, and leftovers that the next save clears away. So only a
    // missing config is looked for beside, under the lock, which is taken only when it is free
    // or this thread's already: a batch run holds it for the whole run, and the dialog started
    // meanwhile reads without waiting for it.
    std::optional<TextLineReader> reader(std::in_place, configPath);
    if (!reader->IsOpen()) {
        if (!reader->IsMissing()) {
            return false;
        }
        ConfigLock lock(configPath, 0);
        if (!lock.Held()) {
            return !SetAsideByAnotherSave(configPath);
        }
        std::wstring readFrom;
        switch (SettleMissingConfig(configPath, readFrom)) {
        case ConfigState::Missing:
            return true;
        case ConfigState::Unreadable:
            return false;
        case ConfigState::There:
            reader.emplace(readFrom);
            if (!reader->IsOpen()) {
                return false;
            }
            break;
        }
    }
    std::string_view bytes;
    while (reader->ReadLineBytes(bytes)) {
        take(bytes);
    }
    return !reader->Failed();
}

bool ReadAccountSections(const std::wstring& configPath, std::span<const std::wstring> displayNames,
                         SavedSections& sections, std::vector<std::wstring>* headerLines) {
    sections.clear();
    if (headerLines != nullptr) {
        headerLines->clear();
    }
    // The names still waiting for their first section, by their header line.
    std::unordered_map<std::wstring, std::wstring> waiting;
    for (const auto& name : displayNames) {
        waiting.emplace(AccountHeader(name), name);
    }
    std::vector<std::wstring>* body = nullptr;
    ConfigShape shape;
    const bool read = ReadConfigLines(configPath, [&](std::string_view bytes) {
        // Past a section's limit, nothing more is held: the file will be unreadable.
        shape.Add(bytes);
        if (!shape.SectionsWithin()) {
            body = nullptr;
            return;
        }
        if (!IsHeaderLine(bytes)) {
            if (body != nullptr) {
                body->push_back(DecodeLine(bytes));
            }
            return;
        }
        body = nullptr;
        std::wstring header = DecodeLine(bytes);
        if (auto found = waiting.find(header); found != waiting.end()) {
            body = &sections[found->second];
            waiting.erase(found);
        }
        if (headerLines != nullptr) {
            headerLines->push_back(std::move(header));
        }
    });
    // A section past its limit makes the file more than the program can hold.
    const bool whole = read && shape.SectionsWithin();
    if (!whole) {
        // Half a file would give some accounts the wrong lines, or too few.
        sections.clear();
        if (headerLines != nullptr) {
            headerLines->clear();
        }
    }
    return whole;
}

std::vector<std::wstring> ReadAccountSection(const std::wstring& configPath,
                                             const std::wstring& displayName) {
    SavedSections sections;
    ReadAccountSections(configPath, std::span(&displayName, 1), sections);
    auto found = sections.find(displayName);
    return found != sections.end() ? std::move(found->second) : std::vector<std::wstring>{};
}

bool LoadAccountSections(AccountTable& table, const std::wstring& configPath,
                         std::vector<std::wstring>* headerLines) {
    std::vector<std::wstring> names;
    names.reserve(static_cast<size_t>(table.accountCount()));
    for (int index = 0; index < table.accountCount(); ++index) {
        names.push_back(table.At(index)->GetName());
    }
    SavedSections sections;
    const bool readable = ReadAccountSections(configPath, names, sections, headerLines);
    // Accounts of the same name each get the same first section; the last of them takes the
    // lines over, the others copy them, so that a section is held once.
    std::unordered_map<std::wstring, int> accountsOfName;
    for (const auto& name : names) {
        ++accountsOfName[name];
    }
    for (int index = 0; index < table.accountCount(); ++index) {
        AccountRecord& account = *table.At(index);
        auto found = sections.find(account.GetName());
        if (found == sections.end()) {
            continue;
        }
        const bool last = --accountsOfName[account.GetName()] == 0;
        for (auto& line : found->second) {
            last ? account.AddParmLine(std::move(line)) : account.AddParmLine(line);
        }
    }
    return readable;
}

bool LoadAccountSections(AccountTable& table, std::vector<std::wstring>* headerLines) {
    configLoadedWhole = LoadAccountSections(table, GetConfigFilePath(), headerLines);
    return configLoadedWhole;
}

bool ConfigLoadedWhole() {
    return configLoadedWhole;
}

bool SaveAccountSection(const std::wstring& configPath, const std::wstring& displayName,
                        std::span<const std::wstring> parmLines) {
    // A line break would make a line of the section into a line of its own: a name holding one
    // could write another account's header, and be found as that account by the next batch run.
    // A surrogate outside a pair would be written as U+FFFD: a name holding one would never be
    // found again, and each save would add one more section.
    auto unwritable = [](const std::wstring& text) {
        return text.find_first_of(L"\r\n") != std::wstring::npos ||
               FindLoneSurrogate(text) != std::wstring::npos;
    };
    if (unwritable(displayName) || std::any_of(parmLines.begin(), parmLines.end(), unwritable)) {
        return false;
    }
    ConfigLock lock(configPath);
    if (!lock.Held() || SettleConfig(configPath) == ConfigState::Unreadable) {
        return false;
    }
    // A user who made config read-only keeps it as it is, as a handset's open for writing would.
    const DWORD attributes = GetFileAttributesW(configPath.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return false;
    }
    std::wstring newPath;
    TextFileWriter writer = CreateReplacement(configPath, newPath);
    if (!writer.IsOpen()) {
        return false;
    }
    // Line by line from config into the new file, never the whole file in memory: the lines of
    // other sections go back byte for byte, whatever encoding they were in.
    const std::wstring header = AccountHeader(displayName);
    ConfigShape shape;
    bool dropping = false;
    bool fits = true;
    auto write = [&](std::string_view bytes) {
        fits = fits && shape.Add(bytes);
        if (fits) {
            writer.WriteBytes(bytes);
            writer.EndLine();
        }
    };
    const bool read = ReadConfigLines(configPath, [&](std::string_view bytes) {
        if (IsHeaderLine(bytes)) {
            dropping = DecodeLine(bytes) == header;
        }
        if (!dropping) {
            write(bytes);
        }
    });
    std::string bytes;
    write(Utf8(header, bytes));
    for (const auto& line : parmLines) {
        write(Utf8(line, bytes));
    }
    // Unreadable, config would lose what it holds; past the limits, it would not be read again.
    if (!read || !fits) {
        writer.Close();
        DeleteFileW(newPath.c_str());
        return false;
    }
    const bool written = writer.CommitAndClose();
    if (written) {
        StepDone(1);
    }
    if (!written || !PutInPlace(newPath, configPath)) {
        // Whatever step failed, the new content goes: where config could not be named again
        // after it was set aside, the set-aside copy alone is left, for the next load to put
        // back.
        DeleteFileW(newPath.c_str());
        return false;
    }
    return true;
}

bool SaveAccountSection(const std::wstring& displayName, std::span<const std::wstring> parmLines) {
    return configLoadedWhole && SaveAccountSection(GetConfigFilePath(), displayName, parmLines);
}

void SetSaveStepHook(void (*hook)(int step)) {
    saveStepHook = hook;
}

void SetReplacementIdHook(unsigned long (*hook)(int attempt)) {
    replacementIdHook = hook;
}
