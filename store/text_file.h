// The program's text files (config, log.txt, the Startup shortcut) on disk: UTF-8 with a
// byte-order mark and CRLF line ends. Readers also take LF line ends and files without a mark,
// and read any bytes at all: what is not UTF-8 comes back as U+FFFD.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct FileClose {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileClose>;

// Reads a file line by line. A line ends at a line feed, which is not part of it, nor is a
// carriage return right before it; text after the last line feed is a last line.
class TextLineReader {
public:
    explicit TextLineReader(const std::wstring& path);

    bool IsOpen() const { return file != nullptr; }
    // The open failed because there is no such file (rather than, say, no access to it).
    bool IsMissing() const { return missing; }
    // A read failed; reading stopped there as if the file had ended.
    bool Failed() const { return failed; }

    // The next line, or false at the end of the file.
    bool ReadLine(std::wstring& line);

private:
    bool Fill();

    UniqueFile file;
    bool missing = false;
    bool failed = false;
    bool atStart = true;
    std::vector<char> buffer;
    size_t position = 0;
    size_t filled = 0;
    std::string pending;
};

// Writes a file line by line, creating it or emptying an existing one.
class TextFileWriter {
public:
    explicit TextFileWriter(const std::wstring& path);

    bool IsOpen() const { return file != nullptr; }
    // Whether the file was opened and every write so far succeeded.
    bool Good() const { return file != nullptr && !failed; }

    void Write(std::wstring_view text);
    // Ends the line; with flush, hands it to the system at once, so that the line is on disk
    // even if the program is stopped right after.
    void EndLine(bool flush);

    // Forces everything written to the disk. False if anything failed.
    bool Commit();
    // Closes the file. False if anything failed, closing included.
    bool Close();

private:
    void Put(const char* bytes, size_t count);

    UniqueFile file;
    bool failed = false;
    std::string encoded;
};
