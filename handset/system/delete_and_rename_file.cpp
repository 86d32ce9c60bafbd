// Serves the program and a platform rule: DeleteAndRenameFile, which a handset's kernel offers
// and the desktop's lacks.
#include <windows.h>

#include "handset/system/argument_text.h"

namespace {

// A handset's storage card is a FAT volume, seen as the folder "\Storage Card"; here it is
// C:\Storage Card. Whether a path lies on it is told by its full path, letter case aside.
bool LiesOnStorageCard(LPCWSTR path) {
    constexpr wchar_t card[] = L"C:\\Storage Card\\";
    constexpr int cardLength = static_cast<int>(std::size(card)) - 1;
    std::wstring full = handset::FullPath(path);
    return full.size() >= static_cast<size_t>(cardLength) &&
           CompareStringOrdinal(full.c_str(), cardLength, card, cardLength, TRUE) == CSTR_EQUAL;
}

} // namespace

extern "C" BOOL WINAPI DeleteAndRenameFile(LPCWSTR lpszDestFile, LPCWSTR lpszSourceFile) {
    if (lpszDestFile == nullptr || lpszSourceFile == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // It works for the object store only (DeleteAndRenameFile, Windows CE 5.0): on a storage
    // card it fails, and both files stay as they are.
    if (LiesOnStorageCard(lpszDestFile) || LiesOnStorageCard(lpszSourceFile)) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    // As on a handset, both files must be there; GetFileAttributesW leaves the reason why not.
    DWORD destination = GetFileAttributesW(lpszDestFile);
    if (destination == INVALID_FILE_ATTRIBUTES ||
        GetFileAttributesW(lpszSourceFile) == INVALID_FILE_ATTRIBUTES) {
        return FALSE;
    }
    // A read-only file can be neither written nor deleted (SetFileAttributes, Windows CE 5.0), so
    // its content is not replaced.
    if ((destination & FILE_ATTRIBUTE_READONLY) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    // One rename that replaces the destination, on disk before it returns.
    return MoveFileExW(lpszSourceFile, lpszDestFile,
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}
