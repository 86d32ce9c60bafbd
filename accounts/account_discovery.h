// Finding the handset's mail accounts among the messaging system's message stores.
#pragma once

#include <cemapi.h>

#include "accounts/account_table.h"

// Walks the session's message-store table and appends one record per store that carries an
// account GUID, in table order. Non-negative when the table was read to its end; otherwise the
// status of the call that stopped the walk (the accounts found before it stay). Without a
// session there is nothing to walk: the table stays as it is.
HRESULT EnumerateAccounts(IMAPISession* session, AccountTable& table);
