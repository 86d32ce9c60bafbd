#include "handset/registry/store_registry.h"

#include "handset/common/owners.h"

#include <objbase.h>

#include <algorithm>
#include <cwchar>
#include <filesystem>

namespace handset {

namespace {

constexpr wchar_t ShellFoldersKey[] = L"SYSTEM\\EXPLORER\\SHELL FOLDERS";
constexpr wchar_t ScreenKey[] = L"SOFTWARE\\Handset\\Screen";
constexpr wchar_t DesktopKey[] = L"Control Panel\\Desktop";
constexpr wchar_t SettingsKey[] = L"EMAIL2";

std::wstring MessagingPath() {
    return RootKey() + L"\\Messaging";
}
std::wstring StoresPath() {
    return MessagingPath() + L"\\Stores";
}
std::wstring AccountIndexPath() {
    return MessagingPath() + L"\\AccountStores";
}
std::wstring ConfigManagerPath() {
    return RootKey() + L"\\ConfigManager";
}

UniqueKey OpenKey(HKEY parent, const std::wstring& path, REGSAM access = KEY_READ) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(parent, path.c_str(), 0, access, &key) != ERROR_SUCCESS) {
        return nullptr;
    }
    return UniqueKey(key);
}

UniqueKey CreateKey(HKEY parent, const std::wstring& path, bool* created = nullptr) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExW(parent, path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key,
                        &disposition) != ERROR_SUCCESS) {
        return nullptr;
    }
    if (created != nullptr) {
        *created = disposition == REG_CREATED_NEW_KEY;
    }
    return UniqueKey(key);
}

struct RawValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

// Reads a value whatever its length; nothing when it is missing. Most values fit the first
// buffer, so most reads take one call.
std::optional<RawValue> ReadRaw(HKEY key, const std::wstring& name) {
    RawValue value;
    value.data.resize(256);
    DWORD size = static_cast<DWORD>(value.data.size());
    LONG status =
        RegQueryValueExW(key, name.c_str(), nullptr, &value.type, value.data.data(), &size);
    if (status == ERROR_SUCCESS) {
        value.data.resize(size);
        return value;
    }
    while (status == ERROR_MORE_DATA) {
        value.data.resize(size);
        status =
            RegQueryValueExW(key, name.c_str(), nullptr, &value.type, value.data.data(), &size);
        if (status == ERROR_SUCCESS) {
            value.data.resize(size);
            return value;
        }
    }
    return std::nullopt;
}

std::optional<std::wstring> ReadString(HKEY key, const std::wstring& name) {
    auto raw = ReadRaw(key, name);
    if (!raw || (raw->type != REG_SZ && raw->type != REG_EXPAND_SZ)) {
        return std::nullopt;
    }
    std::wstring text(raw->data.size() / sizeof(wchar_t), L'\0');
    std::copy_n(raw->data.data(), text.size() * sizeof(wchar_t),
                reinterpret_cast<BYTE*>(text.data()));
    // The stored terminator, and anything after one, is not part of the text.
    text.resize(std::wcslen(text.c_str()));
    return text;
}

bool WriteString(HKEY key, const std::wstring& name, const std::wstring& text) {
    return RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

DWORD ReadDword(HKEY key, const wchar_t* subKey, const wchar_t* name) {
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegGetValueW(key, subKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS) {
        return 0;
    }
    return value;
}

bool WriteDword(HKEY root, const std::wstring& path, const wchar_t* name, DWORD value) {
    UniqueKey key = CreateKey(root, path);
    return key &&
           RegSetValueExW(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof(value)) == ERROR_SUCCESS;
}

// Store keys are decimal numbers; anything else under Stores is not a store. Checking this also
// keeps a key name taken from an entry identifier from reaching into another key.
std::optional<unsigned long long> StoreNumber(const std::wstring& name) {
    if (name.empty() || name.size() > 18 ||
        !std::all_of(name.begin(), name.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; })) {
        return std::nullopt;
    }
    return std::stoull(name);
}

std::vector<std::wstring> StoreKeysInOrder() {
    std::vector<std::pair<unsigned long long, std::wstring>> numbered;
    UniqueKey stores = OpenKey(HKEY_CURRENT_USER, StoresPath());
    if (stores) {
        wchar_t name[256];
        for (DWORD index = 0;; ++index) {
            DWORD length = 256;
            if (RegEnumKeyExW(stores.get(), index, name, &length, nullptr, nullptr, nullptr,
                              nullptr) != ERROR_SUCCESS) {
                break;
            }
            if (auto number = StoreNumber(name)) {
                numbered.emplace_back(*number, name);
            }
        }
    }
    std::sort(numbered.begin(), numbered.end());
    std::vector<std::wstring> keys;
    for (auto& entry : numbered) {
        keys.push_back(std::move(entry.second));
    }
    return keys;
}

Settings ReadSettings(HKEY store) {
    Settings settings;
    UniqueKey key = OpenKey(store, SettingsKey);
    if (!key) {
        return settings;
    }
    DWORD count = 0;
    DWORD longestName = 0;
    if (RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                         &longestName, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        return settings;
    }
    std::vector<wchar_t> name(longestName + 1);
    for (DWORD index = 0; index < count; ++index) {
        DWORD length = static_cast<DWORD>(name.size());
        if (RegEnumValueW(key.get(), index, name.data(), &length, nullptr, nullptr, nullptr,
                          nullptr) != ERROR_SUCCESS) {
            continue;
        }
        std::wstring parm(name.data(), length);
        if (auto value = ReadString(key.get(), parm)) {
            settings[parm] = *value;
        }
    }
    return settings;
}

// What a setting held before a write, so that the write can be taken back.
struct Undo {
    std::wstring storeKey;
    std::wstring name;
    std::optional<RawValue> previous;
    bool createdSettingsKey = false;
};

void TakeBack(const Undo& undo) {
    std::wstring storePath = StoresPath() + L"\\" + undo.storeKey;
    UniqueKey key = OpenKey(HKEY_CURRENT_USER, storePath + L"\\" + SettingsKey, KEY_WRITE);
    if (key) {
        if (undo.previous) {
            RegSetValueExW(key.get(), undo.name.c_str(), 0, undo.previous->type,
                           undo.previous->data.data(),
                           static_cast<DWORD>(undo.previous->data.size()));
        } else {
            RegDeleteValueW(key.get(), undo.name.c_str());
        }
    }
    if (undo.createdSettingsKey) {
        key.reset();
        RegDeleteKeyW(HKEY_CURRENT_USER, (storePath + L"\\" + SettingsKey).c_str());
    }
}

} // namespace

std::wstring RootKey() {
    std::vector<wchar_t> buffer(256);
    for (;;) {
        DWORD length = GetEnvironmentVariableW(L"HANDSET_ROOT", buffer.data(),
                                               static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return L"Software\\Handset";
        }
        if (length < buffer.size()) {
            return std::wstring(buffer.data(), length);
        }
        buffer.resize(length);
    }
}

std::vector<StoreInfo> ListStores(StoreParts parts) {
    std::vector<StoreInfo> stores;
    for (const auto& key : StoreKeysInOrder()) {
        if (auto store = ReadStore(key, parts)) {
            stores.push_back(std::move(*store));
        }
    }
    return stores;
}

std::optional<StoreInfo> ReadStore(const std::wstring& key, StoreParts parts) {
    if (!StoreNumber(key)) {
        return std::nullopt;
    }
    std::wstring path = StoresPath() + L"\\" + key;
    UniqueKey store = OpenKey(HKEY_CURRENT_USER, path);
    if (!store) {
        return std::nullopt;
    }
    StoreInfo info;
    info.key = key;
    info.displayName = ReadString(store.get(), L"DisplayName").value_or(L"");
    if (auto text = ReadString(store.get(), L"AccountGuid")) {
        info.accountGuid = ParseGuid(*text);
    }
    info.openFails = ReadDword(store.get(), nullptr, L"OpenFails") != 0;
    if (parts == StoreParts::WithSettings) {
        info.settings = ReadSettings(store.get());
    }
    return info;
}

std::wstring AddStore(const std::wstring& displayName, const std::optional<GUID>& accountGuid,
                      const Settings& settings, bool openFails) {
    unsigned long long next = 1;
    for (const auto& key : StoreKeysInOrder()) {
        next = std::max(next, *StoreNumber(key) + 1);
    }
    wchar_t name[24];
    swprintf(name, 24, L"%04llu", next);
    std::wstring path = StoresPath() + L"\\" + name;

    bool written = false;
    {
        bool created = false;
        UniqueKey store = CreateKey(HKEY_CURRENT_USER, path, &created);
        if (!store || !created) {
            return L"";
        }
        written =
            WriteString(store.get(), L"DisplayName", displayName) &&
            (!accountGuid || WriteString(store.get(), L"AccountGuid", GuidText(*accountGuid))) &&
            (!openFails || WriteDword(HKEY_CURRENT_USER, path, L"OpenFails", 1));
        if (written) {
            UniqueKey values = CreateKey(store.get(), SettingsKey);
            written = values != nullptr;
            for (auto it = settings.begin(); written && it != settings.end(); ++it) {
                written = WriteString(values.get(), it->first, it->second);
            }
        }
    }
    if (written && accountGuid) {
        // The first store of an account is the one its GUID finds, as in table order.
        UniqueKey index = CreateKey(HKEY_CURRENT_USER, AccountIndexPath());
        const std::wstring guidText = GuidText(*accountGuid);
        written =
            index && (ReadRaw(index.get(), guidText) || WriteString(index.get(), guidText, name));
    }
    if (!written) {
        RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str());
        return L"";
    }
    return name;
}

std::optional<std::wstring> FindAccountStore(const GUID& accountGuid) {
    UniqueKey index = OpenKey(HKEY_CURRENT_USER, AccountIndexPath());
    if (!index) {
        return std::nullopt;
    }
    return ReadString(index.get(), GuidText(accountGuid));
}

GUID AddAccount(const std::wstring& displayName, const Settings& settings) {
    GUID guid = NewGuid();
    return AddStore(displayName, guid, settings).empty() ? GUID_NULL : guid;
}

bool SetSettings(const std::wstring& displayName, const Settings& settings) {
    for (const auto& store : ListStores()) {
        if (store.displayName == displayName) {
            std::vector<SettingWrite> writes;
            for (const auto& [name, value] : settings) {
                writes.push_back({store.key, name, value});
            }
            return ApplySettings(writes);
        }
    }
    return false;
}

bool ApplySettings(const std::vector<SettingWrite>& writes) {
    // Each store's settings key is opened once for all of its writes.
    std::map<std::wstring, UniqueKey> settingsKeys;
    std::vector<Undo> done;
    bool ok = true;
    for (const auto& write : writes) {
        Undo undo{write.storeKey, write.name, std::nullopt, false};
        UniqueKey& values = settingsKeys[write.storeKey];
        if (!values) {
            UniqueKey store =
                StoreNumber(write.storeKey)
                    ? OpenKey(HKEY_CURRENT_USER, StoresPath() + L"\\" + write.storeKey)
                    : nullptr;
            values =
                store ? CreateKey(store.get(), SettingsKey, &undo.createdSettingsKey) : nullptr;
        }
        if (!values) {
            ok = false;
            break;
        }
        undo.previous = ReadRaw(values.get(), write.name);
        done.push_back(undo);
        if (!WriteString(values.get(), write.name, write.value)) {
            ok = false;
            break;
        }
    }
    settingsKeys.clear();
    if (!ok) {
        for (auto it = done.rbegin(); it != done.rend(); ++it) {
            TakeBack(*it);
        }
    }
    return ok;
}

bool ClearStores() {
    LONG indexStatus = RegDeleteTreeW(HKEY_CURRENT_USER, AccountIndexPath().c_str());
    LONG status = RegDeleteTreeW(HKEY_CURRENT_USER, StoresPath().c_str());
    return (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) &&
           (indexStatus == ERROR_SUCCESS || indexStatus == ERROR_FILE_NOT_FOUND);
}

bool LogonFails() {
    return ReadDword(HKEY_CURRENT_USER, MessagingPath().c_str(), L"LogonFails") != 0;
}

bool SetLogonFails(bool on) {
    return WriteDword(HKEY_CURRENT_USER, MessagingPath(), L"LogonFails", on ? 1 : 0);
}

bool RefusesDocuments() {
    return ReadDword(HKEY_CURRENT_USER, ConfigManagerPath().c_str(), L"Refuse") != 0;
}

bool SetRefusesDocuments(bool on) {
    return WriteDword(HKEY_CURRENT_USER, ConfigManagerPath(), L"Refuse", on ? 1 : 0);
}

std::optional<std::wstring> StartupFolder() {
    UniqueKey key = OpenKey(HKEY_LOCAL_MACHINE, ShellFoldersKey);
    if (!key) {
        return std::nullopt;
    }
    return ReadString(key.get(), L"Startup");
}

bool SetStartupFolder(const std::wstring& folder) {
    if (folder.empty()) {
        return false;
    }
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(folder), error);
    if (!std::filesystem::is_directory(std::filesystem::path(folder), error)) {
        return false;
    }
    UniqueKey key = CreateKey(HKEY_LOCAL_MACHINE, ShellFoldersKey);
    return key && WriteString(key.get(), L"Startup", folder);
}

std::optional<SIZE> ScreenForm() {
    SIZE form{static_cast<LONG>(ReadDword(HKEY_LOCAL_MACHINE, ScreenKey, L"Width")),
              static_cast<LONG>(ReadDword(HKEY_LOCAL_MACHINE, ScreenKey, L"Height"))};
    if (form.cx <= 0 || form.cy <= 0) {
        return std::nullopt;
    }
    return form;
}

bool SetScreenForm(const std::optional<SIZE>& form) {
    if (!form) {
        LSTATUS status = RegDeleteKeyW(HKEY_LOCAL_MACHINE, ScreenKey);
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }
    return form->cx > 0 && form->cy > 0 &&
           WriteDword(HKEY_LOCAL_MACHINE, ScreenKey, L"Width", static_cast<DWORD>(form->cx)) &&
           WriteDword(HKEY_LOCAL_MACHINE, ScreenKey, L"Height", static_cast<DWORD>(form->cy));
}

std::optional<int> DisplayDpi() {
    DWORD dpi = ReadDword(HKEY_CURRENT_USER, DesktopKey, L"LogPixels");
    return dpi == 0 ? std::nullopt : std::optional<int>(static_cast<int>(dpi));
}

bool SetDisplayDpi(const std::optional<int>& dpi) {
    if (!dpi) {
        LSTATUS status = RegDeleteKeyValueW(HKEY_CURRENT_USER, DesktopKey, L"LogPixels");
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }
    return *dpi > 0 &&
           WriteDword(HKEY_CURRENT_USER, DesktopKey, L"LogPixels", static_cast<DWORD>(*dpi));
}

GUID NewGuid() {
    GUID guid{};
    if (FAILED(CoCreateGuid(&guid))) {
        return GUID_NULL;
    }
    return guid;
}

std::wstring GuidText(const GUID& guid) {
    wchar_t text[39] = {};
    StringFromGUID2(guid, text, 39);
    return text;
}

std::optional<GUID> ParseGuid(const std::wstring& text) {
    // Exactly the braced form of 38 characters: IIDFromString alone also takes other texts.
    GUID guid{};
    if (text.size() != 38 || text.front() != L'{' ||
        FAILED(IIDFromString(const_cast<wchar_t*>(text.c_str()), &guid))) {
        return std::nullopt;
    }
    return guid;
}

} // namespace handset
