#include "files/unicode.h"

size_t FindLoneSurrogate(std::wstring_view text, size_t from) {
    for (size_t at = from; at < text.size(); ++at) {
        if (IsPairAt(text, at)) {
            ++at;
        } else if (IsSurrogate(text[at])) {
            return at;
        }
    }
    return std::wstring_view::npos;
}

void AppendUtf8(std::wstring_view text, std::string& bytes) {
    if (text.empty()) {
        return;
    }
    const size_t start = bytes.size();
    const size_t length = Utf8Length(text);
    bytes.resize(start + length);
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                        bytes.data() + start, static_cast<int>(length), nullptr, nullptr);
}

size_t Utf8Length(std::wstring_view text) {
    if (text.empty()) {
        return 0;
    }
    return static_cast<size_t>(WideCharToMultiByte(
        CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr));
}

std::wstring DecodeText(std::string_view bytes, UINT codePage, DWORD flags) {
    if (bytes.empty()) {
        return {};
    }
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
