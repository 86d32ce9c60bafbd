// A dialog laid out by the template that fits it: a full-screen dialog is as large as the screen,
// and a screen may be portrait, landscape or square.
#pragma once

#include <windows.h>

#include <span>

// Moves each control of the dialog to where the first of the templates whose visible controls
// all lie inside the dialog puts it (where the last one puts it when none fits), converted as the
// dialog manager converts its template, so that the first template's places come back exactly.
// Each template holds the dialog's controls with the same ids and texts; a control that the
// templates hide keeps the place it was created at.
void LayOutDialog(HWND dialog, std::span<const int> templateIds);
