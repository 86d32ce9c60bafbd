// Serves a platform rule: the shell reads a shortcut from its first byte (see the header).
#include "handset/tool/shortcut_line.h"

#include <windows.h>

namespace handset {

std::optional<std::wstring> ParseShortcutLine(const std::wstring& line) {
    size_t hash = line.find(L'#');
    if (hash == std::wstring::npos || hash == 0 || hash > 9) {
        return std::nullopt;
    }
    if (line[0] == L'0') {
        return std::nullopt;
    }
    size_t count = 0;
    for (size_t i = 0; i < hash; ++i) {
        if (line[i] < L'0' || line[i] > L'9') {
            return std::nullopt;
        }
        count = count * 10 + static_cast<size_t>(line[i] - L'0');
    }
    std::wstring command = line.substr(hash + 1);
    if (command.empty() || command.size() != count) {
        return std::nullopt;
    }
    return command;
}

std::optional<std::wstring> ShortcutCommand(const std::string& fileBytes) {
    // From the first byte on, as a handset's shell reads it: a byte-order mark is no digit.
    std::string bytes = fileBytes.substr(0, fileBytes.find_first_of("\r\n"));
    // UTF-8 only: bytes that are not give no line.
    std::wstring line(bytes.size(), L'\0');
    line.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                                        static_cast<int>(bytes.size()), line.data(),
                                                        static_cast<int>(line.size()))));
    return line.empty() ? std::nullopt : ParseShortcutLine(line);
}

ShortcutStart SplitShortcutCommand(const std::wstring& command) {
    bool quoted = !command.empty() && command[0] == L'"';
    size_t imageEnd = quoted ? command.find(L'"', 1) : command.find(L' ');
    if (imageEnd == std::wstring::npos) {
        return {command.substr(quoted ? 1 : 0), L""};
    }
    size_t argumentsAt = quoted ? imageEnd + 1 : imageEnd;
    if (argumentsAt < command.size() && command[argumentsAt] == L' ') {
        ++argumentsAt;
    }
    return {command.substr(quoted ? 1 : 0, imageEnd - (quoted ? 1 : 0)),
            command.substr(argumentsAt)};
}

} // namespace handset
