#include "handset/tool/console_output.h"

#include "handset/common/utf8.h"

#include <windows.h>

namespace handset {

namespace {

void Write(DWORD which, const std::wstring& text) {
    HANDLE handle = GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || text.empty()) {
        return;
    }
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(handle, &mode)) {
        // A console shows wide text as it is, whatever its code page.
        WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    const std::string bytes = ToUtf8(text);
    WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

} // namespace

void WriteOut(const std::wstring& text) {
    Write(STD_OUTPUT_HANDLE, text);
}

void WriteError(const std::wstring& text) {
    Write(STD_ERROR_HANDLE, text);
}

} // namespace handset
