// The options dialog (template 400): column order, extension removal and
// its list, the separator and the formula of the import text, the column
// widths of the formatted text.
#pragma once

#include "ui/dialog.h"

// The procedure of the options dialog. "OK" takes every control into the
// settings record; "Abbrechen" and the close box leave it as it was.
// g_hOptDlg holds the dialog while it is open.
INT_PTR OptDlgFunc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam);

// Places the dialog, shows the settings in it and puts the focus on its
// first control. Returns 0: the focus is set.
INT_PTR InitializeOptions(HWND hDlg, WPARAM wParam, LPARAM lParam);
