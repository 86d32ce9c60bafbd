// One e-mail account of the handset: what the messaging system knows of its store, and the
// settings to write back into it, as provisioning parm lines.
#pragma once

#include <cemapi.h>

#include <span>
#include <string>
#include <vector>

#include "accounts/account_guid.h"
#include "accounts/mapi_owners.h"

class AccountRecord {
public:
    // Room made for the lines at once; an account with more still holds all of them.
    static constexpr int MaxParmLines = 10;

    AccountRecord() { parmLines.reserve(MaxParmLines); }

    // Takes the store with its one reference, whatever the outcome, and reads the account's GUID
    // and display name from it. Non-negative on success; the failed read's status, or -1 when a
    // read did not yield the property.
    HRESULT InitFromStore(IMsgStore* openStore);

    const std::wstring& GetName() const { return displayName; }

    // The account's GuidText; empty for a record that was never initialised.
    std::wstring GetGuidText() const;

    int GetParmLineCount() const { return static_cast<int>(parmLines.size()); }

    // Appends the line after the ones held; 0, since a record has room for every line.
    int AddParmLine(const std::wstring& line);
    // The same, taking the line's text over rather than copying it.
    int AddParmLine(std::wstring&& line);

    // Every line, in order.
    std::span<const std::wstring> GetParmLines() const { return parmLines; }

    // The value of the parm element named exactly settingName that the handset keeps (the last
    // of that name), read as the configuration manager reads it: 0 and the value when there is
    // one, -1 and an empty value otherwise.
    int GetParmValue(const std::wstring& settingName, std::wstring& value) const;

    // Replaces, in place, the value that GetParmValue reads (escaped for XML). 0 when replaced,
    // -1 when no element has that name; never adds a line.
    int SetParmValue(const std::wstring& settingName, const std::wstring& newValue);

    // Submits the lines, in order, to the configuration manager as one provisioning document for
    // this account. 0 when accepted (or when there is no store to repair), -1 when refused, or
    // when a line holds anything but blanks, comments and parm elements, or is not well-formed:
    // then nothing is submitted.
    int Repair() const;

private:
    std::wstring displayName;
    InterfaceOwner<IMsgStore> store;
    // The GUID's property as the messaging system gave it; empty until the record holds an
    // account.
    MapiBuffer<SPropValue> guidValue;
    std::vector<std::wstring> parmLines;
};
