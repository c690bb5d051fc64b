#include "ui/main_dialog.h"

#include <cstdio>
#include <cstring>

#include "base/path.h"
#include "base/text.h"
#include "engine/messages.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "settings/settings.h"
#include "settings/store.h"
#include "ui/app_state.h"
#include "ui/choosers.h"
#include "ui/conversion.h"
#include "ui/help.h"
#include "ui/info_dialog.h"
#include "ui/options_dialog.h"
#include "ui/preview.h"
#include "ui/resources/resource.h"
#include "ui/target_name.h"
#include "ui/ui_hooks.h"

// "Vorschau" needs a source, "Umwandeln" a source and a target. A field of
// blanks counts as filled.
static void UpdateButtons(HWND hDlg) {
  char source[MAXFILEPATH];
  char target[MAXFILEPATH];
  GetDlgItemTextA(hDlg, SOURCE, source, sizeof source);
  GetDlgItemTextA(hDlg, TARGET, target, sizeof target);
  EnableWindow(GetDlgItem(hDlg, IDPREVIEW), source[0] != '\0');
  EnableWindow(GetDlgItem(hDlg, IDOK), source[0] != '\0' && target[0] != '\0');
}

// The source field names the source, however its text came there: typed,
// pasted, dropped, or filled by the chooser or at the start. Whenever the
// text changes to an absolute path of an existing file, the target is
// derived from it as from a chosen source. A text equal to the source
// already taken is the chooser's or the start's own fill: the target that
// came with it stays.
static void TakeSource(HWND hDlg) {
  char source[MAXFILEPATH];
  GetDlgItemTextA(hDlg, SOURCE, source, sizeof source);
  if (std::strcmp(source, g_opnFName) == 0) return;
  CopyText(g_opnFName, sizeof g_opnFName, source);
  if (source[0] != '/' || !IsRegularFile(source)) return;
  CopyTextN(g_oInitDir, sizeof g_oInitDir, source, PathFolderLen(source));
  CreateSavName();
  SetDlgItemTextA(hDlg, TARGET, g_savFName);
}

// One file dropped on the target field is the target; dropped anywhere else
// on the dialog it is the source. More than one file, or a path too long
// for the fields, is no drop at all.
static void TakeDrop(HWND hDlg, HDROP drop, int controlId) {
  char path[MAXFILEPATH];
  if (DragQueryFileA(drop, 0xFFFFFFFFu, nullptr, 0) != 1) return;
  if (DragQueryFileA(drop, 0, nullptr, 0) >= sizeof path) return;
  DragQueryFileA(drop, 0, path, sizeof path);
  if (controlId == TARGET) {
    CopyText(g_savFName, sizeof g_savFName, path);
    SetDlgItemTextA(hDlg, TARGET, g_savFName);
  } else {
    SetDlgItemTextA(hDlg, SOURCE, path);  // the field's change takes it
  }
}

// The target's extension follows a switch between HTML and text. It works
// on g_savFName, not on the field: text typed into the field and not yet
// converted is replaced. A name without "." keeps its text.
static void RewriteTarget(HWND hDlg, const char* ext) {
  if (ReplaceExtension(g_savFName, sizeof g_savFName, ext))
    SetDlgItemTextA(hDlg, TARGET, g_savFName);
}

// The output styles: their radio buttons and the extension of their
// targets.
static const struct {
  int id;
  const char* ext;
} kStyles[] = {{HTML, ".htm"}, {ASCII, ".txt"}, {TFMT, ".txt"}, {XLSX, ".xlsx"}};

// The style shown now, from the flags.
static int ShownStyle() {
  return g_xlsxFlag ? XLSX : g_htmlFlag ? HTML : g_tfmtFlag ? TFMT : ASCII;
}

static const char* ExtensionOf(int style) {
  for (const auto& st : kStyles)
    if (st.id == style) return st.ext;
  return ".txt";
}

// The style radio buttons do not check themselves, so during the click the
// flags still tell the style shown before; the target's extension follows
// when the new style's differs.
static void SwitchStyle(HWND hDlg, int style) {
  const char* before = ExtensionOf(ShownStyle());
  for (const auto& st : kStyles) CheckDlgButton(hDlg, st.id, st.id == style);
  g_xlsxFlag = style == XLSX;
  g_htmlFlag = style == HTML;
  g_tfmtFlag = style == TFMT;
  if (std::strcmp(before, ExtensionOf(style)) != 0) RewriteTarget(hDlg, ExtensionOf(style));
}

// The preview file is deleted however the program ends; a missing file or
// an empty name is no error.
static void DeletePreviewFile() { std::remove(g_PrevFile); }

// "Beenden", Escape, and Return outside a focused push button.
static void StopSequence(HWND hDlg) {
  int error = 0;
  if (!SaveRecentData(&error)) {
    // The program ends anyway; the user should know that the settings are
    // not kept.
    char msg[MSGSIZE];
    FormatText(msg, sizeof msg, "Die Einstellungen konnten nicht gespeichert werden: %s.",
               ErrorText(error));
    MessageBoxA(hDlg, msg, "Einstellungen speichern", MB_OK | MB_ICONEXCLAMATION);
  }
  DeletePreviewFile();
  EndDialog(hDlg, 0);
}

// The close box: open nested dialogs end first; nothing is saved.
static void CloseSequence(HWND hDlg) {
  if (g_hInfoDlg) {
    EndDialog(g_hInfoDlg, 0);
    g_hInfoDlg = nullptr;
  }
  if (g_hOptDlg) {
    EndDialog(g_hOptDlg, 0);
    g_hOptDlg = nullptr;
  }
  DeletePreviewFile();
  EndDialog(hDlg, 0);
}

static void CenterOnScreen(HWND hDlg) {
  RECT r;
  GetWindowRect(hDlg, &r);
  int x = (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2;
  int y = (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2;
  SetWindowPos(hDlg, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
}

// lParam: the source named on the command line (an absolute path), or null.
INT_PTR InitializeApp(HWND hDlg, WPARAM, LPARAM lParam) {
  ExecutablePath(g_AppPath, sizeof g_AppPath);
  int storeError = 0;
  if (!GetRecentData(&storeError)) {
    // The program starts from the start values; the user should know why
    // the settings of the last run are gone, and where to look.
    char msg[MSGSIZE];
    StoreWarning(msg, sizeof msg, storeError);
    MessageBoxA(nullptr, msg, "Einstellungen laden", MB_OK | MB_ICONEXCLAMATION);
  }
  g_hMainDlg = hDlg;
  CenterOnScreen(hDlg);

  for (const auto& st : kStyles) CheckDlgButton(hDlg, st.id, st.id == ShownStyle());
  CheckDlgButton(hDlg, TOTAL, g_totalFlag != 0);

  EnableWindow(GetDlgItem(hDlg, IDPREVIEW), 1);
  EnableWindow(GetDlgItem(hDlg, IDOK), 1);
  // Each fill reports a change, so the enabling rule settles the buttons.
  SetDlgItemTextA(hDlg, SOURCE, g_opnFName);
  SetDlgItemTextA(hDlg, TARGET, g_savFName);
  // A file to open with the program comes in as if typed into the field.
  const char* file = reinterpret_cast<const char*>(lParam);
  if (file && *file) SetDlgItemTextA(hDlg, SOURCE, file);
  DragAcceptFiles(hDlg, 1);

  SetWindowTextA(hDlg, "Mirtun: Playlist umwandeln");
  SetSmallIcon(hDlg);
  return 1;
}

// Every command first takes the check states into the settings, whatever
// control sent it.
static void UpdateFlags(HWND hDlg) {
  g_totalFlag = static_cast<int32_t>(IsDlgButtonChecked(hDlg, TOTAL));
  g_htmlFlag = static_cast<int32_t>(IsDlgButtonChecked(hDlg, HTML));
  g_tfmtFlag = static_cast<int32_t>(IsDlgButtonChecked(hDlg, TFMT));
  g_xlsxFlag = static_cast<int32_t>(IsDlgButtonChecked(hDlg, XLSX));
}

// Runs one command; returns 1 when it ended the dialog.
static int RunCommand(HWND hDlg, unsigned id, unsigned code) {
  switch (id) {
    case IDOK:
      // What the fields show is what is converted.
      GetDlgItemTextA(hDlg, SOURCE, g_opnFName, sizeof g_opnFName);
      GetDlgItemTextA(hDlg, TARGET, g_savFName, sizeof g_savFName);
      CreateTargetFile(hDlg);
      break;
    case IDCANCEL:
      StopSequence(hDlg);
      return 1;
    case SOURCE:
      if (code == EN_CHANGE) {
        TakeSource(hDlg);
        UpdateButtons(hDlg);
      }
      break;
    case TARGET:
      if (code == EN_CHANGE) UpdateButtons(hDlg);
      break;
    case SOURCEBTN:
      openFile(hDlg);
      break;
    case TARGETBTN:
      saveFile(hDlg);
      break;
    case HTML:
    case ASCII:
    case TFMT:
    case XLSX:
      SwitchStyle(hDlg, static_cast<int>(id));
      break;
    case ID_HELP:
      OpenHtmlHelpX(hDlg, "002.html");
      break;
    case IDPREVIEW:
      GetDlgItemTextA(hDlg, SOURCE, g_opnFName, MAXPATH);
      OpenPreview(hDlg);
      break;
    case IDINFO:
      DialogBoxParamA(g_hinst, IDD_INFO, hDlg, InfoDlgFunc, 0);
      break;
    case IDOPT:
      DialogBoxParamA(g_hinst, IDD_OPTIONS, hDlg, OptDlgFunc, 0);
      break;
    default:
      break;
  }
  return 0;
}

INT_PTR DialogFunc(HWND hwndDlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      return InitializeApp(hwndDlg, wParam, lParam);
    case WM_HELP:
      // Help passed on from the options or info dialog opens nothing here.
      if (GetForegroundWindow() == hwndDlg) OpenHtmlHelpX(hwndDlg, "002.html");
      return 0;
    case WM_COMMAND:
      UpdateFlags(hwndDlg);
      return RunCommand(hwndDlg, LOWORD(wParam), HIWORD(wParam));
    case WM_DROPFILES:
      TakeDrop(hwndDlg, reinterpret_cast<HDROP>(wParam), static_cast<int>(lParam));
      return 1;
    case WM_CLOSE:
      CloseSequence(hwndDlg);
      return 1;
    default:
      return 0;
  }
}
