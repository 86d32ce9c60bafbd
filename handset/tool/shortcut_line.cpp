#include "handset/tool/shortcut_line.h"

#include "handset/common/utf8.h"

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
    auto line = FromUtf8(bytes);
    if (!line || line->empty()) {
        return std::nullopt;
    }
    return ParseShortcutLine(*line);
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
