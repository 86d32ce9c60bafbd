// MAPIInitialize, MAPILogonEx, the session and MAPIUninitialize: the entry to the emulated
// messaging system.
#include "handset/common/com_object.h"
#include "handset/messaging/messaging_objects.h"
#include "handset/registry/store_registry.h"

#include <new>

namespace {

// A session that was logged off answers no more calls.
constexpr HRESULT MAPI_E_END_OF_SESSION = static_cast<HRESULT>(0x80040200L);

class Session final : public handset::ComObject<IMAPISession> {
public:
    Session() : ComObject(handset::detail::liveSessions, handset::detail::overReleases) {}
    ~Session() override { handset::detail::Journal(L"IMAPISession released"); }

    HRESULT STDMETHODCALLTYPE GetMsgStoresTable(ULONG, IMAPITable** table) override {
        handset::detail::Journal(L"IMAPISession::GetMsgStoresTable");
        if (table == nullptr) {
            return MAPI_E_INVALID_PARAMETER;
        }
        *table = nullptr;
        if (loggedOff) {
            return MAPI_E_END_OF_SESSION;
        }
        return handset::detail::CreateStoreTable(table);
    }

    HRESULT STDMETHODCALLTYPE OpenMsgStore(ULONG_PTR, ULONG cbEntryID, LPENTRYID lpEntryID,
                                           LPCIID lpInterface, ULONG, IMsgStore** lppMDB) override {
        if (lppMDB == nullptr) {
            return MAPI_E_INVALID_PARAMETER;
        }
        *lppMDB = nullptr;
        if (lpEntryID == nullptr) {
            return MAPI_E_INVALID_PARAMETER;
        }
        if (loggedOff) {
            return MAPI_E_END_OF_SESSION;
        }
        if (lpInterface != nullptr && !IsEqualIID(*lpInterface, IID_IUnknown)) {
            return E_NOINTERFACE;
        }
        auto key = handset::detail::StoreKeyFromEntryId(cbEntryID,
                                                        reinterpret_cast<const BYTE*>(lpEntryID));
        if (!key) {
            return MAPI_E_NOT_FOUND;
        }
        return handset::detail::CreateMsgStore(*key, lppMDB);
    }

    HRESULT STDMETHODCALLTYPE Logoff(ULONG_PTR, ULONG, ULONG) override {
        handset::detail::Journal(L"IMAPISession::Logoff");
        loggedOff = true;
        return S_OK;
    }

private:
    bool loggedOff = false;
};

} // namespace

// "Increments the MAPI subsystem reference count" (MAPIInitialize, Windows Mobile); lpMapiInit is
// ignored.
extern "C" HRESULT WINAPI MAPIInitialize(LPVOID) {
    handset::detail::Journal(L"MAPIInitialize");
    InterlockedIncrement(&handset::detail::initializations);
    return S_OK;
}

// "The number of calls to one function must equal the number of calls to the other"
// (MAPIUninitialize, Windows Mobile): a call too many leaves the count at zero.
extern "C" void WINAPI MAPIUninitialize() {
    handset::detail::Journal(L"MAPIUninitialize");
    LONG current = handset::detail::initializations;
    while (current > 0) {
        LONG seen =
            InterlockedCompareExchange(&handset::detail::initializations, current - 1, current);
        if (seen == current) {
            return;
        }
        current = seen;
    }
}

extern "C" HRESULT WINAPI MAPILogonEx(ULONG_PTR, LPWSTR, LPWSTR, FLAGS, LPMAPISESSION* lppSession) {
    handset::detail::Journal(L"MAPILogonEx");
    if (lppSession == nullptr) {
        return MAPI_E_INVALID_PARAMETER;
    }
    *lppSession = nullptr;
    // MAPIInitialize comes first ("Beginning a MAPI Session", Windows Mobile); before it, or after
    // the last MAPIUninitialize, there is no messaging system to log on to.
    if (handset::detail::initializations <= 0) {
        return E_UNEXPECTED;
    }
    if (handset::LogonFails()) {
        return MAPI_E_LOGON_FAILED;
    }
    *lppSession = new (std::nothrow) Session();
    return *lppSession != nullptr ? S_OK : MAPI_E_NOT_ENOUGH_MEMORY;
}
