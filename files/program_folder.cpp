#include "files/program_folder.h"

HINSTANCE instanceHandle = nullptr;

std::wstring GetProgramFilePath() {
    // A module path can be longer than MAX_PATH; grow the buffer until the whole path fits
    // rather than working with a cut one.
    std::wstring path(256, L'\0');
    for (;;) {
        DWORD length =
            GetModuleFileNameW(instanceHandle, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        if (path.size() >= 32768) {
            return {};
        }
        path.resize(path.size() * 2);
    }
}

std::wstring GetProgramFolder() {
    std::wstring path = GetProgramFilePath();
    size_t lastBackslash = path.rfind(L'\\');
    if (lastBackslash == std::wstring::npos) {
        return {};
    }
    return path.substr(0, lastBackslash + 1);
}

std::wstring GetConfigFilePath() {
    return GetProgramFolder() + L"config";
}

std::wstring GetRunLogPath() {
    return GetProgramFolder() + L"log.txt";
}
