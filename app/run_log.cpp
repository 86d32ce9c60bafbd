#include "app/run_log.h"

#include "app/program_folder.h"

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
