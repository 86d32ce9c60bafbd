// The process-wide table of the handset's mail accounts, in discovery order, and the account
// list of the main dialog that shows them.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "accounts/account_record.h"

class AccountTable {
public:
    // Room made at start-up; a handset with more accounts still gets all of them.
    static constexpr int MaxAccounts = 20;

    AccountTable() { accounts.reserve(MaxAccounts); }

    // The record's display name is its name for FindAccountByName from now on.
    void Append(std::unique_ptr<AccountRecord> account);

    int accountCount() const { return static_cast<int>(accounts.size()); }
    AccountRecord* At(int index) const { return accounts[static_cast<size_t>(index)].get(); }

    // The first account, in table order, whose display name is exactly name (same length, same
    // code units; no case folding, no trimming), or null.
    AccountRecord* FindAccountByName(const std::wstring& name) const;

    // Adds one entry per account to the (sorted) combo box, each carrying its record as item
    // data, then selects the first entry. Returns the list's answer to the selection.
    LRESULT FillAccountList(HWND accountList) const;

    // Destroys every record; the table is empty afterwards.
    void Clear();

private:
    std::vector<std::unique_ptr<AccountRecord>> accounts;
    // The first record of each display name, so that a repair of every saved account does not
    // search the whole table for each of them.
    std::unordered_map<std::wstring, AccountRecord*> firstByName;
};

// The accounts of this run: filled once at start-up, destroyed at shutdown.
extern AccountTable accountTable;

// The record of the account list's selected entry, or null when nothing is selected.
AccountRecord* GetSelectedAccount(HWND accountList);
