#include "ui/conversion.h"

#include "base/path.h"
#include "base/text.h"
#include "engine/convert.h"
#include "engine/messages.h"
#include "settings/run_settings.h"
#include "settings/settings.h"
#include "ui/progress.h"
#include "ui/ui_hooks.h"

// Tells the user what went wrong.
static void Complain(HWND hDlg, ConvertResult r, const char* target,
                     const RunReport& report) {
  char msg[MSGSIZE];
  const char* caption = ResultMessage(r, g_opnFName, target, msg, sizeof msg, &report);
  if (caption) MessageBoxA(hDlg, msg, caption, MB_OK | MB_ICONEXCLAMATION);
}

static bool AskOverwrite(HWND hDlg, const char* target) {
  char msg[MSGSIZE];
  const char* caption =
      ResultMessage(CONVERT_TARGET_EXISTS, g_opnFName, target, msg, sizeof msg);
  return MessageBoxA(hDlg, msg, caption, MB_YESNO | MB_ICONQUESTION) != IDNO;
}

int CreateTargetFile(HWND hDlg) {
  const RunSettings s = TakeRunSettings();
  char target[MAXFILEPATH];
  CopyText(target, sizeof target, g_savFName);
  RunReport report;
  // The checks and the question come first, on this thread; the run itself
  // goes on while the dialogs repaint.
  ConvertResult r = CheckConversion(s, target, false, &report);
  bool overwrite = false;
  if (r == CONVERT_TARGET_EXISTS) {
    if (!AskOverwrite(hDlg, target)) return 0;
    overwrite = true;
    r = CheckConversion(s, target, true, &report);
  }
  SetMouseBusy(1);
  if (r == CONVERT_WRITTEN) {
    r = RunWithProgress(hDlg, [&](RunControl* ctl) {
      return ConvertToFile(s, target, overwrite, &report, ctl);
    });
  }
  char notice[MSGSIZE];
  if (const char* caption = NoticeMessage(target, report, notice, sizeof notice))
    MessageBoxA(hDlg, notice, caption, MB_OK);
  if (r == CONVERT_CANCELLED) {  // the user stopped it: nothing to say
    SetMouseBusy(0);
    return 0;
  }
  if (r == CONVERT_WRITTEN) {
    // The first target written fixes the folder that later targets start in.
    size_t folder = PathFolderLen(g_savFName);
    if (g_sInitDir[0] == '\0' && folder > 0)
      CopyTextN(g_sInitDir, sizeof g_sInitDir, g_savFName, folder);
    // A conversion that ends at once still shows the wait cursor briefly.
    Sleep(300);
  }
  SetMouseBusy(0);
  if (r != CONVERT_WRITTEN) {
    Complain(hDlg, r, g_savFName, report);
    return 0;
  }
  if (report.rows == 0) MessageBoxA(hDlg, kNoEntriesText, kNoEntriesCaption, MB_OK);
  return 1;
}

int CreatePreviewFile(HWND hDlg, const char* PrevName) {
  const RunSettings s = TakeRunSettings();
  ConvertResult r = RunWithProgress(hDlg, [&](RunControl* ctl) {
    return ConvertToFile(s, PrevName, true, nullptr, ctl);
  });
  return r == CONVERT_WRITTEN;
}

void SetMouseBusy(int busy) {
  static HCURSOR old_hc = nullptr;
  if (busy) {
    old_hc = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  } else {
    SetCursor(old_hc);
  }
}
