// One e-mail account of the handset: what the messaging system knows of its store, and the
// settings to write back into it, as provisioning parm lines.
#pragma once

#include <cemapi.h>

#include <array>
#include <string>

#include "accounts/mapi_owners.h"

// The store property that holds an account's GUID; a store is a mail account exactly when it
// has it.
constexpr ULONG AccountGuidTag = 0x81130048;

class AccountRecord {
public:
    static constexpr int MaxParmLines = 10;

    AccountRecord() = default;
    AccountRecord(const AccountRecord&) = delete;
    AccountRecord& operator=(const AccountRecord&) = delete;

    // Takes the store with its one reference, whatever the outcome, and reads the account's GUID
    // and display name from it. Non-negative on success; the failed read's status, or -1 when a
    // read did not yield the property.
    HRESULT InitFromStore(IMsgStore* openStore);

    std::wstring GetName() const { return displayName; }

    // The GUID as the configuration manager addresses the account: 38 characters, braced,
    // upper-case hexadecimal. Empty for a record that was never initialised.
    std::wstring GetGuidText() const;

    int GetParmLineCount() const { return parmLineCount; }

    // 0 when the line was stored in the next free slot, -1 when all slots are in use.
    int AddParmLine(const std::wstring& line);

    // The line in slot index, or an empty string for an index outside the lines in use.
    std::wstring GetParmLine(int index) const;

    // The value of the first line whose name field is exactly settingName, unescaped: 0 and the
    // value when there is one, -1 and an empty value otherwise.
    int GetParmValue(const std::wstring& settingName, std::wstring& value) const;

    // Replaces, in place, the value of the first line whose name field is exactly settingName
    // (escaped for XML). 0 when replaced, -1 when no line has that name; never adds a line.
    int SetParmValue(const std::wstring& settingName, const std::wstring& newValue);

    // Submits the lines, in slot order, to the configuration manager as one provisioning
    // document for this account. 0 when accepted (or when there is no store to repair), -1 when
    // refused.
    int Repair() const;

private:
    const GUID* guid = nullptr;
    std::wstring displayName;
    InterfaceOwner<IMsgStore> store;
    MapiBuffer<SPropValue> guidBuffer;
    int maxParmLines = MaxParmLines;
    std::array<std::wstring, MaxParmLines> parmLines;
    int parmLineCount = 0;
};
