// log.txt beside the program: replaced at every start, one line per event, each line on disk as
// soon as it is complete. A log that cannot be written stops nothing. A line ends only where the
// program ends it: a CR or LF inside a text (a name from a store or the command line) is written
// as the visible symbol U+240D or U+240A, so that no text can forge a line of its own.
#pragma once

#include <string>
#include <string_view>

#include "files/text_file.h"

class RunLog {
public:
    explicit RunLog(const std::wstring& path)
        : writer(TextFileWriter::Replace(path, ByteOrderMark::Written)) {}

    // Part of a line.
    void Write(std::wstring_view text);
    // Ends the line and flushes it.
    void EndLine() { writer.EndLineAndFlush(); }
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
