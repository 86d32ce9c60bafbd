// A dialog laid out by the template that fits it: a full-screen dialog is as large as the screen,
// and a screen may be portrait, landscape or square. Each template holds the dialog's controls
// with the same ids and texts, each where it goes on its form of screen.
#pragma once

#include <windows.h>

#include <span>
#include <string>
#include <vector>

// A control of a template: its id, its text (what tells the labels without an id apart), and its
// place in dialog units as left, top, width and height.
struct TemplateControl {
    int id = 0;
    std::wstring text;
    RECT units{};
    bool visible = false;
    bool comboBox = false; // its height holds the list as well as the field
};

// The controls of dialog template id in instanceHandle, in template order; empty when there is
// no such extended template.
std::vector<TemplateControl> ReadTemplateControls(int id);

// Moves each control of the dialog to where the first of the templates whose visible controls
// all lie inside the dialog puts it (where the last one puts it when none fits), converted as the
// dialog manager converts its template, so that the first template's places come back exactly.
// A control that the templates hide keeps the place it was created at.
void LayOutDialog(HWND dialog, std::span<const int> templateIds);
