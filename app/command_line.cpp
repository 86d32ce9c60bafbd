#include "app/command_line.h"

#include "autostart/startup_shortcut.h"

namespace {

constexpr std::wstring_view listOption = L"--autorepair:";
// The shortcut's argument text, without the blank that separates it from the program's path.
constexpr std::wstring_view allOption = RepairAllArguments.substr(1);
constexpr std::wstring_view optionEnd = L"--";

} // namespace

CommandLineOptions ReadCommandLine(std::wstring_view commandLine) {
    CommandLineOptions options;
    if (commandLine.empty()) {
        return options;
    }
    options.batchMode = true;

    size_t listAt = commandLine.find(listOption);
    if (listAt != std::wstring_view::npos) {
        options.listRepair = true;
        // The option itself begins with "--"; the list ends at the next one.
        size_t endAt = commandLine.find(optionEnd, listAt + optionEnd.size());
        options.listText = std::wstring(commandLine.substr(
            listAt, endAt == std::wstring_view::npos ? std::wstring_view::npos : endAt - listAt));
    }
    options.repairAll = commandLine.find(allOption) != std::wstring_view::npos;
    return options;
}

std::vector<std::wstring> SplitAccountNames(std::wstring_view listText) {
    size_t colon = listText.find(L':');
    std::wstring_view names =
        colon == std::wstring_view::npos ? listText : listText.substr(colon + 1);

    std::vector<std::wstring> result;
    for (;;) {
        size_t separator = names.find(L';');
        result.emplace_back(names.substr(0, separator));
        if (separator == std::wstring_view::npos) {
            return result;
        }
        names.remove_prefix(separator + 1);
    }
}
