// Serves the program and its tests: the emulated handset's state in the registry (see the header).
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

UniqueKey OpenKey(HKEY parent, const std::wstring& path) {
    HKEY key = nullptr;
    return UniqueKey(
        RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS ? key : nullptr);
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

// A REG_SZ or REG_EXPAND_SZ value (unexpanded) whatever its length; nothing when it is missing.
std::optional<std::wstring> ReadString(HKEY key, const std::wstring& name) {
    std::wstring text(64, L'\0');
    for (;;) {
        DWORD size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        LONG status = RegGetValueW(key, nullptr, name.c_str(),
                                   RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr,
                                   text.data(), &size);
        if (status == ERROR_SUCCESS) {
            // The stored terminator, and anything after one, is not part of the text.
            text.resize(size / sizeof(wchar_t));
            text.resize(std::wcslen(text.c_str()));
            return text;
        }
        if (status != ERROR_MORE_DATA) {
            return std::nullopt;
        }
        text.resize(size / sizeof(wchar_t) + 1);
    }
}

bool WriteString(HKEY key, const std::wstring& name, const std::wstring& text) {
    return RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

DWORD ReadDword(HKEY key, const std::wstring& subKey, const wchar_t* name) {
    DWORD value = 0;
    DWORD size = sizeof(value);
    RegGetValueW(key, subKey.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}

bool WriteDword(HKEY root, const std::wstring& path, const wchar_t* name, DWORD value) {
    UniqueKey key = CreateKey(root, path);
    return key &&
           RegSetValueExW(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof(value)) == ERROR_SUCCESS;
}

// Deletes a key or a value that may not be there.
bool Gone(LONG status) {
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
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
    if (UniqueKey stores = OpenKey(HKEY_CURRENT_USER, StoresPath())) {
        wchar_t name[256];
        DWORD length = 256;
        for (DWORD index = 0; RegEnumKeyExW(stores.get(), index, name, &length, nullptr, nullptr,
                                            nullptr, nullptr) == ERROR_SUCCESS;
             ++index, length = 256) {
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
    constexpr DWORD NameSize = 16384; // the longest value name the registry takes, and its zero
    std::wstring name(NameSize, L'\0');
    DWORD length = NameSize;
    for (DWORD index = 0; key && RegEnumValueW(key.get(), index, name.data(), &length, nullptr,
                                               nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++index, length = NameSize) {
        std::wstring parm(name.data(), length);
        if (auto value = ReadString(key.get(), parm)) {
            settings[parm] = *value;
        }
    }
    return settings;
}

bool WriteSettings(const std::wstring& storeKey, const Settings& settings) {
    std::vector<SettingWrite> writes;
    for (const auto& [name, value] : settings) {
        writes.push_back({storeKey, name, value});
    }
    return ApplySettings(writes);
}

} // namespace

std::wstring RootKey() {
    DWORD size = GetEnvironmentVariableW(L"HANDSET_ROOT", nullptr, 0);
    std::wstring root(size, L'\0');
    if (size <= 1 || GetEnvironmentVariableW(L"HANDSET_ROOT", root.data(), size) != size - 1) {
        return L"Software\\Handset";
    }
    root.resize(size - 1);
    return root;
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
    UniqueKey store =
        StoreNumber(key) ? OpenKey(HKEY_CURRENT_USER, StoresPath() + L"\\" + key) : nullptr;
    if (!store) {
        return std::nullopt;
    }
    StoreInfo info;
    info.key = key;
    info.displayName = ReadString(store.get(), L"DisplayName").value_or(L"");
    if (auto text = ReadString(store.get(), L"AccountGuid")) {
        info.accountGuid = ParseGuid(*text);
    }
    info.openFails = ReadDword(store.get(), L"", L"OpenFails") != 0;
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

    bool created = false;
    UniqueKey store = CreateKey(HKEY_CURRENT_USER, path, &created);
    if (!store || !created) {
        return L"";
    }
    bool written =
        WriteString(store.get(), L"DisplayName", displayName) &&
        (!accountGuid || WriteString(store.get(), L"AccountGuid", GuidText(*accountGuid))) &&
        (!openFails || WriteDword(HKEY_CURRENT_USER, path, L"OpenFails", 1)) &&
        WriteSettings(name, settings);
    store.reset();
    if (written && accountGuid) {
        // The first store of an account is the one its GUID finds, as in table order.
        UniqueKey index = CreateKey(HKEY_CURRENT_USER, AccountIndexPath());
        const std::wstring guidText = GuidText(*accountGuid);
        written = index &&
                  (ReadString(index.get(), guidText) || WriteString(index.get(), guidText, name));
    }
    if (!written) {
        RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str());
        return L"";
    }
    return name;
}

std::optional<std::wstring> FindAccountStore(const GUID& accountGuid) {
    UniqueKey index = OpenKey(HKEY_CURRENT_USER, AccountIndexPath());
    return index ? ReadString(index.get(), GuidText(accountGuid)) : std::nullopt;
}

GUID AddAccount(const std::wstring& displayName, const Settings& settings) {
    GUID guid = NewGuid();
    return AddStore(displayName, guid, settings).empty() ? GUID_NULL : guid;
}

bool SetSettings(const std::wstring& displayName, const Settings& settings) {
    for (const auto& store : ListStores(StoreParts::Header)) {
        if (store.displayName == displayName) {
            return WriteSettings(store.key, settings);
        }
    }
    return false;
}

bool ApplySettings(const std::vector<SettingWrite>& writes) {
    // Each store's settings key is opened once for all of its writes.
    std::map<std::wstring, UniqueKey> settingsKeys;
    for (const auto& write : writes) {
        UniqueKey& values = settingsKeys[write.storeKey];
        if (!values) {
            UniqueKey store =
                StoreNumber(write.storeKey)
                    ? OpenKey(HKEY_CURRENT_USER, StoresPath() + L"\\" + write.storeKey)
                    : nullptr;
            values = store ? CreateKey(store.get(), SettingsKey) : nullptr;
        }
        if (!values || !WriteString(values.get(), write.name, write.value)) {
            return false;
        }
    }
    return true;
}

bool ClearStores() {
    return Gone(RegDeleteTreeW(HKEY_CURRENT_USER, AccountIndexPath().c_str())) &
           Gone(RegDeleteTreeW(HKEY_CURRENT_USER, StoresPath().c_str()));
}

bool LogonFails() {
    return ReadDword(HKEY_CURRENT_USER, MessagingPath(), L"LogonFails") != 0;
}

bool SetLogonFails(bool on) {
    return WriteDword(HKEY_CURRENT_USER, MessagingPath(), L"LogonFails", on ? 1 : 0);
}

bool RefusesDocuments() {
    return ReadDword(HKEY_CURRENT_USER, RootKey() + L"\\ConfigManager", L"Refuse") != 0;
}

bool SetRefusesDocuments(bool on) {
    return WriteDword(HKEY_CURRENT_USER, RootKey() + L"\\ConfigManager", L"Refuse", on ? 1 : 0);
}

DWORD DocumentDelayMs() {
    return ReadDword(HKEY_CURRENT_USER, RootKey() + L"\\ConfigManager", L"DelayMs");
}

bool SetDocumentDelayMs(DWORD delayMs) {
    return WriteDword(HKEY_CURRENT_USER, RootKey() + L"\\ConfigManager", L"DelayMs", delayMs);
}

std::optional<std::wstring> StartupFolder() {
    UniqueKey key = OpenKey(HKEY_LOCAL_MACHINE, ShellFoldersKey);
    return key ? ReadString(key.get(), L"Startup") : std::nullopt;
}

bool SetStartupFolder(const std::wstring& folder) {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(folder), error);
    if (folder.empty() || !std::filesystem::is_directory(std::filesystem::path(folder), error)) {
        return false;
    }
    UniqueKey key = CreateKey(HKEY_LOCAL_MACHINE, ShellFoldersKey);
    return key && WriteString(key.get(), L"Startup", folder);
}

std::optional<SIZE> ScreenForm() {
    SIZE form{static_cast<LONG>(ReadDword(HKEY_LOCAL_MACHINE, ScreenKey, L"Width")),
              static_cast<LONG>(ReadDword(HKEY_LOCAL_MACHINE, ScreenKey, L"Height"))};
    return form.cx > 0 && form.cy > 0 ? std::optional<SIZE>(form) : std::nullopt;
}

bool SetScreenForm(const std::optional<SIZE>& form) {
    if (!form) {
        return Gone(RegDeleteKeyW(HKEY_LOCAL_MACHINE, ScreenKey));
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
        return Gone(RegDeleteKeyValueW(HKEY_CURRENT_USER, DesktopKey, L"LogPixels"));
    }
    return *dpi > 0 &&
           WriteDword(HKEY_CURRENT_USER, DesktopKey, L"LogPixels", static_cast<DWORD>(*dpi));
}

GUID NewGuid() {
    GUID guid{};
    return SUCCEEDED(CoCreateGuid(&guid)) ? guid : GUID_NULL;
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
