// courierfix.exe copied into a folder of its own, as an installation leaves it, and started as
// the shell starts it.
#pragma once

#include <string>
#include <vector>

#include "tests/support/temp_folder.h"

namespace testing_support {

class InstalledProgram {
public:
    // leaf is the end of the program folder's path, so a test can ask for blanks in it; volume is
    // where the folder lies.
    explicit InstalledProgram(const std::wstring& leaf = L"\\Courierfix",
                              Volume volume = Volume::ObjectStore);

    // A file of the program folder, such as config or log.txt.
    std::wstring File(const std::wstring& name) const { return folder / name; }
    const std::wstring& Exe() const { return exe; }

    // How the program is started: as a desktop's shell does, with its quoted path and one blank
    // before the argument text; or as a handset's shell does, its image apart and the argument
    // text its whole command line.
    enum class Start { FromDesktop, AsHandset };

    // Runs the program with the argument text and gives its exit code; a run that does not start
    // or end in time fails the test.
    unsigned long Run(const std::wstring& arguments, Start start = Start::FromDesktop) const;

    // The lines of log.txt.
    std::vector<std::wstring> Log() const;

private:
    TempFolder folder;
    std::wstring exe;
};

} // namespace testing_support
