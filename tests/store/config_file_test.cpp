#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>

#include "accounts/account_record.h"
#include "accounts/account_table.h"
#include "store/config_file.h"
#include "store/config_lock.h"
#include "files/handles.h"
#include "files/text_file.h"
#include "tests/support/account_lines.h"
#include "tests/support/config_lines.h"
#include "tests/support/config_lock_held.h"
#include "tests/support/files.h"
#include "tests/support/held_file.h"
#include "tests/support/temp_folder.h"

namespace {

using testing_support::FolderEntries;
using testing_support::Parm;
using testing_support::ParmLineAt;
using testing_support::ReadBytes;
using testing_support::ReadTextLines;
using testing_support::TextFileBytes;
using testing_support::WriteBytes;
using Lines = std::vector<std::wstring>;

using testing_support::Volume;

// A config in a folder of the test's own, on the given volume of the handset.
class ConfigFileOn : public ::testing::Test {
protected:
    explicit ConfigFileOn(Volume volume) : folder(L"", volume) {}

    void Write(const Lines& lines) { WriteBytes(config, TextFileBytes(lines)); }
    Lines Section(const std::wstring& name) { return ReadAccountSection(config, name); }
    bool Save(const std::wstring& name, const Lines& lines) {
        return SaveAccountSection(config, name, lines);
    }
    Lines Content() { return ReadTextLines(config); }

    testing_support::TempFolder folder;
    std::wstring config = folder / L"config";
};

class ConfigFile : public ConfigFileOn {
protected:
    ConfigFile() : ConfigFileOn(Volume::ObjectStore) {}
};

// The same in main memory and on the storage card: both keep their files in flash, where a file is
// replaced in steps.
class ConfigFileOnEachVolume : public ConfigFileOn, public ::testing::WithParamInterface<Volume> {
protected:
    ConfigFileOnEachVolume() : ConfigFileOn(GetParam()) {}
};

TEST_F(ConfigFile, LoadsTheFirstSectionUpToTheNextHeaderLine) {
    Write({L"preamble line", L"[Other]", L"other 1", L"[Work]", L"work 1", L"", L"work 3",
           L"[not an account", L"after", L"[Work]", L"second section"});
    EXPECT_EQ(Section(L"Work"), (Lines{L"work 1", L"", L"work 3"}));
    EXPECT_EQ(Section(L"Other"), (Lines{L"other 1"}));
    EXPECT_EQ(Section(L"Absent"), Lines{});
}

TEST_F(ConfigFile, MatchesOnlyTheExactHeader) {
    Write({L"[work]", L"a", L"[Work ]", L"b", L" [Work]", L"c", L"[Work] old", L"d"});
    EXPECT_EQ(Section(L"Work"), Lines{});
    EXPECT_EQ(Section(L"work"), (Lines{L"a"}));
    // A line that does not begin with "[" is no header, so it does not end a section either.
    EXPECT_EQ(Section(L"Work "), (Lines{L"b", L" [Work]", L"c"}));
}

TEST_F(ConfigFile, LoadsTheLastSectionWithOrWithoutAFinalLineFeed) {
    Write({L"[Work]", L"a", L"b"});
    EXPECT_EQ(Section(L"Work"), (Lines{L"a", L"b"}));
    WriteBytes(config, "[Work]\na\nb");
    EXPECT_EQ(Section(L"Work"), (Lines{L"a", L"b"}));
    WriteBytes(config, "[Work]\r\na\nb\r\n");
    EXPECT_EQ(Section(L"Work"), (Lines{L"a", L"b"}));
}

TEST_F(ConfigFile, LoadsNamesAndValuesOutsideAscii) {
    const std::wstring name = L"Poštovní účet 郵便 \U0001F4E7";
    Write({L"[" + name + L"]", L"<parm name=\"AUTHSECRET\" value=\"\U0001F511 ключ\"/>"});
    EXPECT_EQ(Section(name), (Lines{L"<parm name=\"AUTHSECRET\" value=\"\U0001F511 ключ\"/>"}));
}

TEST_F(ConfigFile, LoadingAddsEveryLineOfTheSectionToWhatTheRecordHolds) {
    // A record that was never initialised has the empty name, so its section is "[]".
    Lines lines = {L"[]"};
    for (int index = 1; index <= 25; ++index) {
        lines.push_back(L"line " + std::to_wstring(index));
    }
    Write(lines);

    AccountTable table;
    table.Append(std::make_unique<AccountRecord>());
    AccountRecord& record = *table.At(0);
    record.AddParmLine(L"held before");
    EXPECT_TRUE(LoadAccountSections(table, config));
    EXPECT_EQ(record.GetParmLineCount(), 26);
    EXPECT_EQ(ParmLineAt(record, 0), L"held before");
    EXPECT_EQ(ParmLineAt(record, 1), L"line 1");
    EXPECT_EQ(ParmLineAt(record, 25), L"line 25");

    AccountTable others;
    others.Append(std::make_unique<AccountRecord>());
    AccountRecord& other = *others.At(0);
    EXPECT_TRUE(LoadAccountSections(others, folder / L"missing"));
    EXPECT_EQ(other.GetParmLineCount(), 0);
    Write({L"[]", L"a", L"b"});
    EXPECT_TRUE(LoadAccountSections(others, config));
    EXPECT_TRUE(LoadAccountSections(others, config));
    EXPECT_EQ(other.GetParmLineCount(), 4);
    EXPECT_EQ(ParmLineAt(other, 3), L"b");
}

TEST_F(ConfigFile, SavingWithoutAFileWritesTheSectionAlone) {
    EXPECT_TRUE(Save(L"Work", {L"a", L"b", L"c"}));
    EXPECT_EQ(ReadBytes(config), "\xEF\xBB\xBF[Work]\r\na\r\nb\r\nc\r\n");
    EXPECT_EQ(FolderEntries(folder.Path()), Lines{L"config"});
}

TEST_F(ConfigFile, SavingReplacesEveryOldSectionAndKeepsAllElse) {
    Write({L"preamble", L"", L"[Work]", L"old 1", L"", L"[Home]", L"home 1", L"", L"[Work]",
           L"old 2", L"[work]", L"other case", L"[Work ]", L"trailing blank", L"[Spare]",
           L"spare 1"});
    EXPECT_TRUE(Save(L"Work", {L"new 1", L"new 2"}));
    EXPECT_EQ(Content(), (Lines{L"preamble", L"", L"[Home]", L"home 1", L"", L"[work]",
                                L"other case", L"[Work ]", L"trailing blank", L"[Spare]",
                                L"spare 1", L"[Work]", L"new 1", L"new 2"}));
}

TEST_F(ConfigFile, SavingStopsDroppingAtAnyHeaderLine) {
    Write({L"[Work]", L"[not an account", L"kept", L"[Work]", L"dropped"});
    EXPECT_TRUE(Save(L"Work", {}));
    EXPECT_EQ(Content(), (Lines{L"[not an account", L"kept", L"[Work]"}));
}

TEST_F(ConfigFile, SavingTwiceChangesNothingMore) {
    Write({L"[Home]", L"h", L"[Work]", L"w"});
    ASSERT_TRUE(Save(L"Work", {L"x", L"y"}));
    std::string once = ReadBytes(config);
    ASSERT_TRUE(Save(L"Work", {L"x", L"y"}));
    EXPECT_EQ(ReadBytes(config), once);
    EXPECT_EQ(Section(L"Work"), (Lines{L"x", L"y"}));
}

TEST_F(ConfigFile, SavingKeepsEveryLineHoweverLongTheFile) {
    Lines lines;
    for (int index = 0; index < 150; ++index) {
        lines.push_back(L"[Account " + std::to_wstring(index) + L"]");
        lines.push_back(L"line of " + std::to_wstring(index));
    }
    Write(lines);
    EXPECT_TRUE(Save(L"Account 7", {L"new"}));
    Lines content = Content();
    ASSERT_EQ(content.size(), 300u);
    EXPECT_EQ(content[14], L"[Account 8]");
    EXPECT_EQ(content[297], L"line of 149");
    EXPECT_EQ(content[298], L"[Account 7]");
    EXPECT_EQ(content[299], L"new");
}

TEST_F(ConfigFile, AFileHeldOpenByAnotherIsNeitherOverwrittenNorReplaced) {
    struct Case {
        const char* what;
        DWORD sharing;
    };
    // Without any sharing it cannot be read; with read sharing alone, not replaced.
    for (const Case& held : {Case{"not shared", 0}, Case{"shared for reading", FILE_SHARE_READ}}) {
        SCOPED_TRACE(held.what);
        Write({L"[Home]", L"h"});
        std::string before = ReadBytes(config);
        OwnedHandle open(CreateFileW(config.c_str(), GENERIC_READ, held.sharing, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(open.IsValid());
        EXPECT_FALSE(Save(L"Work", {L"w"}));
        open.Reset();
        EXPECT_EQ(ReadBytes(config), before);
        EXPECT_EQ(FolderEntries(folder.Path()), Lines{L"config"});
    }
}

TEST_F(ConfigFile, FilesMadeElsewhereLoadAndSaveWithoutAChangedCharacter) {
    // UTF-16 either way round, a lone CR for line ends, a line of Windows-1252: a save of one
    // account writes UTF-8 and keeps every character of the rest.
    auto utf16 = [](std::wstring_view text, bool bigEndian) {
        std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        for (wchar_t unit : text) {
            char pair[2] = {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
            bytes += bigEndian ? pair[1] : pair[0];
            bytes += bigEndian ? pair[0] : pair[1];
        }
        return bytes;
    };
    const std::wstring text =
        L"[Café]\r\n" + Parm(L"AUTHSECRET", L"p\U0001F511ss") + L"\r\n[Work]\rw";
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"UTF-16 LE", utf16(text, false)},
        {"UTF-16 BE", utf16(text, true)},
        {"UTF-8, CR only", testing_support::Utf8(text)},
        {"two configs joined, each behind its mark",
         TextFileBytes({L"[Café]", Parm(L"AUTHSECRET", L"p\U0001F511ss")}) +
             TextFileBytes({L"[Work]", L"w"})},
        {"a Windows-1252 line among UTF-8 ones",
         "[Caf\xE9]\n" + testing_support::Utf8(Parm(L"AUTHSECRET", L"p\U0001F511ss")) +
             "\n[Work]\nw"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        WriteBytes(config, test.bytes);
        EXPECT_EQ(Section(L"Café"), (Lines{Parm(L"AUTHSECRET", L"p\U0001F511ss")}));
        EXPECT_EQ(Section(L"Work"), (Lines{L"w"}));
        ASSERT_TRUE(Save(L"Work", {L"w2"}));
        EXPECT_EQ(Section(L"Café"), (Lines{Parm(L"AUTHSECRET", L"p\U0001F511ss")}));
        EXPECT_EQ(Section(L"Work"), (Lines{L"w2"}));
    }
    // What was UTF-16 is UTF-8 now.
    WriteBytes(config, utf16(text, false));
    ASSERT_TRUE(Save(L"Work", {L"w2"}));
    EXPECT_EQ(ReadBytes(config),
              testing_support::TextFileBytes(
                  {L"[Café]", Parm(L"AUTHSECRET", L"p\U0001F511ss"), L"[Work]", L"w2"}));

    // A surrogate outside a pair is read as it stands, and kept by a save of another account:
    // as U+FFFD it would be another password.
    const Lines work = {Parm(L"AUTHSECRET", L"p\xD800ss")};
    WriteBytes(config, utf16(L"[Work]\r\n" + work[0], true));
    EXPECT_EQ(Section(L"Work"), work);
    ASSERT_TRUE(Save(L"Home", {L"h"}));
    EXPECT_EQ(Section(L"Work"), work);
}

TEST_F(ConfigFile, SavingKeepsTheBytesOfEveryLineItDoesNotOwn) {
    // Latin-1 in another account's section: the very bytes go back, not their UTF-8.
    const std::string others = "[Home]\r\n<parm name=\"AUTHSECRET\" value=\"caf\xE9\"/>\r\n"
                               "; \xFF\xFE odd\r\n";
    WriteBytes(config, "\xEF\xBB\xBF" + others + "[Work]\r\nold\r\n");
    ASSERT_TRUE(Save(L"Work", {L"new"}));
    EXPECT_EQ(ReadBytes(config), "\xEF\xBB\xBF" + others + "[Work]\r\nnew\r\n");
    EXPECT_EQ(Section(L"Home"), (Lines{Parm(L"AUTHSECRET", L"café"), L"; ÿþ odd"}));
}

TEST_F(ConfigFile, SavingRefusesWhatWouldBreakALineAndLeavesTheFile) {
    Write({L"[Work]", L"w"});
    const std::string before = ReadBytes(config);
    EXPECT_FALSE(Save(L"Evil]\r\n[Work", {L"x"}));
    EXPECT_FALSE(Save(L"Evil\n", {L"x"}));
    EXPECT_FALSE(Save(L"Home", {L"a", L"b\rc"}));
    EXPECT_EQ(ReadBytes(config), before);
    EXPECT_EQ(FolderEntries(folder.Path()), Lines{L"config"});
}

TEST_F(ConfigFile, TheNewFileIsAlwaysAFreshOneAndOnlyTheSavesOwnLeftoversGo) {
    Write({L"[Work]", L"w"});
    // A file where the new content could be expected, planted there, is neither written nor
    // moved into place; the leftovers of a save that was stopped half-way are cleared away, and
    // files of the user's own, however like them, stay.
    const Lines usersOwn = {L"config.1234abcd.new", L"config.0000ABC.new",
                            L"config.before-upgrade.new", L"config.new", L"config.old"};
    for (const auto& name : usersOwn) {
        WriteBytes(folder / name, "the user's");
    }
    WriteBytes(folder / L"config.0000ABCD.new", "half a save");
    WriteBytes(folder / L"config.12345678.old", "set aside by a save");
    ASSERT_TRUE(Save(L"Home", {L"h"}));
    EXPECT_EQ(Content(), (Lines{L"[Work]", L"w", L"[Home]", L"h"}));
    Lines expected = usersOwn;
    expected.push_back(L"config");
    std::sort(expected.begin(), expected.end());
    Lines entries = FolderEntries(folder.Path());
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, expected);
    for (const auto& name : usersOwn) {
        EXPECT_EQ(ReadBytes(folder / name), "the user's") << testing::PrintToString(name);
    }
}

TEST_F(ConfigFile, ANameForTheNewFileThatIsTakenIsPassedOverAndWhatHasItIsNeverWritten) {
    Write({L"[Work]", L"w"});
    // A file of the very name the save tries first, that cannot be cleared away either: another
    // program (a desktop backup) holds it open.
    const std::wstring taken = folder / L"config.0000ABCD.new";
    WriteBytes(taken, "another program's");
    testing_support::HeldFile held(taken, testing_support::HeldFile::Sharing::Read);
    ASSERT_TRUE(held.Held());
    SetReplacementIdHook(
        [](int attempt) { return 0x0000ABCDul + static_cast<unsigned long>(attempt); });
    const bool saved = Save(L"Home", {L"h"});
    SetReplacementIdHook(nullptr);
    EXPECT_TRUE(saved);
    EXPECT_EQ(Content(), (Lines{L"[Work]", L"w", L"[Home]", L"h"}));
    EXPECT_EQ(ReadBytes(taken), "another program's");
    // Let go of, it is one of the leftovers that the next save clears away.
    held.Release();
    ASSERT_TRUE(Save(L"Home", {L"h2"}));
    EXPECT_EQ(FolderEntries(folder.Path()), Lines{L"config"});
}

// A save stopped after a step, as a kill or a pulled battery stops it.
struct SaveStopped {};
int stopAfterStep = 0;
void StopAfterStep(int step) {
    if (step == stopAfterStep) {
        throw SaveStopped{};
    }
}

// Saves the account's lines and stops the save after the step, as a kill would; false when the
// save ended before it reached that step.
bool SaveStoppedAfter(int step, const std::wstring& config, const std::wstring& name,
                      const Lines& lines) {
    stopAfterStep = step;
    SetSaveStepHook(StopAfterStep);
    bool stopped = false;
    try {
        SaveAccountSection(config, name, lines);
    } catch (const SaveStopped&) {
        stopped = true;
    }
    SetSaveStepHook(nullptr);
    return stopped;
}

TEST_P(ConfigFileOnEachVolume, AStopAfterAnyStepOfASaveLeavesAWholeConfigForTheNextLoadAndSave) {
    const Lines before = {L"[Home]", L"h", L"[Work]", L"old"};
    const Lines saved = {L"[Home]", L"h", L"[Work]", L"new"};
    int steps = 0;
    for (bool loadFirst : {true, false}) {
        for (int step = 1;; ++step) {
            SCOPED_TRACE(testing::Message() << "stopped after step " << step
                                            << (loadFirst ? ", then loaded" : ", then saved"));
            Write(before);
            if (!SaveStoppedAfter(step, config, L"Work", {L"new"})) {
                break;
            }
            steps = std::max(steps, step);
            // Once the new content is whole on disk, every later step leads to it.
            const Lines& whole = step == 1 ? before : saved;
            // Only a stop between setting config aside and naming the new content leaves none.
            const bool setAside = step == 2;
            EXPECT_EQ(testing_support::FileExists(config), !setAside);
            {
                // While another process holds the lock, a load reads the right content, or
                // nothing and says so, never a config that seems empty.
                testing_support::ConfigLockHeldElsewhere other(config);
                ASSERT_TRUE(other.Held());
                SavedSections sections;
                EXPECT_EQ(ReadAccountSections(config, Lines{L"Work"}, sections), !setAside);
                EXPECT_EQ(sections[L"Work"], setAside ? Lines{} : Lines{whole.back()});
            }
            if (loadFirst) {
                EXPECT_EQ(Section(L"Work"), (Lines{whole.back()}));
                EXPECT_EQ(Content(), whole);
            }
            ASSERT_TRUE(Save(L"Spare", {L"s"}));
            Lines after = whole;
            after.insert(after.end(), {L"[Spare]", L"s"});
            EXPECT_EQ(Content(), after);
            EXPECT_EQ(FolderEntries(folder.Path()), Lines{L"config"});
        }
    }
    // The new file written, config set aside, the new file named config, the old one deleted.
    EXPECT_EQ(steps, 4);
}

// For the test that makes the third step of a save fail, and its undo too: another program
// makes a folder named config as soon as config is set aside.
std::wstring configTakenByAFolder;
void TakeConfigsNameAfterStep(int step) {
    if (step == 2) {
        CreateDirectoryW(configTakenByAFolder.c_str(), nullptr);
    }
}

TEST_P(ConfigFileOnEachVolume,
       WhatAStoppedSaveLeftIsFinishedOrPutBackNeverForgottenNorTakenForNone) {
    using testing_support::HeldFile;
    const Lines before = {L"[Home]", L"h", L"[Work]", L"old"};
    const Lines saved = {L"[Home]", L"h", L"[Work]", L"new"};
    // What lies beside the missing config: the pair of a save stopped after step 2, or its
    // set-aside copy alone; and what another program does to them meanwhile.
    enum class Left { Pair, SetAsideAlone, TwoSetAside };
    enum class Held { Nothing, NewContent, SetAside };
    struct Case {
        const char* what;
        Left left;
        Held held;
        HeldFile::Sharing sharing;
        bool readable;        // while the file is held
        const Lines* content; // what a load reads while it is held, when readable
        bool putInPlace;      // and whether that load made it config again
        const Lines* after;   // config once nothing is held any more
    };
    const Case cases[] = {
        {"the pair: the save is finished", Left::Pair, Held::Nothing, HeldFile::Sharing::None, true,
         &saved, true, &saved},
        {"the pair, its new content held open without sharing", Left::Pair, Held::NewContent,
         HeldFile::Sharing::None, false, nullptr, false, &saved},
        {"the pair, its new content held open for reading", Left::Pair, Held::NewContent,
         HeldFile::Sharing::Read, false, nullptr, false, &saved},
        {"the set-aside copy alone: put back", Left::SetAsideAlone, Held::Nothing,
         HeldFile::Sharing::None, true, &before, true, &before},
        {"the set-aside copy alone, held open for reading: read where it lies", Left::SetAsideAlone,
         Held::SetAside, HeldFile::Sharing::Read, true, &before, false, &before},
        {"the set-aside copy alone, held open without sharing", Left::SetAsideAlone, Held::SetAside,
         HeldFile::Sharing::None, false, nullptr, false, &before},
        {"two set-aside copies: neither can be told the last", Left::TwoSetAside, Held::Nothing,
         HeldFile::Sharing::None, false, nullptr, false, nullptr},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        for (const auto& name : FolderEntries(folder.Path())) {
            DeleteFileW((folder / name).c_str());
        }
        Write(before);
        ASSERT_TRUE(SaveStoppedAfter(2, config, L"Work", {L"new"}));
        std::wstring newContent;
        std::wstring setAside;
        for (const auto& name : FolderEntries(folder.Path())) {
            (name.ends_with(L".new") ? newContent : setAside) = folder / name;
        }
        ASSERT_TRUE(newContent.ends_with(L".new") && setAside.ends_with(L".old"));
        ASSERT_FALSE(testing_support::FileExists(config));
        if (test.left != Left::Pair) {
            ASSERT_TRUE(DeleteFileW(newContent.c_str()));
        }
        if (test.left == Left::TwoSetAside) {
            WriteBytes(folder / L"config.0000ABCD.old", TextFileBytes({L"[Work]", L"older"}));
        }
        const Lines beside = FolderEntries(folder.Path());
        std::optional<HeldFile> held;
        if (test.held != Held::Nothing) {
            held.emplace(test.held == Held::NewContent ? newContent : setAside, test.sharing);
            ASSERT_TRUE(held->Held());
        }

        SavedSections sections;
        EXPECT_EQ(ReadAccountSections(config, Lines{L"Work"}, sections), test.readable);
        if (!test.readable) {
            // Unreadable: no save writes a config that would hold one section alone, and the
            // whole copy beside it is still there.
            EXPECT_TRUE(sections.empty());
            EXPECT_FALSE(Save(L"Spare", {L"s"}));
            EXPECT_EQ(FolderEntries(folder.Path()), beside);
        } else {
            EXPECT_EQ(sections[L"Work"], (Lines{test.content->back()}));
            EXPECT_EQ(testing_support::FileExists(config), test.putInPlace);
        }
        if (held) {
            held->Release();
        }
        if (test.after == nullptr) {
            EXPECT_FALSE(Save(L"Spare", {L"s"}));
            EXPECT_EQ(FolderEntries(folder.Path()), beside);
            continue;
        }
        EXPECT_EQ(Section(L"Work"), (Lines{test.after->back()}));
        ASSERT_TRUE(Save(L"Spare", {L"s"}));
        Lines after = *test.after;
        after.insert(after.end(), {L"[Spare]", L"s"});
        EXPECT_EQ(Content(), after);
        EXPECT_EQ(FolderEntries(folder.Path()), Lines{L"config"});
    }

    // A save whose third step fails, and its undo too (another program took config's name), is
    // reported as failed; its new content is gone, and once config's name is free again the
    // next load puts the set-aside copy back, never the content of the failed save.
    for (const auto& name : FolderEntries(folder.Path())) {
        DeleteFileW((folder / name).c_str());
    }
    Write(before);
    configTakenByAFolder = config;
    SetSaveStepHook(TakeConfigsNameAfterStep);
    EXPECT_FALSE(Save(L"Work", {L"new"}));
    SetSaveStepHook(nullptr);
    ASSERT_TRUE(RemoveDirectoryW(config.c_str()));
    EXPECT_EQ(Section(L"Work"), (Lines{L"old"}));
    EXPECT_EQ(Content(), before);
}

TEST_P(ConfigFileOnEachVolume, ASaveThatCouldNotBeReadBackOrThatConfigRefusesLeavesConfigAsItWas) {
    // Bytes of UTF-16 LE text behind its mark.
    auto utf16 = [](std::wstring_view text) {
        std::string bytes = "\xFF\xFE";
        for (wchar_t unit : text) {
            bytes += static_cast<char>(unit & 0xFF);
            bytes += static_cast<char>(unit >> 8);
        }
        return bytes;
    };
    // What a load takes of UTF-16, which is more than a save may write as UTF-8: three bytes for
    // every two, in lines of a length the reader takes either way.
    auto tooLongAsUtf8 = [&utf16] {
        std::wstring wide;
        while (2 * wide.size() < MaxTextFileBytes - 20'000) {
            wide += L"; " + std::wstring(20'000, L'郵') + L"\r\n";
        }
        return utf16(wide);
    };
    // Ten bytes short of the largest file read, a long preamble and a section: a section of eleven
    // is too many.
    auto nearlyFull = [] {
        const std::string home = "[Home]\r\nh\r\n";
        const std::string filler = "; " + std::string(998, 'x') + "\r\n";
        std::string bytes = TextFileBytes({L"; a long preamble"});
        while (bytes.size() + filler.size() + 2 + home.size() <= MaxTextFileBytes - 10) {
            bytes += filler;
        }
        bytes += std::string(MaxTextFileBytes - 10 - bytes.size() - 2 - home.size(), 'x');
        return bytes + "\r\n" + home;
    };
    // One line short of the most lines a file may have.
    auto nearlyAllLines = [] { return TextFileBytes(Lines(MaxTextLines - 1, L"")); };
    // A section that the new one would take past its limit.
    Lines nearlyFullSection;
    for (size_t bytes = 0; bytes + 1002 <= MaxSectionBytes; bytes += 1002) {
        nearlyFullSection.push_back(std::wstring(1000, L's'));
    }
    auto text = [](const Lines& lines) { return [lines] { return TextFileBytes(lines); }; };
    struct Case {
        const char* what;
        std::function<std::string()> bytes;
        std::wstring name;
        Lines lines;
        bool readOnly;
    };
    const Case cases[] = {
        {"UTF-16 that would be too long as UTF-8", tooLongAsUtf8, L"Work", {L"w"}, false},
        {"a file that the new section would make too long", nearlyFull, L"Work", {L"w"}, false},
        {"a file that the new section would give too many lines",
         nearlyAllLines,
         L"Work",
         {L"w"},
         false},
        {"a section made too long", text({L"[Home]"}), L"Work",
         [&] {
             Lines lines = nearlyFullSection;
             lines.push_back(std::wstring(1000, L't'));
             return lines;
         }(),
         false},
        {"a line too long",
         text({L"[Home]"}),
         L"Work",
         {std::wstring(MaxTextLineBytes + 1, L'x')},
         false},
        {"a name that UTF-8 cannot carry", text({L"[Home]"}), L"Work\xD800", {L"w"}, false},
        {"a line that UTF-8 cannot carry", text({L"[Home]"}), L"Work", {L"w\xDC00"}, false},
        {"UTF-16 without its mark",
         [&] { return utf16(L"[Home]\r\nh\r\n").substr(2); },
         L"Work",
         {L"w"},
         false},
        {"a config made read-only", text({L"[Home]", L"h"}), L"Work", {L"w"}, true},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        const std::string bytes = test.bytes();
        WriteBytes(config, bytes);
        if (test.readOnly) {
            ASSERT_TRUE(SetFileAttributesW(config.c_str(), FILE_ATTRIBUTE_READONLY));
        }
        EXPECT_FALSE(Save(test.name, test.lines));
        EXPECT_TRUE(ReadBytes(config) == bytes);
        EXPECT_EQ(GetFileAttributesW(config.c_str()) & FILE_ATTRIBUTE_READONLY,
                  test.readOnly ? static_cast<DWORD>(FILE_ATTRIBUTE_READONLY) : 0u);
        EXPECT_EQ(FolderEntries(folder.Path()), Lines{L"config"});
        SetFileAttributesW(config.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    // What fits is saved: the limits are the reader's own.
    struct Fits {
        const char* what;
        std::string bytes;
        std::wstring name;
        Lines lines;
    };
    for (const Fits& test :
         {Fits{"the largest file", nearlyFull(), L"W", {}},
          Fits{"the most lines", nearlyAllLines(), L"", {}},
          Fits{"the largest section", TextFileBytes({L"[Home]"}), L"Work", nearlyFullSection}}) {
        SCOPED_TRACE(test.what);
        WriteBytes(config, test.bytes);
        ASSERT_TRUE(Save(test.name, test.lines));
        const std::string saved = ReadBytes(config);
        EXPECT_TRUE(saved.starts_with(test.bytes));
        EXPECT_LE(saved.size(), MaxTextFileBytes);
        SavedSections sections;
        EXPECT_TRUE(ReadAccountSections(config, Lines{test.name}, sections));
        EXPECT_EQ(sections[test.name], test.lines);
    }
}

INSTANTIATE_TEST_SUITE_P(Volumes, ConfigFileOnEachVolume,
                         testing::Values(Volume::ObjectStore, Volume::StorageCard),
                         testing::PrintToStringParamName());

TEST_F(ConfigFile, AFileTooLargeToReadIsNeitherLoadedNorRewritten) {
    // Past a limit anywhere, reading stops, and so does everything else: no section is loaded,
    // whether or not it came before, and no save writes over the file.
    const std::string work = "[Work]\r\nw\r\n";
    std::string hugeSection = "[Other]\r\n";
    while (hugeSection.size() < MaxSectionBytes + 100) {
        hugeSection += "<parm name=\"INSERVER\" value=\"" + std::string(900, 'p') + "\"/>\r\n";
    }
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"a line too long, then the sections",
         "\xEF\xBB\xBF; " + std::string(MaxTextLineBytes, 'x') + "\r\n" + work},
        {"the sections, then too many lines", work + std::string(MaxTextLines, '\n')},
        {"another account's section too long", work + hugeSection},
        {"the account's own section too long, then another's",
         "[Work]\r\n" + hugeSection.substr(9) + work},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        WriteBytes(config, test.bytes);
        SavedSections sections;
        EXPECT_FALSE(ReadAccountSections(config, Lines{L"Work", L"Other"}, sections));
        EXPECT_TRUE(sections.empty());
        EXPECT_FALSE(Save(L"Home", {L"h"}));
        EXPECT_TRUE(ReadBytes(config) == test.bytes);
        EXPECT_EQ(FolderEntries(folder.Path()), Lines{L"config"});
    }
}

TEST_F(ConfigFile, AMissingFolderFailsTheSave) {
    EXPECT_FALSE(SaveAccountSection(folder / L"gone\\config", L"Work", Lines{L"w"}));
    EXPECT_EQ(FolderEntries(folder.Path()), Lines{});
}

} // namespace
