// Serves the program and a platform rule: MAPIInitialize before MAPILogonEx, the session and
// MAPIUninitialize, with the counts and the journal that the tests of the program read.
#include "handset/common/com_object.h"
#include "handset/messaging/messaging_diagnostics.h"
#include "handset/messaging/messaging_objects.h"
#include "handset/registry/store_registry.h"

#include <mutex>
#include <new>

namespace handset::detail {

volatile LONG initializations = 0, liveSessions = 0, liveTables = 0, liveStores = 0,
              liveBuffers = 0;
std::mutex journalLock;
std::vector<std::wstring> journal; // the first 100 calls since it was cleared

const wchar_t* ComOfThisThread() {
    APTTYPE type{};
    APTTYPEQUALIFIER qualifier{};
    if (FAILED(CoGetApartmentType(&type, &qualifier)) ||
        qualifier == APTTYPEQUALIFIER_IMPLICIT_MTA) {
        return L"no COM";
    }
    return type == APTTYPE_MTA ? L"COM multithreaded" : L"COM single-threaded";
}

void Journal(const wchar_t* call) {
    std::wstring entry = std::wstring(call) + L", " + ComOfThisThread();
    std::lock_guard<std::mutex> hold(journalLock);
    if (journal.size() < 100) {
        journal.push_back(std::move(entry));
    }
}

} // namespace handset::detail

namespace handset {

MessagingCounts CurrentMessagingCounts() {
    return {detail::initializations, detail::liveSessions, detail::liveTables, detail::liveStores,
            detail::liveBuffers};
}

std::vector<std::wstring> MessagingJournal() {
    std::lock_guard<std::mutex> hold(detail::journalLock);
    return detail::journal;
}

void ClearMessagingJournal() {
    std::lock_guard<std::mutex> hold(detail::journalLock);
    detail::journal.clear();
}

} // namespace handset

namespace {

using handset::detail::Journal;

// A session that was logged off answers no more calls.
constexpr HRESULT MAPI_E_END_OF_SESSION = static_cast<HRESULT>(0x80040200L);

class Session final : public handset::ComObject<IMAPISession> {
public:
    Session() : ComObject(handset::detail::liveSessions) {}
    ~Session() override { Journal(L"IMAPISession released"); }

    HRESULT STDMETHODCALLTYPE GetMsgStoresTable(ULONG, IMAPITable** table) override {
        Journal(L"IMAPISession::GetMsgStoresTable");
        if (table == nullptr) {
            return MAPI_E_INVALID_PARAMETER;
        }
        *table = nullptr;
        return loggedOff ? MAPI_E_END_OF_SESSION : handset::detail::CreateStoreTable(table);
    }

    HRESULT STDMETHODCALLTYPE OpenMsgStore(ULONG_PTR, ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID,
                                           ULONG, IMsgStore** lppMDB) override {
        if (lppMDB == nullptr) {
            return MAPI_E_INVALID_PARAMETER;
        }
        *lppMDB = nullptr;
        // lpInterface and ulFlags are "Ignored" (IMAPISession::OpenMsgStore, Windows Mobile).
        if (lpEntryID == nullptr) {
            return MAPI_E_INVALID_PARAMETER;
        }
        if (loggedOff) {
            return MAPI_E_END_OF_SESSION;
        }
        auto key = handset::detail::StoreKeyFromEntryId(cbEntryID,
                                                        reinterpret_cast<const BYTE*>(lpEntryID));
        return key ? handset::detail::CreateMsgStore(*key, lppMDB) : MAPI_E_NOT_FOUND;
    }

    HRESULT STDMETHODCALLTYPE Logoff(ULONG_PTR, ULONG, ULONG) override {
        Journal(L"IMAPISession::Logoff");
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
    Journal(L"MAPIInitialize");
    InterlockedIncrement(&handset::detail::initializations);
    return S_OK;
}

// "The number of calls to one function must equal the number of calls to the other"
// (MAPIUninitialize, Windows Mobile): a call too many leaves the count at zero.
extern "C" void WINAPI MAPIUninitialize() {
    Journal(L"MAPIUninitialize");
    if (InterlockedDecrement(&handset::detail::initializations) < 0) {
        InterlockedIncrement(&handset::detail::initializations);
    }
}

extern "C" HRESULT WINAPI MAPILogonEx(ULONG_PTR, LPWSTR, LPWSTR, FLAGS, LPMAPISESSION* lppSession) {
    Journal(L"MAPILogonEx");
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
