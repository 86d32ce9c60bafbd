#include "ui/dialog_instance.h"

#include <memory>

#include "files/handles.h"
#include "files/program_folder.h"
#include "store/config_lock.h"

namespace {

// The claim of a run that shows the dialog: a mutex it owns to its end, and a small shared
// memory where it publishes its dialog's window. A window handle is 32 bits wide in every process,
// whatever the width of its pointers, so it goes there as a LONG.
struct DialogClaim {
    OwnedKernelObject owned;
    OwnedKernelObject shared;
    volatile LONG* window = nullptr;

    ~DialogClaim() {
        if (window != nullptr) {
            UnmapViewOfFile(const_cast<LONG*>(window));
        }
    }
};

// This run's claim, whether it owns the dialog or waits to bring another run's forward.
std::unique_ptr<DialogClaim> claim;

HWND PublishedWindow() {
    return reinterpret_cast<HWND>(static_cast<LONG_PTR>(*claim->window));
}

} // namespace

bool ClaimMainDialog() {
    const std::wstring config = GetConfigFilePath();
    claim = std::make_unique<DialogClaim>();
    claim->owned = OwnedKernelObject(
        CreateMutexW(nullptr, FALSE, ConfigObjectName(L"dialog", config).c_str()));
    // Memory of the paging file, shared by its name (CreateFileMapping, Windows CE 5.0).
    claim->shared = OwnedKernelObject(
        CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(LONG),
                           ConfigObjectName(L"window", config).c_str()));
    if (claim->shared.IsValid()) {
        claim->window = static_cast<volatile LONG*>(
            MapViewOfFile(claim->shared.Get(), FILE_MAP_WRITE, 0, 0, sizeof(LONG)));
    }
    if (!claim->owned.IsValid() || claim->window == nullptr) {
        // Without the objects there is no telling: this run shows its dialog.
        return true;
    }
    // The other run may be starting, its dialog not shown yet, or ending, its dialog gone: until
    // either it shows its dialog or it ends, this start waits.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const DWORD waited = WaitForSingleObject(claim->owned.Get(), attempt == 0 ? 0 : 100);
        if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
            return true;
        }
        if (HWND dialog = PublishedWindow(); dialog != nullptr && IsWindow(dialog)) {
            // Puts the dialog's thread in the foreground and activates the dialog
            // (SetForegroundWindow, Windows CE 5.0).
            SetForegroundWindow(dialog);
            return false;
        }
    }
    return false;
}

void PublishMainDialog(HWND dialog) {
    if (claim != nullptr && claim->window != nullptr) {
        *claim->window = static_cast<LONG>(reinterpret_cast<LONG_PTR>(dialog));
    }
}
