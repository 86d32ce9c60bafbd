// Reading the shell's one-line shortcut: count#command, the count in UTF-16 characters.
#include "handset/tool/shortcut_line.h"

#include <gtest/gtest.h>

namespace {

TEST(ShortcutLineTest, TakesTheCommandWhenTheCountMatches) {
    EXPECT_EQ(handset::ParseShortcutLine(L"9#\"a.exe\" x"), L"\"a.exe\" x");
    std::wstring command = L"\"\\Program Files\\Tool\\tool.exe\" --autorepairall";
    ASSERT_EQ(command.size(), 46u);
    EXPECT_EQ(handset::ParseShortcutLine(L"46#" + command), command);
    // A character outside the BMP counts twice; a "#" inside the command is text.
    EXPECT_EQ(handset::ParseShortcutLine(L"11#\"\U0001F600.exe\" #1"), L"\"\U0001F600.exe\" #1");
    std::wstring longer = L"\"" + std::wstring(121, L'p') + L"\"";
    EXPECT_EQ(handset::ParseShortcutLine(L"123#" + longer), longer);
}

TEST(ShortcutLineTest, RefusesLinesThatAreNotCountHashCommand) {
    for (const wchar_t* line : {
             L"\"a.exe\" x",            // no count, no "#"
             L"9 \"a.exe\" x",          // no "#"
             L"#\"a.exe\" x",           // no digits
             L"10#\"a.exe\" x",         // count too large
             L"8#\"a.exe\" x",          // count too small
             L"09#\"a.exe\" x",         // leading zero
             L"+9#\"a.exe\" x",         // sign
             L" 9#\"a.exe\" x",         // blank before the count
             L"0#",                     // empty command
             L"",                       // empty line
             L"99999999999999999999#x", // a count no command could have
         }) {
        EXPECT_FALSE(handset::ParseShortcutLine(line))
            << testing::PrintToString(std::wstring(line));
    }
}

TEST(ShortcutLineTest, ReadsTheFirstLineOfUtf8BytesFromTheFirstByte) {
    // "Zoë" is three UTF-16 characters and four UTF-8 bytes.
    const std::wstring command = L"\"a.exe\" Zo\u00EB";
    EXPECT_EQ(handset::ShortcutCommand("11#\"a.exe\" Zo\xC3\xAB\r\n"), command);
    // A handset's shell takes a byte-order mark for the start of the count.
    EXPECT_FALSE(handset::ShortcutCommand("\xEF\xBB\xBF"
                                          "11#\"a.exe\" Zo\xC3\xAB\n"));
    EXPECT_EQ(handset::ShortcutCommand("11#\"a.exe\" Zo\xC3\xAB"), command);
    EXPECT_EQ(handset::ShortcutCommand("11#\"a.exe\" Zo\xC3\xAB\r\nignored"), command);
    // Counted in bytes it would be 12: wrong.
    EXPECT_FALSE(handset::ShortcutCommand("12#\"a.exe\" Zo\xC3\xAB\n"));
    EXPECT_FALSE(handset::ShortcutCommand("11#\"a.exe\" Zo\xEB\n")); // not UTF-8
    EXPECT_FALSE(handset::ShortcutCommand("\xEF\xBB\xBF"));
    EXPECT_FALSE(handset::ShortcutCommand(""));
}

TEST(ShortcutLineTest, StartsThePathApartFromTheTextAfterTheBlankBehindIt) {
    struct Case {
        std::wstring command, image, arguments;
    };
    for (const Case& c : {
             Case{L"\"\\Program Files\\a.exe\" --x", L"\\Program Files\\a.exe", L"--x"},
             Case{L"\"a.exe\"  --x ", L"a.exe", L" --x "},
             Case{L"\"a.exe\"", L"a.exe", L""},
             Case{L"\"a.exe\"--x", L"a.exe", L"--x"},
             Case{L"a.exe  --x", L"a.exe", L" --x"},
             Case{L"\"a b.exe --x", L"a b.exe --x", L""},
         }) {
        handset::ShortcutStart start = handset::SplitShortcutCommand(c.command);
        EXPECT_EQ(start.image, c.image) << testing::PrintToString(c.command);
        EXPECT_EQ(start.arguments, c.arguments) << testing::PrintToString(c.command);
    }
}

} // namespace
