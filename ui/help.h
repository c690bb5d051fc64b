// Help pages of the dialogs: "002.html" is the main dialog's page.
#pragma once

#include "settings/settings.h"

// Shows page of the help for the dialog hDlg.
typedef void (*HelpViewer)(HWND hDlg, const char* page);

// Installs viewer (null: the stand-in, which shows nothing until the help
// viewer exists). Returns the viewer before.
HelpViewer SetHelpViewer(HelpViewer viewer);

// Opens page of the help through the installed viewer. Returns 1.
int OpenHtmlHelpX(HWND hDlg, const char* page);
