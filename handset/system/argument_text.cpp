// Serves a platform rule: WinMain's arguments without the image name (see the header).
#include "handset/system/argument_text.h"

#include <windows.h>

#include <algorithm>

namespace handset {

namespace {

bool SameText(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// Whether a command line's first word starts this module, as a desktop loader reads it: a path
// to it, or its bare file name as found on the search path; ".exe" may be left out.
bool NamesModule(std::wstring word, std::wstring_view modulePath) {
    if (word.empty()) {
        return false;
    }
    size_t nameAt = word.find_last_of(L"\\/:") + 1;
    if (word.find(L'.', nameAt) == std::wstring::npos) {
        word += L".exe";
    }
    if (nameAt == 0) {
        return SameText(word, modulePath.substr(modulePath.find_last_of(L"\\/") + 1));
    }
    return SameText(FullPath(word), modulePath);
}

} // namespace

std::wstring FullPath(const std::wstring& path) {
    std::wstring full(GetFullPathNameW(path.c_str(), 0, nullptr, nullptr), L'\0');
    DWORD length =
        GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    full.resize(length < full.size() ? length : 0);
    return full;
}

std::wstring ArgumentText(std::wstring_view commandLine, std::wstring_view modulePath) {
    size_t end;
    std::wstring_view word;
    if (!commandLine.empty() && commandLine[0] == L'"') {
        end = commandLine.find(L'"', 1);
        if (end == std::wstring_view::npos) {
            return std::wstring(commandLine);
        }
        word = commandLine.substr(1, end - 1);
        ++end;
    } else {
        end = std::min(commandLine.find_first_of(L" \t"), commandLine.size());
        word = commandLine.substr(0, end);
    }
    if (!NamesModule(std::wstring(word), modulePath)) {
        return std::wstring(commandLine);
    }
    if (end < commandLine.size() && (commandLine[end] == L' ' || commandLine[end] == L'\t')) {
        ++end;
    }
    return std::wstring(commandLine.substr(end));
}

} // namespace handset
