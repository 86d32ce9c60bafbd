// What the command line asks for. It is searched as one text: no splitting at blanks, no
// quoting, every search exact and case-sensitive.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct CommandLineOptions {
    bool batchMode = false;  // anything at all on the command line: no dialog
    bool listRepair = false; // --autorepair: names the accounts to repair
    bool repairAll = false;  // --autorepairall: repair every account saved in config
    // From the first "--autorepair:" up to the next "--" after it, or to the end.
    std::wstring listText;
};

CommandLineOptions ReadCommandLine(std::wstring_view commandLine);

// The account names of a list text: the pieces between ";" after its first ":", in order, empty
// pieces included, never trimmed.
std::vector<std::wstring> SplitAccountNames(std::wstring_view listText);
