#include "accounts/account_discovery.h"

HRESULT EnumerateAccounts(IMAPISession* session, AccountTable& table) {
    if (session == nullptr) {
        return MAPI_E_INVALID_PARAMETER;
    }

    InterfaceOwner<IMAPITable> stores;
    HRESULT status = session->GetMsgStoresTable(MAPI_UNICODE, stores.Put());
    if (FAILED(status) || !stores.IsValid()) {
        return status;
    }

    for (;;) {
        RowSet rows;
        status = stores->QueryRows(1, 0, rows.Put());
        if (FAILED(status) || !rows.IsValid() || rows->cRows != 1) {
            return status;
        }

        // The first property of a row is the store's entry identifier.
        const SRow& row = rows->aRow[0];
        if (row.cValues < 1 || row.lpProps == nullptr ||
            PROP_TYPE(row.lpProps[0].ulPropTag) != PT_BINARY) {
            continue;
        }
        const SBinary& entryId = row.lpProps[0].Value.bin;

        IMsgStore* store = nullptr;
        status = session->OpenMsgStore(0, entryId.cb, reinterpret_cast<LPENTRYID>(entryId.lpb),
                                       nullptr, MDB_WRITE, &store);
        if (FAILED(status)) {
            return status;
        }

        // The record takes the store's reference; a store that is no mail account goes with it.
        auto account = std::make_unique<AccountRecord>();
        if (SUCCEEDED(account->InitFromStore(store))) {
            table.Append(std::move(account));
        }
    }
}
