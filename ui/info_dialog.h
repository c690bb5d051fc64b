// The info dialog (template 200): what Mirtun does and the freeware notice.
#pragma once

#include "settings/settings.h"
#include "ui/dialog.h"

// The caption, with the program's version.
constexpr const char INFO_TITLE[] = "Über Mirtun " MIRTUN_V;

// The procedure of the info dialog. g_hInfoDlg holds the dialog while it
// is open.
INT_PTR InfoDlgFunc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam);

// Places and labels the dialog. Always returns 1.
INT_PTR InitializeInfo(HWND hDlg, WPARAM wParam, LPARAM lParam);

// Centres hDlg over the main dialog without resizing or activating it. The
// position is not kept on the screen: a main dialog at the screen's edge
// gets its nested dialogs partly off the screen, still over itself.
void CenterOverMainDialog(HWND hDlg);

// The program icon as the small icon of hDlg.
void SetSmallIcon(HWND hDlg);
