#include "ui/conversion.h"

#include "base/path.h"
#include "base/text.h"
#include "engine/convert.h"
#include "engine/messages.h"
#include "settings/run_settings.h"
#include "settings/settings.h"
#include "ui/ui_hooks.h"

// Tells the user what went wrong.
static void Complain(HWND hDlg, ConvertResult r, const char* target,
                     int32_t badLine) {
  char msg[MSGSIZE];
  const char* caption = ResultMessage(r, g_opnFName, target, msg, sizeof msg, badLine);
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
  SetMouseBusy(1);
  int32_t badLine = 0;
  ConvertResult r = ConvertToFile(s, g_savFName, false, &badLine);
  if (r == CONVERT_TARGET_EXISTS) {
    SetMouseBusy(0);
    if (!AskOverwrite(hDlg, g_savFName)) return 0;
    SetMouseBusy(1);
    r = ConvertToFile(s, g_savFName, true, &badLine);
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
    Complain(hDlg, r, g_savFName, badLine);
    return 0;
  }
  return 1;
}

int CreatePreviewFile(HWND, const char* PrevName) {
  return ConvertToFile(TakeRunSettings(), PrevName, true) == CONVERT_WRITTEN;
}

void SetMouseBusy(int busy) {
  static HCURSOR old_hc = nullptr;
  if (busy) {
    old_hc = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  } else {
    SetCursor(old_hc);
  }
}
