// The conversion run's message boxes, wait cursor and pause, shown with Qt.
#pragma once

#include "ui/ui_hooks.h"

// The hooks below as one set for SetUiHooks.
extern const UiHooks kQtUiHooks;

// A German message box owned by owner: "OK", or "Ja" and "Nein" for
// MB_YESNO; a warning icon for MB_ICONEXCLAMATION, a question mark for
// MB_ICONQUESTION. Returns IDOK, IDYES or IDNO.
int QtMessageBox(HWND owner, const char* text, const char* caption,
                 unsigned style);
