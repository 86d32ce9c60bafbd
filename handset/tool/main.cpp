// handset.exe: the command-line control of the emulated handset.
#include "handset/registry/store_registry.h"
#include "handset/shell/screen.h"
#include "handset/tool/console_output.h"
#include "handset/tool/soft_reset.h"

#include <windows.h>

#include <cwchar>
#include <optional>
#include <string>
#include <vector>

namespace {

using Args = std::vector<std::wstring>;

constexpr wchar_t Usage[] =
    L"usage: handset.exe COMMAND [ARGUMENTS]\n"
    L"  stores\n"
    L"      lists the message stores in table order, one block each:\n"
    L"      \"[Display Name] {GUID}\" (\"-\" for a store that is not a mail account), then one\n"
    L"      \"  PARM=VALUE\" line per setting, sorted by name\n"
    L"  add-store NAME [--guid {GUID} | --no-guid] [--open-fails] [PARM=VALUE ...]\n"
    L"      appends a store (a fresh GUID unless told) and prints its GUID, or \"-\"\n"
    L"  set NAME PARM=VALUE ...\n"
    L"      changes settings of the first store of that name\n"
    L"  clear\n"
    L"      removes every store\n"
    L"  startup-folder [PATH]\n"
    L"      prints the Startup folder, or sets it and creates the folder; without a value\n"
    L"      it is set to C:\\Windows\\StartUp\n"
    L"  refuse on|off\n"
    L"      while on, the configuration manager refuses every document\n"
    L"  logon-fails on|off\n"
    L"      while on, MAPILogonEx gives no session\n"
    L"  screen WIDTHxHEIGHT|display [--dpi N]\n"
    L"      gives the handset a screen of that form, or the display's, and turns the screen of\n"
    L"      the programs running; --dpi sets the dots per inch of programs started later\n"
    L"  softreset\n"
    L"      starts each *.lnk shortcut of the Startup folder in name order and waits for it;\n"
    L"      prints its command, then \"  exit code N\" (or \"  not started, error N\", or\n"
    L"      \"  still running after N s\"); a shortcut that is not a count#command line is\n"
    L"      reported on standard error and skipped\n"
    L"Output is UTF-8 with LF line ends. Exit codes: 0 done, 1 failed or a shortcut skipped,\n"
    L"2 bad command or argument (nothing changed).\n";

// Bad input: one line on standard error, exit code 2.
int Bad(const std::wstring& message) {
    handset::WriteError(L"handset: " + message + L"\n");
    return 2;
}

int Failed(const std::wstring& message) {
    handset::WriteError(L"handset: " + message + L"\n");
    return 1;
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
    handset::WriteOut(text);
    return 0;
}

int AddStore(const Args& args) {
    if (args.size() < 2) {
        return Bad(L"add-store needs a store name");
    }
    bool guidChosen = false;
    std::optional<GUID> guid = handset::NewGuid();
    bool openFails = false;
    handset::Settings settings;
    for (size_t i = 2; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        if (arg == L"--guid" || arg == L"--no-guid") {
            if (guidChosen) {
                return Bad(L"give --guid or --no-guid once");
            }
            guidChosen = true;
            if (arg == L"--no-guid") {
                guid.reset();
                continue;
            }
            if (i + 1 >= args.size() || !(guid = handset::ParseGuid(args[i + 1]))) {
                return Bad(L"--guid needs a braced GUID such as "
                           L"{00112233-4455-6677-8899-AABBCCDDEEFF}");
            }
            ++i;
        } else if (arg == L"--open-fails") {
            openFails = true;
        } else if (arg.rfind(L"--", 0) == 0) {
            return Bad(L"unknown option " + arg);
        } else if (!AddSetting(arg, settings)) {
            return Bad(L"expected PARM=VALUE, got \"" + arg + L"\"");
        }
    }
    if (handset::AddStore(args[1], guid, settings, openFails).empty()) {
        return Failed(L"could not add the store");
    }
    handset::WriteOut((guid ? handset::GuidText(*guid) : L"-") + L"\n");
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
    bool known = false;
    for (const auto& store : handset::ListStores()) {
        known = known || store.displayName == args[1];
    }
    if (!known) {
        return Bad(L"no store is named \"" + args[1] + L"\"");
    }
    return handset::SetSettings(args[1], settings) ? 0 : Failed(L"could not write the settings");
}

int Clear(const Args& args) {
    if (args.size() != 1) {
        return Bad(L"clear takes no arguments");
    }
    return handset::ClearStores() ? 0 : Failed(L"could not remove the stores");
}

int StartupFolder(const Args& args) {
    if (args.size() > 2) {
        return Bad(L"startup-folder takes at most one path");
    }
    std::wstring folder;
    if (args.size() == 2) {
        if (args[1].empty()) {
            return Bad(L"the Startup folder path is empty");
        }
        DWORD length = GetFullPathNameW(args[1].c_str(), 0, nullptr, nullptr);
        folder.resize(length);
        length = GetFullPathNameW(args[1].c_str(), length, folder.data(), nullptr);
        if (length == 0 || length >= folder.size()) {
            return Bad(L"not a usable path: " + args[1]);
        }
        folder.resize(length);
        if (!handset::SetStartupFolder(folder)) {
            return Bad(L"cannot create the folder " + folder);
        }
    } else if (auto current = handset::StartupFolder()) {
        folder = *current;
    } else {
        folder = handset::DefaultStartupFolder;
        if (!handset::SetStartupFolder(folder)) {
            return Failed(L"cannot create the folder " + folder);
        }
    }
    handset::WriteOut(folder + L"\n");
    return 0;
}

int Switch(const Args& args, bool (*set)(bool)) {
    if (args.size() != 2 || (args[1] != L"on" && args[1] != L"off")) {
        return Bad(args[0] + L" takes on or off");
    }
    return set(args[1] == L"on") ? 0 : Failed(L"could not write the switch");
}

// WIDTHxHEIGHT in pixels, both positive.
std::optional<SIZE> ParseForm(const std::wstring& text) {
    int width = 0;
    int height = 0;
    wchar_t rest = 0;
    if (swscanf(text.c_str(), L"%dx%d%lc", &width, &height, &rest) != 2 || width <= 0 ||
        height <= 0) {
        return std::nullopt;
    }
    return SIZE{width, height};
}

int Screen(const Args& args) {
    bool dpiGiven = args.size() == 4 && args[2] == L"--dpi";
    if (args.size() != 2 && !dpiGiven) {
        return Bad(L"screen takes WIDTHxHEIGHT or display, and optionally --dpi N");
    }
    std::optional<SIZE> form = ParseForm(args[1]);
    if (!form && args[1] != L"display") {
        return Bad(L"expected WIDTHxHEIGHT or display, got \"" + args[1] + L"\"");
    }
    int dpi = dpiGiven ? _wtoi(args[3].c_str()) : 0;
    if (dpiGiven && (dpi < 48 || dpi > 480)) {
        return Bad(L"--dpi takes dots per inch from 48 to 480");
    }
    if (dpiGiven && !handset::SetDisplayDpi(dpi)) {
        return Failed(L"could not write the dots per inch");
    }
    return handset::TurnScreen(form) ? 0 : Failed(L"could not write the screen's form");
}

int SoftReset(const Args& args) {
    if (args.size() != 1) {
        return Bad(L"softreset takes no arguments");
    }
    return handset::SoftReset();
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    Args args(argv + 1, argv + argc);
    if (args.empty()) {
        return Bad(L"no command given; handset.exe help lists the commands");
    }
    const std::wstring& command = args[0];
    if (command == L"help" || command == L"--help" || command == L"-h" || command == L"/?") {
        handset::WriteOut(Usage);
        return 0;
    }
    if (command == L"stores") {
        return ListStores(args);
    }
    if (command == L"add-store") {
        return AddStore(args);
    }
    if (command == L"set") {
        return SetSettings(args);
    }
    if (command == L"clear") {
        return Clear(args);
    }
    if (command == L"startup-folder") {
        return StartupFolder(args);
    }
    if (command == L"refuse") {
        return Switch(args, handset::SetRefusesDocuments);
    }
    if (command == L"logon-fails") {
        return Switch(args, handset::SetLogonFails);
    }
    if (command == L"screen") {
        return Screen(args);
    }
    if (command == L"softreset") {
        return SoftReset(args);
    }
    return Bad(L"unknown command " + command + L"; handset.exe help lists the commands");
}
