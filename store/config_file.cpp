#include "store/config_file.h"

#include <windows.h>

#include <unordered_map>
#include <vector>

#include "accounts/account_table.h"
#include "app/program_folder.h"
#include "store/text_file.h"

namespace {

bool IsHeaderLine(const std::wstring& line) {
    return !line.empty() && line[0] == L'[';
}

// Reads the lines of the file that do not belong to the account's sections. False when the
// file exists but could not be read whole: saving then would lose what it holds.
bool ReadLinesOfOtherSections(const std::wstring& configPath, const std::wstring& header,
                              std::vector<std::wstring>& kept) {
    TextLineReader reader(configPath);
    if (!reader.IsOpen()) {
        return reader.IsMissing();
    }
    bool dropping = false;
    std::wstring line;
    while (reader.ReadLine(line)) {
        if (line == header) {
            dropping = true;
        } else if (dropping && !IsHeaderLine(line)) {
            // A line of the account's old section.
        } else {
            dropping = false;
            kept.push_back(std::move(line));
        }
    }
    return !reader.Failed();
}

} // namespace

std::wstring AccountHeader(const std::wstring& displayName) {
    return L"[" + displayName + L"]";
}

SavedSections ReadAccountSections(const std::wstring& configPath,
                                  std::span<const std::wstring> displayNames) {
    SavedSections sections;
    TextLineReader reader(configPath);
    if (!reader.IsOpen()) {
        return sections;
    }
    // The names still waiting for their first section, by their header line.
    std::unordered_map<std::wstring, std::wstring> waiting;
    for (const auto& name : displayNames) {
        waiting.emplace(AccountHeader(name), name);
    }
    std::vector<std::wstring>* body = nullptr;
    std::wstring line;
    while (reader.ReadLine(line)) {
        if (!IsHeaderLine(line)) {
            if (body != nullptr) {
                body->push_back(std::move(line));
            }
            continue;
        }
        body = nullptr;
        if (auto found = waiting.find(line); found != waiting.end()) {
            body = &sections[found->second];
            waiting.erase(found);
        }
    }
    return sections;
}

std::vector<std::wstring> ReadAccountSection(const std::wstring& configPath,
                                             const std::wstring& displayName) {
    SavedSections sections = ReadAccountSections(configPath, std::span(&displayName, 1));
    auto found = sections.find(displayName);
    return found != sections.end() ? std::move(found->second) : std::vector<std::wstring>{};
}

void LoadAccountSection(AccountRecord& account, const std::wstring& configPath) {
    // Lines past the record's room are dropped.
    for (const auto& line : ReadAccountSection(configPath, account.GetName())) {
        account.AddParmLine(line);
    }
}

void LoadAccountSections(AccountTable& table, const std::wstring& configPath) {
    std::vector<std::wstring> names;
    names.reserve(static_cast<size_t>(table.accountCount()));
    for (int index = 0; index < table.accountCount(); ++index) {
        names.push_back(table.At(index)->GetName());
    }
    const SavedSections sections = ReadAccountSections(configPath, names);
    // Accounts of the same name each get the same first section.
    for (int index = 0; index < table.accountCount(); ++index) {
        AccountRecord& account = *table.At(index);
        if (auto found = sections.find(account.GetName()); found != sections.end()) {
            for (const auto& line : found->second) {
                account.AddParmLine(line);
            }
        }
    }
}

void LoadAccountSections(AccountTable& table) {
    LoadAccountSections(table, GetConfigFilePath());
}

bool SaveAccountSection(const std::wstring& configPath, const std::wstring& displayName,
                        std::span<const std::wstring> parmLines) {
    const std::wstring header = AccountHeader(displayName);
    std::vector<std::wstring> lines;
    if (!ReadLinesOfOtherSections(configPath, header, lines)) {
        return false;
    }
    lines.push_back(header);
    lines.insert(lines.end(), parmLines.begin(), parmLines.end());

    const std::wstring newPath = configPath + L".new";
    TextFileWriter writer(newPath);
    for (const auto& line : lines) {
        writer.Write(line);
        writer.EndLine(false);
    }
    bool written = writer.Commit();
    written = writer.Close() && written;
    if (!written || !MoveFileExW(newPath.c_str(), configPath.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(newPath.c_str());
        return false;
    }
    return true;
}

bool SaveAccountSection(const std::wstring& displayName, std::span<const std::wstring> parmLines) {
    return SaveAccountSection(GetConfigFilePath(), displayName, parmLines);
}
