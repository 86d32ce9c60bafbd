// The config file over many seeded random files: saving then loading gives back what was saved
// and keeps everything else in its order; and files of any bytes at all load as a simple model of
// the line rules says, or not at all when they are no text. How the time of a load grows with the
// file is the benchmark's to measure.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <iterator>
#include <optional>

#include "files/unicode.h"
#include "store/config_file.h"
#include "tests/support/files.h"
#include "tests/support/random_text.h"
#include "tests/support/temp_folder.h"

namespace {

using testing_support::RandomText;
using testing_support::ReadTextLines;
using testing_support::TextFileBytes;
using testing_support::WriteBytes;
using Lines = std::vector<std::wstring>;

constexpr int cases = 10000;

// What a save must leave: every line outside the account's sections, then its new section.
Lines ModelSave(const Lines& before, const std::wstring& name, const Lines& body) {
    const std::wstring header = L"[" + name + L"]";
    Lines after;
    bool inSection = false;
    for (const auto& line : before) {
        inSection = line == header || (inSection && !IsHeaderLine(line));
        if (!inSection) {
            after.push_back(line);
        }
    }
    after.push_back(header);
    after.insert(after.end(), body.begin(), body.end());
    return after;
}

bool IsSectionOf(const Lines& lines, const std::wstring& name) {
    return std::find(lines.begin(), lines.end(), L"[" + name + L"]") != lines.end();
}

// The body of the first section of that name in the given lines.
Lines ModelSection(const Lines& lines, const std::wstring& name) {
    auto header = std::find(lines.begin(), lines.end(), L"[" + name + L"]");
    if (header == lines.end()) {
        return {};
    }
    auto end = std::find_if(header + 1, lines.end(), IsHeaderLine<std::wstring>);
    return Lines(header + 1, end);
}

class ConfigProperty : public ::testing::Test {
protected:
    testing_support::TempFolder folder{testing_support::TempFolder::InMemory{}};
    std::wstring config = folder / L"config";
};

TEST_F(ConfigProperty, SavingThenLoadingGivesBackTheLinesAndKeepsTheRestInOrder) {
    static constexpr std::wstring_view names[] = {L"Work",  L"Home", L"Poštovní \U0001F4E7",
                                                  L"Work ", L"",     L"[Work]"};
    static constexpr std::wstring_view pieces[] = {
        L"<parm name=\"INSERVER\" value=\"", L"\"/>", L" ", L"\t", L"]", L"&amp;", L"x"};
    RandomText random(4242);
    auto randomName = [&] { return std::wstring(names[random.Between(0, std::size(names) - 1)]); };
    // A line that is no header: anything but a line break, not beginning with "[".
    auto bodyLine = [&] {
        std::wstring line = random.Join(pieces, 3) + random.Characters(10, L"[");
        return IsHeaderLine(line) ? L" " + line : line;
    };
    // Each case saves over what the case before left, and now and then over a fresh hand-made
    // file or none at all.
    Lines before;
    for (int i = 0; i < cases; ++i) {
        if (i == 0 || random.OneIn(8)) {
            before.clear();
            for (size_t count = random.Between(0, 2); count > 0; --count) {
                before.push_back(bodyLine());
            }
            for (size_t sections = random.Between(0, 4); sections > 0; --sections) {
                before.push_back(L"[" + randomName() + L"]");
                for (size_t count = random.Between(0, 3); count > 0; --count) {
                    before.push_back(bodyLine());
                }
            }
            if (random.OneIn(6)) {
                DeleteFileW(config.c_str());
                before.clear();
            } else {
                WriteBytes(config, TextFileBytes(before));
            }
        }
        const std::wstring name = randomName();
        Lines body;
        for (size_t count = random.Between(0, 10); count > 0; --count) {
            body.push_back(bodyLine());
        }

        ASSERT_TRUE(SaveAccountSection(config, name, body)) << "case " << i;
        ASSERT_EQ(ReadAccountSection(config, name), body) << "case " << i;
        before = ModelSave(before, name, body);
        ASSERT_EQ(ReadTextLines(config), before) << "case " << i;
    }
}

// The text of bytes that are UTF-8 as the standard defines it (each character in its shortest
// form, nothing past U+10FFFF), where a surrogate may also stand encoded on its own, as the
// reader keeps one of a UTF-16 file; none when they are not.
std::optional<std::wstring> ModelUtf8(std::string_view bytes) {
    std::wstring text;
    for (size_t at = 0; at < bytes.size();) {
        auto lead = static_cast<unsigned char>(bytes[at]);
        size_t length = lead < 0x80   ? 1
                        : lead < 0xC2 ? 0
                        : lead < 0xE0 ? 2
                        : lead < 0xF0 ? 3
                        : lead < 0xF5 ? 4
                                      : 0;
        if (length == 0 || at + length > bytes.size()) {
            return std::nullopt;
        }
        unsigned long code = length == 1 ? lead : lead & (0x7F >> length);
        for (size_t next = 1; next < length; ++next) {
            auto unit = static_cast<unsigned char>(bytes[at + next]);
            if ((unit & 0xC0) != 0x80) {
                return std::nullopt;
            }
            code = (code << 6) | (unit & 0x3F);
        }
        if ((length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF))) {
            return std::nullopt;
        }
        AppendCodePoint(text, static_cast<char32_t>(code));
        at += length;
    }
    return text;
}

std::wstring ModelDecode(const std::string& bytes) {
    if (auto text = ModelUtf8(bytes)) {
        return *text;
    }
    return DecodeText(bytes, 1252);
}

// The line's bytes without the byte-order marks it begins with.
std::string WithoutLeadingMarks(std::string line) {
    while (line.starts_with("\xEF\xBB\xBF")) {
        line.erase(0, 3);
    }
    return line;
}

// The lines of any bytes by the rules: a byte-order mark at the start is skipped, a line ends at
// LF, CRLF or a lone CR, text after the last line end is a last line, the marks a line begins
// with are read as nothing, and each line is UTF-8 when it is valid UTF-8 and Windows-1252
// otherwise. Bytes that hold a NUL are no text at all.
Lines ModelLines(std::string bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        bytes.erase(0, 3);
    }
    Lines lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(ModelDecode(WithoutLeadingMarks(bytes.substr(start))));
            break;
        }
        lines.push_back(ModelDecode(WithoutLeadingMarks(bytes.substr(start, end - start))));
        start = end + (bytes.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

TEST_F(ConfigProperty, FilesOfAnyBytesLoadAsTheLineRulesSay) {
    static const std::string pieces[] = {"\n",
                                         "\r",
                                         "\r\n",
                                         "\r\r\n",
                                         "[",
                                         "]",
                                         "[Work]",
                                         "[Work]\r\n",
                                         "[Home]\n",
                                         "\x80",
                                         "\xC3",
                                         "\xC3\xA9",
                                         "\xFF",
                                         "\xED\xA0\x80",
                                         "\xF0\x9F\x93",
                                         "\xEF\xBB\xBF",
                                         "<parm name=\"INSERVER\" value=\"x\"/>",
                                         " ",
                                         std::string(1, '\0')};
    RandomText random(9001);
    for (int i = 0; i < cases; ++i) {
        std::string bytes;
        if (random.OneIn(4)) {
            bytes = "\xEF\xBB\xBF";
        }
        for (size_t count = random.Between(0, 24); count > 0; --count) {
            bytes += pieces[random.Between(0, std::size(pieces) - 1)];
            if (random.OneIn(500)) {
                // Now and then a line longer than the reader's buffer, of a length it takes.
                bytes += std::string(random.Between(17000, 30000), 'v');
            }
        }
        WriteBytes(config, bytes);
        // Both names found in one pass, as start-up reads them, each as if read alone; and the
        // same pass gives every header line, in order, for the repair of all saved accounts.
        const Lines names = {L"Work", L"Home"};
        SavedSections sections;
        Lines headers = {L"left from before"};
        const bool text = bytes.find('\0') == std::string::npos;
        ASSERT_EQ(ReadAccountSections(config, names, sections, &headers), text) << "case " << i;
        if (!text) {
            ASSERT_TRUE(sections.empty()) << "case " << i;
            ASSERT_TRUE(headers.empty()) << "case " << i;
            continue;
        }
        Lines modelHeaders;
        std::ranges::copy_if(ModelLines(bytes), std::back_inserter(modelHeaders),
                             IsHeaderLine<std::wstring>);
        ASSERT_EQ(headers, modelHeaders) << "case " << i;
        for (const auto& name : names) {
            Lines model = ModelSection(ModelLines(bytes), name);
            auto found = sections.find(name);
            ASSERT_EQ(found != sections.end(), IsSectionOf(ModelLines(bytes), name))
                << "case " << i;
            ASSERT_EQ(found != sections.end() ? found->second : Lines{}, model) << "case " << i;
        }
    }
}

} // namespace
