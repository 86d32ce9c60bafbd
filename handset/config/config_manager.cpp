// Serves the program and a platform rule: DMProcessConfigXML applies the EMAIL2 part of a
// provisioning document to the message stores. The whole document is parsed with MSXML and
// checked before anything is written, with the statuses of its reference page.
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
#include <new>
#include <optional>
#include <string>
#include <utility>
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

// The statuses of a refused document (DMProcessConfigXML, Windows Mobile 5.0): BadDocument for
// one that is not well-formed or not made of characteristics and parms, NoEntry for a
// characteristic, an account or a parm name that the handset has no entry for.
constexpr HRESULT BadDocument = CONFIG_E_BAD_XML, NoEntry = CONFIG_E_ENTRYNOTFOUND;

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

// A setting named by its MAPI property tag, eight hexadecimal digits, such as "8128000B" for SSL on
// the incoming server. The reference shows these only inside the account's TAGPROPS characteristic
// ("Enabling SSL Example", EMAIL2 Configuration Service Provider, Windows Mobile 5.0).
bool IsPropertyTag(const std::wstring& name) {
    return name.size() == 8 && name.find_first_not_of(L"0123456789ABCDEFabcdef") == name.npos;
}

using handset::ScopedVariant;
using handset::UniqueBstr;

std::wstring Text(BSTR text) {
    return text != nullptr ? std::wstring(text, SysStringLen(text)) : L"";
}

// The text of a BSTR handed to the caller, which it frees.
std::wstring Take(BSTR text) {
    UniqueBstr owner(text);
    return Text(text);
}

std::wstring NodeName(IXMLDOMNode* node) {
    BSTR name = nullptr;
    node->get_nodeName(&name);
    return Take(name);
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
            if (Take(text).find_first_not_of(L" \t\r\n") != std::wstring::npos) {
                return BadDocument;
            }
        } else if (type != NODE_COMMENT) {
            return BadDocument;
        }
    }
    return S_OK;
}

using Characteristics = std::vector<std::pair<ComPtr<IXMLDOMNode>, std::wstring>>;

// The children of node, each a characteristic with its type.
HRESULT CharacteristicChildren(IXMLDOMNode* node, Characteristics& found) {
    std::vector<ComPtr<IXMLDOMNode>> elements;
    if (HRESULT status = ElementChildren(node, elements); FAILED(status)) {
        return status;
    }
    for (const auto& element : elements) {
        auto type = Attribute(element.Get(), L"type");
        if (NodeName(element.Get()) != L"characteristic" || !type) {
            return BadDocument;
        }
        found.emplace_back(element, *type);
    }
    return S_OK;
}

// Gathers, in document order, the parms of an account's characteristic (the names EMAIL2 defines,
// and its TAGPROPS characteristic) or of its TAGPROPS characteristic (property tags only).
HRESULT CollectParms(IXMLDOMNode* node, bool tagProps, const std::wstring& storeKey,
                     std::vector<handset::SettingWrite>& writes) {
    std::vector<ComPtr<IXMLDOMNode>> elements;
    if (HRESULT status = ElementChildren(node, elements); FAILED(status)) {
        return status;
    }
    for (const auto& element : elements) {
        const std::wstring kind = NodeName(element.Get());
        if (kind == L"characteristic") {
            auto type = Attribute(element.Get(), L"type");
            if (!type) {
                return BadDocument;
            }
            if (tagProps || *type != L"TAGPROPS") {
                return NoEntry;
            }
            if (HRESULT status = CollectParms(element.Get(), true, storeKey, writes);
                FAILED(status)) {
                return status;
            }
            continue;
        }
        auto name = Attribute(element.Get(), L"name");
        auto value = Attribute(element.Get(), L"value");
        if (kind != L"parm" || !name || !value) {
            return BadDocument;
        }
        if (!(tagProps ? IsPropertyTag(*name) : IsEmail2Parm(*name))) {
            return NoEntry;
        }
        writes.push_back({storeKey, *name, *value});
    }
    return S_OK;
}

// Checks the whole document and gathers its settings; writes nothing.
HRESULT CollectSettings(IXMLDOMDocument* document, std::vector<handset::SettingWrite>& writes) {
    ComPtr<IXMLDOMElement> root;
    Characteristics services;
    if (document->get_documentElement(&root) != S_OK || root == nullptr ||
        NodeName(root.Get()) != L"wap-provisioningdoc") {
        return BadDocument;
    }
    if (HRESULT status = CharacteristicChildren(root.Get(), services); FAILED(status)) {
        return status;
    }
    for (const auto& [service, serviceType] : services) {
        Characteristics accounts;
        if (serviceType != L"EMAIL2") {
            return NoEntry;
        }
        if (HRESULT status = CharacteristicChildren(service.Get(), accounts); FAILED(status)) {
            return status;
        }
        for (const auto& [account, type] : accounts) {
            // The account's type is a braced GUID that an account has.
            auto guid = handset::ParseGuid(type);
            auto storeKey = guid ? handset::FindAccountStore(*guid) : std::nullopt;
            if (!storeKey) {
                return NoEntry;
            }
            if (HRESULT status = CollectParms(account.Get(), false, *storeKey, writes);
                FAILED(status)) {
                return status;
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
    // The program only applies documents: CFGFLAG_METADATA is not emulated, and is refused.
    if (pszWXMLin == nullptr || dwFlags != CFGFLAG_PROCESS) {
        return E_INVALIDARG;
    }
    // While the switch is on the manager answers as when another configuration is being processed.
    if (handset::RefusesDocuments()) {
        return CONFIG_E_OBJECTBUSY;
    }

    std::vector<handset::SettingWrite> writes;
    {
        handset::ScopedCom com;
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
    if (DWORD delay = handset::DocumentDelayMs(); delay != 0) {
        Sleep(delay);
    }
    // A write failed: "an exception occurred in one of the Configuration Service Providers".
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
