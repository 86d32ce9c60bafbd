// A file held open by another process, as a desktop sync or a viewer holds one: while it is held,
// the file cannot be renamed or deleted, and without sharing not read either.
#pragma once

#include <string>

#include "handset/common/owners.h"
#include "tests/support/not_copyable.h"
#include "tests/support/process.h"

namespace testing_support {

class HeldFile : NotCopyable {
public:
    enum class Sharing { None, Read };

    // Starts hold_file.exe on path and waits until it holds the file; Held() tells whether it
    // does.
    HeldFile(const std::wstring& path, Sharing sharing);

    bool Held() const { return held; }
    // Lets go of the file: the process that held it ends.
    void Release() { holder.Kill(0); }

private:
    std::wstring eventName;
    handset::UniqueHandle heldEvent; // made before the holder starts, set once it holds the file
    Process holder;
    bool held = false;
};

} // namespace testing_support
