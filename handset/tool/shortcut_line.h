// Serves a platform rule: the shell's shortcut file is one line "count#command", where count is
// the decimal number of UTF-16 characters of command (no sign, no leading zeros) and command is a
// quoted program path followed by the argument text.
#pragma once

#include <optional>
#include <string>

namespace handset {

// The command of a shortcut line (without its line end), or nothing when the line is not
// "count#command" with a count that matches.
std::optional<std::wstring> ParseShortcutLine(const std::wstring& line);

// The command of a shortcut file's bytes: UTF-8, the first line with its CR/LF removed, read from
// the first byte as a handset's shell reads it. Nothing when the bytes are not valid UTF-8 or the
// line is malformed, a line behind a byte-order mark included.
std::optional<std::wstring> ShortcutCommand(const std::string& fileBytes);

// A command as a handset's shell starts it: the program's image (the quoted path, or the text up
// to the first blank) apart from the argument text, which is all that follows the blank after it.
struct ShortcutStart {
    std::wstring image;
    std::wstring arguments;
};
ShortcutStart SplitShortcutCommand(const std::wstring& command);

} // namespace handset
