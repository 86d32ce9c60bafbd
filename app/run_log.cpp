#include "app/run_log.h"

#include "files/program_folder.h"

void RunLog::Write(std::wstring_view text) {
    size_t lineBreak = text.find_first_of(L"\r\n");
    if (lineBreak == std::wstring_view::npos) {
        writer.Write(text);
        return;
    }
    std::wstring visible(text);
    for (size_t at = lineBreak; at < visible.size(); at = visible.find_first_of(L"\r\n", at + 1)) {
        visible[at] = visible[at] == L'\r' ? L'\x240D' : L'\x240A';
    }
    writer.Write(visible);
}

RunLog OpenRunLog(const std::wstring& path, const std::wstring& commandLine) {
    RunLog log(path);
    log.Write(L"Command line: [");
    log.Write(commandLine);
    log.WriteLine(L"]");
    return log;
}

RunLog OpenRunLog(const std::wstring& commandLine) {
    return OpenRunLog(GetRunLogPath(), commandLine);
}

void CloseRunLog(RunLog& log) {
    log.Close();
}
