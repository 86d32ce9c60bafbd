// The provisioning document that repairs one account: its parm lines inside the EMAIL2
// characteristic that the account's GUID addresses.
#pragma once

#include <span>
#include <string>
#include <string_view>

// Whether XML 1.0 can carry the text: no control character but TAB, CR and LF, neither U+FFFE
// nor U+FFFF, no surrogate outside a pair. A document with any other character is malformed.
bool IsXmlText(std::wstring_view text);

// The document text: no white space between the pieces, the lines pasted in their order exactly
// as given.
std::wstring BuildProvisioningDocument(std::wstring_view guidText,
                                       std::span<const std::wstring> parmLines);

// Hands the configuration manager the document of the lines for the account that guidText
// addresses. 0 when it was accepted; -1 when it was refused, or when a line is not one that
// ReadParmLine reads (a character XML cannot carry, anything but blanks, comments and parm
// elements): then nothing is submitted.
int SubmitProvisioningDocument(std::wstring_view guidText, std::span<const std::wstring> parmLines);
