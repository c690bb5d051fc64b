#include "ui/options_dialog.h"

#include "base/text.h"
#include "settings/options.h"
#include "settings/settings.h"
#include "ui/app_state.h"
#include "ui/choosers.h"
#include "ui/help.h"
#include "ui/info_dialog.h"
#include "ui/resources/resource.h"

// A width text holds at most 7 characters and its terminating zero.
constexpr int WIDTHBUF = 8;

// Shows a column width in its field. Stored settings may hold any 32-bit
// number; one that needs more than 7 characters would not fit the field's
// buffer and is shown as "OK" would take it, within 10..250.
static void ShowWidth(HWND hDlg, int id, int32_t width) {
  if (width > 9999999 || width < -999999) width = width < 10 ? 10 : 250;
  char text[WIDTHBUF];
  FormatText(text, sizeof text, "%d", static_cast<int>(width));
  SetDlgItemTextA(hDlg, id, text);
}

// Reads a width field through an 8-byte buffer: only its first 7
// characters count, and the value is kept within 10..250.
static int32_t ReadWidth(HWND hDlg, int id) {
  char text[WIDTHBUF];
  GetDlgItemTextA(hDlg, id, text, sizeof text);
  return WidthFromText(text);
}

// Any text in the extension list switches the removal on; an empty list
// switches it off and greys it out. This runs on every change of the field,
// the fill at opening included, so unchecking the box and then editing the
// list checks it again.
static void ExtensionRule(HWND hDlg) {
  char sbuffer[MAXPATH];
  UINT n = GetDlgItemTextA(hDlg, EXTENSIONS, sbuffer, sizeof sbuffer);
  EnableWindow(GetDlgItem(hDlg, RMEXT), n > 0);
  CheckDlgButton(hDlg, RMEXT, n > 0);
}

INT_PTR InitializeOptions(HWND hDlg, WPARAM, LPARAM) {
  CenterOverMainDialog(hDlg);
  SetDlgItemTextA(hDlg, EXTENSIONS, g_FileExt);  // runs the extension rule
  SetDlgItemTextA(hDlg, MUSICDIR, g_MusicDir);
  ShowWidth(hDlg, COLWTIT, g_ColWTit);
  ShowWidth(hDlg, COLWART, g_ColWArt);
  // Restored flags hold their bit's value; any non-zero value is "on". The
  // stored removal flag overrides what the extension rule checked.
  CheckDlgButton(hDlg, TITFIRST, g_artfFlag == 0);
  CheckDlgButton(hDlg, ARTFIRST, g_artfFlag != 0);
  CheckDlgButton(hDlg, RMEXT, g_rmextFlag != 0);
  CheckDlgButton(hDlg, SEPKOMMA, g_kommaFlag != 0);
  CheckDlgButton(hDlg, SEPTAB, g_kommaFlag == 0);
  CheckDlgButton(hDlg, TOTFORM, g_formlFlag != 0);
  CheckDlgButton(hDlg, HEADROW, g_headFlag != 0);
  SetWindowTextA(hDlg, "Mirtun Ausgabe-Optionen");
  SetSmallIcon(hDlg);
  // The focus starts on the first control, the checked column order, not
  // in the extension list, where the first key typed would replace the
  // whole selected list.
  SetFocus(GetDlgItem(hDlg, g_artfFlag != 0 ? ARTFIRST : TITFIRST));
  return 0;
}

// "OK": every control into the settings record at once. Flags become 0 or
// 1; a greyed-out removal box still gives its check. The extension table is
// rebuilt from the new list. Nothing is stored here: "Beenden" in the main
// dialog does that.
static void TakeOver(HWND hDlg) {
  g_artfFlag = static_cast<int32_t>(IsDlgButtonChecked(hDlg, ARTFIRST));
  g_rmextFlag = static_cast<int32_t>(IsDlgButtonChecked(hDlg, RMEXT));
  g_kommaFlag = static_cast<int32_t>(IsDlgButtonChecked(hDlg, SEPKOMMA));
  g_formlFlag = static_cast<int32_t>(IsDlgButtonChecked(hDlg, TOTFORM));
  g_headFlag = static_cast<int32_t>(IsDlgButtonChecked(hDlg, HEADROW));
  char list[sizeof g_FileExt];
  GetDlgItemTextA(hDlg, EXTENSIONS, list, sizeof list);
  SetFileExtensions(list);
  GetDlgItemTextA(hDlg, MUSICDIR, g_MusicDir, sizeof g_MusicDir);
  g_ColWTit = ReadWidth(hDlg, COLWTIT);
  g_ColWArt = ReadWidth(hDlg, COLWART);
}

static void EndOptions(HWND hDlg, INT_PTR result) {
  g_hOptDlg = nullptr;
  EndDialog(hDlg, result);
}

// Escape sends the standard cancel command (2), which is not handled here:
// the dialog stays open. Return outside the push buttons chooses the
// default button, "Abbrechen". Help answered with 0 goes on to the main
// dialog, which opens nothing while this dialog is in front.
INT_PTR OptDlgFunc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      g_hOptDlg = hDlg;
      return InitializeOptions(hDlg, wParam, lParam);
    case WM_HELP:
      OpenHtmlHelpX(hDlg, "003.html");
      return 0;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case EXTENSIONS:
          if (HIWORD(wParam) == EN_CHANGE) ExtensionRule(hDlg);
          return 0;
        case MUSICDIRBTN:
          chooseFolder(hDlg, MUSICDIR);
          return 1;
        case IDOOK:
          TakeOver(hDlg);
          EndOptions(hDlg, 1);
          return 1;
        case IDOCAN:
          EndOptions(hDlg, 0);
          return 1;
        default:
          return 0;
      }
    case WM_CLOSE:
      EndOptions(hDlg, 0);
      return 1;
    default:
      return 0;
  }
}
