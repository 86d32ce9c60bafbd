#include "tests/support/scoped_startup_folder.h"

#include <gtest/gtest.h>

#include "autostart/startup_shortcut.h"
#include "handset/registry/store_registry.h"
#include "tests/support/files.h"

namespace testing_support {

namespace {

constexpr wchar_t shellFolders[] = L"SYSTEM\\EXPLORER\\SHELL FOLDERS";

} // namespace

ScopedStartupFolder::ScopedStartupFolder(const std::wstring& leaf)
    : temp(leaf), folder(temp.Path().substr(0, temp.Path().size() - 1)),
      previous(handset::StartupFolder()) {
    SetValue(folder);
}

ScopedStartupFolder::~ScopedStartupFolder() {
    if (previous) {
        SetValue(*previous);
    } else {
        RemoveValue();
    }
}

void ScopedStartupFolder::PlaceRepairAllShortcut(const std::wstring& programPath) const {
    WriteBytes(*this / L"autorepair.lnk",
               Utf8(StartupShortcutLine(programPath, RepairAllArguments)) + "\r\n");
}

void ScopedStartupFolder::SetValue(DWORD type, const void* data, DWORD bytes) {
    EXPECT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, shellFolders, L"Startup", type, data, bytes),
              ERROR_SUCCESS);
}

void ScopedStartupFolder::SetValue(const std::wstring& value) {
    SetValue(REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void ScopedStartupFolder::RemoveValue() {
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, shellFolders, L"Startup");
}

} // namespace testing_support
