#include "ui/app_state.h"

HINSTANCE g_hinst;
HWND g_hMainDlg;
HWND g_hOptDlg;
HWND g_hInfoDlg;

char g_AppPath[MAXPATH];
char g_PrevFile[MAXPATH + 16];

void ResetAppState() {
  g_hinst = nullptr;
  g_hMainDlg = nullptr;
  g_hOptDlg = nullptr;
  g_hInfoDlg = nullptr;
  g_AppPath[0] = '\0';
  g_PrevFile[0] = '\0';
}
