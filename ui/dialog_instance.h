// A Pocket PC's programs run once: a second start goes back to the first one's window and ends,
// as the platform's own programs do and as the .NET Compact Framework does for its programs on a
// Pocket PC ("How do I ensure a single instance of my Windows Form application?", Microsoft). So
// the main dialog of a config is open once: a second dialog would hold the settings it loaded,
// and its next repair would save them over what the other one saved since.
#pragma once

#include <windows.h>

// Claims the main dialog of this program's config for this run, which keeps it to its end. False
// when another run has it: that run's dialog is brought forward, and this run is to end at once.
bool ClaimMainDialog();

// The dialog of the run that claimed it, for a later start to bring forward; null once it is
// gone. Nothing for a run that claimed none.
void PublishMainDialog(HWND dialog);
