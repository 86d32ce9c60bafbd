// MAPI initialised for as long as a test or its fixture lives, as the program has it around its
// messaging session.
#pragma once

#include <windows.h>
#include <mapix.h>

namespace testing_support {

class ScopedMapi {
public:
    ScopedMapi() : status(MAPIInitialize(nullptr)) {}
    ~ScopedMapi() {
        if (SUCCEEDED(status)) {
            MAPIUninitialize();
        }
    }
    ScopedMapi(const ScopedMapi&) = delete;
    ScopedMapi& operator=(const ScopedMapi&) = delete;

private:
    HRESULT status;
};

} // namespace testing_support
