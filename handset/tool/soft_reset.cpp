#include "handset/tool/soft_reset.h"

#include "handset/common/owners.h"
#include "handset/registry/store_registry.h"
#include "handset/tool/console_output.h"
#include "handset/tool/shortcut_line.h"

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace handset {

namespace {

bool EndsWithLnk(const std::wstring& name) {
    return name.size() > 4 &&
           CompareStringOrdinal(name.c_str() + name.size() - 4, 4, L".lnk", 4, TRUE) == CSTR_EQUAL;
}

// The shortcut files, in name order as a file list shows them (case aside).
std::vector<std::wstring> ShortcutNames(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE find = FindFirstFileW((folder + L"\\*.lnk").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) {
        return names;
    }
    UniqueFind owner(find);
    do {
        // The pattern also matches longer extensions through short names.
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
            EndsWithLnk(found.cFileName)) {
            names.push_back(found.cFileName);
        }
    } while (FindNextFileW(find, &found));
    std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
        int order = CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                         static_cast<int>(b.size()), TRUE);
        return order != CSTR_EQUAL ? order == CSTR_LESS_THAN : a < b;
    });
    return names;
}

std::string ReadFileBytes(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs one command as the shell does and says how it ended; false when it did not run to its
// end. The image is named apart, so the program's command line is its argument text alone
// ("lpszImageName specifies the module to execute, and lpszCmdLine specifies the command line",
// CreateProcess, Windows CE 5.0).
bool RunCommand(const std::wstring& command) {
    WriteOut(command + L"\n");
    ShortcutStart start = SplitShortcutCommand(command);
    // A handset's paths end within MAX_PATH characters, the terminating zero included
    // (CreateProcess and CeCreateDirectory, Windows CE 5.0): no longer path is started.
    if (start.image.size() >= MAX_PATH) {
        WriteOut(L"  not started, error " + std::to_wstring(ERROR_FILENAME_EXCED_RANGE) + L"\n");
        return false;
    }
    std::vector<wchar_t> line(start.arguments.begin(), start.arguments.end());
    line.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(start.image.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info)) {
        WriteOut(L"  not started, error " + std::to_wstring(GetLastError()) + L"\n");
        return false;
    }
    UniqueHandle process(info.hProcess);
    UniqueHandle thread(info.hThread);
    if (WaitForSingleObject(info.hProcess, SoftResetWaitMs) != WAIT_OBJECT_0) {
        WriteOut(L"  still running after " + std::to_wstring(SoftResetWaitMs / 1000) + L" s\n");
        return false;
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(info.hProcess, &exitCode);
    WriteOut(L"  exit code " + std::to_wstring(exitCode) + L"\n");
    return true;
}

} // namespace

int SoftReset() {
    auto folder = StartupFolder();
    if (!folder || folder->empty()) {
        return 0;
    }
    bool allRan = true;
    for (const auto& name : ShortcutNames(*folder)) {
        auto command = ShortcutCommand(ReadFileBytes(*folder + L"\\" + name));
        if (!command) {
            WriteError(L"handset: skipped " + name + L": not a count#command line\n");
            allRan = false;
            continue;
        }
        allRan = RunCommand(*command) && allRan;
    }
    return allRan ? 0 : 1;
}

} // namespace handset
