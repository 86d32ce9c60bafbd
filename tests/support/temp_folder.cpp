#include "tests/support/temp_folder.h"

#include <windows.h>
#include <objbase.h>

#include <filesystem>
#include <stdexcept>

#include "handset/common/owners.h"

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

// Removes a folder with everything in it. std::filesystem::remove_all does not come back from
// paths longer than MAX_PATH here, and tests make such paths on purpose.
void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW entry{};
    HANDLE first = FindFirstFileW((folder + L"*").c_str(), &entry);
    if (first != INVALID_HANDLE_VALUE) {
        handset::UniqueFind search(first);
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            const std::wstring path = folder + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path + L"\\");
            } else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(search.get(), &entry));
    }
    RemoveDirectoryW(folder.c_str());
}

} // namespace

TempFolder::TempFolder(const std::wstring& leaf, Volume volume)
    : TempFolder(volume == Volume::StorageCard ? L"C:\\Storage Card\\" : TempPath(), leaf) {}

TempFolder::TempFolder(InMemory) : TempFolder(MemoryPath(), L"") {}

TempFolder::TempFolder(const std::wstring& base, const std::wstring& leaf) {
    GUID unique{};
    CoCreateGuid(&unique);
    wchar_t name[64] = {};
    wsprintfW(name, L"courierfix-%08lX%04X", unique.Data1, unique.Data2);
    root = base + name + L"\\";
    path = base + name + leaf;
    std::filesystem::create_directories(path);
    if (path.back() != L'\\') {
        path += L'\\';
    }
}

TempFolder::~TempFolder() {
    // The folder itself, not only what was asked for beneath it.
    RemoveTree(root);
}

} // namespace testing_support
