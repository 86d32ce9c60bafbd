// The message-store table: one row per store in table order, each row holding the store's entry
// identifier and display name.
#include "handset/common/com_object.h"
#include "handset/messaging/messaging_objects.h"
#include "handset/registry/store_registry.h"

#include <algorithm>
#include <cstddef>
#include <new>

namespace {

struct Row {
    std::vector<BYTE> entryId;
    std::wstring displayName;
};

// One row's properties in one buffer, the bytes and text chained to it.
HRESULT MakeRowProps(const Row& row, SRow* out) {
    void* block = nullptr;
    HRESULT status = MAPIAllocateBuffer(2 * sizeof(SPropValue), &block);
    if (FAILED(status)) {
        return status;
    }
    auto* props = static_cast<SPropValue*>(block);
    void* entry = nullptr;
    void* name = nullptr;
    status = handset::detail::CopyMore(row.entryId.data(), static_cast<ULONG>(row.entryId.size()),
                                       block, &entry);
    if (SUCCEEDED(status)) {
        status = handset::detail::CopyMore(
            row.displayName.c_str(),
            static_cast<ULONG>((row.displayName.size() + 1) * sizeof(wchar_t)), block, &name);
    }
    if (FAILED(status)) {
        MAPIFreeBuffer(block);
        return status;
    }
    props[0].ulPropTag = PR_ENTRYID;
    props[0].Value.bin.cb = static_cast<ULONG>(row.entryId.size());
    props[0].Value.bin.lpb = static_cast<LPBYTE>(entry);
    props[1].ulPropTag = PR_DISPLAY_NAME_W;
    props[1].Value.lpszW = static_cast<LPWSTR>(name);
    out->ulAdrEntryPad = 0;
    out->cValues = 2;
    out->lpProps = props;
    return S_OK;
}

class StoreTable final : public handset::ComObject<IMAPITable> {
public:
    explicit StoreTable(std::vector<Row> rows)
        : ComObject(handset::detail::liveTables, handset::detail::overReleases),
          rows(std::move(rows)) {}

    // Reads forward from the cursor; at the end the row set is empty.
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
        set->cRows = 0;
        for (size_t i = 0; i < count; ++i) {
            status = MakeRowProps(rows[cursor + i], &set->aRow[i]);
            if (FAILED(status)) {
                FreeProws(set);
                return status;
            }
            set->cRows = static_cast<ULONG>(i + 1);
        }
        cursor += count;
        *lppRows = set;
        return S_OK;
    }

private:
    std::vector<Row> rows;
    size_t cursor = 0;
};

} // namespace

namespace handset::detail {

HRESULT CreateStoreTable(IMAPITable** table) {
    // The rows are the stores as they are now; stores added later are not seen by this table.
    std::vector<Row> rows;
    for (const auto& store : handset::ListStores(handset::StoreParts::Header)) {
        rows.push_back({EntryIdFor(store.key), store.displayName});
    }
    *table = new (std::nothrow) StoreTable(std::move(rows));
    return *table != nullptr ? S_OK : MAPI_E_NOT_ENOUGH_MEMORY;
}

} // namespace handset::detail
