// Points the handset's Startup folder at a fresh folder of the test's own for as long as it
// lives, and then puts the registry value back as it was, or removes it when there was none.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "tests/support/not_copyable.h"
#include "tests/support/temp_folder.h"

namespace testing_support {

class ScopedStartupFolder : NotCopyable {
public:
    // leaf is appended to the folder's unique name, as TempFolder takes it.
    explicit ScopedStartupFolder(const std::wstring& leaf = L"\\StartUp");
    ~ScopedStartupFolder();

    // The folder, without a backslash at its end, as the registry value holds it.
    const std::wstring& Folder() const { return folder; }
    std::wstring operator/(const std::wstring& name) const { return folder + L"\\" + name; }

    // Places in the folder the shortcut that "Auto repair on soft reset" writes for the program at
    // programPath, as the switch writes it: the repair of every saved account.
    void PlaceRepairAllShortcut(const std::wstring& programPath) const;

    // Writes the value as given, of any type and length; no folder is created for it.
    static void SetValue(DWORD type, const void* data, DWORD bytes);
    static void SetValue(const std::wstring& value);
    static void RemoveValue();

private:
    TempFolder temp;
    std::wstring folder;
    std::optional<std::wstring> previous;
};

} // namespace testing_support
