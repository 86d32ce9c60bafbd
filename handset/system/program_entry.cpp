// Serves a platform rule: the entry that a handset's loader gives a program, its wWinMain with the
// command line "excluding the program name" (WinMain, Windows CE 5.0), exactly as the process got
// it. The desktop's C runtime would trim the leading blanks, so the program is linked with this
// WinMain instead.
#include <windows.h>

#include <string>

#include "handset/system/argument_text.h"

namespace {

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    std::wstring arguments = handset::ArgumentText(GetCommandLineW(), ModulePath());
    return wWinMain(instance, nullptr, arguments.data(), show);
}
