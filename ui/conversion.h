// The conversion as the dialogs run it: the settings of the moment, the
// overwrite question, the wait cursor and the German messages.
#pragma once

#include "base/handles.h"

// Writes g_savFName from g_opnFName, talking to the user: asks before it
// overwrites, remembers the target's folder in g_sInitDir when none is
// remembered yet. 1 when written.
int CreateTargetFile(HWND hDlg);

// Writes the preview file PrevName silently. 1 when written.
int CreatePreviewFile(HWND hDlg, const char* PrevName);

// Wait cursor on (non-zero) or back to the cursor from before (zero).
void SetMouseBusy(int busy);
