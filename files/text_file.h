// The program's text files (config, log.txt, the Startup shortcut) on disk.
//
// Written: UTF-8 and CRLF line ends, config and log.txt behind a byte-order mark.
// Read: whatever a desktop editor may have left. A byte-order mark picks UTF-8, UTF-16 LE or
// UTF-16 BE; without one the bytes are taken as UTF-8. A mark at the start of a line (two files
// joined, a mark written twice) is read as nothing. A line ends at LF, CRLF or a lone CR. A
// line of bytes that are not valid UTF-8 is read as Windows-1252, the handset's ANSI code page.
// Every line also keeps the bytes it was read from (UTF-8 for a UTF-16 file), so that a file can
// be written again without changing a byte of the lines that are not rewritten. A UTF-16 file's
// surrogate outside a pair is kept as that unit, encoded on its own as UTF-8 encodes any unit.
// A file that holds a NUL character, or a UTF-16 file of an odd number of bytes, is no text an
// editor writes (UTF-16 without its mark, UTF-32): it is unreadable, not a file without lines.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "files/handles.h"

// Past these sizes a file is not read at all: a file that never ends, a line that does not, or a
// file of countless empty lines must not take the program's memory with it. A handset gives a
// program a few MB of heap, and what a file's lines are held in costs more than their bytes: a
// config of a few hundred accounts is a few tens of KB, and these leave it room a hundred times
// over.
inline constexpr unsigned long long MaxTextFileBytes = 1024 * 1024;
inline constexpr size_t MaxTextLineBytes = 64 * 1024;
inline constexpr size_t MaxTextLines = 16 * 1024;

// Files are read this many bytes at a time: small enough that the same memory serves every piece
// of a file, large enough that a config of a few hundred accounts takes few calls.
inline constexpr size_t TextFileReadBytes = 16 * 1024;

// The mark that begins the files written with ByteOrderMark::Written.
inline constexpr std::string_view Utf8ByteOrderMark = "\xEF\xBB\xBF";

// The text of a line's bytes: UTF-8 when they are valid UTF-8 (a surrogate encoded on its own
// included), else Windows-1252.
std::wstring DecodeLine(std::string_view bytes);

// Reads a file line by line; the line end is not part of the line.
class TextLineReader {
public:
    explicit TextLineReader(const std::wstring& path);

    bool IsOpen() const { return file.IsValid(); }
    // The open failed because there is no such file (rather than, say, no access to it).
    bool IsMissing() const { return missing; }
    // Reading stopped before the end: a read failed, the file or a line is too long, the file has
    // too many lines, or it is no text. What was read is then not the whole file.
    bool Failed() const { return failed; }

    // The next line's bytes, valid until the next call, or false at the end of the file or
    // after a failure.
    bool ReadLineBytes(std::string_view& line);

private:
    enum class Encoding { Utf8, Utf16LittleEndian, Utf16BigEndian };

    bool Refill();
    // Hands out the line of length bytes at position, and goes on at next.
    bool HandOut(std::string_view& line, size_t length, size_t next);
    void TranscodeUtf16();
    bool IsText(size_t appendedFrom) const;

    OwnedHandle file;
    bool missing = false;
    bool failed = false;
    bool atStart = true;
    bool atEnd = false;
    // A lone CR ended the last line: a LF right after it belongs to that line end.
    bool skipLineFeed = false;
    Encoding encoding = Encoding::Utf8;
    unsigned long long totalRead = 0;
    size_t linesRead = 0;
    std::string raw;    // bytes as read, of a UTF-16 file not yet transcoded
    std::string buffer; // UTF-8 (or single-byte) text, from position on not yet taken
    size_t position = 0;
};

enum class ByteOrderMark { Written, Omitted };

// Writes a file line by line. Lines are collected in memory and handed to the system when a line
// is flushed, the buffer is full, or the file is committed or closed.
class TextFileWriter {
public:
    // Creates the file, or empties the one that is there.
    static TextFileWriter Replace(const std::wstring& path, ByteOrderMark mark);
    // Creates a file that must not exist yet: an existing file or link of that name is never
    // opened, and the writer then fails.
    static TextFileWriter CreateNew(const std::wstring& path, ByteOrderMark mark);
    // What was written and not yet handed to the system goes now.
    ~TextFileWriter();
    TextFileWriter(TextFileWriter&&) = default;
    TextFileWriter& operator=(TextFileWriter&&) = default;

    bool IsOpen() const { return file.IsValid(); }
    // Whether the file was opened and every write so far succeeded.
    bool Good() const { return file.IsValid() && !failed; }
    // Why the open failed (GetLastError of the open), or 0.
    DWORD OpenError() const { return openError; }

    void Write(std::wstring_view text);
    // Bytes written as they are, such as a line kept from the file being rewritten.
    void WriteBytes(std::string_view bytes);
    void EndLine();
    // Ends the line and hands it to the system at once, so that it is on disk even if the
    // program is stopped right after.
    void EndLineAndFlush();

    // Forces everything written to the disk and closes the file. False if anything failed,
    // closing included, so that a file reported written is whole on the disk.
    bool CommitAndClose();
    // Closes the file. False if anything failed, closing included.
    bool Close();

private:
    TextFileWriter(const std::wstring& path, DWORD disposition, ByteOrderMark mark);
    bool Flush();

    OwnedHandle file;
    DWORD openError = 0;
    bool failed = false;
    std::string pending;
};
