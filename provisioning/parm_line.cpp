#include "provisioning/parm_line.h"

#include <algorithm>
#include <cwchar>
#include <iterator>

namespace {

constexpr size_t none = std::wstring_view::npos;

// Decodes the entity that starts with the ampersand at text[at]. On success returns the
// characters it stands for and sets length to the entity's length; otherwise returns nothing.
std::wstring DecodeEntity(std::wstring_view text, size_t at, size_t& length) {
    // The longest entity decoded is a hexadecimal reference of a full code point: &#x10FFFF;
    constexpr size_t longestEntity = 10;
    size_t semicolon = text.find(L';', at + 1);
    if (semicolon == none || semicolon - at > longestEntity) {
        return {};
    }
    std::wstring_view body = text.substr(at + 1, semicolon - at - 1);
    length = semicolon - at + 1;

    struct Named {
        std::wstring_view name;
        wchar_t character;
    };
    static constexpr Named named[] = {
        {L"amp", L'&'}, {L"lt", L'<'}, {L"gt", L'>'}, {L"quot", L'"'}, {L"apos", L'\''}};
    for (const auto& entity : named) {
        if (body == entity.name) {
            return std::wstring(1, entity.character);
        }
    }

    if (body.size() < 2 || body[0] != L'#') {
        return {};
    }
    bool hexadecimal = body[1] == L'x';
    std::wstring_view digits = body.substr(hexadecimal ? 2 : 1);
    if (digits.empty()) {
        return {};
    }
    unsigned long codePoint = 0;
    for (wchar_t digit : digits) {
        unsigned value;
        if (digit >= L'0' && digit <= L'9') {
            value = static_cast<unsigned>(digit - L'0');
        } else if (hexadecimal && digit >= L'a' && digit <= L'f') {
            value = static_cast<unsigned>(digit - L'a' + 10);
        } else if (hexadecimal && digit >= L'A' && digit <= L'F') {
            value = static_cast<unsigned>(digit - L'A' + 10);
        } else {
            return {};
        }
        codePoint = codePoint * (hexadecimal ? 16 : 10) + value;
        if (codePoint > 0x10FFFF) {
            return {};
        }
    }
    if (codePoint == 0 || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
        return {};
    }
    if (codePoint < 0x10000) {
        return std::wstring(1, static_cast<wchar_t>(codePoint));
    }
    codePoint -= 0x10000;
    return {static_cast<wchar_t>(0xD800 + (codePoint >> 10)),
            static_cast<wchar_t>(0xDC00 + (codePoint & 0x3FF))};
}

} // namespace

FieldBounds LocateField(std::wstring_view line, std::wstring_view marker) {
    size_t markerAt = line.find(marker);
    size_t openingQuote = markerAt == none ? none : line.find(L'"', markerAt);
    size_t begin = openingQuote == none ? 0 : openingQuote + 1;
    size_t closingQuote = line.find(L'"', begin);
    return {begin, closingQuote == none ? line.size() : closingQuote};
}

std::wstring_view FieldText(std::wstring_view line, std::wstring_view marker) {
    FieldBounds field = LocateField(line, marker);
    return line.substr(field.begin, field.end - field.begin);
}

bool HasValueField(std::wstring_view line) {
    size_t markerAt = line.find(L"value");
    if (markerAt == none) {
        return false;
    }
    size_t openingQuote = line.find(L'"', markerAt);
    return openingQuote != none && line.find(L'"', openingQuote + 1) != none;
}

std::wstring EscapeParmValue(std::wstring_view value) {
    // Line breaks would split the line in config, and an XML parser turns a raw TAB, CR or LF in
    // an attribute into a blank: references keep them as they are.
    struct Escape {
        wchar_t character;
        std::wstring_view reference;
    };
    static constexpr Escape escapes[] = {{L'&', L"&amp;"},  {L'<', L"&lt;"},    {L'>', L"&gt;"},
                                         {L'"', L"&quot;"}, {L'\'', L"&apos;"}, {L'\t', L"&#9;"},
                                         {L'\r', L"&#13;"}, {L'\n', L"&#10;"}};
    std::wstring escaped;
    escaped.reserve(value.size());
    for (wchar_t character : value) {
        const Escape* escape =
            std::find_if(std::begin(escapes), std::end(escapes),
                         [character](const Escape& e) { return e.character == character; });
        if (escape != std::end(escapes)) {
            escaped += escape->reference;
        } else {
            escaped += character;
        }
    }
    return escaped;
}

std::wstring UnescapeParmValue(std::wstring_view text) {
    std::wstring value;
    value.reserve(text.size());
    size_t at = 0;
    while (at < text.size()) {
        size_t ampersand = text.find(L'&', at);
        if (ampersand == none) {
            value.append(text.substr(at));
            break;
        }
        value.append(text.substr(at, ampersand - at));
        size_t length = 0;
        std::wstring decoded = DecodeEntity(text, ampersand, length);
        if (decoded.empty()) {
            value += L'&';
            at = ampersand + 1;
        } else {
            value += decoded;
            at = ampersand + length;
        }
    }
    return value;
}

std::wstring ParmLinePrefix(std::wstring_view settingName) {
    std::wstring prefix = L"<parm name=\"";
    prefix += settingName;
    prefix += L"\" value=\"";
    return prefix;
}

std::wstring MakeParmLine(std::wstring_view settingName, std::wstring_view value) {
    std::wstring line = ParmLinePrefix(settingName);
    line += EscapeParmValue(value);
    line += ParmLineSuffix;
    return line;
}

std::optional<std::wstring> FindParmValue(std::span<const std::wstring> lines,
                                          std::wstring_view settingName) {
    for (const std::wstring& line : lines) {
        if (FieldText(line, L"name") == settingName) {
            return UnescapeParmValue(FieldText(line, L"value"));
        }
    }
    return std::nullopt;
}

bool ReplaceParmValue(std::span<std::wstring> lines, std::wstring_view settingName,
                      std::wstring_view newValue) {
    for (std::wstring& line : lines) {
        if (FieldText(line, L"name") != settingName) {
            continue;
        }
        if (!HasValueField(line)) {
            // A hand-made line without a value field to replace: the setting is written afresh in
            // its proper form, in the same place, so the new value is what gets applied.
            line = MakeParmLine(settingName, newValue);
            return true;
        }
        FieldBounds value = LocateField(line, L"value");
        line.replace(value.begin, value.end - value.begin, EscapeParmValue(newValue));
        return true;
    }
    return false;
}
