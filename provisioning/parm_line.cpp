#include "provisioning/parm_line.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "files/unicode.h"
#include "provisioning/provisioning_document.h"

namespace {

bool IsBlank(wchar_t character) {
    return character == L' ' || character == L'\t' || character == L'\r' || character == L'\n';
}

// A code point that XML 1.0 lets a document hold, and so one a character reference may name.
bool IsXmlCharacter(unsigned long codePoint) {
    return codePoint == 0x9 || codePoint == 0xA || codePoint == 0xD ||
           (codePoint >= 0x20 && codePoint <= 0xD7FF) ||
           (codePoint >= 0xE000 && codePoint <= 0xFFFD) ||
           (codePoint >= 0x10000 && codePoint <= 0x10FFFF);
}

// Reads one line from its start to its end; each step either moves past what it read or tells
// that the line is not one to read.
class ParmLineReader {
public:
    // Without collect, the line is only checked: no element is kept and no value decoded into
    // text, so checking a line allocates nothing.
    ParmLineReader(std::wstring_view line, bool collect) : text(line), collect(collect) {}

    std::optional<std::vector<ParmElement>> Read() {
        if (!IsXmlText(text)) {
            return std::nullopt;
        }
        std::vector<ParmElement> parms;
        while (true) {
            SkipBlanks();
            if (at == text.size()) {
                return parms;
            }
            bool read = false;
            if (Skip(L"<!--")) {
                read = ReadCommentRest();
            } else if (Skip(L"<parm")) {
                read = ReadParmRest(parms);
            }
            if (!read) {
                return std::nullopt;
            }
        }
    }

private:
    bool Skip(std::wstring_view literal) {
        if (text.substr(at).starts_with(literal)) {
            at += literal.size();
            return true;
        }
        return false;
    }

    bool SkipBlanks() {
        size_t start = at;
        while (at < text.size() && IsBlank(text[at])) {
            ++at;
        }
        return at > start;
    }

    // A comment holds no "--" and ends with the first one, which must begin "-->".
    bool ReadCommentRest() {
        size_t dashes = text.find(L"--", at);
        if (dashes == std::wstring_view::npos || !text.substr(dashes).starts_with(L"-->")) {
            return false;
        }
        at = dashes + 3;
        return true;
    }

    bool ReadParmRest(std::vector<ParmElement>& parms) {
        std::optional<std::wstring> name;
        std::optional<std::wstring> value;
        FieldBounds valueText;
        // A parm has two attributes: the first few names are kept without an allocation.
        std::array<std::wstring_view, 4> firstNames;
        size_t firstCount = 0;
        std::vector<std::wstring_view> moreNames;
        auto seenBefore = [&](std::wstring_view attribute) {
            const auto firstEnd = firstNames.begin() + static_cast<std::ptrdiff_t>(firstCount);
            return std::find(firstNames.begin(), firstEnd, attribute) != firstEnd ||
                   std::find(moreNames.begin(), moreNames.end(), attribute) != moreNames.end();
        };
        while (true) {
            // Attributes are set apart by blanks; the tag may end right after one.
            bool blank = SkipBlanks();
            if (Skip(L"/>")) {
                break;
            }
            if (Skip(L">")) {
                // Nothing between the tags: the element is empty, as <parm .../> is.
                if (!Skip(L"</parm")) {
                    return false;
                }
                SkipBlanks();
                if (!Skip(L">")) {
                    return false;
                }
                break;
            }
            std::wstring_view attribute = ReadAttributeName();
            if (!blank || attribute.empty() || seenBefore(attribute)) {
                return false;
            }
            if (firstCount < firstNames.size()) {
                firstNames[firstCount++] = attribute;
            } else {
                moreNames.push_back(attribute);
            }
            SkipBlanks();
            if (!Skip(L"=")) {
                return false;
            }
            SkipBlanks();
            FieldBounds bounds;
            std::optional<std::wstring> decoded = ReadAttributeValue(bounds);
            if (!decoded) {
                return false;
            }
            if (attribute == L"name") {
                name = std::move(decoded);
            } else if (attribute == L"value") {
                value = std::move(decoded);
                valueText = bounds;
            }
        }
        if (!name || !value) {
            return false;
        }
        if (collect) {
            parms.push_back({std::move(*name), std::move(*value), valueText});
        }
        return true;
    }

    // A name of ASCII letters, digits, "_", "-" and "."; names that begin with "xml" are
    // reserved and "xmlns" would change how the parser reads the element. Empty when there is
    // none.
    std::wstring_view ReadAttributeName() {
        auto isLetter = [](wchar_t c) {
            return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
        };
        size_t start = at;
        if (at < text.size() && (isLetter(text[at]) || text[at] == L'_')) {
            ++at;
            while (at < text.size() &&
                   (isLetter(text[at]) || (text[at] >= L'0' && text[at] <= L'9') ||
                    text[at] == L'_' || text[at] == L'-' || text[at] == L'.')) {
                ++at;
            }
        }
        std::wstring_view name = text.substr(start, at - start);
        auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c; };
        bool reserved = name.size() >= 3 && lower(name[0]) == L'x' && lower(name[1]) == L'm' &&
                        lower(name[2]) == L'l';
        return reserved ? std::wstring_view() : name;
    }

    // The value between its quotes, as a parser hands it on: references decoded, and each blank
    // written in the text (CR LF counting as one) a space.
    std::optional<std::wstring> ReadAttributeValue(FieldBounds& bounds) {
        if (at == text.size() || (text[at] != L'"' && text[at] != L'\'')) {
            return std::nullopt;
        }
        const wchar_t quote = text[at++];
        bounds.begin = at;
        std::wstring value;
        while (at < text.size() && text[at] != quote) {
            wchar_t character = text[at];
            if (character == L'<') {
                return std::nullopt;
            }
            if (character == L'&') {
                if (!ReadReference(value)) {
                    return std::nullopt;
                }
                continue;
            }
            if (character == L'\r' && at + 1 < text.size() && text[at + 1] == L'\n') {
                ++at;
            }
            if (collect) {
                value += IsBlank(character) ? L' ' : character;
            }
            ++at;
        }
        if (at == text.size()) {
            return std::nullopt;
        }
        bounds.end = at++;
        return value;
    }

    // One of the five named references, or a character reference of a character XML allows, in
    // decimal or hexadecimal with any number of digits.
    bool ReadReference(std::wstring& value) {
        struct Named {
            std::wstring_view reference;
            wchar_t character;
        };
        static constexpr Named named[] = {{L"&amp;", L'&'},
                                          {L"&lt;", L'<'},
                                          {L"&gt;", L'>'},
                                          {L"&quot;", L'"'},
                                          {L"&apos;", L'\''}};
        for (const auto& entity : named) {
            if (Skip(entity.reference)) {
                if (collect) {
                    value += entity.character;
                }
                return true;
            }
        }
        const bool hexadecimal = Skip(L"&#x");
        if (!hexadecimal && !Skip(L"&#")) {
            return false;
        }
        const unsigned base = hexadecimal ? 16 : 10;
        unsigned long codePoint = 0;
        size_t digits = 0;
        for (; at < text.size(); ++at, ++digits) {
            constexpr std::wstring_view digitsInOrder = L"0123456789abcdef";
            const wchar_t digit = text[at];
            const size_t digitValue = digitsInOrder.find(
                digit >= L'A' && digit <= L'F' ? static_cast<wchar_t>(digit - L'A' + L'a') : digit);
            if (digitValue >= base) {
                break;
            }
            // Past the last code point the reference is refused anyway; stop growing.
            codePoint = std::min<unsigned long>(codePoint * base + digitValue, 0x110000);
        }
        if (digits == 0 || !Skip(L";") || !IsXmlCharacter(codePoint)) {
            return false;
        }
        if (collect) {
            AppendCodePoint(value, static_cast<char32_t>(codePoint));
        }
        return true;
    }

    std::wstring_view text;
    bool collect;
    size_t at = 0;
};

// The last element named settingName, with its line: the configuration manager applies the
// elements in order, so of two for one setting the handset keeps the last.
template <typename Line>
std::optional<std::pair<Line*, ParmElement>> FindParm(std::span<Line> lines,
                                                      std::wstring_view settingName) {
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
        std::optional<std::vector<ParmElement>> parms = ReadParmLine(*line);
        if (!parms) {
            continue;
        }
        for (auto parm = parms->rbegin(); parm != parms->rend(); ++parm) {
            if (parm->name == settingName) {
                return std::pair<Line*, ParmElement>(&*line, std::move(*parm));
            }
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<std::vector<ParmElement>> ReadParmLine(std::wstring_view line) {
    return ParmLineReader(line, true).Read();
}

bool IsParmLine(std::wstring_view line) {
    return ParmLineReader(line, false).Read().has_value();
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
    auto found = FindParm(lines, settingName);
    if (!found) {
        return std::nullopt;
    }
    return std::move(found->second.value);
}

bool ReplaceParmValue(std::span<std::wstring> lines, std::wstring_view settingName,
                      std::wstring_view newValue) {
    auto found = FindParm(lines, settingName);
    if (!found) {
        return false;
    }
    const FieldBounds& value = found->second.valueText;
    found->first->replace(value.begin, value.end - value.begin, EscapeParmValue(newValue));
    return true;
}
