// log.txt beside the program: replaced at every start, one line per event, each line on disk as
// soon as it is complete. A log that cannot be written stops nothing.
#pragma once

#include <string>
#include <string_view>

#include "store/text_file.h"

class RunLog {
public:
    explicit RunLog(const std::wstring& path) : writer(path) {}

    // Part of a line.
    void Write(std::wstring_view text) { writer.Write(text); }
    // Ends the line and flushes it.
    void EndLine() { writer.EndLine(true); }
    void WriteLine(std::wstring_view text) {
        Write(text);
        EndLine();
    }
    void Close() { writer.Close(); }

private:
    TextFileWriter writer;
};

// Opens the log beside the program, emptying it, and writes the command-line line.
RunLog OpenRunLog(const std::wstring& commandLine);
// The same, at another place.
RunLog OpenRunLog(const std::wstring& path, const std::wstring& commandLine);

void CloseRunLog(RunLog& log);
