// What the main dialog keeps between messages, attached to its window as user data. The settings
// pages read and write it; the dialog creates it at its initialisation and frees it with itself.
#pragma once

#include <windows.h>

class AccountRecord;

struct MainDialogState {
    HWND tabControl = nullptr;  // parent of the settings pages
    HWND currentPage = nullptr; // the page shown, or null
    // The account whose values the page was filled from, and the only one that a collection of
    // the page writes into: the list's selection may have moved on since.
    AccountRecord* pageAccount = nullptr;
};

// The state attached to the main dialog, or null before its initialisation.
MainDialogState* GetMainDialogState(HWND dialog);
