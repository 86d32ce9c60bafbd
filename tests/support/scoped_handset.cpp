#include "tests/support/scoped_handset.h"

#include <windows.h>
#include <objbase.h>

namespace testing_support {

ScopedHandset::ScopedHandset() {
    wchar_t previous[512] = {};
    DWORD length = GetEnvironmentVariableW(L"HANDSET_ROOT", previous, 512);
    hadPreviousRoot = length > 0 && length < 512;
    previousRoot = hadPreviousRoot ? previous : L"";

    GUID unique{};
    CoCreateGuid(&unique);
    wchar_t name[80] = {};
    wsprintfW(name, L"Software\\HandsetTests\\%08lX%04X%04X", unique.Data1, unique.Data2,
              unique.Data3);
    rootKey = name;
    SetEnvironmentVariableW(L"HANDSET_ROOT", rootKey.c_str());
}

ScopedHandset::~ScopedHandset() {
    RegDeleteTreeW(HKEY_CURRENT_USER, rootKey.c_str());
    SetEnvironmentVariableW(L"HANDSET_ROOT", hadPreviousRoot ? previousRoot.c_str() : nullptr);
}

} // namespace testing_support
