// handset.exe run as a real process, as scripts and the demo run it.
#include "autostart/startup_shortcut.h"
#include "handset/registry/store_registry.h"
#include "tests/support/files.h"
#include "tests/support/process.h"
#include "tests/support/scoped_handset.h"
#include "tests/support/scoped_screen.h"
#include "tests/support/scoped_startup_folder.h"
#include "tests/support/temp_folder.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using testing_support::Utf8;

testing_support::ProcessResult Handset(const std::wstring& arguments) {
    return testing_support::RunHandset(arguments, 60000);
}

// Everything a command could change, as one text.
std::wstring State() {
    std::wstring text;
    for (const auto& store : handset::ListStores()) {
        text += store.key + L"[" + store.displayName + L"]" +
                (store.accountGuid ? handset::GuidText(*store.accountGuid) : L"-") +
                (store.openFails ? L" fails" : L"") + L"\n";
        for (const auto& [name, value] : store.settings) {
            text += name + L"=" + value + L"\n";
        }
    }
    text += handset::LogonFails() ? L"logon fails\n" : L"";
    text += handset::RefusesDocuments() ? L"refuses\n" : L"";
    std::optional<SIZE> screen = handset::ScreenForm();
    text += screen ? std::to_wstring(screen->cx) + L"x" + std::to_wstring(screen->cy) : L"display";
    text += L" at " + std::to_wstring(handset::DisplayDpi().value_or(0)) + L" DPI\n";
    return text + L"startup " + handset::StartupFolder().value_or(L"(none)");
}

class HandsetToolTest : public ::testing::Test {
protected:
    testing_support::ScopedHandset handset;
    // A Startup folder of the test's own, with blanks in its path.
    testing_support::ScopedStartupFolder startup{L" Start\\StartUp"};
};

TEST_F(HandsetToolTest, AddStoreThenStoresListsEveryStoreInOrder) {
    auto work = Handset(L"add-store \"Work mail\" INSERVER=in.example.com OUTSERVER=a=b");
    ASSERT_EQ(work.exitCode, 0u) << work.output;
    ASSERT_EQ(work.output.size(), 39u) << work.output;
    auto workGuid = handset::ParseGuid(testing_support::Wide(work.output.substr(0, 38)));
    ASSERT_TRUE(workGuid) << work.output;
    EXPECT_EQ(work.output.back(), '\n');

    auto sms = Handset(L"add-store \"Zoë \U0001F600\" --no-guid");
    EXPECT_EQ(sms.exitCode, 0u);
    EXPECT_EQ(sms.output, "-\n");

    auto third = Handset(L"add-store Third NAME=n");
    EXPECT_EQ(third.exitCode, 0u);

    auto stores = Handset(L"stores");
    EXPECT_EQ(stores.exitCode, 0u);
    EXPECT_EQ(stores.output, "[Work mail] " + work.output +
                                 "  INSERVER=in.example.com\n"
                                 "  OUTSERVER=a=b\n" +
                                 Utf8(L"[Zoë \U0001F600] -\n") + "[Third] " + third.output +
                                 "  NAME=n\n");
    auto listed = handset::ListStores();
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_TRUE(IsEqualGUID(*listed[0].accountGuid, *workGuid));
    EXPECT_FALSE(listed[1].accountGuid);
}

TEST_F(HandsetToolTest, SetChangesTheFirstStoreOfThatNameAndClearRemovesAll) {
    handset::AddAccount(L"Twin", {{L"INSERVER", L"a"}});
    handset::AddAccount(L"Twin", {{L"INSERVER", L"b"}});

    auto set = Handset(L"set Twin INSERVER=new \"AUTHSECRET=p w=\"");
    EXPECT_EQ(set.exitCode, 0u) << set.output;
    EXPECT_EQ(set.output, "");
    auto stores = handset::ListStores();
    EXPECT_EQ(stores[0].settings,
              (handset::Settings{{L"AUTHSECRET", L"p w="}, {L"INSERVER", L"new"}}));
    EXPECT_EQ(stores[1].settings, (handset::Settings{{L"INSERVER", L"b"}}));

    ASSERT_TRUE(handset::SetRefusesDocuments(true));
    auto clear = Handset(L"clear");
    EXPECT_EQ(clear.exitCode, 0u);
    EXPECT_TRUE(handset::ListStores().empty());
    EXPECT_TRUE(handset::RefusesDocuments());
    EXPECT_EQ(Handset(L"stores").output, "");
}

TEST_F(HandsetToolTest, ScreenChoosesTheFormAndTheDpiOrTheDisplay) {
    testing_support::ScopedScreen portrait(SIZE{240, 320}, 96);
    auto landscape = Handset(L"screen 320x240 --dpi 192");
    EXPECT_EQ(landscape.exitCode, 0u) << landscape.output;
    ASSERT_TRUE(handset::ScreenForm());
    EXPECT_EQ(handset::ScreenForm()->cx, 320);
    EXPECT_EQ(handset::ScreenForm()->cy, 240);
    EXPECT_EQ(handset::DisplayDpi(), 192);
    EXPECT_EQ(Handset(L"screen display").exitCode, 0u);
    EXPECT_FALSE(handset::ScreenForm());
    EXPECT_EQ(handset::DisplayDpi(), 192);
}

TEST_F(HandsetToolTest, StartupFolderDefaultsPrintsAndSets) {
    testing_support::ScopedStartupFolder::RemoveValue();
    auto initial = Handset(L"startup-folder");
    EXPECT_EQ(initial.exitCode, 0u);
    EXPECT_EQ(initial.output, "C:\\Windows\\StartUp\n");
    EXPECT_EQ(handset::StartupFolder(), L"C:\\Windows\\StartUp");
    EXPECT_TRUE(testing_support::FileExists(L"C:\\Windows\\StartUp"));

    testing_support::TempFolder temp(L" with blanks");
    std::wstring folder = temp.Path() + L"Zoë\\Start Up";
    auto set = Handset(L"startup-folder \"" + folder + L"\"");
    EXPECT_EQ(set.exitCode, 0u) << set.output;
    EXPECT_EQ(set.output, Utf8(folder) + "\n");
    EXPECT_EQ(handset::StartupFolder(), folder);
    EXPECT_TRUE(testing_support::FileExists(folder));
    EXPECT_EQ(Handset(L"startup-folder").output, Utf8(folder) + "\n");
}

TEST_F(HandsetToolTest, BadInputSaysSoOnOneLineAndChangesNothing) {
    handset::AddAccount(L"Work", {{L"INSERVER", L"in"}});
    ASSERT_TRUE(handset::SetStartupFolder(testing_support::TempFolder().Path() + L"start"));
    const std::wstring before = State();
    for (const wchar_t* arguments : {
             L"",
             L"bogus",
             L"Stores",
             L"stores extra",
             L"add-store",
             L"add-store X --guid {00112233-4455-6677-8899-AABBCCDDEEFF}",
             L"add-store X --open-fails",
             L"add-store X --no-guid --no-guid",
             L"add-store X --frobnicate",
             L"add-store X INSERVER",
             L"add-store X =v",
             L"add-store X INSERVER=ok bad",
             L"set",
             L"set Work",
             L"set Work INSERVER",
             L"set Work =x",
             L"set Work INSERVER=changed bad",
             L"set Nobody INSERVER=x",
             L"set work INSERVER=x",
             L"clear now",
             L"startup-folder a b",
             L"startup-folder \"\"",
             L"refuse on",
             L"logon-fails on",
             L"help",
             L"softreset now",
             L"screen",
             L"screen 320",
             L"screen 320x",
             L"screen 0x240",
             L"screen 320x240x",
             L"screen 320x240 extra",
             L"screen display --dpi",
             L"screen display --dpi 5",
             L"screen 320x240 --dpx 96",
         }) {
        auto result = Handset(arguments);
        std::string what = Utf8(arguments);
        EXPECT_EQ(result.exitCode, 2u) << what;
        ASSERT_FALSE(result.output.empty()) << what;
        EXPECT_EQ(result.output.find('\n'), result.output.size() - 1) << what << result.output;
        EXPECT_EQ(State(), before) << what;
    }
}

class SoftResetTest : public HandsetToolTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(CopyFileW((testing_support::BinFolder() + L"handset_probe.exe").c_str(),
                              probe.c_str(), FALSE));
    }

    void Shortcut(const std::wstring& name, const std::string& bytes) {
        testing_support::WriteBytes(startup / name, bytes);
    }

    // The shortcut line for the program and arguments, as the program writes it: its own line,
    // UTF-8 without a byte-order mark, and CRLF.
    std::string Line(const std::wstring& program, const std::wstring& arguments) {
        return Utf8(StartupShortcutLine(program, arguments) + L"\r\n");
    }

    testing_support::TempFolder programs{L" Program Files"};
    std::wstring probe = programs.Path() + L"pro be.exe";
    std::wstring log = programs.Path() + L"run log.txt";
};

TEST_F(SoftResetTest, StartsEachShortcutInNameOrderAndWaitsForIt) {
    const std::wstring firstArguments = L" \"" + log + L"\" 3" + std::wstring(RepairAllArguments);
    const std::wstring secondArguments = L" \"" + log + L"\" 0 Zoë \U0001F600";
    std::wstring first = L"\"" + probe + L"\"" + firstArguments;
    std::wstring second = L"\"" + probe + L"\"" + secondArguments;
    // A line end of LF alone is taken as well.
    Shortcut(L"b second.lnk", Utf8(StartupShortcutLine(probe, secondArguments) + L"\n"));
    Shortcut(L"A first.lnk", Line(probe, firstArguments));
    Shortcut(L"c notes.txt", Line(probe, firstArguments));

    auto result = Handset(L"softreset");
    EXPECT_EQ(result.exitCode, 0u) << result.output;
    EXPECT_EQ(result.output,
              Utf8(first) + "\n  exit code 3\n" + Utf8(second) + "\n  exit code 0\n");
    // Each ran to its end before the next began, started with its image apart: its command line
    // is the text after the blank behind the program's path, exactly.
    EXPECT_EQ(testing_support::ReadTextLines(log),
              (std::vector<std::wstring>{L"\"" + log + L"\" 3 --autorepairall",
                                         L"\"" + log + L"\" 0 Zoë \U0001F600"}));
}

TEST_F(SoftResetTest, SkipsAMalformedShortcutAndRunsTheOthers) {
    const std::wstring arguments = L" \"" + log + L"\" 7 after";
    std::wstring command = L"\"" + probe + L"\"" + arguments;
    Shortcut(L"1 wrong count.lnk",
             Utf8(std::to_wstring(command.size() + 1) + L"#" + command + L"\r\n"));
    Shortcut(L"2 no count.lnk", Utf8(command + L"\r\n"));
    Shortcut(L"3 good.lnk", Line(probe, arguments));
    const std::wstring missingProgram = programs.Path() + L"no such program.exe";
    std::wstring missing = L"\"" + missingProgram + L"\"";
    Shortcut(L"4 missing program.lnk", Line(missingProgram, L""));
    Shortcut(L"5 behind a mark.lnk", "\xEF\xBB\xBF" + Line(probe, arguments));
    // A program whose path does not fit in MAX_PATH with its zero.
    testing_support::TempFolder deep{L"\\" + std::wstring(120, L'd') + L"\\" +
                                     std::wstring(120, L'e')};
    const std::wstring deepProbe = deep.Path() + L"probe.exe";
    ASSERT_GE(deepProbe.size(), static_cast<size_t>(MAX_PATH));
    ASSERT_TRUE(CopyFileW(probe.c_str(), deepProbe.c_str(), FALSE));
    Shortcut(L"6 path too long.lnk", Line(deepProbe, L" \"" + log + L"\" 8 too long"));

    auto result = Handset(L"softreset");
    EXPECT_EQ(result.exitCode, 1u);
    EXPECT_NE(result.output.find("skipped 1 wrong count.lnk"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("skipped 2 no count.lnk"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("skipped 5 behind a mark.lnk"), std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find(Utf8(command) + "\n  exit code 7\n"), std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find(Utf8(missing) + "\n  not started"), std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find("8 too long\n  not started"), std::string::npos) << result.output;
    EXPECT_EQ(testing_support::ReadTextLines(log),
              (std::vector<std::wstring>{L"\"" + log + L"\" 7 after"}));
}

} // namespace
