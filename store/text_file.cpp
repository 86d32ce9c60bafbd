#include "store/text_file.h"

#include <windows.h>

#include <cerrno>
#include <cstring>
#include <io.h>

namespace {

constexpr size_t chunkSize = 64 * 1024;
constexpr char byteOrderMark[] = "\xEF\xBB\xBF";

void AppendWide(std::wstring& target, const char* bytes, size_t count) {
    if (count == 0) {
        return;
    }
    int length = MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(count), nullptr, 0);
    size_t start = target.size();
    target.resize(start + static_cast<size_t>(length));
    MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(count), target.data() + start, length);
}

void EncodeUtf8(std::wstring_view text, std::string& bytes) {
    bytes.clear();
    if (text.empty()) {
        return;
    }
    int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                     nullptr, 0, nullptr, nullptr);
    bytes.resize(static_cast<size_t>(length));
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                        length, nullptr, nullptr);
}

} // namespace

TextLineReader::TextLineReader(const std::wstring& path) {
    file.reset(_wfopen(path.c_str(), L"rb"));
    if (!file) {
        missing = errno == ENOENT;
        return;
    }
    buffer.resize(chunkSize);
}

bool TextLineReader::Fill() {
    while (file && !failed) {
        filled = std::fread(buffer.data(), 1, buffer.size(), file.get());
        position = 0;
        if (filled == 0) {
            failed = std::ferror(file.get()) != 0;
            return false;
        }
        if (atStart) {
            atStart = false;
            if (filled >= 3 && std::memcmp(buffer.data(), byteOrderMark, 3) == 0) {
                position = 3;
            }
        }
        if (position < filled) {
            return true;
        }
    }
    return false;
}

bool TextLineReader::ReadLine(std::wstring& line) {
    line.clear();
    pending.clear();
    bool partial = false;
    while (position < filled || Fill()) {
        const char* begin = buffer.data() + position;
        size_t available = filled - position;
        const char* lineFeed = static_cast<const char*>(std::memchr(begin, '\n', available));
        if (lineFeed == nullptr) {
            // The line goes on in the next chunk.
            pending.append(begin, available);
            position = filled;
            partial = true;
            continue;
        }
        size_t length = static_cast<size_t>(lineFeed - begin);
        position += length + 1;
        if (!partial) {
            // The usual case: the whole line lies in the buffer.
            if (length > 0 && begin[length - 1] == '\r') {
                --length;
            }
            AppendWide(line, begin, length);
            return true;
        }
        pending.append(begin, length);
        if (!pending.empty() && pending.back() == '\r') {
            pending.pop_back();
        }
        AppendWide(line, pending.data(), pending.size());
        return true;
    }
    if (!partial) {
        return false;
    }
    // Text after the last line feed.
    AppendWide(line, pending.data(), pending.size());
    return true;
}

TextFileWriter::TextFileWriter(const std::wstring& path) {
    file.reset(_wfopen(path.c_str(), L"wb"));
    if (file) {
        Put(byteOrderMark, 3);
    }
}

void TextFileWriter::Put(const char* bytes, size_t count) {
    if (!file || failed || count == 0) {
        return;
    }
    if (std::fwrite(bytes, 1, count, file.get()) != count) {
        failed = true;
    }
}

void TextFileWriter::Write(std::wstring_view text) {
    EncodeUtf8(text, encoded);
    Put(encoded.data(), encoded.size());
}

void TextFileWriter::EndLine(bool flush) {
    Put("\r\n", 2);
    if (flush && file && !failed && std::fflush(file.get()) != 0) {
        failed = true;
    }
}

bool TextFileWriter::Commit() {
    if (!file || failed) {
        return false;
    }
    if (std::fflush(file.get()) != 0 || _commit(_fileno(file.get())) != 0) {
        failed = true;
    }
    return !failed;
}

bool TextFileWriter::Close() {
    if (!file) {
        return false;
    }
    bool closed = std::fclose(file.release()) == 0;
    return closed && !failed;
}
