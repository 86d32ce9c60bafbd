#include "tests/support/process.h"

#include <vector>

namespace testing_support {

Process::Process(const std::wstring& commandLine, const wchar_t* image, HANDLE output) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    if (output != nullptr) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = output;
        startup.hStdError = output;
    }
    std::vector<wchar_t> mutableLine(commandLine.begin(), commandLine.end());
    mutableLine.push_back(L'\0');
    PROCESS_INFORMATION info{};
    if (CreateProcessW(image, mutableLine.data(), nullptr, nullptr, output != nullptr, 0, nullptr,
                       nullptr, &startup, &info)) {
        handset::UniqueHandle thread(info.hThread);
        process.reset(info.hProcess);
        id = info.dwProcessId;
    }
}

Process::~Process() {
    if (Started() && WaitForSingleObject(process.get(), 0) != WAIT_OBJECT_0) {
        Kill(255);
    }
}

std::optional<unsigned long> Process::Wait(unsigned long timeoutMs) {
    if (!Started() || WaitForSingleObject(process.get(), timeoutMs) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(process.get(), &exitCode);
    return exitCode;
}

void Process::Kill(unsigned int exitCode) {
    TerminateProcess(process.get(), exitCode);
    WaitForSingleObject(process.get(), 30000);
}

namespace {

ProcessResult Run(const wchar_t* image, const std::wstring& commandLine, unsigned long timeoutMs) {
    ProcessResult result;

    SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) {
        return result;
    }
    handset::UniqueHandle reader(readEnd);
    handset::UniqueHandle writer(writeEnd);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    Process process(commandLine, image, writeEnd);
    if (!process.Started()) {
        return result;
    }
    result.started = true;
    writer.reset();

    // Drain the pipe while waiting, so that a talkative program never blocks on a full pipe.
    DWORD start = GetTickCount();
    std::optional<unsigned long> exitCode;
    char chunk[4096];
    DWORD got = 0;
    for (;;) {
        DWORD available = 0;
        while (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
            if (!ReadFile(readEnd, chunk, sizeof(chunk), &got, nullptr) || got == 0) {
                break;
            }
            result.output.append(chunk, got);
        }
        if ((exitCode = process.Wait(20))) {
            break;
        }
        if (GetTickCount() - start > timeoutMs) {
            process.Kill(255);
            exitCode = process.Wait(0);
            result.timedOut = true;
            break;
        }
    }
    while (ReadFile(readEnd, chunk, sizeof(chunk), &got, nullptr) && got > 0) {
        result.output.append(chunk, got);
    }
    result.exitCode = exitCode.value_or(0);
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

ProcessResult RunHandset(const std::wstring& arguments, unsigned long timeoutMs) {
    return RunProcess(L"\"" + BinFolder() + L"handset.exe\" " + arguments, timeoutMs);
}

std::wstring BinFolder() {
    // A Unicode path has at most 32768 characters ("Path Field Limits"), so the whole path fits.
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path.substr(0, path.rfind(L'\\') + 1);
}

} // namespace testing_support
