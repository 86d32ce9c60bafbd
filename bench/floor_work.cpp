#include "floor_work.h"

#include <windows.h>
#include <cemapi.h>
#include <mapix.h>
#include <mapiutil.h>
#include <cfgmgrapi.h>
#include <objbase.h>

#include <cstdio>

namespace {

// The store property that holds a mail account's GUID, as the handset defines it.
constexpr ULONG accountGuidTag = PROP_TAG(PT_CLSID, 0x8113);

// As much of config as one read takes: the same pieces the program reads it in, into one buffer.
constexpr DWORD configReadBytes = 16 * 1024;

std::string Hex(HRESULT status) {
    char text[16];
    std::snprintf(text, sizeof(text), "0x%08lX", static_cast<unsigned long>(status));
    return text;
}

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
            SizedSPropTagArray(1, tags) = {1, {accountGuidTag}};
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

// The bytes of the file, read once from start to end in the program's pieces, or -1.
long long ReadWhole(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return -1;
    }
    static char buffer[configReadBytes];
    long long total = 0;
    DWORD got = 0;
    bool read = true;
    while ((read = ReadFile(file, buffer, configReadBytes, &got, nullptr) != FALSE) && got != 0) {
        total += got;
    }
    CloseHandle(file);
    return read ? total : -1;
}

// The run log: created empty, each line handed to the system as soon as it is complete.
class FloorLog {
public:
    explicit FloorLog(const std::wstring& path)
        : file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr)),
          good(file != INVALID_HANDLE_VALUE) {
        // The log is UTF-8 behind its byte-order mark, as the program's is.
        line = "\xEF\xBB\xBF";
    }
    ~FloorLog() { Close(); }
    FloorLog(const FloorLog&) = delete;
    FloorLog& operator=(const FloorLog&) = delete;

    void Write(const std::string& text) {
        line += text;
        line += "\r\n";
        DWORD written = 0;
        good = good &&
               WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) !=
                   FALSE &&
               written == line.size();
        line.clear();
    }
    // Closes the file; whether it was created and every line and the close succeeded.
    bool Close() {
        if (file != INVALID_HANDLE_VALUE) {
            good = CloseHandle(file) != FALSE && good;
            file = INVALID_HANDLE_VALUE;
        }
        return good;
    }

private:
    HANDLE file;
    bool good;
    std::string line;
};

} // namespace

std::wstring FileBesideProgram(const wchar_t* name) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L'\\') + 1) + name;
}

std::vector<std::string> ReadFloorLines(const std::wstring& path) {
    std::vector<std::string> lines;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return lines;
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
        const size_t length = end > start && bytes[end - 1] == '\r' ? end - 1 - start : end - start;
        if (length > 0) {
            lines.push_back(bytes.substr(start, length));
        }
        start = end + 1;
    }
    return lines;
}

FloorInput ReadFloorInput(const std::wstring& documentsPath, const std::wstring& logLinesPath) {
    FloorInput input;
    for (const std::string& line : ReadFloorLines(documentsPath)) {
        std::wstring document(line.size(), L'\0');
        document.resize(static_cast<size_t>(
            MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()),
                                document.data(), static_cast<int>(document.size()))));
        input.documents.push_back(std::move(document));
    }
    input.logLines = ReadFloorLines(logLinesPath);
    return input;
}

FloorOutcome RunFloorWork(const std::wstring& configPath, const std::wstring& logPath,
                          const FloorInput& input) {
    FloorOutcome outcome;
    auto fail = [&outcome](std::string what) {
        if (outcome.fault.empty()) {
            outcome.fault = std::move(what);
        }
    };
    // The log's first line at the start, the second once config is read, one after each
    // document and the rest at the end, where the program writes them.
    const auto& lines = input.logLines;
    size_t nextLine = 0;
    if (lines.size() < input.documents.size() + 2) {
        fail("the floor was given " + std::to_string(lines.size()) + " log lines for " +
             std::to_string(input.documents.size()) + " documents");
    }
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    {
        FloorLog log(logPath);
        if (nextLine < lines.size()) {
            log.Write(lines[nextLine++]);
        }
        IMAPISession* session = nullptr;
        const HRESULT initialized = MAPIInitialize(nullptr);
        const HRESULT loggedOn =
            SUCCEEDED(initialized) ? MAPILogonEx(0, nullptr, nullptr, 0, &session) : E_FAIL;
        if (FAILED(initialized)) {
            fail("MAPIInitialize failed with " + Hex(initialized));
        } else if (FAILED(loggedOn)) {
            fail("MAPILogonEx failed with " + Hex(loggedOn));
        }
        bool accepted = SUCCEEDED(loggedOn);
        if (accepted) {
            outcome.storesOpened = WalkStores(session);
            if (outcome.storesOpened < 0) {
                fail("the message-store table could not be had");
                accepted = false;
            }
        }
        outcome.configBytes = ReadWhole(configPath);
        if (outcome.configBytes < 0) {
            fail("config could not be opened or read");
        }
        if (nextLine < lines.size()) {
            log.Write(lines[nextLine++]);
        }
        if (input.documents.empty()) {
            fail("the floor was given no documents");
            accepted = false;
        }
        for (size_t index = 0; index < input.documents.size(); ++index) {
            LPWSTR reply = nullptr;
            const HRESULT status =
                DMProcessConfigXML(input.documents[index].c_str(), CFGFLAG_PROCESS, &reply);
            delete[] reply;
            if (FAILED(status)) {
                fail("document " + std::to_string(index + 1) + " was refused with " + Hex(status));
                accepted = false;
            }
            if (nextLine < lines.size()) {
                log.Write(lines[nextLine++]);
            }
        }
        while (nextLine < lines.size()) {
            log.Write(lines[nextLine++]);
        }
        // The program closes its log before it logs off.
        outcome.logWritten = log.Close();
        if (session != nullptr) {
            session->Logoff(0, 0, 0);
            session->Release();
        }
        if (SUCCEEDED(initialized)) {
            MAPIUninitialize();
        }
        outcome.allAccepted = accepted;
    }
    CoUninitialize();
    if (!outcome.logWritten) {
        fail("the log could not be written");
    }
    return outcome;
}
