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
    if (bytes.empty()) {
        return std::nullopt;
    }
    int size = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                   static_cast<int>(bytes.size()), nullptr, 0);
    if (size <= 0) {
        return std::nullopt;
    }
    std::wstring line(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                        line.data(), size);
    return ParseShortcutLine(line);
}

} // namespace handset
