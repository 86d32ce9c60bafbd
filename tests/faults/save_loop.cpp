// save_loop.exe CONFIG EVENT: saves the section of the account "Work" into CONFIG again and again,
// its body alternating between two lines, until it is killed. Sets the named event before the
// first save, so that whoever kills it knows the saving has begun.
#include <windows.h>

#include <string>
#include <vector>

#include "store/config_file.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        return 2;
    }
    const std::wstring config = argv[1];
    const std::vector<std::wstring> bodies[] = {{L"<parm name=\"INSERVER\" value=\"a.example\"/>"},
                                                {L"<parm name=\"INSERVER\" value=\"b.example\"/>"}};
    HANDLE started = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[2]);
    if (started == nullptr) {
        return 2;
    }
    SetEvent(started);
    for (size_t round = 0;; ++round) {
        if (!SaveAccountSection(config, L"Work", bodies[round % 2])) {
            return 1;
        }
    }
}
