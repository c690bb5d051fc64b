// The main dialog (template 100): source and target, output style, total
// line, and the commands that convert, preview, choose files and end.
#pragma once

#include "ui/dialog.h"

// The procedure of the main dialog.
INT_PTR DialogFunc(HWND hwndDlg, UINT msg, WPARAM wParam, LPARAM lParam);

// Fills the dialog from the stored settings; lParam, when not null, is a
// source (an absolute path) that goes into the source field as if typed.
// Always returns 1.
INT_PTR InitializeApp(HWND hDlg, WPARAM wParam, LPARAM lParam);
