#include "accounts/account_table.h"

AccountTable accountTable;

void AccountTable::Append(std::unique_ptr<AccountRecord> account) {
    // A later account of the same name never replaces the first.
    firstByName.try_emplace(account->GetName(), account.get());
    accounts.push_back(std::move(account));
}

void AccountTable::Clear() {
    firstByName.clear();
    accounts.clear();
}

AccountRecord* AccountTable::FindAccountByName(const std::wstring& name) const {
    auto found = firstByName.find(name);
    return found != firstByName.end() ? found->second : nullptr;
}

LRESULT AccountTable::FillAccountList(HWND accountList) const {
    for (const auto& account : accounts) {
        std::wstring name = account->GetName();
        // The list sorts, so the record goes to the index it reports for this very entry.
        LRESULT index =
            SendMessageW(accountList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
        if (index >= 0) {
            SendMessageW(accountList, CB_SETITEMDATA, static_cast<WPARAM>(index),
                         reinterpret_cast<LPARAM>(account.get()));
        }
    }
    return SendMessageW(accountList, CB_SETCURSEL, 0, 0);
}

AccountRecord* GetSelectedAccount(HWND accountList) {
    LRESULT selected = SendMessageW(accountList, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR) {
        return nullptr;
    }
    LRESULT data = SendMessageW(accountList, CB_GETITEMDATA, static_cast<WPARAM>(selected), 0);
    if (data == CB_ERR) {
        return nullptr;
    }
    return reinterpret_cast<AccountRecord*>(data);
}
