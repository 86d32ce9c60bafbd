// The lock that keeps the writers of one config file apart, across processes: a named mutex
// whose name comes from the file's path. A save holds it from reading the file to replacing it,
// and a whole batch run holds it, so that two runs started together run one after the other.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "files/handles.h"

class ConfigLock {
public:
    // How long a writer waits for another one to finish before it gives up.
    static constexpr DWORD WaitMs = 60000;

    // Waits for the lock of the file at configPath, at most waitMs.
    explicit ConfigLock(const std::wstring& configPath, DWORD waitMs = WaitMs);
    ~ConfigLock();
    ConfigLock(const ConfigLock&) = delete;
    ConfigLock& operator=(const ConfigLock&) = delete;

    // Whether this owner holds the lock. A holder that ended without letting go leaves the lock
    // to the next one: the file is never left half replaced, so it is still whole.
    bool Held() const { return held; }

private:
    OwnedKernelObject mutex;
    bool held = false;
};

// The name of a kernel object of a config file, of the kind given ("config" for its lock): the
// same for every spelling of the path that differs only in letter case.
std::wstring ConfigObjectName(std::wstring_view kind, const std::wstring& configPath);
