// Dialog templates of the program module.
#pragma once

#include <windows.h>

// The template of dialog resource id in instanceHandle, or null when there is none.
LPCDLGTEMPLATEW LoadDialogTemplate(int id);
