#include "store/config_lock.h"

#include <cwchar>

std::wstring ConfigObjectName(std::wstring_view kind, const std::wstring& configPath) {
    // An object's name cannot hold a backslash and is limited in length: the path goes in as a
    // 64-bit FNV-1a hash of its upper-case form.
    std::wstring folded = configPath;
    if (!folded.empty()) {
        CharUpperBuffW(folded.data(), static_cast<DWORD>(folded.size()));
    }
    unsigned long long hash = 0xCBF29CE484222325ull;
    for (wchar_t unit : folded) {
        hash = (hash ^ static_cast<unsigned long long>(unit)) * 0x100000001B3ull;
    }
    wchar_t digits[17] = {};
    std::swprintf(digits, 17, L"%016llX", hash);
    return L"Courierfix." + std::wstring(kind) + L"." + digits;
}

ConfigLock::ConfigLock(const std::wstring& configPath, DWORD waitMs)
    : mutex(CreateMutexW(nullptr, FALSE, ConfigObjectName(L"config", configPath).c_str())) {
    if (mutex.IsValid()) {
        DWORD waited = WaitForSingleObject(mutex.Get(), waitMs);
        held = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    }
}

ConfigLock::~ConfigLock() {
    if (held) {
        ReleaseMutex(mutex.Get());
    }
}
