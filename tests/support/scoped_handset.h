// Gives each test a handset of its own: the emulated messaging and configuration manager keep
// their state under HKEY_CURRENT_USER in the key that HANDSET_ROOT names, so a test that points
// HANDSET_ROOT at a fresh key starts with no stores and no fault switches, and leaves nothing.
#pragma once

#include <string>

#include "tests/support/not_copyable.h"

namespace testing_support {

class ScopedHandset : NotCopyable {
public:
    ScopedHandset();
    ~ScopedHandset();

    // The key under HKEY_CURRENT_USER, as HANDSET_ROOT holds it.
    const std::wstring& RootKey() const { return rootKey; }

private:
    std::wstring rootKey;
    std::wstring previousRoot;
    bool hadPreviousRoot = false;
};

} // namespace testing_support
