// A text file's lines one by one as text, as the tests read them.
#pragma once

#include <string>
#include <string_view>

#include "files/text_file.h"

namespace testing_support {

// The reader's next line, decoded as the program decodes a line; false at the end of the file or
// after a failure.
inline bool ReadTextLine(TextLineReader& reader, std::wstring& line) {
    std::string_view bytes;
    const bool read = reader.ReadLineBytes(bytes);
    line = DecodeLine(bytes);
    return read;
}

} // namespace testing_support
