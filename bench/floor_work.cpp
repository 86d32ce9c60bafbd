#include "floor_work.h"

#include <windows.h>
#include <cemapi.h>
#include <mapix.h>
#include <mapiutil.h>
#include <cfgmgrapi.h>
#include <objbase.h>

#include "accounts/account_guid.h"
#include "files/unicode.h"

namespace {

// Opens every store of the table and reads its GUID, as discovery must. The number of stores
// opened, or -1 when the table could not be had.
int WalkStores(IMAPISession* session) {
    IMAPITable* table = nullptr;
    if (FAILED(session->GetMsgStoresTable(MAPI_UNICODE, &table))) {
        return -1;
    }
    int opened = 0;
    for (;;) {
        LPSRowSet rows = nullptr;
        if (FAILED(table->QueryRows(1, 0, &rows)) || rows == nullptr || rows->cRows != 1) {
            FreeProws(rows);
            break;
        }
        const SBinary& entry = rows->aRow[0].lpProps[0].Value.bin;
        IMsgStore* store = nullptr;
        if (SUCCEEDED(session->OpenMsgStore(0, entry.cb, reinterpret_cast<LPENTRYID>(entry.lpb),
                                            nullptr, MDB_WRITE, &store))) {
            SizedSPropTagArray(1, tags) = {1, {AccountGuidTag}};
            ULONG count = 0;
            LPSPropValue values = nullptr;
            store->GetProps(reinterpret_cast<LPSPropTagArray>(&tags), MAPI_UNICODE, &count,
                            &values);
            MAPIFreeBuffer(values);
            store->Release();
            ++opened;
        }
        FreeProws(rows);
    }
    table->Release();
    return opened;
}

} // namespace

std::vector<std::wstring> ReadFloorDocuments(const std::wstring& path) {
    std::vector<std::wstring> documents;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return documents;
    }
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    for (size_t start = 0; start < bytes.size();) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) {
            end = bytes.size();
        }
        if (end > start) {
            documents.push_back(DecodeText(std::string_view(bytes).substr(start, end - start)));
        }
        start = end + 1;
    }
    return documents;
}

FloorOutcome RunFloorWork(const std::vector<std::wstring>& documents) {
    FloorOutcome outcome;
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    IMAPISession* session = nullptr;
    const bool mapi = SUCCEEDED(MAPIInitialize(nullptr));
    bool accepted = mapi && SUCCEEDED(MAPILogonEx(0, nullptr, nullptr, 0, &session));
    if (accepted) {
        outcome.storesOpened = WalkStores(session);
        accepted = outcome.storesOpened >= 0;
    }
    accepted = accepted && !documents.empty();
    for (const auto& document : documents) {
        LPWSTR reply = nullptr;
        accepted =
            SUCCEEDED(DMProcessConfigXML(document.c_str(), CFGFLAG_PROCESS, &reply)) && accepted;
        delete[] reply;
    }
    if (session != nullptr) {
        session->Logoff(0, 0, 0);
        session->Release();
    }
    if (mapi) {
        MAPIUninitialize();
    }
    CoUninitialize();
    outcome.allAccepted = accepted;
    return outcome;
}
