#include "ui/info_dialog.h"

#include "ui/app_state.h"
#include "ui/help.h"
#include "ui/resources/resource.h"

void CenterOverMainDialog(HWND hDlg) {
  RECT m;
  RECT d;
  GetWindowRect(g_hMainDlg, &m);
  GetWindowRect(hDlg, &d);
  int x = m.left + ((m.right - m.left) - (d.right - d.left)) / 2;
  int y = m.top + ((m.bottom - m.top) - (d.bottom - d.top)) / 2;
  SetWindowPos(hDlg, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
}

void SetSmallIcon(HWND hDlg) {
  SendMessageA(hDlg, WM_SETICON, ICON_SMALL,
               reinterpret_cast<LPARAM>(LoadIconA(g_hinst, IDI_MIRTUN)));
}

INT_PTR InitializeInfo(HWND hDlg, WPARAM, LPARAM) {
  CenterOverMainDialog(hDlg);
  SetWindowTextA(hDlg, INFO_TITLE);
  SetSmallIcon(hDlg);
  SetFocus(GetDlgItem(hDlg, INFO_OK));
  return 1;
}

// "OK" (also Return, as the default button) and the close box end the
// dialog. Escape sends the standard cancel command, which is left alone, so
// the dialog stays open. Help answered with 0 goes on to the main dialog,
// which opens nothing while this dialog is in front.
INT_PTR InfoDlgFunc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      g_hInfoDlg = hDlg;
      return InitializeInfo(hDlg, wParam, lParam);
    case WM_HELP:
      OpenHtmlHelpX(hDlg, "001.html");
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) != INFO_OK) return 0;
      g_hInfoDlg = nullptr;
      EndDialog(hDlg, 1);
      return 1;
    case WM_CLOSE:
      g_hInfoDlg = nullptr;
      EndDialog(hDlg, 0);
      return 1;
    default:
      return 0;
  }
}
