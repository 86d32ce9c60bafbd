// A real folder under the temporary folder, or on the handset's storage card, removed with
// everything in it when the owner goes.
#pragma once

#include <ostream>
#include <string>

#include "tests/support/not_copyable.h"

namespace testing_support {

// Where on the handset a folder lies: in main memory (the object store), or on the storage card.
enum class Volume { ObjectStore, StorageCard };

// A volume by its name, as a test's name shows it.
inline void PrintTo(Volume volume, std::ostream* out) {
    *out << (volume == Volume::StorageCard ? "StorageCard" : "ObjectStore");
}

class TempFolder : NotCopyable {
public:
    // Creates a fresh folder; leaf is appended to its unique name, so a test can ask for blanks
    // or non-ASCII characters in the path.
    explicit TempFolder(const std::wstring& leaf = L"", Volume volume = Volume::ObjectStore);
    // A folder in memory where the host has one, for tests that do many thousands of file
    // operations and would otherwise mostly wait for the disk.
    struct InMemory {};
    explicit TempFolder(InMemory);
    ~TempFolder();

    // The folder's path, ending in a backslash.
    const std::wstring& Path() const { return path; }
    std::wstring operator/(const std::wstring& name) const { return path + name; }

private:
    TempFolder(const std::wstring& base, const std::wstring& leaf);

    std::wstring root; // the unique folder made under base
    std::wstring path;
};

} // namespace testing_support
