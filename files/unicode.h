// Text as the program holds it (UTF-16, where a character beyond U+FFFF is a pair of surrogate
// units) and as its files hold it (UTF-8).
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

constexpr bool IsHighSurrogate(wchar_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

constexpr bool IsLowSurrogate(wchar_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

constexpr bool IsSurrogate(wchar_t unit) {
    return IsHighSurrogate(unit) || IsLowSurrogate(unit);
}

// Whether a whole pair, first half then second, begins at the index.
constexpr bool IsPairAt(std::wstring_view text, size_t at) {
    return at + 1 < text.size() && IsHighSurrogate(text[at]) && IsLowSurrogate(text[at + 1]);
}

// Appends the character as one unit, or as a pair beyond U+FFFF.
inline void AppendCodePoint(std::wstring& text, char32_t codePoint) {
    if (codePoint < 0x10000) {
        text += static_cast<wchar_t>(codePoint);
        return;
    }
    codePoint -= 0x10000;
    text += static_cast<wchar_t>(0xD800 + (codePoint >> 10));
    text += static_cast<wchar_t>(0xDC00 + (codePoint & 0x3FF));
}

// Where the first surrogate that is not half of a pair stands at or after from, or npos. UTF-8
// cannot carry such a unit: written, it becomes U+FFFD.
size_t FindLoneSurrogate(std::wstring_view text, size_t from = 0);

// Appends the UTF-8 of the text to bytes; a surrogate outside a pair becomes U+FFFD.
void AppendUtf8(std::wstring_view text, std::string& bytes);

// The number of bytes of the text in UTF-8.
size_t Utf8Length(std::wstring_view text);

// The text of bytes in a code page, UTF-8 unless another is named. With MB_ERR_INVALID_CHARS the
// text is empty when the bytes are not valid in it; without, what is not becomes U+FFFD.
std::wstring DecodeText(std::string_view bytes, UINT codePage = CP_UTF8, DWORD flags = 0);
