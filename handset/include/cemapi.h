// Serves the program: the messaging API as far as it uses it, the types, the session, the
// message-store table and the store. Log-on and MAPI memory are in mapix.h, which this header
// includes as a handset's does; row sets in mapiutil.h.
#pragma once

#include <windows.h>
#include <objbase.h>

#ifndef MAPI_DIM
#define MAPI_DIM 1
#endif

typedef ULONG FLAGS;

// Flags
#define MAPI_UNICODE 0x80000000UL
#define MDB_WRITE 0x00000004UL

// Status codes
#define MAPI_E_CALL_FAILED E_FAIL
#define MAPI_E_NOT_ENOUGH_MEMORY E_OUTOFMEMORY
#define MAPI_E_INVALID_PARAMETER E_INVALIDARG
#define MAPI_E_NOT_FOUND ((HRESULT)0x8004010FL)
#define MAPI_E_LOGON_FAILED ((HRESULT)0x80040111L)
#define MAPI_W_ERRORS_RETURNED ((HRESULT)0x00040380L)

// Property types
#define PT_ERROR 0x000AUL
#define PT_UNICODE 0x001FUL
#define PT_CLSID 0x0048UL
#define PT_BINARY 0x0102UL

#define PROP_TYPE(ulPropTag) (((ULONG)(ulPropTag)) & 0xFFFFUL)
#define PROP_ID(ulPropTag) (((ULONG)(ulPropTag)) >> 16)
#define PROP_TAG(ulPropType, ulPropID) ((((ULONG)(ulPropID)) << 16) | ((ULONG)(ulPropType)))

// Property tags
#define PR_ENTRYID PROP_TAG(PT_BINARY, 0x0FFF)
#define PR_DISPLAY_NAME_W PROP_TAG(PT_UNICODE, 0x3001)

typedef struct _SBinary {
    ULONG cb;
    LPBYTE lpb;
} SBinary;

typedef struct _ENTRYID {
    BYTE abFlags[4];
    BYTE ab[MAPI_DIM];
} ENTRYID, *LPENTRYID;

typedef const IID* LPCIID;

// The members of the value union that the program and the handset read, and li, one of its 64-bit
// members ("SPropValue", https://learn.microsoft.com/en-us/previous-versions/ms839658(v=msdn.10)):
// the others are no larger than SBinary or li, so the union keeps the SDK's size and its
// alignment of 8 on a 32-bit handset as on 64 bits.
union _PV {
    SBinary bin;
    LPWSTR lpszW;
    LPGUID lpguid;
    LARGE_INTEGER li;
    SCODE err;
};

typedef struct _SPropValue {
    ULONG ulPropTag;
    ULONG dwAlignPad;
    union _PV Value;
} SPropValue, *LPSPropValue;

#ifdef __cplusplus
static_assert(alignof(SPropValue) == 8 && FIELD_OFFSET(SPropValue, Value) == 8 &&
                  sizeof(SPropValue) == 8 + (sizeof(void*) == 4 ? 8 : 16),
              "SPropValue is laid out as the SDK lays it out");
#endif

typedef struct _SPropTagArray {
    ULONG cValues;
    ULONG aulPropTag[MAPI_DIM];
} SPropTagArray, *LPSPropTagArray;

#define SizedSPropTagArray(_ctag, _name)                                                           \
    struct _SPropTagArray_##_name {                                                                \
        ULONG cValues;                                                                             \
        ULONG aulPropTag[_ctag];                                                                   \
    } _name

typedef struct _SRow {
    ULONG ulAdrEntryPad;
    ULONG cValues;
    LPSPropValue lpProps;
} SRow;

typedef struct _SRowSet {
    ULONG cRows;
    SRow aRow[MAPI_DIM];
} SRowSet, *LPSRowSet;

#ifdef __cplusplus

struct IMAPIProp : public IUnknown {
    // Reads the properties named by lpPropTagArray. The values come back in one buffer for
    // MAPIFreeBuffer; a property the object lacks comes back as PT_ERROR with a warning status.
    virtual HRESULT STDMETHODCALLTYPE GetProps(LPSPropTagArray lpPropTagArray, ULONG ulFlags,
                                               ULONG* lpcValues, LPSPropValue* lppPropArray) = 0;
};

struct IMsgStore : public IMAPIProp {};

struct IMAPITable : public IUnknown {
    // Reads up to lRowCount rows from the current position; an empty row set marks the end.
    virtual HRESULT STDMETHODCALLTYPE QueryRows(LONG lRowCount, ULONG ulFlags,
                                                LPSRowSet* lppRows) = 0;
};

struct IMAPISession : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetMsgStoresTable(ULONG ulFlags, IMAPITable** lppTable) = 0;
    virtual HRESULT STDMETHODCALLTYPE OpenMsgStore(ULONG_PTR ulUIParam, ULONG cbEntryID,
                                                   LPENTRYID lpEntryID, LPCIID lpInterface,
                                                   ULONG ulFlags, IMsgStore** lppMDB) = 0;
    virtual HRESULT STDMETHODCALLTYPE Logoff(ULONG_PTR ulUIParam, ULONG ulFlags,
                                             ULONG ulReserved) = 0;
};

typedef IMAPISession* LPMAPISESSION;

#endif // __cplusplus

#include <mapix.h>
