// Serves the program: the message-store table and the message store that discovery walks, read
// from the handset's registry (a table holds the stores as they were when it was opened).
#include "handset/common/com_object.h"
#include "handset/messaging/messaging_objects.h"
#include "handset/registry/store_registry.h"

#include <algorithm>
#include <cstddef>
#include <new>

namespace {

using handset::StoreInfo;

constexpr ULONG AccountGuidTag = PROP_TAG(PT_CLSID, 0x8113);

// The store's properties named by tags in one buffer, the bytes and text chained to it; a
// property the store lacks is PT_ERROR with MAPI_E_NOT_FOUND, and the status says so with
// MAPI_W_ERRORS_RETURNED (IMAPIProp::GetProps, Windows Mobile).
HRESULT StoreProps(const StoreInfo& store, const ULONG* tags, ULONG count, SPropValue** values) {
    void* block = nullptr;
    HRESULT status = MAPIAllocateBuffer(count * sizeof(SPropValue), &block);
    *values = static_cast<SPropValue*>(block);
    if (FAILED(status)) {
        return status;
    }
    bool anyMissing = false;
    std::vector<BYTE> entryId = handset::detail::EntryIdFor(store.key);
    for (ULONG i = 0; i < count && SUCCEEDED(status); ++i) {
        SPropValue& value = (*values)[i];
        value.ulPropTag = tags[i];
        void* copy = nullptr;
        if (tags[i] == PR_DISPLAY_NAME_W) {
            status = handset::detail::CopyMore(
                store.displayName.c_str(),
                static_cast<ULONG>((store.displayName.size() + 1) * sizeof(wchar_t)), block, &copy);
            value.Value.lpszW = static_cast<LPWSTR>(copy);
        } else if (tags[i] == AccountGuidTag && store.accountGuid) {
            status = handset::detail::CopyMore(&*store.accountGuid, sizeof(GUID), block, &copy);
            value.Value.lpguid = static_cast<LPGUID>(copy);
        } else if (tags[i] == PR_ENTRYID) {
            status = handset::detail::CopyMore(entryId.data(), static_cast<ULONG>(entryId.size()),
                                               block, &copy);
            value.Value.bin =
                SBinary{static_cast<ULONG>(entryId.size()), static_cast<LPBYTE>(copy)};
        } else {
            value.ulPropTag = PROP_TAG(PT_ERROR, PROP_ID(tags[i]));
            value.Value.err = MAPI_E_NOT_FOUND;
            anyMissing = true;
        }
    }
    if (FAILED(status)) {
        MAPIFreeBuffer(block);
        *values = nullptr;
        return status;
    }
    return anyMissing ? MAPI_W_ERRORS_RETURNED : S_OK;
}

class StoreTable final : public handset::ComObject<IMAPITable> {
public:
    explicit StoreTable(std::vector<StoreInfo> rows)
        : ComObject(handset::detail::liveTables), rows(std::move(rows)) {}

    // Reads forward from the cursor, each row with the store's entry identifier and display
    // name; at the end the row set is empty.
    HRESULT STDMETHODCALLTYPE QueryRows(LONG lRowCount, ULONG, LPSRowSet* lppRows) override {
        if (lppRows == nullptr || lRowCount <= 0) {
            return MAPI_E_INVALID_PARAMETER;
        }
        *lppRows = nullptr;
        size_t count = std::min(static_cast<size_t>(lRowCount), rows.size() - cursor);
        void* block = nullptr;
        HRESULT status = MAPIAllocateBuffer(
            static_cast<ULONG>(offsetof(SRowSet, aRow) + std::max<size_t>(count, 1) * sizeof(SRow)),
            &block);
        if (FAILED(status)) {
            return status;
        }
        auto* set = static_cast<SRowSet*>(block);
        constexpr ULONG columns[] = {PR_ENTRYID, PR_DISPLAY_NAME_W};
        for (set->cRows = 0; set->cRows < count; ++set->cRows) {
            SRow& row = set->aRow[set->cRows];
            row = SRow{0, 2, nullptr};
            status = StoreProps(rows[cursor + set->cRows], columns, 2, &row.lpProps);
            if (FAILED(status)) {
                FreeProws(set);
                return status;
            }
        }
        cursor += count;
        *lppRows = set;
        return S_OK;
    }

private:
    std::vector<StoreInfo> rows;
    size_t cursor = 0;
};

class MsgStore final : public handset::ComObject<IMsgStore> {
public:
    explicit MsgStore(StoreInfo info)
        : ComObject(handset::detail::liveStores), info(std::move(info)) {}

    // The tag array "cannot be NULL", and a count of zero is MAPI_E_INVALID_PARAMETER
    // (IMAPIProp::GetProps, Windows Mobile); a tag names a property by its identifier and type.
    HRESULT STDMETHODCALLTYPE GetProps(LPSPropTagArray lpPropTagArray, ULONG, ULONG* lpcValues,
                                       LPSPropValue* lppPropArray) override {
        if (lpPropTagArray == nullptr || lpPropTagArray->cValues == 0 || lpcValues == nullptr ||
            lppPropArray == nullptr) {
            return MAPI_E_INVALID_PARAMETER;
        }
        HRESULT status =
            StoreProps(info, lpPropTagArray->aulPropTag, lpPropTagArray->cValues, lppPropArray);
        *lpcValues = SUCCEEDED(status) ? lpPropTagArray->cValues : 0;
        return status;
    }

private:
    const StoreInfo info;
};

} // namespace

namespace handset::detail {

std::vector<BYTE> EntryIdFor(const std::wstring& storeKey) {
    std::vector<BYTE> bytes(4, 0);
    for (wchar_t digit : storeKey) {
        bytes.push_back(static_cast<BYTE>(digit));
    }
    return bytes;
}

std::optional<std::wstring> StoreKeyFromEntryId(ULONG size, const BYTE* bytes) {
    if (size <= 4 || size > 4 + 18 || std::any_of(bytes, bytes + 4, [](BYTE b) { return b; }) ||
        !std::all_of(bytes + 4, bytes + size, [](BYTE b) { return b >= '0' && b <= '9'; })) {
        return std::nullopt;
    }
    return std::wstring(bytes + 4, bytes + size);
}

HRESULT CreateStoreTable(IMAPITable** table) {
    *table = new (std::nothrow) StoreTable(ListStores(StoreParts::Header));
    return *table != nullptr ? S_OK : MAPI_E_NOT_ENOUGH_MEMORY;
}

HRESULT CreateMsgStore(const std::wstring& storeKey, IMsgStore** store) {
    auto info = ReadStore(storeKey, StoreParts::Header);
    if (!info) {
        return MAPI_E_NOT_FOUND;
    }
    if (info->openFails) {
        return MAPI_E_CALL_FAILED;
    }
    *store = new (std::nothrow) MsgStore(std::move(*info));
    return *store != nullptr ? S_OK : MAPI_E_NOT_ENOUGH_MEMORY;
}

} // namespace handset::detail
