// save_loop.exe CONFIG EVENT: saves the section of the account "Work" into CONFIG again and again,
// its body alternating between two lines, until it is killed. Sets the named event before the
// first save, so that whoever kills it knows the saving has begun.
//
// save_loop.exe CONFIG EVENT PREFIX COUNT: waits until the named event is set, then saves COUNT
// sections of accounts of their own, PREFIX 1 to PREFIX COUNT, one after another, so that several
// such writers started together save at the same moments. Exit code 0 when every save
// succeeded, 1 otherwise.
#include <windows.h>

#include <string>
#include <vector>

#include "store/config_file.h"

namespace {

int SaveUntilKilled(const std::wstring& config, HANDLE started) {
    const std::vector<std::wstring> bodies[] = {{L"<parm name=\"INSERVER\" value=\"a.example\"/>"},
                                                {L"<parm name=\"INSERVER\" value=\"b.example\"/>"}};
    SetEvent(started);
    for (size_t round = 0;; ++round) {
        if (!SaveAccountSection(config, L"Work", bodies[round % 2])) {
            return 1;
        }
    }
}

int SaveSections(const std::wstring& config, HANDLE start, const std::wstring& prefix, int count) {
    if (WaitForSingleObject(start, 30000) != WAIT_OBJECT_0) {
        return 2;
    }
    bool allSaved = true;
    for (int index = 1; index <= count; ++index) {
        const std::wstring name = prefix + std::to_wstring(index);
        const std::vector<std::wstring> body = {L"<parm name=\"INSERVER\" value=\"" + name +
                                                L"\"/>"};
        allSaved = SaveAccountSection(config, name, body) && allSaved;
    }
    return allSaved ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3 && argc != 5) {
        return 2;
    }
    HANDLE event = OpenEventW(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, argv[2]);
    if (event == nullptr) {
        return 2;
    }
    return argc == 3 ? SaveUntilKilled(argv[1], event)
                     : SaveSections(argv[1], event, argv[3], _wtoi(argv[4]));
}
