// The provisioning document that repairs one account: its parm lines inside the EMAIL2
// characteristic that the account's GUID addresses.
#pragma once

#include <span>
#include <string>
#include <string_view>

// The document text: no white space between the pieces, the lines pasted in their order exactly
// as given.
std::wstring BuildProvisioningDocument(std::wstring_view guidText,
                                       std::span<const std::wstring> parmLines);
