#include "autostart/startup_shortcut.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <optional>

#include "files/handles.h"
#include "files/program_folder.h"
#include "files/text_file.h"
#include "files/unicode.h"

namespace {

constexpr wchar_t shellFoldersKey[] = L"SYSTEM\\EXPLORER\\SHELL FOLDERS";

// The text of a string value: REG_SZ and REG_EXPAND_SZ as stored (nothing is expanded), the first
// string of a REG_MULTI_SZ. Empty for a value of any other type.
std::wstring StringOfValue(DWORD type, std::wstring data) {
    if (type != REG_SZ && type != REG_EXPAND_SZ && type != REG_MULTI_SZ) {
        return {};
    }
    // Up to the first terminating zero: for a list of strings, the end of the first one.
    data.resize(std::wcslen(data.c_str()));
    return data;
}

std::wstring ReadStartupFolder() {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, shellFoldersKey, 0, KEY_QUERY_VALUE, &opened) !=
        ERROR_SUCCESS) {
        return {};
    }
    OwnedKey key(opened);
    // The value may be of any length, and may change between asking for its size and reading it.
    DWORD type = REG_NONE;
    DWORD size = 0;
    LONG status = RegQueryValueExW(key.Get(), L"Startup", nullptr, &type, nullptr, &size);
    std::wstring data;
    while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
        // Room for every byte asked for, even an odd number of them, and one character more, so
        // that the text always ends in a zero.
        data.assign((size + sizeof(wchar_t) - 1) / sizeof(wchar_t) + 1, L'\0');
        size = static_cast<DWORD>((data.size() - 1) * sizeof(wchar_t));
        status = RegQueryValueExW(key.Get(), L"Startup", nullptr, &type,
                                  reinterpret_cast<BYTE*>(data.data()), &size);
        if (status == ERROR_SUCCESS) {
            return StringOfValue(type, std::move(data));
        }
    }
    return {};
}

// A shortcut to a program this program can run is short: its first line lies within these bytes.
constexpr DWORD shortcutReadBytes = 4096;

// The command of the shortcut file as a handset's shell reads it: the first line, from the first
// byte (a byte-order mark is no digit), "count#command" in UTF-8, where count is the decimal
// number, without leading zeros, of the UTF-16 characters of command. Nothing when the file
// cannot be read or its line is not of that form.
std::optional<std::wstring> ReadShortcutCommand(const std::wstring& path) {
    OwnedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string bytes(shortcutReadBytes, '\0');
    DWORD got = 0;
    if (!file.IsValid() || !ReadFile(file.Get(), bytes.data(), shortcutReadBytes, &got, nullptr)) {
        return std::nullopt;
    }
    bytes.resize(got);
    bytes.resize(std::min(bytes.find_first_of("\r\n"), bytes.size()));
    const std::wstring line = DecodeText(bytes, CP_UTF8, MB_ERR_INVALID_CHARS);
    const size_t hash = line.find(L'#');
    if (hash == std::wstring::npos || hash == 0 || hash > 9 || line[0] == L'0' ||
        !std::all_of(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(hash),
                     [](wchar_t unit) { return unit >= L'0' && unit <= L'9'; }) ||
        std::stoul(line.substr(0, hash)) != line.size() - hash - 1) {
        return std::nullopt;
    }
    return line.substr(hash + 1);
}

// The path in upper case, as paths compare on a handset: letter case aside.
std::wstring FoldedPath(std::wstring path) {
    if (!path.empty()) {
        CharUpperBuffW(path.data(), static_cast<DWORD>(path.size()));
    }
    return path;
}

} // namespace

std::wstring StartupShortcutLine(std::wstring_view programPath, std::wstring_view argumentText) {
    std::wstring command = L"\"";
    command += programPath;
    command += L'"';
    command += argumentText;
    return std::to_wstring(command.size()) + L"#" + command;
}

std::wstring GetStartupShortcutPath() {
    return ReadStartupFolder() + L"\\autorepair.lnk";
}

bool StartupShortcutExists() {
    // The shell starts the quoted path as the program, with what follows the blank behind it as
    // its command line: this program's repair of every saved account, or another program's run.
    const std::optional<std::wstring> command = ReadShortcutCommand(GetStartupShortcutPath());
    const std::wstring programPath = GetProgramFilePath();
    const size_t argumentsAt = programPath.size() + 2;
    return command && command->size() >= argumentsAt && (*command)[0] == L'"' &&
           (*command)[argumentsAt - 1] == L'"' &&
           FoldedPath(command->substr(1, programPath.size())) == FoldedPath(programPath) &&
           command->find(RepairAllArguments.substr(1), argumentsAt) != std::wstring::npos;
}

int CreateStartupShortcut(std::wstring_view argumentText) {
    return CreateStartupShortcut(GetProgramFilePath(), argumentText);
}

int CreateStartupShortcut(const std::wstring& programPath, std::wstring_view argumentText) {
    // The shell cannot start a program whose path does not fit in MAX_PATH with its terminating
    // zero (CreateProcess and CeCreateDirectory, Windows CE 5.0): that shortcut would run nothing.
    if (programPath.empty() || programPath.size() >= MAX_PATH) {
        return -1;
    }
    const std::wstring path = GetStartupShortcutPath();
    // The shell reads the count from the file's first byte: no byte-order mark before it.
    TextFileWriter writer = TextFileWriter::Replace(path, ByteOrderMark::Omitted);
    writer.Write(StartupShortcutLine(programPath, argumentText));
    writer.EndLine();
    const bool written = writer.CommitAndClose();
    if (!written) {
        // A half-written shortcut would run something else after the next soft reset.
        DeleteFileW(path.c_str());
        return -1;
    }
    return 0;
}

int RemoveStartupShortcut() {
    if (DeleteFileW(GetStartupShortcutPath().c_str())) {
        return 0;
    }
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? 0 : -1;
}
