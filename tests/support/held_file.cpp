#include "tests/support/held_file.h"

#include <windows.h>

namespace testing_support {

namespace {

std::wstring FreshEventName() {
    static unsigned count = 0;
    return L"CourierfixHeldFile" + std::to_wstring(GetCurrentProcessId()) + L"." +
           std::to_wstring(++count);
}

} // namespace

HeldFile::HeldFile(const std::wstring& path, Sharing sharing)
    : eventName(FreshEventName()), heldEvent(CreateEventW(nullptr, TRUE, FALSE, eventName.c_str())),
      holder(L"\"" + BinFolder() + L"hold_file.exe\" \"" + path + L"\" " +
             (sharing == Sharing::Read ? L"read " : L"none ") + eventName) {
    HANDLE waits[] = {heldEvent.get(), holder.Handle()};
    held = heldEvent && holder.Started() &&
           WaitForMultipleObjects(2, waits, FALSE, 30000) == WAIT_OBJECT_0;
}

} // namespace testing_support
