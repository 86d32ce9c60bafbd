#include "store/config_file.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <unordered_map>
#include <vector>

#include "accounts/account_table.h"
#include "files/handles.h"
#include "files/program_folder.h"
#include "files/text_file.h"
#include "store/config_lock.h"

namespace {

// Whether a line's bytes begin a header line. "[" is one and the same byte in every encoding the
// reader gives, so only header lines need decoding to be told apart.
bool IsHeaderLine(std::string_view bytes) {
    return !bytes.empty() && bytes[0] == '[';
}

// Reads the lines of the file that do not belong to the account's sections, as their bytes.
// False when the file exists but could not be read whole: saving then would lose what it holds.
bool ReadLinesOfOtherSections(const std::wstring& configPath, const std::wstring& header,
                              std::vector<std::string>& kept) {
    TextLineReader reader(configPath);
    if (!reader.IsOpen()) {
        return reader.IsMissing();
    }
    bool dropping = false;
    std::string bytes;
    while (reader.ReadLineBytes(bytes)) {
        if (IsHeaderLine(bytes)) {
            dropping = DecodeLine(bytes) == header;
        }
        if (!dropping) {
            kept.push_back(std::move(bytes));
        }
    }
    return !reader.Failed();
}

// Creates the file that the new content goes into, beside config, under a name that no file has:
// a file or link that is already there is never opened, whatever its name.
TextFileWriter CreateReplacement(const std::wstring& configPath, std::wstring& path) {
    static unsigned long sequence = 0;
    for (int attempt = 0;; ++attempt) {
        unsigned long unique =
            GetTickCount() ^ (GetCurrentProcessId() << 12) ^ (++sequence * 0x9E3779B9ul);
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

// Removes what saves that were stopped half-way (a kill, a battery pulled) left beside config.
// While the lock is held no save is under way, so every such file is one of those.
void RemoveUnfinishedReplacements(const std::wstring& configPath) {
    const std::wstring folder = configPath.substr(0, configPath.rfind(L'\\') + 1);
    WIN32_FIND_DATAW found{};
    OwnedFind search(FindFirstFileW((configPath + L".*.new").c_str(), &found));
    if (!search.IsValid()) {
        return;
    }
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            DeleteFileW((folder + found.cFileName).c_str());
        }
    } while (FindNextFileW(search.Get(), &found));
}

// Puts the new file in config's place in one step, as a handset does it: the old content is
// replaced whole or not at all. A config that is not there yet is simply named.
bool PutInPlace(const std::wstring& newPath, const std::wstring& configPath) {
    if (GetFileAttributesW(configPath.c_str()) == INVALID_FILE_ATTRIBUTES) {
        return MoveFileW(newPath.c_str(), configPath.c_str()) != FALSE;
    }
    return DeleteAndRenameFile(configPath.c_str(), newPath.c_str()) != FALSE;
}

} // namespace

std::wstring AccountHeader(const std::wstring& displayName) {
    return L"[" + displayName + L"]";
}

bool ReadAccountSections(const std::wstring& configPath, std::span<const std::wstring> displayNames,
                         SavedSections& sections) {
    sections.clear();
    TextLineReader reader(configPath);
    if (!reader.IsOpen()) {
        return reader.IsMissing();
    }
    // The names still waiting for their first section, by their header line.
    std::unordered_map<std::wstring, std::wstring> waiting;
    for (const auto& name : displayNames) {
        waiting.emplace(AccountHeader(name), name);
    }
    std::vector<std::wstring>* body = nullptr;
    std::string bytes;
    while (reader.ReadLineBytes(bytes)) {
        if (!IsHeaderLine(bytes)) {
            if (body != nullptr) {
                body->push_back(DecodeLine(bytes));
            }
            continue;
        }
        body = nullptr;
        if (auto found = waiting.find(DecodeLine(bytes)); found != waiting.end()) {
            body = &sections[found->second];
            waiting.erase(found);
        }
    }
    if (reader.Failed()) {
        // Half a file would give some accounts the wrong lines, or too few.
        sections.clear();
        return false;
    }
    return true;
}

std::vector<std::wstring> ReadAccountSection(const std::wstring& configPath,
                                             const std::wstring& displayName) {
    SavedSections sections;
    ReadAccountSections(configPath, std::span(&displayName, 1), sections);
    auto found = sections.find(displayName);
    return found != sections.end() ? std::move(found->second) : std::vector<std::wstring>{};
}

void LoadAccountSection(AccountRecord& account, const std::wstring& configPath) {
    for (const auto& line : ReadAccountSection(configPath, account.GetName())) {
        account.AddParmLine(line);
    }
}

bool LoadAccountSections(AccountTable& table, const std::wstring& configPath) {
    std::vector<std::wstring> names;
    names.reserve(static_cast<size_t>(table.accountCount()));
    for (int index = 0; index < table.accountCount(); ++index) {
        names.push_back(table.At(index)->GetName());
    }
    SavedSections sections;
    const bool readable = ReadAccountSections(configPath, names, sections);
    // Accounts of the same name each get the same first section.
    for (int index = 0; index < table.accountCount(); ++index) {
        AccountRecord& account = *table.At(index);
        if (auto found = sections.find(account.GetName()); found != sections.end()) {
            for (const auto& line : found->second) {
                account.AddParmLine(line);
            }
        }
    }
    return readable;
}

bool LoadAccountSections(AccountTable& table) {
    return LoadAccountSections(table, GetConfigFilePath());
}

bool SaveAccountSection(const std::wstring& configPath, const std::wstring& displayName,
                        std::span<const std::wstring> parmLines) {
    // A line break would make a line of the section into a line of its own: a name holding one
    // could write another account's header, and be found as that account by the next batch run.
    auto breaksLine = [](const std::wstring& text) {
        return text.find_first_of(L"\r\n") != std::wstring::npos;
    };
    if (breaksLine(displayName) || std::any_of(parmLines.begin(), parmLines.end(), breaksLine)) {
        return false;
    }
    ConfigLock lock(configPath);
    if (!lock.Held()) {
        return false;
    }
    RemoveUnfinishedReplacements(configPath);

    const std::wstring header = AccountHeader(displayName);
    std::vector<std::string> kept;
    if (!ReadLinesOfOtherSections(configPath, header, kept)) {
        return false;
    }
    std::wstring newPath;
    TextFileWriter writer = CreateReplacement(configPath, newPath);
    if (!writer.IsOpen()) {
        return false;
    }
    // The lines of other sections go back byte for byte, whatever encoding they were in.
    for (const auto& bytes : kept) {
        writer.WriteBytes(bytes);
        writer.EndLine();
    }
    writer.Write(header);
    writer.EndLine();
    for (const auto& line : parmLines) {
        writer.Write(line);
        writer.EndLine();
    }
    bool written = writer.Commit();
    written = writer.Close() && written;
    if (!written || !PutInPlace(newPath, configPath)) {
        DeleteFileW(newPath.c_str());
        return false;
    }
    return true;
}

bool SaveAccountSection(const std::wstring& displayName, std::span<const std::wstring> parmLines) {
    return SaveAccountSection(GetConfigFilePath(), displayName, parmLines);
}
