#include "store/config_file.h"

#include <windows.h>

#include <vector>

#include "accounts/account_record.h"
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

std::vector<std::wstring> ReadAccountSection(const std::wstring& configPath,
                                             const std::wstring& displayName) {
    std::vector<std::wstring> body;
    TextLineReader reader(configPath);
    if (!reader.IsOpen()) {
        return body;
    }
    const std::wstring header = AccountHeader(displayName);
    std::wstring line;
    while (reader.ReadLine(line)) {
        if (line == header) {
            break;
        }
    }
    while (reader.ReadLine(line) && !IsHeaderLine(line)) {
        body.push_back(std::move(line));
    }
    return body;
}

void LoadAccountSection(AccountRecord& account, const std::wstring& configPath) {
    // Lines past the record's room are dropped.
    for (const auto& line : ReadAccountSection(configPath, account.GetName())) {
        account.AddParmLine(line);
    }
}

void LoadAccountSection(AccountRecord& account) {
    LoadAccountSection(account, GetConfigFilePath());
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
