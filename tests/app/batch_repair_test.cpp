// The batch mode of the real program: courierfix.exe installed in a folder of its own, run as
// the shell runs it, on a handset of the test's own.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <functional>

#include "app/startup.h"
#include "files/program_folder.h"
#include "files/text_file.h"
#include "handset/system/heap_budget.h"
#include "store/config_file.h"
#include "handset/registry/store_registry.h"
#include "tests/support/config_lines.h"
#include "tests/support/files.h"
#include "tests/support/process.h"
#include "tests/support/installed_program.h"
#include "tests/support/scoped_handset.h"
#include "tests/support/scoped_startup_folder.h"
#include "tests/support/temp_folder.h"

namespace {

using testing_support::Parm;
using testing_support::ReadBytes;
using testing_support::SettingsOf;
using testing_support::TextFileBytes;
using testing_support::WriteBytes;
using Lines = std::vector<std::wstring>;

class BatchRepair : public ::testing::Test {
protected:
    void WriteConfig(const Lines& lines) {
        WriteBytes(program.File(L"config"), TextFileBytes(lines));
    }
    unsigned long Run(const std::wstring& arguments) { return program.Run(arguments); }
    Lines Log() { return program.Log(); }

    testing_support::ScopedHandset handsetState;
    // A folder with blanks in its path, as "Program Files" has.
    testing_support::InstalledProgram program{L"\\Program Files\\Courier fix"};
};

TEST_F(BatchRepair, WritesTheLogOfAListAndAllRunAndFailsWhenOneRepairFails) {
    handset::AddAccount(L"Work", {{L"INSERVER", L"broken"}});
    handset::AddAccount(L"Spare", {{L"INSERVER", L"spare-in"}});
    WriteConfig({L"[Work]", Parm(L"INSERVER", L"pop.work.example"),
                 Parm(L"OUTSERVER", L"smtp.work.example"), L"[Spare]",
                 Parm(L"INSERVER", L"pop.spare.example"), Parm(L"NOSUCHPARM", L"x")});
    std::string configBefore = ReadBytes(program.File(L"config"));

    EXPECT_EQ(Run(L"--autorepair:Work;Home-- --autorepairall"), 1u);

    EXPECT_EQ(Log(), (Lines{L"Command line: [--autorepair:Work;Home-- --autorepairall]",
                            L"Auto repair: [--autorepair:Work;Home]", L"repairing [Work]: OK.",
                            L"repairing [Home]: account not found.", L"Auto repair All",
                            L"repairing [Work]: OK.", L"repairing [Spare]: FAILED.", L"Done"}));
    EXPECT_EQ(SettingsOf(L"Work"), (handset::Settings{{L"INSERVER", L"pop.work.example"},
                                                      {L"OUTSERVER", L"smtp.work.example"}}));
    // The refused document changed nothing, and a batch run never writes config.
    EXPECT_EQ(SettingsOf(L"Spare"), (handset::Settings{{L"INSERVER", L"spare-in"}}));
    EXPECT_EQ(ReadBytes(program.File(L"config")), configBefore);
}

TEST_F(BatchRepair, ExitsWithZeroWhenEveryRepairSucceededOrNoneWasAsked) {
    handset::AddAccount(L"Home");
    WriteConfig({L"[Home]", Parm(L"INSERVER", L"pop.home.example")});

    EXPECT_EQ(Run(L"--autorepairall"), 0u);
    EXPECT_EQ(Log(), (Lines{L"Command line: [--autorepairall]", L"Auto repair All",
                            L"repairing [Home]: OK.", L"Done"}));

    EXPECT_EQ(Run(L"--autorepair:Home--"), 0u);
    EXPECT_EQ(Log(), (Lines{L"Command line: [--autorepair:Home--]",
                            L"Auto repair: [--autorepair:Home]", L"repairing [Home]: OK."}));

    // A blank is a command line too: no dialog, no repair.
    EXPECT_EQ(Run(L" "), 0u);
    EXPECT_EQ(Log(), (Lines{L"Command line: [ ]"}));

    EXPECT_EQ(Run(L"--AUTOREPAIRALL"), 0u);
    EXPECT_EQ(Log(), (Lines{L"Command line: [--AUTOREPAIRALL]"}));
}

TEST_F(BatchRepair, TakesItsArgumentsExactlyHoweverItIsStarted) {
    using Start = testing_support::InstalledProgram::Start;
    handset::AddAccount(L"Work");
    handset::AddAccount(L"Home");
    WriteConfig({L"[Work]", Parm(L"INSERVER", L"pop.work.example"), L"[Home]",
                 Parm(L"INSERVER", L"pop.home.example")});
    const Lines repairs = {L"repairing [Work]: OK.", L"repairing [Home]: OK."};
    struct Case {
        std::wstring arguments;
        std::wstring mode;
        std::wstring end;
    };
    const Case cases[] = {
        {L"--autorepairall", L"Auto repair All", L"Done"},
        {L" --autorepairall", L"Auto repair All", L"Done"},
        {L"--autorepair:Work;Home--", L"Auto repair: [--autorepair:Work;Home]", L""},
    };
    // A handset's shell starts a program with its image apart; a desktop names it first.
    for (Start start : {Start::AsHandset, Start::FromDesktop}) {
        for (const Case& c : cases) {
            std::string what = testing_support::Utf8(L"[" + c.arguments + L"] ") +
                               (start == Start::AsHandset ? "as a handset" : "from a desktop");
            ASSERT_TRUE(handset::SetSettings(L"Work", {{L"INSERVER", L"lost"}}));
            ASSERT_TRUE(handset::SetSettings(L"Home", {{L"INSERVER", L"lost"}}));

            // A run that opened the dialog would wait for a user instead of ending by itself.
            EXPECT_EQ(program.Run(c.arguments, start), 0u) << what;
            Lines expected = {L"Command line: [" + c.arguments + L"]", c.mode};
            expected.insert(expected.end(), repairs.begin(), repairs.end());
            if (!c.end.empty()) {
                expected.push_back(c.end);
            }
            EXPECT_EQ(Log(), expected) << what;
            EXPECT_EQ(SettingsOf(L"Work").at(L"INSERVER"), L"pop.work.example") << what;
            EXPECT_EQ(SettingsOf(L"Home").at(L"INSERVER"), L"pop.home.example") << what;
        }
    }
}

TEST_F(BatchRepair, ARepairChangesOnlyTheAccountItNames) {
    handset::AddAccount(L"Work", {{L"INSERVER", L"pop.work"}});
    GUID home = handset::AddAccount(L"Home", {{L"AUTHSECRET", L"home's own"}});
    // A body line that closes Work's settings and opens Home's.
    WriteConfig({L"[Work]", Parm(L"INSERVER", L"pop.saved"),
                 L"</characteristic><characteristic type=\"" + handset::GuidText(home) + L"\">" +
                     Parm(L"AUTHSECRET", L"hijacked")});

    EXPECT_EQ(Run(L"--autorepair:Work--"), 1u);
    EXPECT_EQ(Log(), (Lines{L"Command line: [--autorepair:Work--]",
                            L"Auto repair: [--autorepair:Work]", L"repairing [Work]: FAILED."}));
    EXPECT_EQ(SettingsOf(L"Home"), (handset::Settings{{L"AUTHSECRET", L"home's own"}}));
    EXPECT_EQ(SettingsOf(L"Work"), (handset::Settings{{L"INSERVER", L"pop.work"}}));
}

TEST_F(BatchRepair, NamesAreMatchedExactly) {
    handset::AddAccount(L"Work");
    WriteConfig({L"[Work]", Parm(L"INSERVER", L"in")});

    EXPECT_EQ(Run(L"--autorepair:work;Work ;;Work--"), 1u);
    EXPECT_EQ(Log(), (Lines{L"Command line: [--autorepair:work;Work ;;Work--]",
                            L"Auto repair: [--autorepair:work;Work ;;Work]",
                            L"repairing [work]: account not found.",
                            L"repairing [Work ]: account not found.",
                            L"repairing []: account not found.", L"repairing [Work]: OK."}));
}

TEST_F(BatchRepair, KeepsNamesOutsideAsciiAndTheBasicPlaneIntact) {
    const std::wstring name = L"Poštovní účet 郵便 \U0001F4E7";
    handset::AddAccount(name, {{L"OUTSERVER", L"old"}});
    WriteConfig({L"[" + name + L"]", Parm(L"OUTSERVER", L"smtp.example")});

    EXPECT_EQ(Run(L"--autorepairall"), 0u);
    EXPECT_EQ(Log(), (Lines{L"Command line: [--autorepairall]", L"Auto repair All",
                            L"repairing [" + name + L"]: OK.", L"Done"}));
    EXPECT_EQ(SettingsOf(name), (handset::Settings{{L"OUTSERVER", L"smtp.example"}}));
}

TEST_F(BatchRepair, NoNameCanForgeALineOfTheLog) {
    // Line breaks from the command line and from a store's name show as visible symbols.
    handset::AddAccount(L"Home", {{L"INSERVER", L"lost"}});
    handset::AddAccount(L"Evil\r\n[Work", {{L"INSERVER", L"lost"}});
    const std::wstring forged = L"x]: OK.\r\nrepairing [Home]: OK.\r\nDone";
    const std::wstring shown = L"x]: OK.\u240D\u240Arepairing [Home]: OK.\u240D\u240ADone";

    EXPECT_EQ(Run(L"--autorepair:" + forged + L";Evil\r\n[Work--"), 1u);
    EXPECT_EQ(Log(), (Lines{L"Command line: [--autorepair:" + shown + L";Evil\u240D\u240A[Work--]",
                            L"Auto repair: [--autorepair:" + shown + L";Evil\u240D\u240A[Work]",
                            L"repairing [" + shown + L"]: account not found.",
                            L"repairing [Evil\u240D\u240A[Work]: OK."}));
    EXPECT_EQ(SettingsOf(L"Home"), (handset::Settings{{L"INSERVER", L"lost"}}));
}

TEST_F(BatchRepair, WithoutASessionEveryNameIsNotFound) {
    handset::AddAccount(L"Work");
    handset::SetLogonFails(true);
    WriteConfig({L"[Work]", Parm(L"INSERVER", L"in")});

    EXPECT_EQ(Run(L"--autorepair:Work-- --autorepairall"), 1u);
    EXPECT_EQ(Log(),
              (Lines{L"Command line: [--autorepair:Work-- --autorepairall]",
                     L"Auto repair: [--autorepair:Work]", L"repairing [Work]: account not found.",
                     L"Auto repair All", L"repairing [Work]: account not found.", L"Done"}));
}

TEST_F(BatchRepair, AConfigThatCannotBeReadRepairsNothingAndFailsTheRun) {
    handset::AddAccount(L"Work");
    // Missing: nothing was saved, so nothing failed.
    EXPECT_EQ(Run(L"--autorepairall"), 0u);
    EXPECT_EQ(Log(), (Lines{L"Command line: [--autorepairall]", L"Auto repair All", L"Done"}));

    // A folder, or a file over the size a config can have: there, but not to be read.
    ASSERT_TRUE(CreateDirectoryW((program.File(L"config")).c_str(), nullptr));
    EXPECT_EQ(Run(L"--autorepairall"), 1u);
    EXPECT_EQ(Log(), (Lines{L"Command line: [--autorepairall]", L"Auto repair All", L"Done"}));
    // A run that repairs nothing has nothing that failed.
    EXPECT_EQ(Run(L" "), 0u);
    RemoveDirectoryW(program.File(L"config").c_str());

    std::string huge = TextFileBytes({L"[Work]", Parm(L"INSERVER", L"in")});
    huge += std::string(MaxTextFileBytes, ';');
    // Text in an encoding that is not read: UTF-16 BE without its mark.
    std::string utf16;
    for (char byte : testing_support::Utf8(L"[Work]\r\n" + Parm(L"INSERVER", L"in") + L"\r\n")) {
        utf16 += {'\0', byte};
    }
    for (const std::string& bytes : {huge, utf16}) {
        WriteBytes(program.File(L"config"), bytes);
        EXPECT_EQ(Run(L"--autorepairall"), 1u);
        EXPECT_EQ(Log(), (Lines{L"Command line: [--autorepairall]", L"Auto repair All", L"Done"}));
        // A named account whose settings could not be read is not reported repaired.
        EXPECT_EQ(Run(L"--autorepair:Work;Away--"), 1u);
        EXPECT_EQ(Log(),
                  (Lines{L"Command line: [--autorepair:Work;Away--]",
                         L"Auto repair: [--autorepair:Work;Away]", L"repairing [Work]: FAILED.",
                         L"repairing [Away]: account not found."}));
        EXPECT_EQ(SettingsOf(L"Work"), handset::Settings{});
    }
}

// The text of count lines, each line followed by CRLF.
std::string Repeated(size_t count, std::string_view line) {
    std::string text;
    text.reserve(count * (line.size() + 2));
    for (size_t index = 0; index < count; ++index) {
        text.append(line).append("\r\n");
    }
    return text;
}

// Configs made to take the program's memory, at and past the reader's limits: each is read, or
// found unreadable by the rules for that, and the run never ends for want of memory. As a process
// the program has the heap a handset gives it; in process, the heap it took at most is measured:
// within the budget, and within 2 MiB and three bytes for each byte of config.
TEST_F(BatchRepair, HostileConfigsAreReadOrUnreadableWithinTheHeapAndNeverEndARun) {
    handset::AddAccount(L"Work", {{L"INSERVER", L"lost"}});
    handset::AddAccount(L"Home", {{L"INSERVER", L"lost"}});
    const std::string parm = testing_support::Utf8(Parm(L"INSERVER", std::wstring(900, L'p')));
    const std::string work =
        "[Work]\r\n" + testing_support::Utf8(Parm(L"INSERVER", L"pop")) + "\r\n";
    const size_t sectionLines = (MaxSectionBytes - 100) / (parm.size() + 2);
    auto accounts = [&](size_t count) {
        std::string text;
        for (size_t index = 0; index < count; ++index) {
            text += "[Account " + std::to_string(index) + "]\r\n";
        }
        return text;
    };
    // A preamble of notes that brings the file to its largest, and extra bytes past it, then the
    // sections.
    auto largest = [](const std::string& sections, size_t extra) {
        const size_t preamble = MaxTextFileBytes - 3 - sections.size();
        std::string text =
            "\xEF\xBB\xBF" + Repeated((preamble - 104) / 102, "; " + std::string(98, 'n'));
        text += std::string(preamble - (text.size() - 3) - 2 + extra, ';') + "\r\n";
        return text + sections;
    };
    const std::string bothSections = work + "[Home]\r\n" + Repeated(sectionLines, parm);
    // Each config is made when its turn comes: the test's heap is the handset's too.
    struct Case {
        const char* what;
        std::function<std::string()> bytes;
        unsigned long exitCode;
    };
    const Case cases[] = {
        {"blank lines in a section, as many as a file may have",
         [] { return "[Work]\r\n" + Repeated(MaxTextLines - 1, ""); }, 0},
        {"blank lines, one more than a file may have",
         [] { return "[Work]\r\n" + Repeated(MaxTextLines, ""); }, 1},
        {"tiny lines, as many as a file may have",
         [&] { return Repeated(MaxTextLines - 2, "x") + work; }, 0},
        {"tiny lines, one more than a file may have",
         [&] { return Repeated(MaxTextLines - 1, "x") + work; }, 1},
        {"the largest section an account may have",
         [&] { return "[Work]\r\n" + Repeated(sectionLines, parm); }, 0},
        {"a section past its limit",
         [&] { return "[Work]\r\n" + Repeated(sectionLines + 2, parm); }, 1},
        {"as many sections as a file may have lines, of no account",
         [&] { return accounts(MaxTextLines - 2) + work; }, 1},
        {"the largest file, with the accounts' sections", [&] { return largest(bothSections, 0); },
         0},
        {"one byte more than the largest file", [&] { return largest(bothSections, 1); }, 1},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        const std::string bytes = test.bytes();
        // As the process a soft reset starts.
        WriteBytes(program.File(L"config"), bytes);
        EXPECT_EQ(Run(L"--autorepairall"), test.exitCode);
        const Lines log = Log();
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.back(), L"Done");

        // In process, beside this test program, with the heap it takes measured.
        WriteBytes(GetConfigFilePath(), bytes);
        const size_t before = handset::HeapInUse();
        handset::ResetHeapPeak();
        EXPECT_EQ(static_cast<unsigned long>(
                      RunCourierfix(GetModuleHandleW(nullptr), L"--autorepairall", nullptr)),
                  test.exitCode);
        const size_t taken = handset::HeapPeak() - before;
        EXPECT_LE(taken, handset::HeapBudget());
        EXPECT_LE(taken, 2 * 1024 * 1024 + 3 * bytes.size()) << "of " << bytes.size();
        std::printf("%-70s %8zu bytes, peak %8zu\n", test.what, bytes.size(), taken);
    }
    DeleteFileW(GetConfigFilePath().c_str());
    DeleteFileW(GetRunLogPath().c_str());
}

TEST_F(BatchRepair, ARunThatRunsOutOfMemoryNeverLeavesTheLastRunsLogStanding) {
    handset::AddAccount(L"Work", {{L"INSERVER", L"lost"}});
    // The last run's log, and a config that a handset with less memory free cannot hold.
    WriteBytes(program.File(L"log.txt"),
               TextFileBytes({L"Command line: [--autorepairall]", L"Auto repair All",
                              L"repairing [Work]: OK.", L"Done"}));
    WriteBytes(program.File(L"config"), "[Work]\r\n" + Repeated(MaxTextLines - 1, ""));
    SetEnvironmentVariableW(L"HANDSET_HEAP_BYTES", L"400000");
    const unsigned long exitCode = Run(L"--autorepairall");
    SetEnvironmentVariableW(L"HANDSET_HEAP_BYTES", nullptr);
    EXPECT_NE(exitCode, 0u);
    EXPECT_EQ(Log(), Lines{L"Command line: [--autorepairall]"});
    EXPECT_EQ(SettingsOf(L"Work"), (handset::Settings{{L"INSERVER", L"lost"}}));
}

TEST_F(BatchRepair, AValueThatXmlCannotCarryFailsItsRepairWhateverTheFilesEncoding) {
    handset::AddAccount(L"Work", {{L"AUTHSECRET", L"lost"}});
    // UTF-16 LE with a surrogate outside a pair in the password: applied as U+FFFD, it would be
    // another password.
    std::string bytes = "\xFF\xFE";
    for (wchar_t unit : L"[Work]\r\n" + Parm(L"AUTHSECRET", L"p\xD800ss") + L"\r\n") {
        bytes += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    }
    WriteBytes(program.File(L"config"), bytes);

    EXPECT_EQ(Run(L"--autorepairall"), 1u);
    EXPECT_EQ(Log(), (Lines{L"Command line: [--autorepairall]", L"Auto repair All",
                            L"repairing [Work]: FAILED.", L"Done"}));
    EXPECT_EQ(SettingsOf(L"Work"), (handset::Settings{{L"AUTHSECRET", L"lost"}}));
}

TEST_F(BatchRepair, RepairsEveryAccountOfAHandsetWithMoreThanTwenty) {
    Lines config;
    for (int index = 1; index <= 25; ++index) {
        std::wstring name = L"Account " + std::to_wstring(index);
        handset::AddAccount(name);
        config.push_back(L"[" + name + L"]");
        config.push_back(Parm(L"INSERVER", L"pop" + std::to_wstring(index) + L".example"));
    }
    WriteConfig(config);

    EXPECT_EQ(Run(L"--autorepairall"), 0u);
    Lines log = Log();
    ASSERT_EQ(log.size(), 28u);
    EXPECT_EQ(log[26], L"repairing [Account 25]: OK.");
    EXPECT_EQ(SettingsOf(L"Account 25"), (handset::Settings{{L"INSERVER", L"pop25.example"}}));
    EXPECT_EQ(SettingsOf(L"Account 21"), (handset::Settings{{L"INSERVER", L"pop21.example"}}));
}

TEST_F(BatchRepair, TakesHandMadeConfigFilesAsTheyComeAndNeverChangesThem) {
    handset::AddAccount(L"Work", {{L"INSERVER", L"broken"}});
    handset::AddAccount(L"Home");
    handset::AddAccount(L"Mail [old]", {{L"INSERVER", L"broken"}});
    Lines config = {L"stray text before any section",          L"",      L"[Work] old",
                    Parm(L"INSERVER", L"from-the-old-header"), L"[Work", L"[Work]"};
    // Twelve body lines, more than the record makes room for at first: all of them are applied,
    // in order, so the last one is what the handset keeps.
    for (int index = 1; index <= 12; ++index) {
        config.push_back(Parm(L"INSERVER", L"pop" + std::to_wstring(index) + L".example"));
    }
    config.push_back(L"[Home]");
    config.push_back(L"[Mail [old]]");
    config.push_back(Parm(L"INSERVER", L"pop.old.example"));
    config.push_back(L"[Work]");
    config.push_back(L"[]");
    WriteConfig(config);
    // And bytes that are no UTF-8 at all, a lone carriage return and no final line feed.
    std::string bytes = ReadBytes(program.File(L"config")) + "\xff\xfe\x80junk\r[Ho\xc3me]";
    WriteBytes(program.File(L"config"), bytes);

    EXPECT_EQ(Run(L"--autorepairall"), 1u);
    EXPECT_EQ(Log(), (Lines{L"Command line: [--autorepairall]", L"Auto repair All",
                            L"repairing [Work]: OK.", L"repairing [Work]: OK.",
                            L"repairing [Home]: OK.", L"repairing [Mail [old]]: OK.",
                            L"repairing [Work]: OK.", L"repairing []: account not found.",
                            L"repairing [HoÃme]: account not found.", L"Done"}));
    EXPECT_EQ(SettingsOf(L"Work"), (handset::Settings{{L"INSERVER", L"pop12.example"}}));
    EXPECT_EQ(SettingsOf(L"Mail [old]"), (handset::Settings{{L"INSERVER", L"pop.old.example"}}));
    EXPECT_EQ(ReadBytes(program.File(L"config")), bytes);
}

TEST_F(BatchRepair, SurvivesAnyCommandLine) {
    handset::AddAccount(L"Work");
    WriteConfig({L"[Work]", Parm(L"INSERVER", L"in")});
    std::string configBefore = ReadBytes(program.File(L"config"));

    const std::wstring longName(5000, L'x');
    const std::wstring commandLines[] = {
        L"--autorepair:" + longName + L"--",
        L"--autorepair:;;;;;;;;;;;;;;;;;;;;;;;;;;;;--",
        L"\"--autorepair:Work\" --autorepairall \"",
        L"--autorepair:\U0001F4E7\xD800;Work--",
        L"%s%s%s%n --autorepair:%s--",
        L"--autorepair:--autorepair:--autorepairall--autorepair:",
        L"-- -- -- --autorepair",
    };
    for (const auto& arguments : commandLines) {
        unsigned long exitCode = Run(arguments);
        EXPECT_TRUE(exitCode == 0 || exitCode == 1) << exitCode;
        Lines log = Log();
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log[0].rfind(L"Command line: [", 0), 0u);
    }
    EXPECT_EQ(ReadBytes(program.File(L"config")), configBefore);
}

TEST_F(BatchRepair, RunsFromTheStartupShortcutAfterASoftReset) {
    handset::AddAccount(L"Work", {{L"INSERVER", L"lost"}, {L"AUTHSECRET", L"lost"}});
    handset::AddAccount(L"Home", {{L"INSERVER", L"lost"}});
    WriteConfig({L"[Work]", Parm(L"INSERVER", L"pop.work.example"),
                 Parm(L"AUTHSECRET", L"p&amp;ss&lt;1&gt;"), L"[Home]",
                 Parm(L"INSERVER", L"pop.home.example")});

    testing_support::ScopedStartupFolder startup;
    startup.PlaceRepairAllShortcut(program.Exe());

    auto reset = testing_support::RunHandset(L"softreset");
    EXPECT_EQ(reset.exitCode, 0u) << reset.output;
    EXPECT_EQ(Log(), (Lines{L"Command line: [--autorepairall]", L"Auto repair All",
                            L"repairing [Work]: OK.", L"repairing [Home]: OK.", L"Done"}));
    EXPECT_EQ(SettingsOf(L"Work"),
              (handset::Settings{{L"AUTHSECRET", L"p&ss<1>"}, {L"INSERVER", L"pop.work.example"}}));
    EXPECT_EQ(SettingsOf(L"Home"), (handset::Settings{{L"INSERVER", L"pop.home.example"}}));
}

} // namespace
