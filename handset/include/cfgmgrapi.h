// The configuration manager: applies an OMA Client Provisioning document to the device.
#pragma once

#include <windows.h>

// Process the document and apply its settings.
#define CFGFLAG_PROCESS 0x0001
// Only gather the metadata of the document's parm elements; apply nothing.
#define CFGFLAG_METADATA 0x0002

#ifdef __cplusplus
extern "C" {
#endif

// Applies pszWXMLin. On return *ppszwXMLout holds a reply document allocated with new[], which
// the caller frees with delete[], or null.
HRESULT WINAPI DMProcessConfigXML(LPCWSTR pszWXMLin, DWORD dwFlags, LPWSTR* ppszwXMLout);

#ifdef __cplusplus
}
#endif
