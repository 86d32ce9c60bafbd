#include "files/text_file.h"

namespace {

constexpr size_t chunkSize = 64 * 1024;
constexpr std::string_view utf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view utf16LittleEndianMark = "\xFF\xFE";
constexpr std::string_view utf16BigEndianMark = "\xFE\xFF";
constexpr UINT windows1252 = 1252;

std::wstring Decode(UINT codePage, DWORD flags, std::string_view bytes) {
    int length = MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()),
                                     nullptr, 0);
    if (length <= 0) {
        return {};
    }
    std::wstring text(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                        length);
    return text;
}

void AppendUtf8(std::wstring_view text, std::string& bytes) {
    if (text.empty()) {
        return;
    }
    int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                     nullptr, 0, nullptr, nullptr);
    size_t start = bytes.size();
    bytes.resize(start + static_cast<size_t>(length));
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                        bytes.data() + start, length, nullptr, nullptr);
}

bool IsHighSurrogate(wchar_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

} // namespace

std::wstring DecodeLine(std::string_view bytes) {
    if (bytes.empty()) {
        return {};
    }
    std::wstring text = Decode(CP_UTF8, MB_ERR_INVALID_CHARS, bytes);
    return !text.empty() ? text : Decode(windows1252, 0, bytes);
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
    AppendUtf8(text, buffer);
    raw.erase(0, 2 * units);
}

bool TextLineReader::Refill() {
    if (!IsOpen() || failed || atEnd) {
        return false;
    }
    buffer.erase(0, position);
    position = 0;
    const size_t kept = raw.size();
    raw.resize(kept + chunkSize);
    DWORD got = 0;
    if (!ReadFile(file.Get(), raw.data() + kept, static_cast<DWORD>(chunkSize), &got, nullptr)) {
        failed = true;
        return false;
    }
    raw.resize(kept + got);
    totalRead += got;
    if (totalRead > MaxTextFileBytes) {
        failed = true;
        return false;
    }
    atEnd = got == 0;
    if (atStart) {
        atStart = false;
        std::string_view start(raw);
        if (start.starts_with(utf8Mark)) {
            raw.erase(0, utf8Mark.size());
        } else if (start.starts_with(utf16LittleEndianMark)) {
            encoding = Encoding::Utf16LittleEndian;
            raw.erase(0, utf16LittleEndianMark.size());
        } else if (start.starts_with(utf16BigEndianMark)) {
            encoding = Encoding::Utf16BigEndian;
            raw.erase(0, utf16BigEndianMark.size());
        }
    }
    if (encoding == Encoding::Utf8) {
        buffer += raw;
        raw.clear();
    } else {
        TranscodeUtf16();
    }
    return !atEnd || position < buffer.size();
}

bool TextLineReader::Fill() {
    while (position == buffer.size()) {
        if (!Refill()) {
            return false;
        }
    }
    return true;
}

bool TextLineReader::ReadLineBytes(std::string& bytes) {
    bytes.clear();
    bool begun = false;
    for (;;) {
        if (!Fill()) {
            // Text after the last line end is a last line.
            return begun && !failed;
        }
        if (skipLineFeed) {
            skipLineFeed = false;
            if (buffer[position] == '\n') {
                ++position;
                continue;
            }
        }
        size_t end = buffer.find_first_of("\r\n", position);
        size_t stop = end == std::string::npos ? buffer.size() : end;
        if (bytes.size() + (stop - position) > MaxTextLineBytes) {
            failed = true;
            return false;
        }
        bytes.append(buffer, position, stop - position);
        begun = true;
        if (end == std::string::npos) {
            position = buffer.size();
            continue;
        }
        position = end + 1;
        skipLineFeed = buffer[end] == '\r';
        return true;
    }
}

bool TextLineReader::ReadLine(std::wstring& line) {
    std::string bytes;
    bool read = ReadLineBytes(bytes);
    line = DecodeLine(bytes);
    return read;
}

TextFileWriter::TextFileWriter(const std::wstring& path, DWORD disposition, ByteOrderMark mark)
    : file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       disposition, FILE_ATTRIBUTE_NORMAL, nullptr)) {
    if (!IsOpen()) {
        openError = GetLastError();
        return;
    }
    if (mark == ByteOrderMark::Written) {
        pending = utf8Mark;
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
    if (pending.size() >= chunkSize) {
        Flush();
    }
}

void TextFileWriter::WriteBytes(std::string_view bytes) {
    pending += bytes;
    if (pending.size() >= chunkSize) {
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

bool TextFileWriter::Commit() {
    if (!Flush() || !FlushFileBuffers(file.Get())) {
        failed = true;
    }
    return !failed;
}

bool TextFileWriter::Close() {
    bool flushed = Flush();
    HANDLE handle = file.Release();
    return handle != INVALID_HANDLE_VALUE && CloseHandle(handle) && flushed;
}
