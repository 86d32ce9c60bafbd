// The command-line grammar over many seeded random command lines, against a model that reads the
// rules literally: it looks at every position in turn instead of searching.
#include <gtest/gtest.h>

#include "app/command_line.h"
#include "tests/support/random_text.h"

namespace {

using testing_support::RandomText;

constexpr int cases = 10000;

bool StartsAt(std::wstring_view text, size_t at, std::wstring_view wanted) {
    return at + wanted.size() <= text.size() && text.substr(at, wanted.size()) == wanted;
}

CommandLineOptions ModelCommandLine(std::wstring_view text) {
    CommandLineOptions options;
    options.batchMode = !text.empty();
    for (size_t at = 0; at < text.size(); ++at) {
        options.repairAll = options.repairAll || StartsAt(text, at, L"--autorepairall");
        if (!options.listRepair && StartsAt(text, at, L"--autorepair:")) {
            options.listRepair = true;
            size_t end = at + 2;
            while (end < text.size() && !StartsAt(text, end, L"--")) {
                ++end;
            }
            options.listText = std::wstring(text.substr(at, end - at));
        }
    }
    return options;
}

std::vector<std::wstring> ModelNames(std::wstring_view listText) {
    size_t at = 0;
    while (at < listText.size() && listText[at] != L':') {
        ++at;
    }
    at = at < listText.size() ? at + 1 : 0;
    std::vector<std::wstring> names{L""};
    for (; at < listText.size(); ++at) {
        if (listText[at] == L';') {
            names.emplace_back();
        } else {
            names.back() += listText[at];
        }
    }
    return names;
}

TEST(CommandLineProperty, AnyTextGivesTheOptionsAndNamesOfTheGrammar) {
    static constexpr std::wstring_view pieces[] = {L"--autorepair:",
                                                   L"--autorepairall",
                                                   L"--",
                                                   L"-",
                                                   L";",
                                                   L":",
                                                   L" ",
                                                   L"\"",
                                                   L"Work",
                                                   L"Home mail",
                                                   L"--AUTOREPAIR:",
                                                   L"autorepair",
                                                   L"é",
                                                   L"\U0001F4E7",
                                                   L"\t"};
    RandomText random(7061);
    for (int i = 0; i < cases; ++i) {
        const std::wstring text = random.Join(pieces, 8) + random.Characters(3);
        CommandLineOptions read = ReadCommandLine(text);
        CommandLineOptions expected = ModelCommandLine(text);
        ASSERT_EQ(read.batchMode, expected.batchMode) << "case " << i;
        ASSERT_EQ(read.listRepair, expected.listRepair) << "case " << i;
        ASSERT_EQ(read.repairAll, expected.repairAll) << "case " << i;
        ASSERT_EQ(read.listText, expected.listText) << "case " << i;
        if (read.listRepair) {
            ASSERT_EQ(SplitAccountNames(read.listText), ModelNames(expected.listText))
                << "case " << i;
        }
    }
}

} // namespace
