// The two settings pages inside the main dialog's tab control: "Server" (incoming and outgoing
// server, password) and "Stmp auth" (user name, password and domain at the outgoing server).
// A page shows the selected account's values and keeps no copy of them: leaving it writes its
// fields back into the account's parm lines.
#pragma once

#include <windows.h>

#include <span>
#include <string_view>

// One edit field of a page and the setting it carries.
struct SettingField {
    int controlId;
    std::wstring_view settingName;
};

// The fields of the page of a tab, in collection order; empty for any other tab.
std::span<const SettingField> FieldsOfTab(int tab);

// Replaces the current page by the current tab's page, filled from the selected account, which
// becomes the page's account. With no account selected, no page is shown.
void ShowSettingsPage(HWND dialog, int tabControlId);

// Writes the current page's changed fields, each up to its limit (99 characters, or the length
// of the value shown when that is longer), into the parm lines of the account the page was
// filled from: a setting the account holds gets the new value in its line, any other a new line
// of its own. A field that still shows the account's value leaves its line as it is.
void CollectSettingsPage(HWND dialog, int tabControlId);

INT_PTR CALLBACK SettingsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
