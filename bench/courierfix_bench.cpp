// courierfix_bench.exe: timings that need the program's own code in process. Prints one number
// per line, in microseconds, unless said otherwise.
//
//   repair DOCUMENTS LOG ACCOUNTS RUNS
//                              the repair of all saved accounts, the whole way the program does
//                              it from start-up to shutdown, and the handset's floor with the
//                              documents of DOCUMENTS and the log lines of LOG, alternately:
//                              "program US" and "floor US" for each run. The program must lie in
//                              the program folder of a handset with ACCOUNTS stores and a config
//                              saving them all. Every run is checked (the program: exit code 0
//                              and log.txt exactly the lines of LOG; the floor: ACCOUNTS stores
//                              opened, every document accepted, all of config read and
//                              floor-log.txt exactly the lines of LOG); a run that fails stops the
//                              benchmark with exit code 1 and a line on stderr
//   memory LOG ACCOUNTS        the most heap that one run of the program's repair of all saved
//                              accounts takes, checked as above: "peak BYTES", "budget BYTES" and
//                              "config BYTES"
//   limits                     the reader's limits: "file BYTES", "lines COUNT", "line BYTES"
//                              and "section BYTES"
//   config FOLDER RUNS         saving, then loading, the section of the account "Work" in a
//                              config of about 1,000 lines and in one of 10,000, in folders of
//                              FOLDER, the sizes in turn: "save LINES US" and "load LINES US"
//                              for each size and run; a run that saves or loads the wrong thing
//                              stops the benchmark with exit code 1 and a line on stderr
//   dialog main|empty          the creation of the main dialog up to the end of its
//                              initialisation, or of an empty dialog, once, in a fresh process
//   desktop                    holds the handset's desktop until its standard input ends; prints
//                              "ready" once it does
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "accounts/account_discovery.h"
#include "accounts/account_table.h"
#include "app/startup.h"
#include "files/program_folder.h"
#include "store/config_file.h"
#include "files/text_file.h"
#include "floor_work.h"
#include "handset/system/heap_budget.h"
#include "ui/dialog_template.h"
#include "ui/main_dialog.h"
#include "ui/resource.h"

namespace {

using Clock = std::chrono::steady_clock;

long long MicrosecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
}

std::wstring Parm(const std::wstring& name, const std::wstring& value) {
    return L"<parm name=\"" + name + L"\" value=\"" + value + L"\"/>";
}

// A config of sections of ten lines each, the measured account's in the middle of them.
void WriteConfig(const std::wstring& path, int lines) {
    TextFileWriter writer = TextFileWriter::Replace(path, ByteOrderMark::Written);
    const int sections = lines / 11;
    for (int section = 0; section < sections; ++section) {
        writer.Write(section == sections / 2 ? L"[Work]"
                                             : L"[Account " + std::to_wstring(section) + L"]");
        writer.EndLine();
        for (int line = 0; line < 10; ++line) {
            writer.Write(Parm(L"INSERVER", L"pop" + std::to_wstring(line) + L".example"));
            writer.EndLine();
        }
    }
    writer.Close();
}

// The runs before the timings, checked but not counted: at least three, to load what the first
// run would otherwise load, and at least two seconds of them, since a core that was idle while
// the prefix settled runs the first half second or so of work markedly slower.
class WarmUp {
public:
    // Whether the run just made counts; false while the warm-up lasts.
    bool Counts() {
        if (runs < 3 || Clock::now() < end) {
            ++runs;
            return false;
        }
        return true;
    }

private:
    const Clock::time_point end = Clock::now() + std::chrono::seconds(2);
    int runs = 0;
};

// The timings of saving, then loading, the section of "Work" in one config; false after a line
// on stderr when either did the wrong thing.
bool TimeSaveAndLoad(const std::wstring& config, const std::vector<std::wstring>& body,
                     long long& save, long long& load) {
    auto start = Clock::now();
    if (!SaveAccountSection(config, L"Work", body)) {
        std::fprintf(stderr, "courierfix_bench: the save failed\n");
        return false;
    }
    save = MicrosecondsSince(start);

    start = Clock::now();
    std::vector<std::wstring> loaded = ReadAccountSection(config, L"Work");
    load = MicrosecondsSince(start);
    if (loaded != body) {
        std::fprintf(stderr, "courierfix_bench: the load gave %zu lines, not the %zu saved\n",
                     loaded.size(), body.size());
        return false;
    }
    return true;
}

int BenchConfig(const std::wstring& folder, int runs) {
    // Each size in a folder of its own, so that each config has its own lock and leftovers.
    struct Config {
        int lines;
        std::wstring path;
    };
    std::vector<Config> configs;
    for (int lines : {1000, 10000}) {
        const std::wstring sizeFolder = folder + L"\\" + std::to_wstring(lines);
        CreateDirectoryW(sizeFolder.c_str(), nullptr);
        configs.push_back({lines, sizeFolder + L"\\config"});
        WriteConfig(configs.back().path, lines);
    }
    const std::vector<std::wstring> body = {
        Parm(L"INSERVER", L"pop.work.example"), Parm(L"OUTSERVER", L"smtp.work.example"),
        Parm(L"AUTHSECRET", L"secret"),         Parm(L"SMTPALTAUTHNAME", L"me@work.example"),
        Parm(L"SMTPALTPASSWORD", L"secret"),    Parm(L"SMTPALTDOMAIN", L"WORK")};
    // The sizes in turn, so that whatever the machine and its disk do meanwhile falls on both.
    WarmUp warmUp;
    for (int run = 0; run < runs;) {
        long long save[2] = {};
        long long load[2] = {};
        for (size_t size = 0; size < configs.size(); ++size) {
            if (!TimeSaveAndLoad(configs[size].path, body, save[size], load[size])) {
                return 1;
            }
        }
        if (warmUp.Counts()) {
            for (size_t size = 0; size < configs.size(); ++size) {
                std::printf("save %d %lld\nload %d %lld\n", configs[size].lines, save[size],
                            configs[size].lines, load[size]);
            }
            ++run;
        }
    }
    return 0;
}

void NoDialog() {}

// The bytes of a file, or nothing when it cannot be read.
std::optional<std::string> FileBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    const bool whole =
        ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) != FALSE &&
        read == bytes.size();
    CloseHandle(file);
    return whole ? std::optional<std::string>(std::move(bytes)) : std::nullopt;
}

// The log that a run must leave: the lines the benchmark made, as the program writes them.
std::string ExpectedLog(const std::vector<std::string>& lines) {
    std::string bytes(Utf8ByteOrderMark);
    for (const std::string& line : lines) {
        bytes += line + "\r\n";
    }
    return bytes;
}

// Why the log at path is not the expected one, naming its first line that differs; empty when it
// is.
std::string LogFault(const std::wstring& path, const char* name, const std::string& expected) {
    const std::optional<std::string> bytes = FileBytes(path);
    if (!bytes) {
        return std::string(name) + " could not be read";
    }
    if (*bytes == expected) {
        return {};
    }
    size_t at = 0;
    int line = 1;
    while (at < bytes->size() && at < expected.size() && (*bytes)[at] == expected[at]) {
        line += (*bytes)[at++] == '\n';
    }
    const size_t lineStart = bytes->rfind('\n', at == 0 ? 0 : at - 1);
    const size_t from = lineStart == std::string::npos || at == 0 ? 0 : lineStart + 1;
    const std::string found = bytes->substr(from, bytes->find_first_of("\r\n", from) - from);
    return std::string(name) + " differs from the expected log at line " + std::to_string(line) +
           (from >= bytes->size() ? ", which it lacks"
                                  : ", which reads \"" + found.substr(0, 120) + "\"");
}

// Empties log.txt, so that a run that wrote no log of its own cannot pass on the last one's. The
// program still replaces a log that is there, as at every start on a handset.
bool EmptyRunLog() {
    HANDLE log = CreateFileW(GetRunLogPath().c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                             0, nullptr);
    if (log == INVALID_HANDLE_VALUE) {
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    }
    CloseHandle(log);
    return true;
}

// One run of the program's repair of all saved accounts: how long it took, the most heap it took
// over what the process held before, and why it failed, if it did (checked after the run: exit
// code 0 and exactly the expected log).
struct ProgramRun {
    long long microseconds = 0;
    size_t heapPeak = 0;
    std::string fault;
};

ProgramRun RunProgramWork(const std::string& expectedLog) {
    ProgramRun run;
    if (!EmptyRunLog()) {
        run.fault = "log.txt could not be emptied";
        return run;
    }
    const size_t before = handset::HeapInUse();
    handset::ResetHeapPeak();
    const auto start = Clock::now();
    const int exitCode = RunCourierfix(GetModuleHandleW(nullptr), L"--autorepairall", NoDialog);
    run.microseconds = MicrosecondsSince(start);
    run.heapPeak = handset::HeapPeak() - before;
    run.fault = LogFault(GetRunLogPath(), "log.txt", expectedLog);
    if (exitCode != 0) {
        run.fault = "the repair exited with " + std::to_string(exitCode) +
                    (run.fault.empty() ? "" : "; " + run.fault);
    }
    return run;
}

// One run of the program's work, timed, then checked; -1 after a line on stderr on a failure.
long long TimeProgramWork(const std::string& expectedLog) {
    const ProgramRun run = RunProgramWork(expectedLog);
    if (!run.fault.empty()) {
        std::fprintf(stderr, "courierfix_bench: %s\n", run.fault.c_str());
        return -1;
    }
    return run.microseconds;
}

// What the floor's runs are checked against.
struct FloorCheck {
    int accounts;
    long long configBytes;
    std::string expectedLog;
};

// One run of the floor's work, timed, then checked; -1 after a line on stderr on a failure.
long long TimeFloorWork(const FloorInput& input, const FloorCheck& check) {
    const std::wstring config = FileBesideProgram(L"config");
    const std::wstring floorLog = FileBesideProgram(L"floor-log.txt");
    const auto start = Clock::now();
    const FloorOutcome outcome = RunFloorWork(config, floorLog, input);
    const long long took = MicrosecondsSince(start);
    std::string fault = outcome.fault;
    if (fault.empty() && outcome.storesOpened != check.accounts) {
        fault = "the floor opened " + std::to_string(outcome.storesOpened) + " stores of " +
                std::to_string(check.accounts);
    }
    if (fault.empty() && outcome.configBytes != check.configBytes) {
        fault = "the floor read " + std::to_string(outcome.configBytes) + " bytes of config, not " +
                std::to_string(check.configBytes);
    }
    if (fault.empty()) {
        fault = LogFault(floorLog, "floor-log.txt", check.expectedLog);
    }
    if (!fault.empty()) {
        std::fprintf(stderr, "courierfix_bench: %s\n", fault.c_str());
        return -1;
    }
    return took;
}

// The size of config beside the program, or -1.
long long ConfigBytes() {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(GetConfigFilePath().c_str(), GetFileExInfoStandard, &data)) {
        return -1;
    }
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The floor's input, checked against the accounts it is for; false after a line on stderr.
bool ReadCheckedInput(const std::wstring& documentsPath, const std::wstring& logPath, int accounts,
                      FloorInput& input) {
    input = ReadFloorInput(documentsPath, logPath);
    // The command line, "Auto repair All", one line per account and "Done".
    if (static_cast<int>(input.documents.size()) != accounts ||
        static_cast<int>(input.logLines.size()) != accounts + 3) {
        std::fprintf(stderr, "courierfix_bench: %zu documents and %zu log lines for %d accounts\n",
                     input.documents.size(), input.logLines.size(), accounts);
        return false;
    }
    return true;
}

int BenchRepair(const std::wstring& documentsPath, const std::wstring& logPath, int accounts,
                int runs) {
    FloorInput input;
    if (!ReadCheckedInput(documentsPath, logPath, accounts, input)) {
        return 1;
    }
    const FloorCheck check{accounts, ConfigBytes(), ExpectedLog(input.logLines)};
    // One of each in turn, so that whatever the machine does meanwhile falls on both alike.
    WarmUp warmUp;
    for (int run = 0; run < runs;) {
        const long long program = TimeProgramWork(check.expectedLog);
        const long long floor = program < 0 ? -1 : TimeFloorWork(input, check);
        if (floor < 0) {
            return 1;
        }
        if (warmUp.Counts()) {
            std::printf("program %lld\nfloor %lld\n", program, floor);
            ++run;
        }
    }
    return 0;
}

// The most heap that one run of the repair of all saved accounts takes, in a process that has
// done nothing else: "peak BYTES", "budget BYTES" and "config BYTES".
int BenchMemory(const std::wstring& logPath, int accounts) {
    const std::vector<std::string> lines = ReadFloorLines(logPath);
    if (static_cast<int>(lines.size()) != accounts + 3) {
        std::fprintf(stderr, "courierfix_bench: %zu log lines for %d accounts\n", lines.size(),
                     accounts);
        return 1;
    }
    const ProgramRun run = RunProgramWork(ExpectedLog(lines));
    if (!run.fault.empty()) {
        std::fprintf(stderr, "courierfix_bench: %s\n", run.fault.c_str());
        return 1;
    }
    std::printf("peak %zu\nbudget %zu\nconfig %lld\n", run.heapPeak, handset::HeapBudget(),
                ConfigBytes());
    return 0;
}

// Holds the handset's desktop for as long as its standard input is open: a window of its own
// makes the desktop's owner start, and keeps it from closing between the benchmark's processes
// as a handset's shell is always there. Prints "ready" once the window exists.
int HoldDesktop() {
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    if (window == nullptr) {
        std::fprintf(stderr, "courierfix_bench: no window on the desktop (error %lu)\n",
                     GetLastError());
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    // Messages are answered meanwhile, so that nothing sent to every window waits for this one;
    // the end of the input ends the loop.
    const DWORD mainThread = GetCurrentThreadId();
    HANDLE reader = CreateThread(
        nullptr, 0,
        [](LPVOID thread) CALLBACK -> DWORD {
            char byte = 0;
            DWORD got = 0;
            while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), &byte, 1, &got, nullptr) && got != 0) {
            }
            PostThreadMessageW(static_cast<DWORD>(reinterpret_cast<UINT_PTR>(thread)), WM_QUIT, 0,
                               0);
            return 0;
        },
        reinterpret_cast<LPVOID>(static_cast<UINT_PTR>(mainThread)), 0, nullptr);
    if (reader == nullptr) {
        DestroyWindow(window);
        return 1;
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    WaitForSingleObject(reader, INFINITE);
    CloseHandle(reader);
    DestroyWindow(window);
    return 0;
}

INT_PTR CALLBACK EmptyDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

int BenchDialog(bool main) {
    instanceHandle = GetModuleHandleW(nullptr);
    IMAPISession* session = nullptr;
    // The start-up work before the dialog, as the program does it, is not part of the timing.
    bool mapi = main && SUCCEEDED(MAPIInitialize(nullptr));
    if (mapi && MAPILogonEx(0, nullptr, nullptr, 0, &session) >= 0) {
        EnumerateAccounts(session, accountTable);
    }
    // An empty dialog: a template without controls, in the same font.
    struct {
        DLGTEMPLATE header;
        WORD menu, windowClass, title, pointSize;
        wchar_t font[14];
    } empty{
        {DS_SETFONT | WS_POPUP | WS_CAPTION, 0, 0, 0, 0, 150, 150}, 0, 0, 0, 8, L"MS Shell Dlg"};

    const LPCDLGTEMPLATEW mainTemplate = LoadDialogTemplate(IDD_MAIN);
    if (main && mainTemplate == nullptr) {
        std::fprintf(stderr, "courierfix_bench: the main dialog's template was not found\n");
        return 1;
    }
    // A dialog is a window of the desktop, which its owner makes: it must be there before the
    // clock starts (the benchmark holds it; see "desktop").
    if (!IsWindow(GetDesktopWindow())) {
        std::fprintf(stderr, "courierfix_bench: no desktop window (error %lu)\n", GetLastError());
        return 1;
    }

    auto start = Clock::now();
    // The program registers the common controls just before it creates its dialog.
    const bool registered = !main || RegisterMainDialogControls();
    HWND dialog =
        main ? CreateDialogIndirectParamW(instanceHandle, mainTemplate, nullptr, MainDialogProc, 0)
             : CreateDialogIndirectParamW(instanceHandle, &empty.header, nullptr, EmptyDialogProc,
                                          0);
    long long took = MicrosecondsSince(start);
    if (dialog == nullptr) {
        std::fprintf(stderr,
                     "courierfix_bench: no %s dialog (error %lu; the common controls %s "
                     "registered)\n",
                     main ? "main" : "empty", GetLastError(), registered ? "were" : "were not");
        return 1;
    }
    std::printf("%lld\n", took);
    DestroyWindow(dialog);
    accountTable.Clear();
    if (session != nullptr) {
        session->Logoff(0, 0, 0);
        session->Release();
    }
    if (mapi) {
        MAPIUninitialize();
    }
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"config" && argc == 4) {
        return BenchConfig(argv[2], _wtoi(argv[3]));
    }
    if (mode == L"repair" && argc == 6) {
        return BenchRepair(argv[2], argv[3], _wtoi(argv[4]), _wtoi(argv[5]));
    }
    if (mode == L"memory" && argc == 4) {
        return BenchMemory(argv[2], _wtoi(argv[3]));
    }
    if (mode == L"limits" && argc == 2) {
        std::printf("file %llu\nlines %zu\nline %zu\nsection %zu\n", MaxTextFileBytes, MaxTextLines,
                    MaxTextLineBytes, MaxSectionBytes);
        return 0;
    }
    if (mode == L"dialog" && argc == 3) {
        return BenchDialog(std::wstring(argv[2]) == L"main");
    }
    if (mode == L"desktop" && argc == 2) {
        return HoldDesktop();
    }
    std::fprintf(stderr, "usage: courierfix_bench repair DOCUMENTS LOG ACCOUNTS RUNS | memory LOG "
                         "ACCOUNTS | limits | config FOLDER RUNS | dialog main|empty | desktop\n");
    return 2;
}
