// handset_floor.exe DOCUMENTS LOGLINES: the handset's floor as a process, the baseline of
// courierfix.exe --autorepairall started as a program: the floor's work (floor_work.h) with the
// documents of DOCUMENTS and the log lines of LOGLINES, one per line, reading config beside it
// and writing floor-log.txt there. Exit code 0 when all of it succeeded; otherwise 1, after a
// line on stderr that says what failed.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "floor_work.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    if (__argc != 3) {
        std::fprintf(stderr, "usage: handset_floor DOCUMENTS LOGLINES\n");
        return 2;
    }
    const FloorInput input = ReadFloorInput(__wargv[1], __wargv[2]);
    const FloorOutcome outcome =
        RunFloorWork(FileBesideProgram(L"config"), FileBesideProgram(L"floor-log.txt"), input);
    std::string fault = outcome.fault;
    // Every store of the benchmark's handsets is an account with a document of its own.
    if (fault.empty() && static_cast<size_t>(outcome.storesOpened) != input.documents.size()) {
        fault = "opened " + std::to_string(outcome.storesOpened) + " stores for " +
                std::to_string(input.documents.size()) + " documents";
    }
    if (!fault.empty()) {
        std::fprintf(stderr, "handset_floor: %s\n", fault.c_str());
        return 1;
    }
    return 0;
}
