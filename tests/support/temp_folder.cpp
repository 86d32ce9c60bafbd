#include "tests/support/temp_folder.h"

#include <windows.h>
#include <objbase.h>

#include <filesystem>
#include <stdexcept>

namespace testing_support {

TempFolder::TempFolder(const std::wstring& leaf) {
    wchar_t base[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, base);
    GUID unique{};
    CoCreateGuid(&unique);
    wchar_t name[64] = {};
    wsprintfW(name, L"courierfix-%08lX%04X", unique.Data1, unique.Data2);
    path = std::wstring(base) + name + leaf;
    std::filesystem::create_directories(path);
    if (path.back() != L'\\') {
        path += L'\\';
    }
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

} // namespace testing_support
