#include <gtest/gtest.h>

#include <windows.h>

#include "files/program_folder.h"
#include "autostart/startup_shortcut.h"
#include "tests/support/files.h"
#include "tests/support/scoped_startup_folder.h"
#include "tests/support/temp_folder.h"

namespace {

using testing_support::FileExists;
using testing_support::ReadBytes;
using testing_support::Utf8;

using testing_support::ScopedStartupFolder;

// Points the handset's Startup folder at a folder of the test's own, and back afterwards.
class StartupShortcut : public ::testing::Test {
protected:
    void SetUp() override { instanceHandle = GetModuleHandleW(nullptr); }

    ScopedStartupFolder startup{L"\\Start Up"};
    std::wstring shortcut = startup / L"autorepair.lnk";
};

TEST(StartupShortcutLine, CountsEveryCharacterOfTheCommand) {
    // 1 + 7 + 1 characters.
    EXPECT_EQ(StartupShortcutLine(L"\\ab.exe", L""), L"9#\"\\ab.exe\"");
    // The example of a program in a folder with blanks: 1 + 28 + 1 + 16.
    EXPECT_EQ(StartupShortcutLine(L"\\Program Files\\Tool\\tool.exe", L" --autorepairall"),
              L"46#\"\\Program Files\\Tool\\tool.exe\" --autorepairall");
    const std::wstring longPath = L"\\" + std::wstring(114, L'p') + L".exe";
    EXPECT_EQ(StartupShortcutLine(longPath, L" x"), L"123#\"" + longPath + L"\" x");
    // Characters are UTF-16 code units: a character outside the basic plane counts twice.
    EXPECT_EQ(StartupShortcutLine(L"\\\U0001F4E7.exe", L""), L"9#\"\\\U0001F4E7.exe\"");
}

TEST_F(StartupShortcut, LiesInTheStartupFolder) {
    EXPECT_EQ(GetStartupShortcutPath(), shortcut);
}

TEST_F(StartupShortcut, IsWrittenReplacedFoundAndRemoved) {
    EXPECT_FALSE(StartupShortcutExists());
    EXPECT_EQ(CreateStartupShortcut(L" --first"), 0);
    EXPECT_EQ(CreateStartupShortcut(RepairAllArguments), 0);
    EXPECT_TRUE(StartupShortcutExists());
    // From its first byte on, the count: a handset's shell reads no byte-order mark.
    EXPECT_EQ(ReadBytes(shortcut),
              Utf8(StartupShortcutLine(GetProgramFilePath(), RepairAllArguments)) + "\r\n");

    EXPECT_EQ(RemoveStartupShortcut(), 0);
    EXPECT_FALSE(FileExists(shortcut));
    EXPECT_FALSE(StartupShortcutExists());
    // Removing what is not there is no failure.
    EXPECT_EQ(RemoveStartupShortcut(), 0);
}

TEST_F(StartupShortcut, CountsOnlyWhenItStartsThisProgramsRepairOfEverySavedAccount) {
    // The line as the shell reads it: count, "#", command, from the first byte.
    auto line = [](const std::wstring& command) {
        return Utf8(std::to_wstring(command.size()) + L"#" + command);
    };
    const std::wstring program = GetProgramFilePath();
    std::wstring otherCase = program;
    CharLowerBuffW(otherCase.data(), static_cast<DWORD>(otherCase.size()));
    ASSERT_NE(otherCase, program);
    const std::wstring ours = L"\"" + program + L"\" --autorepairall";
    struct Case {
        const char* what;
        std::string bytes;
        bool counts;
    };
    const Case cases[] = {
        {"as the switch writes it", line(ours) + "\r\n", true},
        {"with a LF, or no line end", line(ours) + "\n", true},
        {"without a line end", line(ours), true},
        {"the path in other letters' case", line(L"\"" + otherCase + L"\" --autorepairall"), true},
        {"a named list before the repair of all",
         line(L"\"" + program + L"\" --autorepair:Work-- --autorepairall"), true},
        {"another copy of the program, on the storage card",
         line(L"\"C:\\Storage Card\\Courierfix\\courierfix.exe\" --autorepairall"), false},
        {"this program's path as the start of another's",
         line(L"\"" + program + L".old\" --autorepairall"), false},
        {"this program, repairing a named list only",
         line(L"\"" + program + L"\" --autorepair:Work--"), false},
        {"this program, without arguments", line(L"\"" + program + L"\""), false},
        {"a count that is not the command's", std::string("9").append(line(ours)), false},
        {"a count with a leading zero", std::string("0").append(line(ours)), false},
        {"a byte-order mark before the count", std::string("\xEF\xBB\xBF").append(line(ours)),
         false},
        {"no count", Utf8(ours), false},
        {"bytes that are not UTF-8", line(ours).substr(0, 10) + "\xFF" + line(ours).substr(10),
         false},
        {"any other content", "present", false},
        {"empty", "", false},
    };
    for (const Case& test : cases) {
        testing_support::WriteBytes(shortcut, test.bytes);
        EXPECT_EQ(StartupShortcutExists(), test.counts) << test.what;
    }
    DeleteFileW(shortcut.c_str());
    EXPECT_FALSE(StartupShortcutExists());
}

TEST_F(StartupShortcut, WorksWithAStartupFolderOfAnyLength) {
    testing_support::TempFolder deep{L"\\" + std::wstring(130, L'd') + L"\\" +
                                     std::wstring(90, L'e')};
    std::wstring longFolder = deep.Path().substr(0, deep.Path().size() - 1);
    ASSERT_GT(longFolder.size(), 260u);
    ScopedStartupFolder::SetValue(longFolder);

    EXPECT_EQ(GetStartupShortcutPath(), longFolder + L"\\autorepair.lnk");
    EXPECT_EQ(CreateStartupShortcut(RepairAllArguments), 0);
    EXPECT_TRUE(FileExists(longFolder + L"\\autorepair.lnk"));
    EXPECT_EQ(RemoveStartupShortcut(), 0);
}

TEST_F(StartupShortcut, TakesTheStartupValueOfAnyStringTypeAndOnlyThat) {
    struct Case {
        const char* what;
        DWORD type;
        std::wstring data; // as stored, terminating zeros included
        std::wstring folder;
    };
    const std::wstring folder = L"C:\\Windows\\StartUp";
    const Case cases[] = {
        {"REG_SZ", REG_SZ, folder + L'\0', folder},
        {"REG_EXPAND_SZ, not expanded", REG_EXPAND_SZ,
         L"%WINDIR%\\StartUp" + std::wstring(1, L'\0'), L"%WINDIR%\\StartUp"},
        {"REG_MULTI_SZ, its first string", REG_MULTI_SZ,
         folder + L'\0' + L"D:\\Other" + L'\0' + L'\0', folder},
        {"REG_SZ without its zero", REG_SZ, folder, folder},
        {"REG_DWORD, no string", REG_DWORD, std::wstring(2, L'\x1'), L""},
        {"REG_BINARY, no string", REG_BINARY, folder + L'\0', L""},
        {"REG_BINARY of an odd number of bytes", REG_BINARY, L"\x4142\x43", L""},
    };
    for (const Case& test : cases) {
        // Values are stored whole but for the last case, whose last byte is cut off.
        DWORD bytes = static_cast<DWORD>(test.data.size() * sizeof(wchar_t));
        bytes -= test.data == L"\x4142\x43" ? 1 : 0;
        ScopedStartupFolder::SetValue(test.type, test.data.data(), bytes);
        EXPECT_EQ(GetStartupShortcutPath(), test.folder + L"\\autorepair.lnk") << test.what;
    }
    // No value at all: the root folder.
    ScopedStartupFolder::RemoveValue();
    EXPECT_EQ(GetStartupShortcutPath(), L"\\autorepair.lnk");
}

TEST_F(StartupShortcut, ReportsWhatCouldNotBeDone) {
    // A program the shell cannot start: its path does not fit in MAX_PATH with its zero.
    const std::wstring longest = L"C:\\" + std::wstring(MAX_PATH - 8, L'p') + L".exe";
    ASSERT_EQ(longest.size(), static_cast<size_t>(MAX_PATH - 1));
    EXPECT_LT(CreateStartupShortcut(longest + L"x", RepairAllArguments), 0);
    EXPECT_FALSE(StartupShortcutExists());
    EXPECT_EQ(CreateStartupShortcut(longest, RepairAllArguments), 0);
    EXPECT_EQ(ReadBytes(shortcut), Utf8(StartupShortcutLine(longest, RepairAllArguments)) + "\r\n");
    EXPECT_EQ(RemoveStartupShortcut(), 0);

    ScopedStartupFolder::SetValue(startup / L"missing folder");
    EXPECT_LT(CreateStartupShortcut(RepairAllArguments), 0);
    EXPECT_FALSE(StartupShortcutExists());
    EXPECT_EQ(RemoveStartupShortcut(), 0);

    // A folder in the shortcut's place can be neither written nor deleted as a file.
    ScopedStartupFolder::SetValue(startup.Folder());
    ASSERT_TRUE(CreateDirectoryW(shortcut.c_str(), nullptr));
    EXPECT_LT(CreateStartupShortcut(RepairAllArguments), 0);
    EXPECT_LT(RemoveStartupShortcut(), 0);
    RemoveDirectoryW(shortcut.c_str());
}

} // namespace
