// Help pages of the dialogs: "001.html" the info dialog, "002.html" the
// main dialog, "003.html" the options dialog; "index.html" is the contents.
// The pages are a folder of HTML files installed with the program and shown
// in a help window of the program.
#pragma once

#include <cstddef>

#include "base/handles.h"

// Shows page (null: the contents page) of the help for the dialog hDlg.
typedef void (*HelpViewer)(HWND hDlg, const char* page);

// Installs viewer (null: the program's help window). Returns the viewer
// before. Tests put a recording viewer here.
HelpViewer SetHelpViewer(HelpViewer viewer);

// Opens page of the help through the installed viewer. Returns 1.
int OpenHtmlHelpX(HWND hDlg, const char* page);

// Looks for the help set of the executable exePath: the installed folder
// (share/mirtun/help beside bin/) and the copy next to the executable in
// the build tree. Returns 1 and the folder with a trailing "/" in folder
// (cap bytes) when it holds the contents page, else 0.
int FindHelpSet(const char* exePath, char* folder, size_t cap);

// The help window, or null while there is none.
HWND HelpWindow();

// Closes the help window and forgets the help set, so that the next request
// looks for it again.
void ResetHelp();
