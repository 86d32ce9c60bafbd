// A program for soft-reset tests. Started with its image apart and the command line
// "\"FILE\" CODE [ANY TEXT]", as a handset's shell starts a shortcut, it appends to FILE one UTF-8
// line with its whole command line exactly as it got it, then exits with CODE.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int wmain() {
    const std::wstring line = GetCommandLineW();
    size_t fileEnd = line.find(L'"', 1);
    if (line.empty() || line[0] != L'"' || fileEnd == std::wstring::npos) {
        return 100;
    }
    const std::wstring file = line.substr(1, fileEnd - 1);

    int size = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, bytes.data(), size, nullptr, nullptr);
    bytes.pop_back();
    FILE* out = _wfopen(file.c_str(), L"ab");
    if (out == nullptr) {
        return 101;
    }
    std::fputs((bytes + "\n").c_str(), out);
    std::fclose(out);
    return std::wcstol(line.c_str() + fileEnd + 1, nullptr, 10);
}
