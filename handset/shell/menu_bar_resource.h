// The menu-bar resource: an RCDATA block of 16-bit words naming the menu behind the bar and
// describing each button.
#pragma once

#include <windows.h>

#include <optional>
#include <vector>

namespace handset {

struct MenuBarButton {
    int image = 0; // a signed word: I_IMAGENONE is -2
    UINT command = 0;
    BYTE state = 0;
    BYTE style = 0;
    UINT stringId = 0;
    UINT dropDown = 0; // index of the popup in the menu, or NOMENU
};

struct MenuBarResource {
    UINT menuId = 0;
    std::vector<MenuBarButton> buttons;
};

// Decodes the words: menu id, button count, then seven words per button (image, command,
// state, style, string id, reserved, drop-down index). Nullopt when the words are too few.
std::optional<MenuBarResource> DecodeMenuBarResource(const WORD* words, size_t count);

// Reads resource id of type RT_RCDATA from module. Nullopt when it is missing or malformed.
std::optional<MenuBarResource> ReadMenuBarResource(HINSTANCE module, UINT id);

} // namespace handset
