#include "tests/support/temp_folder.h"

#include <windows.h>
#include <objbase.h>

#include <filesystem>
#include <stdexcept>

namespace testing_support {

namespace {

std::wstring TempPath() {
    wchar_t base[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, base);
    return base;
}

// The host's memory-backed folder, seen through Wine's drive of the whole file system.
std::wstring MemoryPath() {
    constexpr wchar_t memory[] = L"Z:\\dev\\shm\\";
    DWORD attributes = GetFileAttributesW(memory);
    bool usable = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    return usable ? memory : TempPath();
}

} // namespace

TempFolder::TempFolder(const std::wstring& leaf) : TempFolder(TempPath(), leaf) {}

TempFolder::TempFolder(InMemory) : TempFolder(MemoryPath(), L"") {}

TempFolder::TempFolder(const std::wstring& base, const std::wstring& leaf) {
    GUID unique{};
    CoCreateGuid(&unique);
    wchar_t name[64] = {};
    wsprintfW(name, L"courierfix-%08lX%04X", unique.Data1, unique.Data2);
    path = base + name + leaf;
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
