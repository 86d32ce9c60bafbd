// Faults the program meets on a handset, for the real program: a process killed while it saves
// config, a run log that cannot be written, a store that cannot be opened, a configuration
// manager that refuses everything, and a very long Startup value.
// Nothing may be lost, and each run reports what it did.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <random>

#include "autostart/startup_shortcut.h"
#include "files/handles.h"
#include "handset/registry/store_registry.h"
#include "store/config_file.h"
#include "tests/support/config_lines.h"
#include "tests/support/files.h"
#include "tests/support/held_file.h"
#include "tests/support/process.h"
#include "tests/support/installed_program.h"
#include "tests/support/scoped_handset.h"
#include "tests/support/scoped_startup_folder.h"
#include "tests/support/temp_folder.h"

namespace {

using testing_support::BinFolder;
using testing_support::FileExists;
using testing_support::Parm;
using testing_support::Process;
using testing_support::ReadBytes;
using testing_support::SettingsOf;
using testing_support::TextFileBytes;
using testing_support::WriteBytes;
using Lines = std::vector<std::wstring>;

// A config whose long preamble makes each save take a while, and Work's section last, so that
// saving Work keeps every line in its place.
Lines ConfigWithWork(const std::wstring& workServer) {
    Lines lines;
    for (int index = 0; index < 3000; ++index) {
        lines.push_back(L"; note " + std::to_wstring(index) + L" on the servers of the accounts");
    }
    lines.insert(lines.end(), {L"[Other]", Parm(L"INSERVER", L"pop.other.example"), L"[Work]"});
    lines.push_back(Parm(L"INSERVER", workServer));
    return lines;
}

// In main memory and on the storage card, where config is replaced in steps that the next load
// finishes.
class KilledWhileSaving : public ::testing::TestWithParam<testing_support::Volume> {};

TEST_P(KilledWhileSaving, TheNextLoadFindsExactlyTheOldOrTheNewContent) {
    testing_support::TempFolder folder{L"", GetParam()};
    const std::wstring config = folder / L"config";
    const std::string withA = TextFileBytes(ConfigWithWork(L"a.example"));
    const std::string withB = TextFileBytes(ConfigWithWork(L"b.example"));
    WriteBytes(config, withA);

    const std::wstring eventName = L"CourierfixSaveLoop" + std::to_wstring(GetCurrentProcessId());
    OwnedKernelObject started(CreateEventW(nullptr, TRUE, FALSE, eventName.c_str()));
    ASSERT_TRUE(started.IsValid());
    std::mt19937 random(1207);
    int killedMidSave = 0;
    constexpr int kills = 60;
    for (int kill = 0; kill < kills; ++kill) {
        ResetEvent(started.Get());
        Process saveLoop(L"\"" + BinFolder() + L"save_loop.exe\" \"" + config + L"\" " + eventName);
        ASSERT_TRUE(saveLoop.Started());
        ASSERT_EQ(WaitForSingleObject(started.Get(), 30000), WAIT_OBJECT_0);
        Sleep(std::uniform_int_distribution<DWORD>(0, 40)(random));
        saveLoop.Kill(9);
        ASSERT_EQ(saveLoop.Wait(0), 9u) << "the save loop stopped by itself at kill " << kill;

        // A kill in the middle of a save leaves its new file beside config.
        killedMidSave += testing_support::FolderEntries(folder.Path()).size() > 1 ? 1 : 0;
        ASSERT_EQ(ReadAccountSection(config, L"Other"),
                  Lines{Parm(L"INSERVER", L"pop.other.example")})
            << "kill " << kill;
        std::string content = ReadBytes(config);
        ASSERT_TRUE(content == withA || content == withB)
            << "kill " << kill << " left " << content.size() << " bytes";
    }
    // Most kills land while a new file is being written: the test saw what it is meant to see.
    EXPECT_GE(killedMidSave, kills / 5);

    // A half-written file left by a kill is no obstacle to the next save, which clears it away.
    ASSERT_TRUE(SaveAccountSection(config, L"Work", Lines{Parm(L"INSERVER", L"c.example")}));
    EXPECT_EQ(ReadBytes(config), TextFileBytes(ConfigWithWork(L"c.example")));
    EXPECT_EQ(testing_support::FolderEntries(folder.Path()), Lines{L"config"});
}

INSTANTIATE_TEST_SUITE_P(Volumes, KilledWhileSaving,
                         testing::Values(testing_support::Volume::ObjectStore,
                                         testing_support::Volume::StorageCard),
                         testing::PrintToStringParamName());

// What a save stopped after it set config aside leaves, on either volume: no config, the old
// content set aside, and the new content whole beside it.
class StoppedSave : public ::testing::TestWithParam<testing_support::Volume> {
protected:
    void SetUp() override {
        handset::AddAccount(L"Work", {{L"INSERVER", L"lost"}});
        handset::AddAccount(L"Home", {{L"INSERVER", L"lost"}});
        WriteBytes(setAside, oldContent);
        WriteBytes(newContent, savedContent);
    }

    std::vector<std::wstring> ProgramFolder() const {
        Lines entries = testing_support::FolderEntries(program.File(L""));
        std::sort(entries.begin(), entries.end());
        return entries;
    }

    testing_support::ScopedHandset handsetState;
    testing_support::InstalledProgram program{L"\\Courierfix", GetParam()};
    const std::wstring setAside = program.File(L"config.5EED0001.old");
    const std::wstring newContent = program.File(L"config.5EED0001.new");
    const std::string oldContent = TextFileBytes(
        {L"[Work]", Parm(L"INSERVER", L"pop.old"), L"[Home]", Parm(L"INSERVER", L"pop.home")});
    const std::string savedContent = TextFileBytes(
        {L"[Home]", Parm(L"INSERVER", L"pop.home"), L"[Work]", Parm(L"INSERVER", L"pop.new")});
};

TEST_P(StoppedSave, WhileItsNewContentIsHeldABatchRunFailsAndKeepsItThenFinishesTheSave) {
    const Lines beside = {L"config.5EED0001.new", L"config.5EED0001.old", L"courierfix.exe"};
    {
        // A desktop sync has the new file open, without sharing: it cannot be named config now.
        testing_support::HeldFile held(newContent, testing_support::HeldFile::Sharing::None);
        ASSERT_TRUE(held.Held());
        EXPECT_EQ(program.Run(L"--autorepairall"), 1u);
        EXPECT_EQ(program.Log(),
                  (Lines{L"Command line: [--autorepairall]", L"Auto repair All", L"Done"}));
        EXPECT_EQ(program.Run(L"--autorepair:Work;Home--"), 1u);
        EXPECT_EQ(program.Log(),
                  (Lines{L"Command line: [--autorepair:Work;Home--]",
                         L"Auto repair: [--autorepair:Work;Home]", L"repairing [Work]: FAILED.",
                         L"repairing [Home]: FAILED."}));
        EXPECT_EQ(SettingsOf(L"Work"), (handset::Settings{{L"INSERVER", L"lost"}}));
        EXPECT_EQ(SettingsOf(L"Home"), (handset::Settings{{L"INSERVER", L"lost"}}));
        Lines expected = beside;
        expected.push_back(L"log.txt");
        EXPECT_EQ(ProgramFolder(), expected);
        EXPECT_EQ(ReadBytes(setAside), oldContent);
    }
    // Let go of: the next run finishes the save, and repairs from what it saved.
    EXPECT_EQ(program.Run(L"--autorepairall"), 0u);
    EXPECT_EQ(program.Log(), (Lines{L"Command line: [--autorepairall]", L"Auto repair All",
                                    L"repairing [Home]: OK.", L"repairing [Work]: OK.", L"Done"}));
    EXPECT_EQ(SettingsOf(L"Work"), (handset::Settings{{L"INSERVER", L"pop.new"}}));
    EXPECT_EQ(ReadBytes(program.File(L"config")), savedContent);
    EXPECT_EQ(ProgramFolder(), (Lines{L"config", L"courierfix.exe", L"log.txt"}));
}

TEST_P(StoppedSave, ASetAsideCopyLeftAloneIsPutBackByTheSoftResetsRun) {
    // Its new file deleted on a desktop, as a stray temporary file.
    ASSERT_TRUE(DeleteFileW(newContent.c_str()));
    testing_support::ScopedStartupFolder startup;
    startup.PlaceRepairAllShortcut(program.Exe());
    auto reset = testing_support::RunHandset(L"softreset");
    EXPECT_EQ(reset.exitCode, 0u) << reset.output;
    EXPECT_EQ(program.Log(), (Lines{L"Command line: [--autorepairall]", L"Auto repair All",
                                    L"repairing [Work]: OK.", L"repairing [Home]: OK.", L"Done"}));
    EXPECT_EQ(SettingsOf(L"Work"), (handset::Settings{{L"INSERVER", L"pop.old"}}));
    EXPECT_EQ(ReadBytes(program.File(L"config")), oldContent);
    EXPECT_EQ(ProgramFolder(), (Lines{L"config", L"courierfix.exe", L"log.txt"}));
}

INSTANTIATE_TEST_SUITE_P(Volumes, StoppedSave,
                         testing::Values(testing_support::Volume::ObjectStore,
                                         testing_support::Volume::StorageCard),
                         testing::PrintToStringParamName());

// The exit codes of processes started to run at the same time, in the order they were started.
// One that does not end within a minute is ended with 98; one that never started gives 99.
std::vector<DWORD> ExitCodes(std::vector<Process>& processes) {
    std::vector<DWORD> codes;
    for (Process& process : processes) {
        EXPECT_TRUE(process.Started());
        auto code = process.Wait(60000);
        if (!code && process.Started()) {
            process.Kill(98);
            code = process.Wait(0);
        }
        codes.push_back(code.value_or(99));
    }
    return codes;
}

TEST(TwoWriters, EverySaveOfTwoProcessesSavingAtTheSameMomentIsKept) {
    testing_support::TempFolder folder;
    const std::wstring config = folder / L"config";
    WriteBytes(config, TextFileBytes({L"; two writers"}));
    const std::wstring eventName = L"CourierfixWriters" + std::to_wstring(GetCurrentProcessId());
    OwnedKernelObject start(CreateEventW(nullptr, TRUE, FALSE, eventName.c_str()));
    ASSERT_TRUE(start.IsValid());

    // Each saves 50 sections of accounts of its own: a save that another one lost is missing.
    std::vector<Process> writers;
    for (const wchar_t* prefix : {L"A", L"B"}) {
        writers.emplace_back(L"\"" + BinFolder() + L"save_loop.exe\" \"" + config + L"\" " +
                             eventName + L" " + prefix + L" 50");
    }
    SetEvent(start.Get());
    EXPECT_EQ(ExitCodes(writers), (std::vector<DWORD>{0, 0}));

    std::vector<std::wstring> names;
    for (const wchar_t* prefix : {L"A", L"B"}) {
        for (int index = 1; index <= 50; ++index) {
            names.push_back(prefix + std::to_wstring(index));
        }
    }
    SavedSections sections;
    ASSERT_TRUE(ReadAccountSections(config, names, sections));
    for (const auto& name : names) {
        EXPECT_EQ(sections[name], Lines{Parm(L"INSERVER", name)}) << "the save of " << name;
    }
    EXPECT_EQ(testing_support::FolderEntries(folder.Path()), Lines{L"config"});
}

// The batch mode of courierfix.exe, installed in a folder of its own, on the test's handset.
class BatchFaults : public ::testing::Test {
protected:
    void SetUp() override {
        handset::AddAccount(L"Work", {{L"INSERVER", L"lost"}});
        handset::AddAccount(L"Home", {{L"INSERVER", L"lost"}});
        WriteBytes(program.File(L"config"),
                   TextFileBytes({L"[Work]", Parm(L"INSERVER", L"pop.work.example"), L"[Home]",
                                  Parm(L"INSERVER", L"pop.home.example")}));
        configBefore = ReadBytes(program.File(L"config"));
    }

    unsigned long Run(const std::wstring& arguments) { return program.Run(arguments); }
    Lines Log() { return program.Log(); }

    testing_support::ScopedHandset handsetState;
    testing_support::InstalledProgram program;
    std::string configBefore;
};

TEST_F(BatchFaults, ALogThatCannotBeWrittenStopsNoRepairAndChangesNoExitCode) {
    // A folder where log.txt should be: the log cannot be opened at all.
    ASSERT_TRUE(CreateDirectoryW((program.File(L"log.txt")).c_str(), nullptr));

    EXPECT_EQ(Run(L"--autorepairall"), 0u);
    EXPECT_EQ(SettingsOf(L"Work"), (handset::Settings{{L"INSERVER", L"pop.work.example"}}));
    EXPECT_EQ(SettingsOf(L"Home"), (handset::Settings{{L"INSERVER", L"pop.home.example"}}));

    EXPECT_EQ(Run(L"--autorepair:Work;Away--"), 1u);
    handset::SetRefusesDocuments(true);
    EXPECT_EQ(Run(L"--autorepair:Work--"), 1u);
    handset::SetRefusesDocuments(false);
    EXPECT_EQ(Run(L"--autorepair:Home--"), 0u);
    EXPECT_EQ(ReadBytes(program.File(L"config")), configBefore);
}

TEST_F(BatchFaults, AStoreThatCannotBeOpenedEndsTheWalkAndTheAccountsBeyondAreNotFound) {
    handset::ClearStores();
    handset::AddAccount(L"Work", {{L"INSERVER", L"lost"}});
    handset::AddStore(L"Broken", handset::NewGuid(), {}, /*openFails=*/true);
    handset::AddAccount(L"Home", {{L"INSERVER", L"lost"}});

    EXPECT_EQ(Run(L"--autorepairall"), 1u);
    EXPECT_EQ(Log(),
              (Lines{L"Command line: [--autorepairall]", L"Auto repair All",
                     L"repairing [Work]: OK.", L"repairing [Home]: account not found.", L"Done"}));
    EXPECT_EQ(SettingsOf(L"Work"), (handset::Settings{{L"INSERVER", L"pop.work.example"}}));
    EXPECT_EQ(SettingsOf(L"Home"), (handset::Settings{{L"INSERVER", L"lost"}}));
}

TEST_F(BatchFaults, TwoRunsStartedTogetherRunOneAfterTheOther) {
    // More accounts make a longer run, so that two of them would overlap. The two runs log
    // different lines: a log that mixed them would be neither.
    Lines config = {L"[Work]", Parm(L"INSERVER", L"pop.work.example"), L"[Home]",
                    Parm(L"INSERVER", L"pop.home.example")};
    std::wstring list = L"--autorepair:Home";
    Lines all = {L"Command line: [--autorepairall]", L"Auto repair All", L"repairing [Work]: OK.",
                 L"repairing [Home]: OK."};
    Lines named = {L"repairing [Home]: OK."};
    for (int index = 1; index <= 10; ++index) {
        const std::wstring name = L"Account " + std::to_wstring(index);
        handset::AddAccount(name);
        config.push_back(L"[" + name + L"]");
        config.push_back(Parm(L"INSERVER", L"pop" + std::to_wstring(index) + L".example"));
        all.push_back(L"repairing [" + name + L"]: OK.");
        list += L";" + name;
        named.push_back(L"repairing [" + name + L"]: OK.");
    }
    all.push_back(L"Done");
    named.insert(named.begin(),
                 {L"Command line: [" + list + L"--]", L"Auto repair: [" + list + L"]"});
    WriteBytes(program.File(L"config"), TextFileBytes(config));

    for (int round = 0; round < 8; ++round) {
        std::vector<Process> runs;
        runs.emplace_back(L"\"" + program.Exe() + L"\" --autorepairall");
        runs.emplace_back(L"\"" + program.Exe() + L"\" " + list + L"--");
        ASSERT_EQ(ExitCodes(runs), (std::vector<DWORD>{0, 0})) << "round " << round;
        // One whole run, never a mix of two.
        const std::string log = ReadBytes(program.File(L"log.txt"));
        ASSERT_TRUE(log == TextFileBytes(all) || log == TextFileBytes(named))
            << "round " << round << ": " << testing::PrintToString(log);
    }
}

TEST_F(BatchFaults, ARefusingConfigurationManagerFailsEveryRepairAndChangesNothing) {
    handset::SetRefusesDocuments(true);

    EXPECT_EQ(Run(L"--autorepair:Home-- --autorepairall"), 1u);
    EXPECT_EQ(Log(), (Lines{L"Command line: [--autorepair:Home-- --autorepairall]",
                            L"Auto repair: [--autorepair:Home]", L"repairing [Home]: FAILED.",
                            L"Auto repair All", L"repairing [Work]: FAILED.",
                            L"repairing [Home]: FAILED.", L"Done"}));
    handset::SetRefusesDocuments(false);
    EXPECT_EQ(SettingsOf(L"Work"), (handset::Settings{{L"INSERVER", L"lost"}}));
    EXPECT_EQ(SettingsOf(L"Home"), (handset::Settings{{L"INSERVER", L"lost"}}));
    EXPECT_EQ(ReadBytes(program.File(L"config")), configBefore);
}

// A Startup value far longer than a path buffer: the shortcut lies under it, and a soft reset
// finds it there and runs it.
TEST(StartupFolderFaults, AShortcutUnderAVeryLongStartupValueRunsAfterASoftReset) {
    testing_support::ScopedHandset handsetState;
    testing_support::InstalledProgram program;
    handset::AddAccount(L"Work", {{L"INSERVER", L"lost"}});
    WriteBytes(program.File(L"config"),
               TextFileBytes({L"[Work]", Parm(L"INSERVER", L"pop.example")}));

    testing_support::ScopedStartupFolder startup{L"\\" + std::wstring(120, L's') + L"\\" +
                                                 std::wstring(120, L't')};
    const std::wstring startupPath = startup.Folder();
    ASSERT_GT(startupPath.size(), 240u);
    startup.PlaceRepairAllShortcut(program.Exe());
    EXPECT_EQ(GetStartupShortcutPath(), startupPath + L"\\autorepair.lnk");

    auto reset = testing_support::RunHandset(L"softreset");
    EXPECT_EQ(reset.exitCode, 0u) << reset.output;
    EXPECT_EQ(SettingsOf(L"Work"), (handset::Settings{{L"INSERVER", L"pop.example"}}));
}

} // namespace
