#include "tests/support/installed_program.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "tests/support/files.h"
#include "tests/support/process.h"

namespace testing_support {

InstalledProgram::InstalledProgram(const std::wstring& leaf, Volume volume)
    : folder(leaf, volume), exe(folder / L"courierfix.exe") {
    if (!CopyFileW((BinFolder() + L"courierfix.exe").c_str(), exe.c_str(), FALSE)) {
        ADD_FAILURE() << "courierfix.exe could not be installed";
    }
}

unsigned long InstalledProgram::Run(const std::wstring& arguments, Start start) const {
    auto result = start == Start::AsHandset ? RunImage(exe, arguments)
                                            : RunProcess(L"\"" + exe + L"\" " + arguments);
    EXPECT_TRUE(result.started);
    EXPECT_FALSE(result.timedOut);
    return result.exitCode;
}

std::vector<std::wstring> InstalledProgram::Log() const {
    return ReadTextLines(File(L"log.txt"));
}

} // namespace testing_support
