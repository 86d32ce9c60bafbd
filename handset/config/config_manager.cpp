// DMProcessConfigXML: applies the EMAIL2 part of a provisioning document to the message stores.
// The whole document is parsed with MSXML and checked before anything is written, and then
// written all or nothing.
#include <windows.h>
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

// The statuses of a refused document (DMProcessConfigXML, Windows Mobile 5.0): CONFIG_E_BAD_XML
// for one that is not well-formed or not made of characteristics and parms, CONFIG_E_ENTRYNOTFOUND
// for a characteristic, an account or a parm name that the handset has no entry for.
constexpr HRESULT BadDocument = CONFIG_E_BAD_XML;
constexpr HRESULT NoEntry = CONFIG_E_ENTRYNOTFOUND;

// The parm names that the EMAIL2 configuration service provider defines.
constexpr const wchar_t* Email2Parms[] = {
    L"ACCOUNTICON",    L"ACCOUNTTYPE", L"AUTHNAME",        L"AUTHREQUIRED",  L"AUTHSECRET",
    L"DOMAIN",         L"DWNDAY",      L"INSERVER",        L"KEEPMAX",       L"LINGER",
    L"NAME",           L"OUTSERVER",   L"REPLYADDR",       L"RETRIEVE",      L"SERVERDELETEACTION",
    L"SERVICENAME",    L"SERVICETYPE", L"SMTPALTAUTHNAME", L"SMTPALTDOMAIN", L"SMTPALTENABLED",
    L"SMTPALTPASSWORD"};

// EMAIL2 also takes a setting named by its MAPI property tag, eight hexadecimal digits, such as
// "8128000B" for SSL on the incoming server ("unnamed tag", EMAIL2 Configuration Service Provider,
// Windows Mobile 5.0).
bool IsPropertyTagName(const std::wstring& name) {
    return name.size() == 8 && std::all_of(name.begin(), name.end(), [](wchar_t c) {
               return (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F') ||
                      (c >= L'a' && c <= L'f');
           });
}

bool IsEmail2Parm(const std::wstring& name) {
    return IsPropertyTagName(name) ||
           std::any_of(std::begin(Email2Parms), std::end(Email2Parms),
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
                return BadDocument;
            }
        } else if (type != NODE_COMMENT) {
            return BadDocument;
        }
    }
    return S_OK;
}

// The store key of the account that the characteristic type names: a braced GUID that an account
// has.
HRESULT AccountStoreKey(const std::wstring& type, std::wstring& key) {
    auto guid = handset::ParseGuid(type);
    auto found = guid ? handset::FindAccountStore(*guid) : std::nullopt;
    if (!found) {
        return NoEntry;
    }
    key = *found;
    return S_OK;
}

// Checks the whole document and gathers its settings; writes nothing.
HRESULT CollectSettings(IXMLDOMDocument* document, std::vector<handset::SettingWrite>& writes) {
    ComPtr<IXMLDOMElement> root;
    if (document->get_documentElement(&root) != S_OK || root == nullptr ||
        NodeName(root.Get()) != L"wap-provisioningdoc") {
        return BadDocument;
    }
    std::vector<ComPtr<IXMLDOMNode>> services;
    if (HRESULT status = ElementChildren(root.Get(), services); FAILED(status)) {
        return status;
    }
    for (const auto& service : services) {
        auto serviceType = Attribute(service.Get(), L"type");
        if (NodeName(service.Get()) != L"characteristic" || !serviceType) {
            return BadDocument;
        }
        if (*serviceType != L"EMAIL2") {
            return NoEntry;
        }
        std::vector<ComPtr<IXMLDOMNode>> accounts;
        if (HRESULT status = ElementChildren(service.Get(), accounts); FAILED(status)) {
            return status;
        }
        for (const auto& account : accounts) {
            auto type = Attribute(account.Get(), L"type");
            if (NodeName(account.Get()) != L"characteristic" || !type) {
                return BadDocument;
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
                if (NodeName(parm.Get()) != L"parm" || !name || !value) {
                    return BadDocument;
                }
                if (!IsEmail2Parm(*name)) {
                    return NoEntry;
                }
                writes.push_back({storeKey, *name, *value});
            }
        }
    }
    return S_OK;
}

HRESULT ParseDocument(const wchar_t* text, ComPtr<IXMLDOMDocument>& document) {
    if (FAILED(CoCreateInstance(DomDocument30Clsid, nullptr, CLSCTX_INPROC_SERVER,
                                XmlDomDocumentIid,
                                reinterpret_cast<void**>(document.ReleaseAndGetAddressOf())))) {
        return E_FAIL;
    }
    document->put_async(VARIANT_FALSE);
    document->put_resolveExternals(VARIANT_FALSE);
    document->put_validateOnParse(VARIANT_FALSE);
    UniqueBstr source(SysAllocString(text));
    if (source == nullptr) {
        return E_OUTOFMEMORY;
    }
    VARIANT_BOOL loaded = VARIANT_FALSE;
    if (FAILED(document->loadXML(source.get(), &loaded)) || loaded != VARIANT_TRUE) {
        return BadDocument;
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
    // While the switch is on the manager answers as when another configuration is being processed.
    if (handset::RefusesDocuments()) {
        return CONFIG_E_OBJECTBUSY;
    }

    std::vector<handset::SettingWrite> writes;
    {
        ComScope com;
        if (!com.Usable()) {
            return E_FAIL;
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
    // The provider could not write, and has put back what it wrote.
    if (!handset::ApplySettings(writes)) {
        return CONFIG_E_CSPEXCEPTION;
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
