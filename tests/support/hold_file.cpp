// hold_file.exe PATH SHARING EVENT: opens PATH for reading as another program on the handset does
// (a desktop sync, a viewer), sharing it with nobody ("none") or with readers only ("read"), sets
// the named event once it holds the file, and keeps it open until it is ended. Exit code 2 when
// the file cannot be opened or the event is not there.
#include <windows.h>

#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        return 2;
    }
    const std::wstring sharing = argv[2];
    HANDLE file = CreateFileW(argv[1], GENERIC_READ, sharing == L"read" ? FILE_SHARE_READ : 0,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    HANDLE held = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[3]);
    if (file == INVALID_HANDLE_VALUE || held == nullptr) {
        return 2;
    }
    SetEvent(held);
    Sleep(INFINITE);
    return 0;
}
