// The lines of an account record one by one, as the tests look at them.
#pragma once

#include <string>

#include "accounts/account_record.h"

namespace testing_support {

// The record's line at index, or an empty string for an index outside the lines it holds.
inline std::wstring ParmLineAt(const AccountRecord& account, int index) {
    if (index < 0 || index >= account.GetParmLineCount()) {
        return {};
    }
    return account.GetParmLines()[static_cast<size_t>(index)];
}

} // namespace testing_support
