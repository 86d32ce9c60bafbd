// Starting another program of the build and waiting for it, as the shell or a user would.
#pragma once

#include <string>

namespace testing_support {

struct ProcessResult {
    bool started = false;
    bool timedOut = false;
    unsigned long exitCode = 0;
    std::string output; // what the program wrote to its standard output and error
};

// Runs commandLine (program path first, quoted where needed) and waits at most timeoutMs.
// A program that does not finish in time is killed and reported as timed out.
ProcessResult RunProcess(const std::wstring& commandLine, unsigned long timeoutMs = 60000);

// Runs image as a handset's kernel starts a program: the image named apart, and arguments, exactly
// as given, the whole command line the program gets.
ProcessResult RunImage(const std::wstring& image, const std::wstring& arguments,
                       unsigned long timeoutMs = 60000);

// The folder holding the running test executable, ending in a backslash: the build's bin folder,
// where courierfix.exe and handset.exe lie too.
std::wstring BinFolder();

} // namespace testing_support
