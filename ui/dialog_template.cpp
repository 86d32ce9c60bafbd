#include "ui/dialog_template.h"

#include "files/program_folder.h"

LPCDLGTEMPLATEW LoadDialogTemplate(int id) {
    HRSRC resource = FindResourceW(instanceHandle, MAKEINTRESOURCEW(id), RT_DIALOG);
    if (resource == nullptr) {
        return nullptr;
    }
    HGLOBAL loaded = LoadResource(instanceHandle, resource);
    return loaded == nullptr ? nullptr : static_cast<LPCDLGTEMPLATEW>(LockResource(loaded));
}
