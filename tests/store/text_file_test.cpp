#include <gtest/gtest.h>

#include "store/text_file.h"
#include "tests/support/files.h"
#include "tests/support/temp_folder.h"

namespace {

using testing_support::ReadBytes;
using testing_support::WriteBytes;
using Lines = std::vector<std::wstring>;

class TextFiles : public ::testing::Test {
protected:
    Lines ReadAll(const std::string& bytes) {
        WriteBytes(path, bytes);
        TextLineReader reader(path);
        EXPECT_TRUE(reader.IsOpen());
        Lines lines;
        std::wstring line;
        while (reader.ReadLine(line)) {
            lines.push_back(line);
        }
        EXPECT_FALSE(reader.Failed());
        return lines;
    }

    testing_support::TempFolder folder;
    std::wstring path = folder / L"text";
};

TEST_F(TextFiles, LinesEndAtLineFeedsWithOrWithoutCarriageReturns) {
    EXPECT_EQ(ReadAll(""), Lines{});
    EXPECT_EQ(ReadAll("\xEF\xBB\xBF"), Lines{});
    EXPECT_EQ(ReadAll("a\nb\n"), (Lines{L"a", L"b"}));
    EXPECT_EQ(ReadAll("\xEF\xBB\xBF"
                      "a\r\nb\r\n"),
              (Lines{L"a", L"b"}));
    EXPECT_EQ(ReadAll("a\r\n\nb"), (Lines{L"a", L"", L"b"}));
    EXPECT_EQ(ReadAll("\n"), (Lines{L""}));
    // A carriage return that ends no line is text.
    EXPECT_EQ(ReadAll("a\rb\r\r\nc\r"), (Lines{L"a\rb\r", L"c\r"}));
    // A byte-order mark is skipped only at the very start.
    EXPECT_EQ(ReadAll("a\n\xEF\xBB\xBF"
                      "b\n"),
              (Lines{L"a", L"\xFEFF"
                           L"b"}));
}

TEST_F(TextFiles, ReadsAnyBytesAndReplacesWhatIsNotUtf8) {
    EXPECT_EQ(ReadAll("\xC3\xA9t\xC3\xA9 \xE9\x83\xB5 \xF0\x9F\x93\xA7\n"),
              (Lines{L"été 郵 \U0001F4E7"}));
    EXPECT_EQ(ReadAll("a\xFF"
                      "b\n\x80\n"),
              (Lines{L"a\xFFFD"
                     L"b",
                     L"\xFFFD"}));
    EXPECT_EQ(ReadAll(std::string("a\0b\n", 4)), (Lines{std::wstring(L"a\0b", 3)}));
}

TEST_F(TextFiles, ReadsLinesLongerThanItsBufferAndSplitAcrossIt) {
    // The reader takes 64 KiB at a time: put a line end, a CRLF and a character of four bytes
    // right on that boundary, and a line several buffers long after them.
    const size_t chunk = 64 * 1024;
    std::string bytes(chunk - 1, 'a');
    bytes += "\r\n";
    bytes += std::string(chunk - 2, 'b') + "\xF0\x9F\x93\xA7\n";
    bytes += std::string(3 * chunk + 7, 'c');
    Lines lines = ReadAll(bytes);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], std::wstring(chunk - 1, L'a'));
    EXPECT_EQ(lines[1], std::wstring(chunk - 2, L'b') + L"\U0001F4E7");
    EXPECT_EQ(lines[2], std::wstring(3 * chunk + 7, L'c'));
}

TEST_F(TextFiles, AMissingFileIsToldApart) {
    TextLineReader missing(folder / L"nothing here");
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_TRUE(missing.IsMissing());
    std::wstring line = L"stale";
    EXPECT_FALSE(missing.ReadLine(line));
    EXPECT_EQ(line, L"");
}

TEST_F(TextFiles, WritesUtf8WithAByteOrderMarkAndCrLf) {
    TextFileWriter writer(path);
    writer.Write(L"été ");
    writer.Write(L"\U0001F4E7");
    writer.EndLine(true);
    writer.EndLine(false);
    writer.Write(L"x");
    writer.EndLine(false);
    EXPECT_TRUE(writer.Commit());
    EXPECT_TRUE(writer.Close());
    EXPECT_EQ(ReadBytes(path), "\xEF\xBB\xBF\xC3\xA9t\xC3\xA9 \xF0\x9F\x93\xA7\r\n\r\nx\r\n");
}

TEST_F(TextFiles, ReadBackExactlyWhatWasWritten) {
    const Lines lines = {
        L"",   L"[Poštovní účet 郵便 \U0001F4E7]", L"  spaced  ",
        L"\t", std::wstring(100000, L'ß'),         L"<parm name=\"A\" value=\"&amp;\"/>"};
    {
        TextFileWriter writer(path);
        for (const auto& line : lines) {
            writer.Write(line);
            writer.EndLine(false);
        }
        ASSERT_TRUE(writer.Close());
    }
    TextLineReader reader(path);
    Lines read;
    std::wstring line;
    while (reader.ReadLine(line)) {
        read.push_back(line);
    }
    EXPECT_EQ(read, lines);
}

TEST_F(TextFiles, AWriterThatCannotOpenReportsIt) {
    TextFileWriter writer(folder / L"no such folder\\file");
    EXPECT_FALSE(writer.IsOpen());
    writer.Write(L"ignored");
    writer.EndLine(true);
    EXPECT_FALSE(writer.Good());
    EXPECT_FALSE(writer.Commit());
    EXPECT_FALSE(writer.Close());
}

} // namespace
