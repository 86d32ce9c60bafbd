// Starting another program of the build and waiting for it, as the shell or a user would.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "handset/common/owners.h"

namespace testing_support {

// A process started and owned: killed, if it still runs, when its owner goes.
class Process {
public:
    // Starts commandLine (program path first, quoted where needed); or, with image, that program
    // as a handset's kernel starts one: its image apart, and commandLine its whole command line.
    // With output, the process writes its standard output and error there.
    explicit Process(const std::wstring& commandLine, const wchar_t* image = nullptr,
                     HANDLE output = nullptr);
    ~Process();
    Process(Process&&) = default;
    Process& operator=(Process&&) = default;

    bool Started() const { return process != nullptr; }
    HANDLE Handle() const { return process.get(); }
    DWORD Id() const { return id; }

    // Waits at most timeoutMs for the process to end, and gives its exit code; nothing, with
    // the process still running, when it did not end in time.
    std::optional<unsigned long> Wait(unsigned long timeoutMs = 30000);
    // Ends the process with that exit code and waits for it.
    void Kill(unsigned int exitCode);

private:
    handset::UniqueHandle process;
    DWORD id = 0;
};

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

// Runs the build's handset.exe with the arguments, as scripts run it.
ProcessResult RunHandset(const std::wstring& arguments, unsigned long timeoutMs = 120000);

// The folder holding the running test executable, ending in a backslash: the build's bin folder,
// where courierfix.exe and handset.exe lie too.
std::wstring BinFolder();

} // namespace testing_support
