#include "provisioning/provisioning_document.h"

#include <windows.h>

#include "files/unicode.h"
#include "provisioning/parm_line.h"

#include <cfgmgrapi.h>

#include <algorithm>
#include <memory>
#include <string_view>

namespace {

constexpr std::wstring_view documentStart =
    L"<wap-provisioningdoc><characteristic type=\"EMAIL2\"><characteristic type=\"";
constexpr std::wstring_view accountStart = L"\">";
constexpr std::wstring_view documentEnd =
    L"</characteristic></characteristic></wap-provisioningdoc>";

} // namespace

bool IsXmlText(std::wstring_view text) {
    for (size_t at = 0; at < text.size(); ++at) {
        wchar_t unit = text[at];
        if (unit < 0x20 && unit != L'\t' && unit != L'\n' && unit != L'\r') {
            return false;
        }
        if (unit == 0xFFFE || unit == 0xFFFF) {
            return false;
        }
        // A surrogate must be the first half of a pair followed by its second half.
        if (IsPairAt(text, at)) {
            ++at;
        } else if (IsSurrogate(unit)) {
            return false;
        }
    }
    return true;
}

std::wstring BuildProvisioningDocument(std::wstring_view guidText,
                                       std::span<const std::wstring> parmLines) {
    size_t length =
        documentStart.size() + guidText.size() + accountStart.size() + documentEnd.size();
    for (const auto& line : parmLines) {
        length += line.size();
    }

    std::wstring document;
    document.reserve(length);
    document += documentStart;
    document += guidText;
    document += accountStart;
    for (const auto& line : parmLines) {
        document += line;
    }
    document += documentEnd;
    return document;
}

int SubmitProvisioningDocument(std::wstring_view guidText,
                               std::span<const std::wstring> parmLines) {
    // Whatever else the lines put into the document could address another account.
    if (!std::all_of(parmLines.begin(), parmLines.end(), IsParmLine)) {
        return -1;
    }
    std::wstring document = BuildProvisioningDocument(guidText, parmLines);
    LPWSTR reply = nullptr;
    HRESULT status = DMProcessConfigXML(document.c_str(), CFGFLAG_PROCESS, &reply);
    // The reply is ours to free, and nothing in it is needed.
    std::unique_ptr<wchar_t[]> replyOwner(reply);
    return FAILED(status) ? -1 : 0;
}
