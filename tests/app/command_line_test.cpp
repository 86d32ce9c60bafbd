#include <gtest/gtest.h>

#include "app/command_line.h"

namespace {

using Names = std::vector<std::wstring>;

// What a command line asks for, option by option.
struct Reading {
    const wchar_t* text;
    bool batchMode;
    bool listRepair;
    bool repairAll;
    const wchar_t* listText;
};

TEST(CommandLine, ReadsEachOptionOnceAndAnyTextAsBatchMode) {
    std::vector<Reading> readings = {
        // Empty means interactive, and nothing else.
        {L"", false, false, false, L""},
        // Both options are read, in either order.
        {L"--autorepair:Work;Home-- --autorepairall", true, true, true, L"--autorepair:Work;Home"},
        {L"--autorepairall --autorepair:Spare--", true, true, true, L"--autorepair:Spare"},
        // Without closing dashes the list ends at the next option.
        {L"--autorepair:Work;Home --autorepairall", true, true, true, L"--autorepair:Work;Home "},
        // Repairing all alone is no list.
        {L"--autorepairall", true, false, true, L""},
        // Only the first list option counts.
        {L"--autorepair:A;B-- --autorepair:C--", true, true, false, L"--autorepair:A;B"},
    };
    // Any other text is batch mode, even without an option; options are case-sensitive.
    for (const wchar_t* text : {L" ", L"--AUTOREPAIRALL", L"hello", L"--autorepair", L"-",
                                L"--AutoRepair:Work-- --AUTOREPAIRALL"}) {
        readings.push_back({text, true, false, false, L""});
    }
    for (const Reading& expected : readings) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(expected.text)));
        CommandLineOptions options = ReadCommandLine(expected.text);
        EXPECT_EQ(options.batchMode, expected.batchMode);
        EXPECT_EQ(options.listRepair, expected.listRepair);
        EXPECT_EQ(options.repairAll, expected.repairAll);
        EXPECT_EQ(options.listText, expected.listText);
    }
    // The lists read above split into their names: the second list option is no part of the first.
    EXPECT_EQ(SplitAccountNames(L"--autorepair:Work;Home "), (Names{L"Work", L"Home "}));
    EXPECT_EQ(SplitAccountNames(L"--autorepair:A;B"), (Names{L"A", L"B"}));
}

TEST(CommandLine, ListTextRunsToTheNextDoubleDash) {
    EXPECT_EQ(ReadCommandLine(L"--autorepair:Work;Home--").listText, L"--autorepair:Work;Home");
    EXPECT_EQ(ReadCommandLine(L"--autorepair:Work").listText, L"--autorepair:Work");
    EXPECT_EQ(ReadCommandLine(L"--autorepair:--").listText, L"--autorepair:");
    // Text before the option is not part of the list.
    EXPECT_EQ(ReadCommandLine(L"x --autorepair:A--B").listText, L"--autorepair:A");
    // A single dash does not end the list.
    EXPECT_EQ(ReadCommandLine(L"--autorepair:Mail-Box--").listText, L"--autorepair:Mail-Box");
}

TEST(AccountNames, ArePiecesBetweenSemicolonsWithEmptyOnesKept) {
    EXPECT_EQ(SplitAccountNames(L"--autorepair:Work;;Home"), (Names{L"Work", L"", L"Home"}));
    EXPECT_EQ(SplitAccountNames(L"--autorepair:Work;"), (Names{L"Work", L""}));
    EXPECT_EQ(SplitAccountNames(L"--autorepair:"), (Names{L""}));
    EXPECT_EQ(SplitAccountNames(L"--autorepair:;"), (Names{L"", L""}));
}

TEST(AccountNames, AreNeverTrimmedAndOnlyTheFirstColonSplits) {
    EXPECT_EQ(SplitAccountNames(L"--autorepair:Work ;Home"), (Names{L"Work ", L"Home"}));
    EXPECT_EQ(SplitAccountNames(L"--autorepair: a:b ;c"), (Names{L" a:b ", L"c"}));
    EXPECT_EQ(SplitAccountNames(L"--autorepair:Čtení;郵便;\U0001F4E7"),
              (Names{L"Čtení", L"郵便", L"\U0001F4E7"}));
}

} // namespace
