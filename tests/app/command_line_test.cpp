#include <gtest/gtest.h>

#include "app/command_line.h"

namespace {

using Names = std::vector<std::wstring>;

TEST(CommandLine, EmptyMeansInteractiveAndNothingElse) {
    CommandLineOptions options = ReadCommandLine(L"");
    EXPECT_FALSE(options.batchMode);
    EXPECT_FALSE(options.listRepair);
    EXPECT_FALSE(options.repairAll);
    EXPECT_EQ(options.listText, L"");
}

TEST(CommandLine, AnyOtherTextIsBatchModeEvenWithoutAnOption) {
    for (const wchar_t* text : {L" ", L"--AUTOREPAIRALL", L"hello", L"--autorepair", L"-"}) {
        CommandLineOptions options = ReadCommandLine(text);
        EXPECT_TRUE(options.batchMode) << "[" << text << "]";
        EXPECT_FALSE(options.listRepair) << "[" << text << "]";
        EXPECT_FALSE(options.repairAll) << "[" << text << "]";
    }
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

TEST(CommandLine, WithoutClosingDashesTheListEndsAtTheNextOption) {
    CommandLineOptions options = ReadCommandLine(L"--autorepair:Work;Home --autorepairall");
    EXPECT_TRUE(options.listRepair);
    EXPECT_TRUE(options.repairAll);
    EXPECT_EQ(options.listText, L"--autorepair:Work;Home ");
    EXPECT_EQ(SplitAccountNames(options.listText), (Names{L"Work", L"Home "}));
}

TEST(CommandLine, BothOptionsAreRead) {
    CommandLineOptions options = ReadCommandLine(L"--autorepair:Work;Home-- --autorepairall");
    EXPECT_TRUE(options.batchMode);
    EXPECT_TRUE(options.listRepair);
    EXPECT_TRUE(options.repairAll);
    EXPECT_EQ(options.listText, L"--autorepair:Work;Home");

    options = ReadCommandLine(L"--autorepairall --autorepair:Spare--");
    EXPECT_TRUE(options.listRepair);
    EXPECT_TRUE(options.repairAll);
    EXPECT_EQ(options.listText, L"--autorepair:Spare");
}

TEST(CommandLine, RepairAllAloneIsNotAList) {
    CommandLineOptions options = ReadCommandLine(L"--autorepairall");
    EXPECT_TRUE(options.repairAll);
    EXPECT_FALSE(options.listRepair);
    EXPECT_EQ(options.listText, L"");
}

TEST(CommandLine, OnlyTheFirstListOptionCounts) {
    CommandLineOptions options = ReadCommandLine(L"--autorepair:A;B-- --autorepair:C--");
    EXPECT_EQ(options.listText, L"--autorepair:A;B");
    // The second one is not a second list, nor part of the first.
    EXPECT_EQ(SplitAccountNames(options.listText), (Names{L"A", L"B"}));
}

TEST(CommandLine, OptionsAreCaseSensitive) {
    CommandLineOptions options = ReadCommandLine(L"--AutoRepair:Work-- --AUTOREPAIRALL");
    EXPECT_FALSE(options.listRepair);
    EXPECT_FALSE(options.repairAll);
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
