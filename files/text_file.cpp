#include "files/text_file.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "files/unicode.h"

namespace {

// What is written is handed to the system in pieces of up to this size, unless a line is flushed.
constexpr size_t writeChunkBytes = 64 * 1024;
constexpr std::string_view utf16LittleEndianMark = "\xFF\xFE";
constexpr std::string_view utf16BigEndianMark = "\xFE\xFF";
constexpr UINT windows1252 = 1252;

// The UTF-8 of the text, where a surrogate outside a pair is encoded on its own (ED A0..BF
// 80..BF) instead of becoming U+FFFD, so that it is read back as the same unit.
void AppendUtf8KeepingLoneSurrogates(std::wstring_view text, std::string& bytes) {
    size_t start = 0;
    for (size_t lone = FindLoneSurrogate(text); lone != std::wstring_view::npos;
         lone = FindLoneSurrogate(text, start)) {
        AppendUtf8(text.substr(start, lone - start), bytes);
        const unsigned unit = text[lone];
        bytes += static_cast<char>(0xE0 | (unit >> 12));
        bytes += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
        bytes += static_cast<char>(0x80 | (unit & 0x3F));
        start = lone + 1;
    }
    AppendUtf8(text.substr(start), bytes);
}

// The text of UTF-8 bytes in which surrogates stand encoded on their own, as the reader keeps
// them; empty when the bytes hold none or are not UTF-8 besides them.
std::wstring DecodeUtf8WithLoneSurrogates(std::string_view bytes) {
    std::wstring text;
    size_t start = 0;
    auto decodePiece = [&](size_t end) {
        std::string_view piece = bytes.substr(start, end - start);
        std::wstring decoded = DecodeText(piece, CP_UTF8, MB_ERR_INVALID_CHARS);
        text += decoded;
        return piece.empty() || !decoded.empty();
    };
    // 0xED is a lead byte only, never inside another character.
    for (size_t at = bytes.find('\xED'); at != std::string_view::npos && at + 2 < bytes.size();
         at = bytes.find('\xED', at + 1)) {
        auto second = static_cast<unsigned char>(bytes[at + 1]);
        auto third = static_cast<unsigned char>(bytes[at + 2]);
        if (second < 0xA0 || second > 0xBF || third < 0x80 || third > 0xBF) {
            continue;
        }
        if (!decodePiece(at)) {
            return {};
        }
        text += static_cast<wchar_t>(0xD000 | ((second & 0x3F) << 6) | (third & 0x3F));
        start = at + 3;
        at += 2;
    }
    if (start == 0 || !decodePiece(bytes.size())) {
        return {};
    }
    return text;
}

// Whether any byte of the word is zero: the classic test on the whole word at once.
bool HasZeroByte(std::uint64_t word) {
    return ((word - 0x0101010101010101ull) & ~word & 0x8080808080808080ull) != 0;
}

// The first CR or LF at or after from, or npos. Eight bytes are tested at a time, since a large
// config is mostly lines that are only passed over, and a byte at a time made finding their ends
// cost more than the work the file is read for.
size_t FindLineEnd(std::string_view text, size_t from) {
    constexpr std::uint64_t carriageReturns = 0x0D0D0D0D0D0D0D0Dull;
    constexpr std::uint64_t lineFeeds = 0x0A0A0A0A0A0A0A0Aull;
    size_t at = from;
    for (; at + sizeof(std::uint64_t) <= text.size(); at += sizeof(std::uint64_t)) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + at, sizeof word);
        if (HasZeroByte(word ^ carriageReturns) || HasZeroByte(word ^ lineFeeds)) {
            break;
        }
    }
    for (; at < text.size(); ++at) {
        if (text[at] == '\n' || text[at] == '\r') {
            return at;
        }
    }
    return std::string_view::npos;
}

// The line without the byte-order marks it begins with: U+FEFF at the start of a line is read as
// nothing, so that a mark written twice, or a file joined behind another that began with one,
// hides no header. Only marks are dropped; every other byte of the line stays as it is.
std::string_view WithoutLeadingMarks(std::string_view line) {
    while (line.starts_with(Utf8ByteOrderMark)) {
        line.remove_prefix(Utf8ByteOrderMark.size());
    }
    return line;
}

} // namespace

std::wstring DecodeLine(std::string_view bytes) {
    // Most lines are ASCII, which reads the same in every encoding here.
    if (std::all_of(bytes.begin(), bytes.end(), [](char byte) { return (byte & 0x80) == 0; })) {
        return std::wstring(bytes.begin(), bytes.end());
    }
    std::wstring text = DecodeText(bytes, CP_UTF8, MB_ERR_INVALID_CHARS);
    if (text.empty()) {
        text = DecodeUtf8WithLoneSurrogates(bytes);
    }
    return !text.empty() ? text : DecodeText(bytes, windows1252);
}

TextLineReader::TextLineReader(const std::wstring& path)
    : file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {
    if (!IsOpen()) {
        DWORD error = GetLastError();
        missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
}

void TextLineReader::TranscodeUtf16() {
    size_t units = raw.size() / 2;
    std::wstring text;
    text.reserve(units);
    for (size_t unit = 0; unit < units; ++unit) {
        auto first = static_cast<unsigned char>(raw[2 * unit]);
        auto second = static_cast<unsigned char>(raw[2 * unit + 1]);
        text +=
            static_cast<wchar_t>(encoding == Encoding::Utf16LittleEndian ? first | (second << 8)
                                                                         : (first << 8) | second);
    }
    // A character of two units may be cut by the chunk: its first half waits for the second.
    if (!atEnd && !text.empty() && IsHighSurrogate(text.back())) {
        text.pop_back();
        --units;
    }
    AppendUtf8KeepingLoneSurrogates(text, buffer);
    raw.erase(0, 2 * units);
}

bool TextLineReader::IsText(size_t appendedFrom) const {
    // An editor writes no NUL character: a file that holds one was written in an encoding that
    // is not read here, and its lines would be wrong ones.
    if (buffer.find('\0', appendedFrom) != std::string::npos) {
        return false;
    }
    // Half a UTF-16 unit at the end is no character.
    return !(atEnd && encoding != Encoding::Utf8 && !raw.empty());
}

bool TextLineReader::Refill() {
    if (!IsOpen() || failed || atEnd) {
        return false;
    }
    buffer.erase(0, position);
    position = 0;
    // UTF-8 goes straight into the buffer of lines, UTF-16 into raw to be transcoded; until the
    // mark is seen, a file is taken to be UTF-8.
    std::string& target = encoding == Encoding::Utf8 ? buffer : raw;
    const size_t kept = target.size();
    target.resize(kept + TextFileReadBytes);
    // The end of the file is a read that succeeds with no byte; a failed one reads none either
    // (ReadFile, Windows CE 5.0).
    DWORD got = 0;
    const bool read = ReadFile(file.Get(), target.data() + kept,
                               static_cast<DWORD>(TextFileReadBytes), &got, nullptr) != FALSE;
    target.resize(kept + got);
    totalRead += got;
    if (!read || totalRead > MaxTextFileBytes) {
        failed = true;
        return false;
    }
    atEnd = got == 0;
    size_t appendedFrom = kept;
    if (atStart) {
        atStart = false;
        std::string_view start(buffer);
        if (start.starts_with(Utf8ByteOrderMark)) {
            buffer.erase(0, Utf8ByteOrderMark.size());
        } else if (start.starts_with(utf16LittleEndianMark)) {
            encoding = Encoding::Utf16LittleEndian;
            raw.assign(start.substr(utf16LittleEndianMark.size()));
        } else if (start.starts_with(utf16BigEndianMark)) {
            encoding = Encoding::Utf16BigEndian;
            raw.assign(start.substr(utf16BigEndianMark.size()));
        }
    }
    if (encoding != Encoding::Utf8) {
        if (&target == &buffer) {
            buffer.clear();
        }
        appendedFrom = buffer.size();
        TranscodeUtf16();
    }
    if (!IsText(appendedFrom)) {
        failed = true;
        return false;
    }
    return !atEnd || position < buffer.size();
}

bool TextLineReader::ReadLineBytes(std::string_view& line) {
    // A line stays whole in the buffer, however many reads it takes: a refill keeps what is
    // left from position on. Only the bytes after those already searched are searched again.
    size_t searched = 0;
    for (;;) {
        if (skipLineFeed && position < buffer.size()) {
            skipLineFeed = false;
            if (buffer[position] == '\n') {
                ++position;
            }
        }
        const size_t end = FindLineEnd(buffer, position + searched);
        searched = (end == std::string::npos ? buffer.size() : end) - position;
        if (searched > MaxTextLineBytes) {
            failed = true;
            return false;
        }
        if (end != std::string::npos) {
            skipLineFeed = buffer[end] == '\r';
            return HandOut(line, searched, end + 1);
        }
        if (!Refill()) {
            // Text after the last line end is a last line.
            return !failed && searched != 0 && HandOut(line, searched, buffer.size());
        }
    }
}

bool TextLineReader::HandOut(std::string_view& line, size_t length, size_t next) {
    if (++linesRead > MaxTextLines) {
        failed = true;
        return false;
    }
    line = WithoutLeadingMarks(std::string_view(buffer).substr(position, length));
    position = next;
    return true;
}

TextFileWriter::TextFileWriter(const std::wstring& path, DWORD disposition, ByteOrderMark mark)
    : file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       disposition, FILE_ATTRIBUTE_NORMAL, nullptr)) {
    if (!IsOpen()) {
        openError = GetLastError();
        return;
    }
    if (mark == ByteOrderMark::Written) {
        pending = Utf8ByteOrderMark;
    }
}

TextFileWriter TextFileWriter::Replace(const std::wstring& path, ByteOrderMark mark) {
    return TextFileWriter(path, CREATE_ALWAYS, mark);
}

TextFileWriter TextFileWriter::CreateNew(const std::wstring& path, ByteOrderMark mark) {
    return TextFileWriter(path, CREATE_NEW, mark);
}

TextFileWriter::~TextFileWriter() {
    Flush();
}

bool TextFileWriter::Flush() {
    if (!IsOpen() || failed) {
        pending.clear();
        return false;
    }
    size_t written = 0;
    while (written < pending.size()) {
        DWORD done = 0;
        if (!WriteFile(file.Get(), pending.data() + written,
                       static_cast<DWORD>(pending.size() - written), &done, nullptr) ||
            done == 0) {
            failed = true;
            break;
        }
        written += done;
    }
    pending.clear();
    return !failed;
}

void TextFileWriter::Write(std::wstring_view text) {
    AppendUtf8(text, pending);
    if (pending.size() >= writeChunkBytes) {
        Flush();
    }
}

void TextFileWriter::WriteBytes(std::string_view bytes) {
    pending += bytes;
    if (pending.size() >= writeChunkBytes) {
        Flush();
    }
}

void TextFileWriter::EndLine() {
    WriteBytes("\r\n");
}

void TextFileWriter::EndLineAndFlush() {
    EndLine();
    Flush();
}

bool TextFileWriter::CommitAndClose() {
    if (!Flush() || !FlushFileBuffers(file.Get())) {
        failed = true;
    }
    return Close() && !failed;
}

bool TextFileWriter::Close() {
    bool flushed = Flush();
    HANDLE handle = file.Release();
    return handle != INVALID_HANDLE_VALUE && CloseHandle(handle) && flushed;
}
