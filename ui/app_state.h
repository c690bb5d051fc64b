// The desktop program's run-time state: its instance, the open dialogs, its
// own path and the preview file. None of it is stored or is a setting.
#pragma once

#include "base/handles.h"
#include "base/limits.h"

extern HINSTANCE g_hinst;
extern HWND g_hMainDlg;
extern HWND g_hOptDlg;   // null when the options dialog is not open
extern HWND g_hInfoDlg;  // null when the info dialog is not open

extern char g_AppPath[MAXPATH];        // the program's own executable
extern char g_PrevFile[MAXPATH + 16];  // the preview file; empty when none

// Everything back to its start value (null handles, empty texts).
void ResetAppState();
