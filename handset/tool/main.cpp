// Serves the program's tests, scripts and demo: handset.exe, the command-line control of the
// emulated handset (the README lists its commands), and the shell's soft reset.
#include "handset/common/owners.h"
#include "handset/registry/store_registry.h"
#include "handset/shell/screen.h"
#include "handset/system/argument_text.h"
#include "handset/tool/shortcut_line.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace {

using Args = std::vector<std::wstring>;

// How long one started program may run before the soft reset goes on without it.
constexpr DWORD SoftResetWaitMs = 120000;

// UTF-8 bytes to a file or pipe, wide text to a console.
void Write(DWORD which, const std::wstring& text) {
    HANDLE handle = GetStdHandle(which);
    DWORD mode = 0;
    DWORD written = 0;
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || text.empty()) {
        return;
    }
    if (GetConsoleMode(handle, &mode)) {
        WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    std::string bytes(static_cast<size_t>(text.size()) * 3, '\0');
    bytes.resize(static_cast<size_t>(
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                            static_cast<int>(bytes.size()), nullptr, nullptr)));
    WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void WriteOut(const std::wstring& text) {
    Write(STD_OUTPUT_HANDLE, text);
}

// Bad input: one line on standard error, exit code 2; a failure, exit code 1.
int Bad(const std::wstring& message, int exitCode = 2) {
    Write(STD_ERROR_HANDLE, L"handset: " + message + L"\n");
    return exitCode;
}

// PARM=VALUE, split at the first "="; the name must not be empty.
bool AddSetting(const std::wstring& argument, handset::Settings& settings) {
    size_t equals = argument.find(L'=');
    if (equals == std::wstring::npos || equals == 0) {
        return false;
    }
    settings[argument.substr(0, equals)] = argument.substr(equals + 1);
    return true;
}

int ListStores(const Args& args) {
    if (args.size() != 1) {
        return Bad(L"stores takes no arguments");
    }
    std::wstring text;
    for (const auto& store : handset::ListStores()) {
        text += L"[" + store.displayName + L"] " +
                (store.accountGuid ? handset::GuidText(*store.accountGuid) : L"-") + L"\n";
        for (const auto& [name, value] : store.settings) {
            text += L"  " + name + L"=" + value + L"\n";
        }
    }
    WriteOut(text);
    return 0;
}

int AddStore(const Args& args) {
    if (args.size() < 2) {
        return Bad(L"add-store needs a store name");
    }
    std::optional<GUID> guid = handset::NewGuid();
    handset::Settings settings;
    for (size_t i = 2; i < args.size(); ++i) {
        if (args[i] == L"--no-guid" && i == 2) {
            guid.reset();
        } else if (args[i].rfind(L"--", 0) == 0) {
            return Bad(L"unknown option " + args[i]);
        } else if (!AddSetting(args[i], settings)) {
            return Bad(L"expected PARM=VALUE, got \"" + args[i] + L"\"");
        }
    }
    if (handset::AddStore(args[1], guid, settings).empty()) {
        return Bad(L"could not add the store", 1);
    }
    WriteOut((guid ? handset::GuidText(*guid) : L"-") + L"\n");
    return 0;
}

int SetSettings(const Args& args) {
    if (args.size() < 3) {
        return Bad(L"set needs a store name and at least one PARM=VALUE");
    }
    handset::Settings settings;
    for (size_t i = 2; i < args.size(); ++i) {
        if (!AddSetting(args[i], settings)) {
            return Bad(L"expected PARM=VALUE, got \"" + args[i] + L"\"");
        }
    }
    auto stores = handset::ListStores(handset::StoreParts::Header);
    if (std::none_of(stores.begin(), stores.end(),
                     [&](const auto& store) { return store.displayName == args[1]; })) {
        return Bad(L"no store is named \"" + args[1] + L"\"");
    }
    return handset::SetSettings(args[1], settings) ? 0 : Bad(L"could not write the settings", 1);
}

int Clear(const Args& args) {
    if (args.size() != 1) {
        return Bad(L"clear takes no arguments");
    }
    return handset::ClearStores() ? 0 : Bad(L"could not remove the stores", 1);
}

int StartupFolder(const Args& args) {
    if (args.size() > 2) {
        return Bad(L"startup-folder takes at most one path");
    }
    std::wstring folder;
    if (args.size() == 2) {
        folder = handset::FullPath(args[1]);
        if (args[1].empty() || folder.empty() || !handset::SetStartupFolder(folder)) {
            return Bad(L"cannot make \"" + args[1] + L"\" the Startup folder");
        }
    } else if (auto current = handset::StartupFolder()) {
        folder = *current;
    } else {
        folder = handset::DefaultStartupFolder;
        if (!handset::SetStartupFolder(folder)) {
            return Bad(L"cannot create the folder " + folder, 1);
        }
    }
    WriteOut(folder + L"\n");
    return 0;
}

int Screen(const Args& args) {
    bool dpiGiven = args.size() == 4 && args[2] == L"--dpi";
    if (args.size() != 2 && !dpiGiven) {
        return Bad(L"screen takes WIDTHxHEIGHT or display, and optionally --dpi N");
    }
    // WIDTHxHEIGHT in pixels, both positive.
    int width = 0;
    int height = 0;
    wchar_t rest = 0;
    std::optional<SIZE> form;
    if (swscanf(args[1].c_str(), L"%dx%d%lc", &width, &height, &rest) == 2 && width > 0 &&
        height > 0) {
        form = SIZE{width, height};
    } else if (args[1] != L"display") {
        return Bad(L"expected WIDTHxHEIGHT or display, got \"" + args[1] + L"\"");
    }
    int dpi = dpiGiven ? _wtoi(args[3].c_str()) : 0;
    if (dpiGiven && (dpi < 48 || dpi > 480)) {
        return Bad(L"--dpi takes dots per inch from 48 to 480");
    }
    if (dpiGiven && !handset::SetDisplayDpi(dpi)) {
        return Bad(L"could not write the dots per inch", 1);
    }
    return handset::TurnScreen(form) ? 0 : Bad(L"could not write the screen's form", 1);
}

// The shortcut files, in name order as a file list shows them (case aside).
std::vector<std::wstring> ShortcutNames(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE first = FindFirstFileW((folder + L"\\*.lnk").c_str(), &found);
    handset::UniqueFind find(first != INVALID_HANDLE_VALUE ? first : nullptr);
    // The pattern also matches longer extensions through short names.
    for (bool more = find != nullptr; more; more = FindNextFileW(find.get(), &found)) {
        std::wstring name = found.cFileName;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && name.size() > 4 &&
            CompareStringOrdinal(name.c_str() + name.size() - 4, 4, L".lnk", 4, TRUE) ==
                CSTR_EQUAL) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
        int order = CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                         static_cast<int>(b.size()), TRUE);
        return order != CSTR_EQUAL ? order == CSTR_LESS_THAN : a < b;
    });
    return names;
}

// Runs one command as the shell does and says how it ended; false when it did not run to its
// end. The image is named apart, so the program's command line is its argument text alone
// ("lpszImageName specifies the module to execute, and lpszCmdLine specifies the command line",
// CreateProcess, Windows CE 5.0).
bool RunCommand(const std::wstring& command) {
    WriteOut(command + L"\n");
    handset::ShortcutStart start = handset::SplitShortcutCommand(command);
    // A handset's paths end within MAX_PATH characters, the terminating zero included
    // (CreateProcess and CeCreateDirectory, Windows CE 5.0): no longer path is started.
    if (start.image.size() >= MAX_PATH) {
        WriteOut(L"  not started, error " + std::to_wstring(ERROR_FILENAME_EXCED_RANGE) + L"\n");
        return false;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(start.image.c_str(), start.arguments.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &startup, &info)) {
        WriteOut(L"  not started, error " + std::to_wstring(GetLastError()) + L"\n");
        return false;
    }
    handset::UniqueHandle process(info.hProcess);
    handset::UniqueHandle thread(info.hThread);
    if (WaitForSingleObject(info.hProcess, SoftResetWaitMs) != WAIT_OBJECT_0) {
        WriteOut(L"  still running after " + std::to_wstring(SoftResetWaitMs / 1000) + L" s\n");
        return false;
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(info.hProcess, &exitCode);
    WriteOut(L"  exit code " + std::to_wstring(exitCode) + L"\n");
    return true;
}

// What the shell does after a soft reset: starts the Startup folder's *.lnk shortcuts in name
// order, one after another, waiting for each. 0 when every shortcut ran, 1 when any was
// skipped, failed to start or did not finish in time.
int SoftReset(const Args& args) {
    if (args.size() != 1) {
        return Bad(L"softreset takes no arguments");
    }
    std::wstring folder = handset::StartupFolder().value_or(L"");
    bool allRan = true;
    for (const auto& name : ShortcutNames(folder)) {
        std::ifstream in(std::filesystem::path(folder + L"\\" + name), std::ios::binary);
        auto command = handset::ShortcutCommand(
            std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
        if (!command) {
            Write(STD_ERROR_HANDLE, L"handset: skipped " + name + L": not a count#command line\n");
            allRan = false;
            continue;
        }
        allRan = RunCommand(*command) && allRan;
    }
    return allRan ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const Args args(argv + 1, argv + argc);
    const std::pair<const wchar_t*, int (*)(const Args&)> commands[] = {
        {L"stores", ListStores},  {L"add-store", AddStore},           {L"set", SetSettings},
        {L"clear", Clear},        {L"startup-folder", StartupFolder}, {L"screen", Screen},
        {L"softreset", SoftReset}};
    for (const auto& [name, run] : commands) {
        if (!args.empty() && args[0] == name) {
            return run(args);
        }
    }
    return Bad((args.empty() ? L"no command given" : L"unknown command " + args[0]) +
               L"; the README lists the commands");
}
