#include <gtest/gtest.h>

#include "files/text_file.h"
#include "tests/support/text_lines.h"
#include "tests/support/files.h"
#include "tests/support/temp_folder.h"

namespace {

using testing_support::ReadBytes;
using testing_support::ReadTextLine;
using testing_support::WriteBytes;
using Lines = std::vector<std::wstring>;

// Bytes of UTF-16 text with a byte-order mark, in either byte order.
std::string Utf16Bytes(std::wstring_view text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (wchar_t unit : text) {
        char high = static_cast<char>(unit >> 8);
        char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

class TextFiles : public ::testing::Test {
protected:
    // The lines of a file of these bytes, read to the end; whether the read failed goes to
    // failed when asked for, and must not happen otherwise.
    Lines ReadAll(const std::string& bytes, bool* failed = nullptr) {
        WriteBytes(path, bytes);
        TextLineReader reader(path);
        EXPECT_TRUE(reader.IsOpen());
        Lines lines;
        std::wstring line;
        while (ReadTextLine(reader, line)) {
            lines.push_back(line);
        }
        if (failed != nullptr) {
            *failed = reader.Failed();
        } else {
            EXPECT_FALSE(reader.Failed());
        }
        return lines;
    }

    testing_support::TempFolder folder;
    std::wstring path = folder / L"text";
};

TEST_F(TextFiles, ReadsTheLinesOfFilesMadeAnywhere) {
    struct Case {
        const char* what;
        std::string bytes;
        Lines lines;
    };
    const Case cases[] = {
        {"empty", "", {}},
        {"only a byte-order mark", "\xEF\xBB\xBF", {}},
        {"LF", "a\nb\n", {L"a", L"b"}},
        {"CRLF behind a mark",
         "\xEF\xBB\xBF"
         "a\r\nb\r\n",
         {L"a", L"b"}},
        {"no line end at the end", "a\r\n\nb", {L"a", L"", L"b"}},
        {"one empty line", "\n", {L""}},
        {"lone CRs", "a\rb\rc", {L"a", L"b", L"c"}},
        {"CR CR LF: a line end, then an empty line", "a\r\r\nb\r", {L"a", L"", L"b"}},
        {"marks that begin a line are read as nothing, any other as text",
         "a\n\xEF\xBB\xBF"
         "[Home]\r\n\xEF\xBB\xBF\xEF\xBB\xBF"
         "b\xEF\xBB\xBF\n\xEF\xBB\xBF",
         {L"a", L"[Home]", L"b\xFEFF", L""}},
        {"two files joined, each behind its mark",
         "\xEF\xBB\xBF[Work]\r\nw\r\n\xEF\xBB\xBF[Home]\r\nh\r\n",
         {L"[Work]", L"w", L"[Home]", L"h"}},
        {"a mark written twice", "\xEF\xBB\xBF\xEF\xBB\xBF[Home]\n", {L"[Home]"}},
        {"UTF-8 of every plane",
         "\xC3\xA9t\xC3\xA9 \xE9\x83\xB5 \xF0\x9F\x93\xA7\n",
         {L"été 郵 \U0001F4E7"}},
        {"a line of Windows-1252 among UTF-8",
         "caf\xE9\n\xC3\xA9t\xC3\xA9\n\x80 \x9F\xFF",
         {L"café", L"été", L"€ Ÿÿ"}},
        {"UTF-16 LE",
         Utf16Bytes(L"[Café]\r\n\U0001F4E7 x\ry\n", false),
         {L"[Café]", L"\U0001F4E7 x", L"y"}},
        {"UTF-16 BE",
         Utf16Bytes(L"[Café]\r\n\U0001F4E7 x\ry", true),
         {L"[Café]", L"\U0001F4E7 x", L"y"}},
        {"UTF-16 with a mark at the start of a later line",
         Utf16Bytes(L"[Work]\r\n\xFEFF[Home]\r\n", false),
         {L"[Work]", L"[Home]"}},
        {"UTF-16 with surrogates outside a pair, kept as they are",
         Utf16Bytes(L"a\xD800\r\n\xDC00 \xDBFF\xDBFF\U0001F4E7\xDFFF", false),
         {L"a\xD800", L"\xDC00 \xDBFF\xDBFF\U0001F4E7\xDFFF"}},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(ReadAll(test.bytes), test.lines) << test.what;
    }
}

TEST_F(TextFiles, FindsALineEndAtEveryPlaceOfAWordAmongBytesThatAreNearlyOne) {
    // Line ends are looked for eight bytes at a time: lines of every length up to two words, each
    // with each line end, made of characters one bit away from CR or LF (0x8A and 0x8D among the
    // bytes of their UTF-8).
    const std::wstring nearly = L"\x0B\x0C\x0E\x09\x1D\x2A\x4A\x4D\x8A\x8D";
    std::string bytes;
    Lines expected;
    for (const char* end : {"\r\n", "\n", "\r"}) {
        for (size_t length = 0; length <= 17; ++length) {
            std::wstring line;
            for (size_t at = 0; at < length; ++at) {
                line += nearly[(at + length) % nearly.size()];
            }
            bytes += testing_support::Utf8(line) + end;
            expected.push_back(line);
        }
    }
    EXPECT_EQ(ReadAll(bytes), expected);
}

TEST_F(TextFiles, ReadsLinesLongerThanItsBufferAndSplitAcrossIt) {
    // Put a line end, a CRLF split by the boundary of what the reader takes at a time, a
    // character of four bytes right on it and a line several buffers long after them.
    const size_t chunk = TextFileReadBytes;
    std::string bytes(chunk - 1, 'a');
    bytes += "\r\n";
    bytes += std::string(chunk - 3, 'b') + "\xF0\x9F\x93\xA7\n";
    bytes += std::string(3 * chunk + 7, 'c');
    Lines lines = ReadAll(bytes);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], std::wstring(chunk - 1, L'a'));
    EXPECT_EQ(lines[1], std::wstring(chunk - 3, L'b') + L"\U0001F4E7");
    EXPECT_EQ(lines[2], std::wstring(3 * chunk + 7, L'c'));

    // In UTF-16, a character of two units whose halves lie in two chunks.
    std::wstring text(chunk / 2 - 2, L'd');
    text += L"\U0001F4E7\r\ne";
    EXPECT_EQ(ReadAll(Utf16Bytes(text, false)),
              (Lines{std::wstring(chunk / 2 - 2, L'd') + L"\U0001F4E7", L"e"}));
}

TEST_F(TextFiles, AFileOrALineTooLongOrOfTooManyLinesIsNotRead) {
    bool failed = false;
    ReadAll(std::string(MaxTextLineBytes, 'x') + "\nshort\n", &failed);
    EXPECT_FALSE(failed) << "a line of the largest length is read";
    Lines lines = ReadAll(std::string(MaxTextLineBytes + 1, 'x') + "\nshort\n", &failed);
    EXPECT_TRUE(failed);
    EXPECT_EQ(lines, Lines{}) << "nothing after the line too long";

    std::string large;
    while (large.size() <= MaxTextFileBytes) {
        large += std::string(1000, 'y') + "\n";
    }
    lines = ReadAll(large, &failed);
    EXPECT_TRUE(failed);
    EXPECT_LT(lines.size() * 1001, MaxTextFileBytes + 1001);

    // Empty lines cost nothing on disk, but each is a line to hold: a file of countless ones is
    // read no further than the most lines a file may have, with or without a last line end.
    for (const char* lastEnd : {"\n", ""}) {
        SCOPED_TRACE(*lastEnd != '\0' ? "a line end last" : "no line end last");
        lines = ReadAll(std::string(MaxTextLines - 1, '\n') + "last" + lastEnd, &failed);
        EXPECT_FALSE(failed) << "the most lines a file may have are read";
        EXPECT_EQ(lines.size(), MaxTextLines);
        lines = ReadAll(std::string(MaxTextLines, '\n') + "one too many" + lastEnd, &failed);
        EXPECT_TRUE(failed);
        EXPECT_EQ(lines.size(), MaxTextLines);
    }
}

TEST_F(TextFiles, AFileInAnEncodingThatIsNotReadIsUnreadableNotEmpty) {
    const std::wstring text = L"[Work]\r\n<parm name=\"INSERVER\" value=\"pop\"/>\r\n";
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"a NUL among UTF-8", std::string("a\nb\0c\n", 7)},
        {"UTF-16 BE without its mark", Utf16Bytes(text, true).substr(2)},
        {"UTF-16 LE without its mark", Utf16Bytes(text, false).substr(2)},
        {"UTF-16 behind a UTF-8 mark", "\xEF\xBB\xBF" + Utf16Bytes(text, false).substr(2)},
        {"UTF-32 LE", std::string("\xFF\xFE\0\0[\0\0\0W\0\0\0]\0\0\0", 16)},
        {"UTF-32 BE", std::string("\0\0\xFE\xFF\0\0\0[\0\0\0W\0\0\0]", 16)},
        {"UTF-16 of an odd number of bytes", Utf16Bytes(text, false) + "x"},
    };
    for (const Case& test : cases) {
        bool failed = false;
        ReadAll(test.bytes, &failed);
        EXPECT_TRUE(failed) << test.what;
    }
}

TEST_F(TextFiles, AMissingFileIsToldApart) {
    TextLineReader missing(folder / L"nothing here");
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_TRUE(missing.IsMissing());
    std::wstring line = L"stale";
    EXPECT_FALSE(ReadTextLine(missing, line));
    EXPECT_EQ(line, L"");

    TextLineReader aFolder(folder.Path());
    EXPECT_FALSE(aFolder.IsOpen());
    EXPECT_FALSE(aFolder.IsMissing());
}

TEST_F(TextFiles, WritesUtf8AndCrLfWithOrWithoutAByteOrderMark) {
    TextFileWriter writer = TextFileWriter::Replace(path, ByteOrderMark::Written);
    writer.Write(L"été ");
    writer.Write(L"\U0001F4E7");
    writer.EndLineAndFlush();
    writer.EndLine();
    writer.WriteBytes("caf\xE9");
    writer.EndLine();
    EXPECT_TRUE(writer.CommitAndClose());
    EXPECT_EQ(ReadBytes(path), "\xEF\xBB\xBF\xC3\xA9t\xC3\xA9 \xF0\x9F\x93\xA7\r\n\r\ncaf\xE9\r\n");

    TextFileWriter shortcut = TextFileWriter::Replace(path, ByteOrderMark::Omitted);
    shortcut.Write(L"9#\"\\ab.exe\"");
    shortcut.EndLine();
    EXPECT_TRUE(shortcut.Close());
    EXPECT_EQ(ReadBytes(path), "9#\"\\ab.exe\"\r\n");
}

TEST_F(TextFiles, ReadBackExactlyWhatWasWritten) {
    const Lines lines = {
        L"",   L"[Poštovní účet 郵便 \U0001F4E7]",       L"  spaced  ",
        L"\t", std::wstring(MaxTextLineBytes / 2, L'ß'), L"<parm name=\"A\" value=\"&amp;\"/>"};
    {
        TextFileWriter writer = TextFileWriter::Replace(path, ByteOrderMark::Written);
        for (const auto& line : lines) {
            writer.Write(line);
            writer.EndLine();
        }
        ASSERT_TRUE(writer.Close());
    }
    TextLineReader reader(path);
    Lines read;
    std::wstring line;
    while (ReadTextLine(reader, line)) {
        read.push_back(line);
    }
    EXPECT_EQ(read, lines);
}

TEST_F(TextFiles, AWriterThatCannotOpenReportsIt) {
    TextFileWriter writer =
        TextFileWriter::Replace(folder / L"no such folder\\file", ByteOrderMark::Written);
    EXPECT_FALSE(writer.IsOpen());
    writer.Write(L"ignored");
    writer.EndLineAndFlush();
    EXPECT_FALSE(writer.Good());
    EXPECT_FALSE(writer.CommitAndClose());
    EXPECT_FALSE(writer.Close());

    // A new file is never one that is there already.
    WriteBytes(path, "kept");
    TextFileWriter fresh = TextFileWriter::CreateNew(path, ByteOrderMark::Written);
    EXPECT_FALSE(fresh.IsOpen());
    EXPECT_EQ(fresh.OpenError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_EQ(ReadBytes(path), "kept");
}

} // namespace
