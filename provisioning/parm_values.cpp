// The account record's access to its settings by name.
#include "accounts/account_record.h"
#include "provisioning/parm_line.h"

int AccountRecord::GetParmValue(const std::wstring& settingName, std::wstring& value) const {
    value.clear();
    for (const std::wstring& line : parmLines) {
        if (FieldText(line, L"name") == settingName) {
            value = UnescapeParmValue(FieldText(line, L"value"));
            return 0;
        }
    }
    return -1;
}

int AccountRecord::SetParmValue(const std::wstring& settingName, const std::wstring& newValue) {
    for (std::wstring& line : parmLines) {
        if (FieldText(line, L"name") != settingName) {
            continue;
        }
        if (!HasValueField(line)) {
            // A hand-made line without a value field to replace: write the setting afresh in
            // its proper form, in the same slot, so the new value is what gets applied.
            line = MakeParmLine(settingName, newValue);
            return 0;
        }
        FieldBounds value = LocateField(line, L"value");
        line.replace(value.begin, value.end - value.begin, EscapeParmValue(newValue));
        return 0;
    }
    return -1;
}
