// The least that any batch repair must make the handset do, with none of the program's work in it:
// the baseline of the program's own work, run as a process by handset_floor.exe and in process
// by courierfix_bench.exe. Any program doing this job reads config and writes its run log, so the
// floor reads the same bytes and writes the same lines, with plain calls.
#pragma once

#include <string>
#include <vector>

// What the floor is handed ready-made: the documents that repair the accounts, and the lines of
// the run log as the program writes them (UTF-8, without their line ends).
struct FloorInput {
    std::vector<std::wstring> documents;
    std::vector<std::string> logLines;
};

// The path of the file of that name beside the running program, where the program keeps config
// and log.txt.
std::wstring FileBesideProgram(const wchar_t* name);

// The lines of a UTF-8 file, without their line ends; none when the file cannot be read.
std::vector<std::string> ReadFloorLines(const std::wstring& path);

// The documents of a file, one per line, and the log lines of another; either is empty when its
// file cannot be read.
FloorInput ReadFloorInput(const std::wstring& documentsPath, const std::wstring& logLinesPath);

struct FloorOutcome {
    int storesOpened = 0;
    bool allAccepted = false;
    // The bytes of config read; -1 when it could not be opened or a read failed.
    long long configBytes = -1;
    // Whether the log was created and every line of it written.
    bool logWritten = false;
    // What failed first, for the benchmark to say; empty when nothing did.
    std::string fault;
};

// With COM and messaging initialised around it as the program has them: reads config whole,
// 16 KiB at a time into one buffer, creates the log and writes its first line, logs on, walks the
// message-store table opening every store and reading its account GUID, hands each document to
// the configuration manager and writes the next log line after each, writes the last line, logs
// off. Each log line goes to the file as it is complete, as the program's do. allAccepted when
// the log-on, the walk and every document succeeded.
FloorOutcome RunFloorWork(const std::wstring& configPath, const std::wstring& logPath,
                          const FloorInput& input);
