// Serves the program and its tests: the emulated handset's state in the registry, and the one place
// that knows its layout. The messaging API and the configuration manager read and write it here;
// handset.exe and the tests arrange handsets with it. Layout, under HKEY_CURRENT_USER\<root>
// (RootKey()):
//   Messaging                 DWORD LogonFails: non-zero, MAPILogonEx gives no session
//   Messaging\Stores\<NNNN>   one key per message store; NNNN is a zero-padded decimal number
//                             and the store table lists the stores in numeric order
//       DisplayName           REG_SZ
//       AccountGuid           REG_SZ, braced upper-case GUID; absent for a store that is not a
//                             mail account
//       OpenFails             DWORD, non-zero: OpenMsgStore fails for this store
//       EMAIL2                key: the account's settings, one REG_SZ value per parm name
//   Messaging\AccountStores   REG_SZ per account, named by its GUID text: the key name of the
//                             first store with that GUID, so that an account is found at once
//   ConfigManager             DWORD Refuse: non-zero, DMProcessConfigXML refuses every document
//                             DWORD DelayMs: each document takes that long to be processed
// The Startup folder is the REG_SZ value Startup under
// HKEY_LOCAL_MACHINE\SYSTEM\EXPLORER\SHELL FOLDERS, where the shell and the program look for it.
// The screen's form, when one is chosen, is HKEY_LOCAL_MACHINE\SOFTWARE\Handset\Screen, DWORD
// Width and Height in pixels; the screen's dots per inch are Wine's own, the DWORD LogPixels under
// HKEY_CURRENT_USER\Control Panel\Desktop.
#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace handset {

// Parm name to value, sorted by name.
using Settings = std::map<std::wstring, std::wstring>;

struct StoreInfo {
    std::wstring key; // the store's key name, e.g. L"0003"
    std::wstring displayName;
    std::optional<GUID> accountGuid; // empty: not a mail account
    bool openFails = false;
    Settings settings;
};

// One setting to write into the EMAIL2 key of the store named by storeKey.
struct SettingWrite {
    std::wstring storeKey;
    std::wstring name;
    std::wstring value;
};

// The handset's key under HKEY_CURRENT_USER: the environment variable HANDSET_ROOT when it is set
// and not empty, else Software\Handset. Read at every call, so a process may switch handsets.
std::wstring RootKey();

// How much of a store to read: its settings take most of the reading, and most callers do not
// need them.
enum class StoreParts { Header, WithSettings };

// Every store, in table order. Empty when there are none or the registry cannot be read.
std::vector<StoreInfo> ListStores(StoreParts parts = StoreParts::WithSettings);

// The store with this key name, or nothing when there is none.
std::optional<StoreInfo> ReadStore(const std::wstring& key,
                                   StoreParts parts = StoreParts::WithSettings);

// Appends a store to the end of the table and returns its key name (empty on failure).
// accountGuid empty makes a store that is not a mail account.
std::wstring AddStore(const std::wstring& displayName, const std::optional<GUID>& accountGuid,
                      const Settings& settings = {}, bool openFails = false);

// The key name of the first store of the account with this GUID, or nothing when none has it.
std::optional<std::wstring> FindAccountStore(const GUID& accountGuid);

// Appends a mail-account store with a fresh GUID and returns the GUID (GUID_NULL on failure).
GUID AddAccount(const std::wstring& displayName, const Settings& settings = {});

// Writes settings into the first store of that display name. False when no store has the name
// or a write failed.
bool SetSettings(const std::wstring& displayName, const Settings& settings);

// Writes every setting in order; false at the first that fails, a store key of no store too.
bool ApplySettings(const std::vector<SettingWrite>& writes);

// Removes every store. The fault switches and the Startup folder stay.
bool ClearStores();

// The fault switches.
bool LogonFails();
bool SetLogonFails(bool on);
bool RefusesDocuments();
bool SetRefusesDocuments(bool on);
// How long the configuration manager takes over each document, as a handset busy with other work
// does: 0 unless a test asks for more.
DWORD DocumentDelayMs();
bool SetDocumentDelayMs(DWORD delayMs);

// The Startup folder as the registry holds it, or nothing when the value is missing.
std::optional<std::wstring> StartupFolder();
// Creates the folder (and its parents) and then stores its path; false, with the registry
// unchanged, when the folder cannot be created or the value cannot be written.
bool SetStartupFolder(const std::wstring& folder);
inline constexpr wchar_t DefaultStartupFolder[] = L"C:\\Windows\\StartUp";

// The form of the handset's screen in pixels, or nothing when none is chosen: then the screen is
// the display the handset runs on. Setting nothing lets the screen follow the display again.
std::optional<SIZE> ScreenForm();
bool SetScreenForm(const std::optional<SIZE>& form);

// The dots per inch of the screen, or nothing when Wine's default holds. A process reads them
// once, when it starts, so a new value reaches only the programs started after it.
std::optional<int> DisplayDpi();
bool SetDisplayDpi(const std::optional<int>& dpi);

// GUIDs: a fresh one; the braced upper-case text of 38 characters; and its parse, which
// takes exactly that form with digits of either case and nothing around it.
GUID NewGuid();
std::wstring GuidText(const GUID& guid);
std::optional<GUID> ParseGuid(const std::wstring& text);

} // namespace handset
