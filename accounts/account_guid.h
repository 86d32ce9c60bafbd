// How the program knows a mail account among the handset's stores, and names it to the
// configuration manager.
#pragma once

#include <windows.h>

#include <string>

// The store property that holds an account's GUID; a store is a mail account exactly when it
// has it.
inline constexpr ULONG AccountGuidTag = 0x81130048;

// The GUID as the configuration manager addresses an account: 38 characters, braced, upper-case
// hexadecimal.
std::wstring GuidText(const GUID& guid);
