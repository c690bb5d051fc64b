// The preview: the listing written to a fixed file in the temporary folder
// and opened with the desktop's default application for its type.
#pragma once

#include "base/handles.h"

// Opens path with the default application, without waiting for it.
typedef void (*FileOpener)(HWND owner, const char* path);

// Installs opener (null: the desktop's default application). Returns the
// one before.
FileOpener SetFileOpener(FileOpener opener);

// Converts g_opnFName in the current style into mirtunpv.htm (HTML) or
// mirtunpv.txt in the temporary folder, names it in g_PrevFile and opens
// it. Failures are silent.
void OpenPreview(HWND hDlg);
