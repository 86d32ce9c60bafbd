#include "accounts/account_guid.h"

#include <objbase.h>

std::wstring GuidText(const GUID& guid) {
    wchar_t text[39] = {};
    StringFromGUID2(guid, text, 39);
    return text;
}
