#include "ui/help.h"

static void NoViewer(HWND, const char*) {}

static HelpViewer g_viewer = NoViewer;

HelpViewer SetHelpViewer(HelpViewer viewer) {
  HelpViewer before = g_viewer;
  g_viewer = viewer ? viewer : NoViewer;
  return before;
}

int OpenHtmlHelpX(HWND hDlg, const char* page) {
  g_viewer(hDlg, page);
  return 1;
}
