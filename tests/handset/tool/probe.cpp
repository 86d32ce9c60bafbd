// A program for soft-reset tests: "probe.exe FILE CODE [ANY TEXT]" appends to FILE one UTF-8
// line with the argument text exactly as it reached the program, then exits with CODE.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        return 100;
    }
    // The argument text: the command line after the program's own (possibly quoted) path.
    std::wstring line = GetCommandLineW();
    size_t end = line[0] == L'"' ? line.find(L'"', 1) + 1 : line.find(L' ');
    std::wstring arguments = end == std::wstring::npos ? L"" : line.substr(end);

    int size = WideCharToMultiByte(CP_UTF8, 0, arguments.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, arguments.c_str(), -1, bytes.data(), size, nullptr, nullptr);
    bytes.pop_back();
    FILE* file = _wfopen(argv[1], L"ab");
    if (file == nullptr) {
        return 101;
    }
    std::fputs((bytes + "\n").c_str(), file);
    std::fclose(file);
    return std::wcstol(argv[2], nullptr, 10);
}
