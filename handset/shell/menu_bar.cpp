#include "aygshell.h"
#include "menu_bar_resource.h"
#include "menu_worker.h"
#include "screen.h"

extern "C" BOOL WINAPI SHCreateMenuBar(SHMENUBARINFO* pmbi) {
    if (pmbi == nullptr) {
        return FALSE;
    }
    pmbi->hwndMB = nullptr;
    if (!IsWindow(pmbi->hwndParent)) {
        return FALSE;
    }
    // A bar created hidden is not emulated: it would show with its window.
    if (pmbi->dwFlags & SHCMBF_HIDDEN) {
        return FALSE;
    }
    if (pmbi->dwFlags & SHCMBF_EMPTYBAR) {
        pmbi->hwndMB = handset::CreateMenuWorker(pmbi->hwndParent, pmbi->hInstRes, {}, nullptr);
        return pmbi->hwndMB != nullptr;
    }
    auto resource = handset::ReadMenuBarResource(pmbi->hInstRes, pmbi->nToolBarId);
    if (!resource) {
        return FALSE;
    }
    handset::UniqueMenu menu(LoadMenuW(pmbi->hInstRes, MAKEINTRESOURCEW(resource->menuId)));
    pmbi->hwndMB =
        handset::CreateMenuWorker(pmbi->hwndParent, pmbi->hInstRes, *resource, std::move(menu));
    return pmbi->hwndMB != nullptr;
}

// The bar is a window of its own that the window owns: "the gray bar at the bottom of the
// screen" (SHFindMenuBar, Windows Mobile).
extern "C" HWND WINAPI SHFindMenuBar(HWND hwnd) {
    if (hwnd == nullptr || !IsWindow(hwnd)) {
        return nullptr;
    }
    return handset::FindOwnedWindow(hwnd, handset::MenuWorkerClass);
}
