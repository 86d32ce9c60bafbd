// What a handset's kernel offers and the desktop's lacks.
#include <windows.h>

extern "C" BOOL WINAPI DeleteAndRenameFile(LPCWSTR lpszDestFile, LPCWSTR lpszSourceFile) {
    if (lpszDestFile == nullptr || lpszSourceFile == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // As on a handset, both files must be there; GetFileAttributesW leaves the reason why not.
    if (GetFileAttributesW(lpszDestFile) == INVALID_FILE_ATTRIBUTES ||
        GetFileAttributesW(lpszSourceFile) == INVALID_FILE_ATTRIBUTES) {
        return FALSE;
    }
    // One rename that replaces the destination, on disk before it returns.
    return MoveFileExW(lpszSourceFile, lpszDestFile,
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}
