// handset_floor.exe DOCUMENTS: the least that any batch repair must make the handset do, as the
// baseline of courierfix.exe --autorepairall: log on, walk the message-store table opening every
// store and reading its account GUID, and hand the configuration manager one document per line
// of DOCUMENTS (UTF-8). Exit code 0 when every document was accepted, 1 otherwise.
#include <windows.h>
#include <cemapi.h>
#include <mapix.h>
#include <mapiutil.h>
#include <cfgmgrapi.h>
#include <objbase.h>

#include <string>
#include <vector>

namespace {

constexpr ULONG AccountGuidTag = 0x81130048;

// Opens every store of the table and reads its GUID, as discovery must.
bool WalkStores(IMAPISession* session) {
    IMAPITable* table = nullptr;
    if (FAILED(session->GetMsgStoresTable(MAPI_UNICODE, &table))) {
        return false;
    }
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
        }
        FreeProws(rows);
    }
    table->Release();
    return true;
}

std::vector<std::wstring> ReadDocuments(const wchar_t* path) {
    std::vector<std::wstring> documents;
    HANDLE file =
        CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
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
            int length = MultiByteToWideChar(CP_UTF8, 0, bytes.data() + start,
                                             static_cast<int>(end - start), nullptr, 0);
            std::wstring document(static_cast<size_t>(length), L'\0');
            MultiByteToWideChar(CP_UTF8, 0, bytes.data() + start, static_cast<int>(end - start),
                                document.data(), length);
            documents.push_back(std::move(document));
        }
        start = end + 1;
    }
    return documents;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR arguments, int) {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    IMAPISession* session = nullptr;
    bool mapi = SUCCEEDED(MAPIInitialize(nullptr));
    bool accepted =
        mapi && SUCCEEDED(MAPILogonEx(0, nullptr, nullptr, 0, &session)) && WalkStores(session);
    std::wstring path = arguments;
    if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"') {
        path = path.substr(1, path.size() - 2);
    }
    std::vector<std::wstring> documents = ReadDocuments(path.c_str());
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
    return accepted ? 0 : 1;
}
