// Serves the program: the kernel's header as a handset has it, the desktop's and what only a
// handset offers.
#pragma once

#include_next <winbase.h>

#ifndef RC_INVOKED

#ifdef __cplusplus
extern "C" {
#endif

// Replaces lpszDestFile with the content of lpszSourceFile and deletes lpszSourceFile, in one step:
// when it fails, both files are unchanged. Both files must exist, in main memory (the object
// store): on a storage card it fails, as it does for a read-only lpszDestFile.
BOOL WINAPI DeleteAndRenameFile(LPCWSTR lpszDestFile, LPCWSTR lpszSourceFile);

#ifdef __cplusplus
}
#endif

#endif // RC_INVOKED
