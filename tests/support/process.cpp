#include "tests/support/process.h"

#include <windows.h>

#include <memory>
#include <vector>

namespace testing_support {

namespace {

struct HandleCloser {
    void operator()(HANDLE handle) const {
        if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
        }
    }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

ProcessResult Run(const wchar_t* image, const std::wstring& commandLine, unsigned long timeoutMs) {
    ProcessResult result;

    SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) {
        return result;
    }
    UniqueHandle reader(readEnd);
    UniqueHandle writer(writeEnd);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;

    std::vector<wchar_t> mutableLine(commandLine.begin(), commandLine.end());
    mutableLine.push_back(L'\0');
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(image, mutableLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &info)) {
        return result;
    }
    result.started = true;
    UniqueHandle process(info.hProcess);
    UniqueHandle thread(info.hThread);
    writer.reset();

    // Drain the pipe while waiting, so that a talkative program never blocks on a full pipe.
    DWORD start = GetTickCount();
    for (;;) {
        DWORD available = 0;
        while (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
            char chunk[4096];
            DWORD got = 0;
            if (!ReadFile(readEnd, chunk, sizeof(chunk), &got, nullptr) || got == 0) {
                break;
            }
            result.output.append(chunk, got);
        }
        DWORD waited = WaitForSingleObject(info.hProcess, 20);
        if (waited == WAIT_OBJECT_0) {
            break;
        }
        if (GetTickCount() - start > timeoutMs) {
            TerminateProcess(info.hProcess, 255);
            WaitForSingleObject(info.hProcess, 5000);
            result.timedOut = true;
            break;
        }
    }
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(readEnd, chunk, sizeof(chunk), &got, nullptr) && got > 0) {
        result.output.append(chunk, got);
    }
    GetExitCodeProcess(info.hProcess, &result.exitCode);
    return result;
}

} // namespace

ProcessResult RunProcess(const std::wstring& commandLine, unsigned long timeoutMs) {
    return Run(nullptr, commandLine, timeoutMs);
}

ProcessResult RunImage(const std::wstring& image, const std::wstring& arguments,
                       unsigned long timeoutMs) {
    return Run(image.c_str(), arguments, timeoutMs);
}

std::wstring BinFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.rfind(L'\\') + 1);
}

} // namespace testing_support
