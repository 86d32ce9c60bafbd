#include "aygshell.h"
#include "menu_bar_resource.h"
#include "menu_worker.h"

extern "C" BOOL WINAPI SHCreateMenuBar(SHMENUBARINFO* pmbi) {
    if (pmbi == nullptr) {
        return FALSE;
    }
    pmbi->hwndMB = nullptr;
    if (!IsWindow(pmbi->hwndParent)) {
        return FALSE;
    }
    bool visible = !(pmbi->dwFlags & SHCMBF_HIDDEN);
    if (pmbi->dwFlags & SHCMBF_EMPTYBAR) {
        pmbi->hwndMB =
            handset::CreateMenuWorker(pmbi->hwndParent, pmbi->hInstRes, {}, nullptr, visible);
        return pmbi->hwndMB != nullptr;
    }
    auto resource = handset::ReadMenuBarResource(pmbi->hInstRes, pmbi->nToolBarId);
    if (!resource) {
        return FALSE;
    }
    handset::UniqueMenu menu(LoadMenuW(pmbi->hInstRes, MAKEINTRESOURCEW(resource->menuId)));
    pmbi->hwndMB = handset::CreateMenuWorker(pmbi->hwndParent, pmbi->hInstRes, *resource,
                                             std::move(menu), visible);
    return pmbi->hwndMB != nullptr;
}

extern "C" HWND WINAPI SHFindMenuBar(HWND hwnd) {
    if (hwnd == nullptr || !IsWindow(hwnd)) {
        return nullptr;
    }
    return FindWindowExW(hwnd, nullptr, handset::MenuWorkerClass, nullptr);
}
