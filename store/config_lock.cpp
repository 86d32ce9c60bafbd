#include "store/config_lock.h"

#include <cwchar>

std::wstring ConfigLockName(const std::wstring& configPath) {
    // A mutex name cannot hold a backslash and is limited in length: the path goes in as a
    // 64-bit FNV-1a hash of its upper-case form.
    std::wstring folded = configPath;
    if (!folded.empty()) {
        CharUpperBuffW(folded.data(), static_cast<DWORD>(folded.size()));
    }
    unsigned long long hash = 0xCBF29CE484222325ull;
    for (wchar_t unit : folded) {
        hash = (hash ^ static_cast<unsigned long long>(unit)) * 0x100000001B3ull;
    }
    wchar_t name[40] = {};
    std::swprintf(name, 40, L"Courierfix.config.%016llX", hash);
    return name;
}

ConfigLock::ConfigLock(const std::wstring& configPath, DWORD waitMs)
    : mutex(CreateMutexW(nullptr, FALSE, ConfigLockName(configPath).c_str())) {
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
