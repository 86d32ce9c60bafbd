#include "autostart/startup_shortcut.h"

#include <windows.h>

#include <cwchar>

#include "files/handles.h"
#include "files/program_folder.h"
#include "files/text_file.h"

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
    OwnedHandle file(CreateFileW(GetStartupShortcutPath().c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.IsValid();
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
