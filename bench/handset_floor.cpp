// handset_floor.exe DOCUMENTS: the handset's floor as a process, the baseline of courierfix.exe
// --autorepairall started as a program: the floor's work (floor_work.h) with the documents of
// DOCUMENTS, one per line. Exit code 0 when every document was accepted, 1 otherwise.
#include <windows.h>

#include <string>

#include "floor_work.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR arguments, int) {
    std::wstring path = arguments;
    if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"') {
        path = path.substr(1, path.size() - 2);
    }
    return RunFloorWork(ReadFloorDocuments(path)).allAccepted ? 0 : 1;
}
