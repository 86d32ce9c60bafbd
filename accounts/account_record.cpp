#include "accounts/account_record.h"

#include "provisioning/parm_line.h"
#include "provisioning/provisioning_document.h"

namespace {

// Reads one property of the store. The values, when the call gave any, end up in values.
HRESULT ReadProperty(IMsgStore* store, ULONG tag, MapiBuffer<SPropValue>& values) {
    SizedSPropTagArray(1, tags) = {1, {tag}};
    ULONG count = 0;
    HRESULT status = store->GetProps(reinterpret_cast<LPSPropTagArray>(&tags), MAPI_UNICODE, &count,
                                     values.Put());
    if (SUCCEEDED(status) && (count < 1 || !values.IsValid())) {
        return -1;
    }
    return status;
}

} // namespace

HRESULT AccountRecord::InitFromStore(IMsgStore* openStore) {
    store.Reset(openStore);
    if (!store.IsValid()) {
        return -1;
    }

    MapiBuffer<SPropValue> guidValues;
    HRESULT status = ReadProperty(store.Get(), AccountGuidTag, guidValues);
    if (FAILED(status)) {
        return status;
    }
    if (guidValues->ulPropTag != AccountGuidTag || guidValues->Value.lpguid == nullptr) {
        return -1;
    }

    MapiBuffer<SPropValue> nameValues;
    status = ReadProperty(store.Get(), PR_DISPLAY_NAME_W, nameValues);
    if (FAILED(status)) {
        return status;
    }
    if (nameValues->ulPropTag != PR_DISPLAY_NAME_W || nameValues->Value.lpszW == nullptr) {
        return -1;
    }

    // The GUID stays where the messaging system put it; the record keeps that buffer.
    guidValue = std::move(guidValues);
    displayName = nameValues->Value.lpszW;
    return status;
}

int AccountRecord::AddParmLine(const std::wstring& line) {
    parmLines.push_back(line);
    return 0;
}

int AccountRecord::AddParmLine(std::wstring&& line) {
    parmLines.push_back(std::move(line));
    return 0;
}

std::wstring AccountRecord::GetGuidText() const {
    return guidValue.IsValid() ? GuidText(*guidValue->Value.lpguid) : std::wstring();
}

int AccountRecord::GetParmValue(const std::wstring& settingName, std::wstring& value) const {
    std::optional<std::wstring> found = FindParmValue(parmLines, settingName);
    value = found.value_or(L"");
    return found ? 0 : -1;
}

int AccountRecord::SetParmValue(const std::wstring& settingName, const std::wstring& newValue) {
    return ReplaceParmValue(parmLines, settingName, newValue) ? 0 : -1;
}

int AccountRecord::Repair() const {
    if (!store.IsValid()) {
        return 0;
    }
    return SubmitProvisioningDocument(GetGuidText(), parmLines);
}
