// The message store: its properties are read from the handset's registry when it is opened, as
// an open store holds them.
#include "handset/common/com_object.h"
#include "handset/messaging/messaging_objects.h"
#include "handset/registry/store_registry.h"

#include <algorithm>
#include <mutex>
#include <new>

namespace {

constexpr ULONG AccountGuidTag = PROP_TAG(PT_CLSID, 0x8113);

class MsgStore;

// Stores whose count reached zero. They are kept until the process ends, so that a Release too
// many finds a live object to count it on instead of freed memory.
class RetiredStores {
public:
    ~RetiredStores();
    void Add(MsgStore* store) {
        std::lock_guard<std::mutex> guard(lock);
        stores.push_back(store);
    }

private:
    std::mutex lock;
    std::vector<MsgStore*> stores;
};

RetiredStores& Retired() {
    static RetiredStores retired;
    return retired;
}

class MsgStore final : public handset::ComObject<IMsgStore> {
public:
    explicit MsgStore(handset::StoreInfo info)
        : ComObject(handset::detail::liveStores, handset::detail::overReleases),
          info(std::move(info)) {
        Retired(); // constructed before any store, so destroyed after every one is retired
    }
    ~MsgStore() override = default;

    HRESULT STDMETHODCALLTYPE GetProps(LPSPropTagArray lpPropTagArray, ULONG, ULONG* lpcValues,
                                       LPSPropValue* lppPropArray) override {
        if (lpcValues == nullptr || lppPropArray == nullptr) {
            return MAPI_E_INVALID_PARAMETER;
        }
        *lpcValues = 0;
        *lppPropArray = nullptr;
        std::vector<ULONG> tags;
        if (lpPropTagArray != nullptr) {
            tags.assign(lpPropTagArray->aulPropTag,
                        lpPropTagArray->aulPropTag + lpPropTagArray->cValues);
        } else {
            // No tag array: every property the store has.
            tags = {PR_ENTRYID, PR_DISPLAY_NAME_W};
            if (info.accountGuid) {
                tags.push_back(AccountGuidTag);
            }
        }

        void* block = nullptr;
        HRESULT status = MAPIAllocateBuffer(
            static_cast<ULONG>(std::max<size_t>(tags.size(), 1) * sizeof(SPropValue)), &block);
        if (FAILED(status)) {
            return status;
        }
        auto* values = static_cast<SPropValue*>(block);
        bool anyMissing = false;
        std::vector<BYTE> entryId = handset::detail::EntryIdFor(info.key);
        for (size_t i = 0; i < tags.size() && SUCCEEDED(status); ++i) {
            SPropValue& value = values[i];
            value.ulPropTag = tags[i];
            void* copy = nullptr;
            if (Matches(tags[i], PR_DISPLAY_NAME_W)) {
                value.ulPropTag = PR_DISPLAY_NAME_W;
                status = handset::detail::CopyMore(
                    info.displayName.c_str(),
                    static_cast<ULONG>((info.displayName.size() + 1) * sizeof(wchar_t)), block,
                    &copy);
                value.Value.lpszW = static_cast<LPWSTR>(copy);
            } else if (Matches(tags[i], AccountGuidTag) && info.accountGuid) {
                value.ulPropTag = AccountGuidTag;
                status = handset::detail::CopyMore(&*info.accountGuid, sizeof(GUID), block, &copy);
                value.Value.lpguid = static_cast<LPGUID>(copy);
            } else if (Matches(tags[i], PR_ENTRYID)) {
                value.ulPropTag = PR_ENTRYID;
                status = handset::detail::CopyMore(
                    entryId.data(), static_cast<ULONG>(entryId.size()), block, &copy);
                value.Value.bin.cb = static_cast<ULONG>(entryId.size());
                value.Value.bin.lpb = static_cast<LPBYTE>(copy);
            } else {
                value.ulPropTag = PROP_TAG(PT_ERROR, PROP_ID(tags[i]));
                value.Value.err = MAPI_E_NOT_FOUND;
                anyMissing = true;
            }
        }
        if (FAILED(status)) {
            MAPIFreeBuffer(block);
            return status;
        }
        *lpcValues = static_cast<ULONG>(tags.size());
        *lppPropArray = values;
        return anyMissing ? MAPI_W_ERRORS_RETURNED : S_OK;
    }

private:
    // A requested tag names a property by its identifier and, unless unspecified, its type.
    static bool Matches(ULONG requested, ULONG property) {
        return PROP_ID(requested) == PROP_ID(property) &&
               (PROP_TYPE(requested) == PT_UNSPECIFIED ||
                PROP_TYPE(requested) == PROP_TYPE(property));
    }

    // Kept, not freed: a release too many finds a live object to count it on.
    void Retire() override { Retired().Add(this); }

    const handset::StoreInfo info;
};

RetiredStores::~RetiredStores() {
    for (MsgStore* store : stores) {
        delete store;
    }
}

} // namespace

namespace handset::detail {

std::vector<BYTE> EntryIdFor(const std::wstring& storeKey) {
    std::vector<BYTE> bytes(4, 0);
    for (wchar_t digit : storeKey) {
        bytes.push_back(static_cast<BYTE>(digit));
    }
    return bytes;
}

std::optional<std::wstring> StoreKeyFromEntryId(ULONG size, const BYTE* bytes) {
    if (size <= 4 || size > 4 + 18 || std::any_of(bytes, bytes + 4, [](BYTE b) { return b; })) {
        return std::nullopt;
    }
    std::wstring key;
    for (ULONG i = 4; i < size; ++i) {
        if (bytes[i] < '0' || bytes[i] > '9') {
            return std::nullopt;
        }
        key.push_back(static_cast<wchar_t>(bytes[i]));
    }
    return key;
}

HRESULT CreateMsgStore(const std::wstring& storeKey, IMsgStore** store) {
    auto info = handset::ReadStore(storeKey, handset::StoreParts::Header);
    if (!info) {
        return MAPI_E_NOT_FOUND;
    }
    if (info->openFails) {
        return MAPI_E_CALL_FAILED;
    }
    *store = new (std::nothrow) MsgStore(std::move(*info));
    return *store != nullptr ? S_OK : MAPI_E_NOT_ENOUGH_MEMORY;
}

} // namespace handset::detail
