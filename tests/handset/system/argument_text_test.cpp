// The argument text the handset's entry hands to the program: the command line exactly as a
// handset's kernel gives it, or what follows the program's name on a desktop's command line.
#include "handset/system/argument_text.h"

#include <gtest/gtest.h>

namespace {

constexpr wchar_t module[] = L"C:\\Program Files\\Courier fix\\courierfix.exe";

TEST(ArgumentText, IsTheWholeLineOfAProgramStartedWithItsImageApart) {
    for (const wchar_t* line :
         {L"--autorepairall", L" --autorepairall", L"--autorepair:Work;Home--", L"", L" ",
          L"\"--autorepair:Work\" x", L"courierfix.exe.txt x", L"\"C:\\Other\\courierfix.exe\" x",
          L"\"C:\\Program Files\\Courier fix\\courierfix.exe x"}) {
        EXPECT_EQ(handset::ArgumentText(line, module), line)
            << testing::PrintToString(std::wstring(line));
    }
}

TEST(ArgumentText, FollowsTheProgramsNameAndOneBlankOnADesktopsLine) {
    struct Case {
        const wchar_t* line;
        const wchar_t* arguments;
    };
    for (const Case& c : {
             Case{L"\"C:\\Program Files\\Courier fix\\courierfix.exe\" --autorepairall",
                  L"--autorepairall"},
             Case{L"\"c:\\program files\\courier fix\\COURIERFIX.EXE\"  --autorepairall ",
                  L" --autorepairall "},
             Case{L"\"C:\\Program Files\\Courier fix\\courierfix\"", L""},
             Case{L"courierfix.exe --autorepair:A;B--", L"--autorepair:A;B--"},
             Case{L"Courierfix\t--autorepairall", L"--autorepairall"},
             Case{L"courierfix.exe", L""},
         }) {
        EXPECT_EQ(handset::ArgumentText(c.line, module), c.arguments)
            << testing::PrintToString(std::wstring(c.line));
    }
}

} // namespace
