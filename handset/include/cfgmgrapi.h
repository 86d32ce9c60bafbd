// Serves the program: the configuration manager, which applies an OMA Client Provisioning
// document to the device. As on a handset, this header includes nothing: include <windows.h> first.
#pragma once

// Process the document and apply its settings.
#define CFGFLAG_PROCESS 0x0001

// What DMProcessConfigXML answers besides S_OK.
#define CONFIG_E_OBJECTBUSY _HRESULT_TYPEDEF_(0x80042001L)
#define CONFIG_E_ENTRYNOTFOUND _HRESULT_TYPEDEF_(0x80042004L)
#define CONFIG_E_CSPEXCEPTION _HRESULT_TYPEDEF_(0x80042007L)
#define CONFIG_E_BAD_XML _HRESULT_TYPEDEF_(0x80042009L)

#ifdef __cplusplus
extern "C" {
#endif

// Applies pszWXMLin. On return *ppszwXMLout holds a reply document allocated with new[], which
// the caller frees with delete[], or null.
HRESULT WINAPI DMProcessConfigXML(LPCWSTR pszWXMLin, DWORD dwFlags, LPWSTR* ppszwXMLout);

#ifdef __cplusplus
}
#endif
