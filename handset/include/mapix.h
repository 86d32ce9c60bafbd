// Serves the program: log-on to the messaging system, and MAPI memory.
#pragma once

#include <cemapi.h>

#ifdef __cplusplus
extern "C" {
#endif

// The program's use of the messaging system begins with MAPIInitialize (lpMapiInit is ignored) and
// ends with MAPIUninitialize; the calls pair up, and no other call comes before the first or after
// the last.
HRESULT WINAPI MAPIInitialize(LPVOID lpMapiInit);
void WINAPI MAPIUninitialize(void);
HRESULT WINAPI MAPILogonEx(ULONG_PTR ulUIParam, LPWSTR lpszProfileName, LPWSTR lpszPassword,
                           FLAGS flFlags, LPMAPISESSION* lppSession);
HRESULT WINAPI MAPIAllocateBuffer(ULONG cbSize, LPVOID* lppBuffer);
HRESULT WINAPI MAPIAllocateMore(ULONG cbSize, LPVOID lpObject, LPVOID* lppBuffer);
ULONG WINAPI MAPIFreeBuffer(LPVOID lpBuffer);

#ifdef __cplusplus
}
#endif
