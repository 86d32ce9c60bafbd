// DMProcessConfigXML: applies the EMAIL2 part of a provisioning document to the message stores.
// The whole document is parsed with MSXML and checked before anything is written, and then
// written all or nothing.
#include <cfgmgrapi.h>

#include "handset/common/owners.h"
#include "handset/registry/store_registry.h"

#include <objbase.h>
#include <msxml2.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace {

// MinGW has no library with the MSXML 3 identifiers.
constexpr CLSID DomDocument30Clsid = {
    0xF5078F32, 0xC551, 0x11D3, {0x89, 0xB9, 0x00, 0x00, 0xF8, 0x1F, 0xE2, 0x21}};
constexpr IID XmlDomDocumentIid = {
    0x2933BF81, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
constexpr IID XmlDomElementIid = {
    0x2933BF86, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

// A well-formed document that this configuration manager cannot apply.
constexpr HRESULT DocumentNotUnderstood = static_cast<HRESULT>(0x8007000DL); // invalid data
// A characteristic names an account that no store has.
constexpr HRESULT NoSuchAccount = static_cast<HRESULT>(0x80070490L); // element not found

// The parm names that the EMAIL2 configuration service provider defines.
constexpr const wchar_t* Email2Parms[] = {
    L"ACCOUNTICON",    L"ACCOUNTTYPE", L"AUTHNAME",        L"AUTHREQUIRED",  L"AUTHSECRET",
    L"DOMAIN",         L"DWNDAY",      L"INSERVER",        L"KEEPMAX",       L"LINGER",
    L"NAME",           L"OUTSERVER",   L"REPLYADDR",       L"RETRIEVE",      L"SERVERDELETEACTION",
    L"SERVICENAME",    L"SERVICETYPE", L"SMTPALTAUTHNAME", L"SMTPALTDOMAIN", L"SMTPALTENABLED",
    L"SMTPALTPASSWORD"};

bool IsEmail2Parm(const std::wstring& name) {
    return std::any_of(std::begin(Email2Parms), std::end(Email2Parms),
                       [&](const wchar_t* known) { return name == known; });
}

// COM for the length of one call, on a thread that may or may not have it already.
class ComScope {
public:
    ComScope() : status(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(status)) {
            CoUninitialize();
        }
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

    // A thread already in another apartment can still use COM as it is.
    bool Usable() const { return SUCCEEDED(status) || status == RPC_E_CHANGED_MODE; }
    HRESULT Status() const { return status; }

private:
    HRESULT status;
};

using handset::ScopedVariant;
using handset::UniqueBstr;

std::wstring Text(BSTR text) {
    return text != nullptr ? std::wstring(text, SysStringLen(text)) : L"";
}

std::wstring NodeName(IXMLDOMNode* node) {
    BSTR name = nullptr;
    node->get_nodeName(&name);
    UniqueBstr owner(name);
    return Text(name);
}

// The attribute's text, or nothing when the element lacks it.
std::optional<std::wstring> Attribute(IXMLDOMNode* node, const wchar_t* name) {
    ComPtr<IXMLDOMElement> element;
    if (FAILED(node->QueryInterface(XmlDomElementIid,
                                    reinterpret_cast<void**>(element.GetAddressOf())))) {
        return std::nullopt;
    }
    UniqueBstr attributeName(SysAllocString(name));
    ScopedVariant value;
    if (element->getAttribute(attributeName.get(), &value) != S_OK || value->vt != VT_BSTR) {
        return std::nullopt;
    }
    return Text(value->bstrVal);
}

bool IsBlank(const std::wstring& text) {
    return std::all_of(text.begin(), text.end(), [](wchar_t c) {
        return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
    });
}

// The element children of node. Blank text and comments between them are allowed; anything
// else makes the document one this manager does not understand.
HRESULT ElementChildren(IXMLDOMNode* node, std::vector<ComPtr<IXMLDOMNode>>& elements) {
    ComPtr<IXMLDOMNodeList> children;
    long count = 0;
    if (FAILED(node->get_childNodes(&children)) || FAILED(children->get_length(&count))) {
        return E_FAIL;
    }
    for (long i = 0; i < count; ++i) {
        ComPtr<IXMLDOMNode> child;
        DOMNodeType type = NODE_INVALID;
        if (FAILED(children->get_item(i, &child)) || child == nullptr ||
            FAILED(child->get_nodeType(&type))) {
            return E_FAIL;
        }
        if (type == NODE_ELEMENT) {
            elements.push_back(child);
        } else if (type == NODE_TEXT || type == NODE_CDATA_SECTION) {
            BSTR text = nullptr;
            child->get_text(&text);
            UniqueBstr owner(text);
            if (!IsBlank(Text(text))) {
                return DocumentNotUnderstood;
            }
        } else if (type != NODE_COMMENT) {
            return DocumentNotUnderstood;
        }
    }
    return S_OK;
}

// The store key of the account that the characteristic type names.
HRESULT AccountStoreKey(const std::wstring& type, std::wstring& key) {
    auto guid = handset::ParseGuid(type);
    if (!guid) {
        return DocumentNotUnderstood;
    }
    auto found = handset::FindAccountStore(*guid);
    if (!found) {
        return NoSuchAccount;
    }
    key = *found;
    return S_OK;
}

// Checks the whole document and gathers its settings; writes nothing.
HRESULT CollectSettings(IXMLDOMDocument* document, std::vector<handset::SettingWrite>& writes) {
    ComPtr<IXMLDOMElement> root;
    if (document->get_documentElement(&root) != S_OK || root == nullptr ||
        NodeName(root.Get()) != L"wap-provisioningdoc") {
        return DocumentNotUnderstood;
    }
    std::vector<ComPtr<IXMLDOMNode>> services;
    if (HRESULT status = ElementChildren(root.Get(), services); FAILED(status)) {
        return status;
    }
    for (const auto& service : services) {
        if (NodeName(service.Get()) != L"characteristic" ||
            Attribute(service.Get(), L"type") != L"EMAIL2") {
            return DocumentNotUnderstood;
        }
        std::vector<ComPtr<IXMLDOMNode>> accounts;
        if (HRESULT status = ElementChildren(service.Get(), accounts); FAILED(status)) {
            return status;
        }
        for (const auto& account : accounts) {
            auto type = Attribute(account.Get(), L"type");
            if (NodeName(account.Get()) != L"characteristic" || !type) {
                return DocumentNotUnderstood;
            }
            std::wstring storeKey;
            std::vector<ComPtr<IXMLDOMNode>> parms;
            if (HRESULT status = AccountStoreKey(*type, storeKey); FAILED(status)) {
                return status;
            }
            if (HRESULT status = ElementChildren(account.Get(), parms); FAILED(status)) {
                return status;
            }
            for (const auto& parm : parms) {
                auto name = Attribute(parm.Get(), L"name");
                auto value = Attribute(parm.Get(), L"value");
                if (NodeName(parm.Get()) != L"parm" || !name || !IsEmail2Parm(*name) || !value) {
                    return DocumentNotUnderstood;
                }
                writes.push_back({storeKey, *name, *value});
            }
        }
    }
    return S_OK;
}

HRESULT ParseDocument(const wchar_t* text, ComPtr<IXMLDOMDocument>& document) {
    HRESULT status =
        CoCreateInstance(DomDocument30Clsid, nullptr, CLSCTX_INPROC_SERVER, XmlDomDocumentIid,
                         reinterpret_cast<void**>(document.ReleaseAndGetAddressOf()));
    if (FAILED(status)) {
        return status;
    }
    document->put_async(VARIANT_FALSE);
    document->put_resolveExternals(VARIANT_FALSE);
    document->put_validateOnParse(VARIANT_FALSE);
    UniqueBstr source(SysAllocString(text));
    if (source == nullptr) {
        return E_OUTOFMEMORY;
    }
    VARIANT_BOOL loaded = VARIANT_FALSE;
    status = document->loadXML(source.get(), &loaded);
    if (FAILED(status)) {
        return status;
    }
    if (loaded != VARIANT_TRUE) {
        // The parser's own reason when it gives one.
        ComPtr<IXMLDOMParseError> error;
        long code = 0;
        if (SUCCEEDED(document->get_parseError(&error)) && error != nullptr &&
            SUCCEEDED(error->get_errorCode(&code)) && code < 0) {
            return static_cast<HRESULT>(code);
        }
        return DocumentNotUnderstood;
    }
    return S_OK;
}

} // namespace

extern "C" HRESULT WINAPI DMProcessConfigXML(LPCWSTR pszWXMLin, DWORD dwFlags,
                                             LPWSTR* ppszwXMLout) {
    if (ppszwXMLout == nullptr) {
        return E_INVALIDARG;
    }
    *ppszwXMLout = nullptr;
    if (pszWXMLin == nullptr || dwFlags != CFGFLAG_PROCESS) {
        return E_INVALIDARG;
    }
    if (handset::RefusesDocuments()) {
        return E_ACCESSDENIED;
    }

    std::vector<handset::SettingWrite> writes;
    {
        ComScope com;
        if (!com.Usable()) {
            return com.Status();
        }
        ComPtr<IXMLDOMDocument> document;
        HRESULT status = ParseDocument(pszWXMLin, document);
        if (SUCCEEDED(status)) {
            status = CollectSettings(document.Get(), writes);
        }
        if (FAILED(status)) {
            return status;
        }
    }
    if (!handset::ApplySettings(writes)) {
        return E_FAIL;
    }

    // The reply is the document as processed; the caller frees it with delete[].
    size_t length = std::wcslen(pszWXMLin);
    auto* reply = new (std::nothrow) wchar_t[length + 1];
    if (reply != nullptr) {
        std::copy_n(pszWXMLin, length + 1, reply);
    }
    *ppszwXMLout = reply;
    return S_OK;
}
