#include "autostart/startup_shortcut.h"

#include <windows.h>

#include <cstdio>

#include "app/program_folder.h"
#include "store/text_file.h"

namespace {

constexpr wchar_t shellFoldersKey[] = L"SYSTEM\\EXPLORER\\SHELL FOLDERS";

std::wstring ReadStartupFolder() {
    // The value may be of any length, and may change between asking for its size and reading it.
    std::wstring folder;
    DWORD size = 0;
    LSTATUS status =
        RegGetValueW(HKEY_LOCAL_MACHINE, shellFoldersKey, L"Startup",
                     RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, nullptr, &size);
    while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
        folder.resize(size / sizeof(wchar_t) + 1);
        size = static_cast<DWORD>(folder.size() * sizeof(wchar_t));
        status = RegGetValueW(HKEY_LOCAL_MACHINE, shellFoldersKey, L"Startup",
                              RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr,
                              folder.data(), &size);
        if (status == ERROR_SUCCESS) {
            folder.resize(wcsnlen(folder.c_str(), folder.size()));
            return folder;
        }
    }
    return {};
}

} // namespace

std::wstring StartupShortcutLine(const std::wstring& programPath,
                                 const std::wstring& argumentText) {
    const std::wstring command = L"\"" + programPath + L"\"" + argumentText;
    return std::to_wstring(command.size()) + L"#" + command;
}

std::wstring GetStartupShortcutPath() {
    return ReadStartupFolder() + L"\\autorepair.lnk";
}

bool StartupShortcutExists() {
    UniqueFile file(_wfopen(GetStartupShortcutPath().c_str(), L"r"));
    return file != nullptr;
}

int CreateStartupShortcut(const std::wstring& argumentText) {
    const std::wstring path = GetStartupShortcutPath();
    TextFileWriter writer(path);
    writer.Write(StartupShortcutLine(GetProgramFilePath(), argumentText));
    writer.EndLine(true);
    bool written = writer.Commit();
    written = writer.Close() && written;
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
