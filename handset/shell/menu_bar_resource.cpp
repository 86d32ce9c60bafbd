#include "menu_bar_resource.h"

namespace handset {

namespace {

constexpr size_t WordsPerButton = 7;

} // namespace

std::optional<MenuBarResource> DecodeMenuBarResource(const WORD* words, size_t count) {
    if (words == nullptr || count < 2) {
        return std::nullopt;
    }
    MenuBarResource resource;
    resource.menuId = words[0];
    size_t buttonCount = words[1];
    if (count < 2 + buttonCount * WordsPerButton) {
        return std::nullopt;
    }
    for (size_t i = 0; i < buttonCount; ++i) {
        const WORD* entry = words + 2 + i * WordsPerButton;
        MenuBarButton button;
        button.image = static_cast<SHORT>(entry[0]);
        button.command = entry[1];
        button.state = static_cast<BYTE>(entry[2]);
        button.style = static_cast<BYTE>(entry[3]);
        button.stringId = entry[4];
        button.dropDown = entry[6];
        resource.buttons.push_back(button);
    }
    return resource;
}

std::optional<MenuBarResource> ReadMenuBarResource(HINSTANCE module, UINT id) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), RT_RCDATA);
    if (found == nullptr) {
        return std::nullopt;
    }
    HGLOBAL loaded = LoadResource(module, found);
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (data == nullptr) {
        return std::nullopt;
    }
    return DecodeMenuBarResource(static_cast<const WORD*>(data),
                                 SizeofResource(module, found) / sizeof(WORD));
}

} // namespace handset
