// The two file choosers of the main dialog and the chooser they run.
#pragma once

#include <cstddef>

#include "base/handles.h"

constexpr unsigned OFN_PATHMUSTEXIST = 0x00000800;
constexpr unsigned OFN_FILEMUSTEXIST = 0x00001000;
constexpr unsigned OFN_LONGNAMES = 0x00200000;
// The choice is a folder, not a file.
constexpr unsigned OFN_FOLDER = 0x01000000;
// A save dialog (set by GetSaveFileNameA): its button saves, and a file
// that exists is taken without a question; whoever writes it asks.
constexpr unsigned OFN_SAVEDIALOG = 0x02000000;

// What a file chooser is given and gives back.
struct OPENFILENAMEA {
  HWND hwndOwner = nullptr;
  HINSTANCE hInstance = nullptr;
  // Label and pattern texts alternating, each zero-terminated, the list
  // closed by an empty text. A pattern lists its wildcards separated by ";".
  const char* lpstrFilter = nullptr;
  unsigned nFilterIndex = 0;   // 0 and 1: the first filter
  char* lpstrFile = nullptr;   // in: the name offered; out: the chosen path
  unsigned nMaxFile = 0;       // capacity of lpstrFile
  const char* lpstrInitialDir = nullptr;
  const char* lpstrTitle = nullptr;
  unsigned Flags = 0;          // OFN_...
  unsigned short nFileOffset = 0;  // out: bytes before the file name
  const char* lpstrDefExt = nullptr;  // "*.ext"
};

// Runs a chooser modally. On a confirmed choice it stores the full path in
// lpstrFile, sets nFileOffset and returns 1; on cancel it returns 0 and
// changes nothing.
typedef int (*FileChooser)(OPENFILENAMEA* ofn);

// Installs chooser (null: the Qt file dialog). Returns the one before.
FileChooser SetFileChooser(FileChooser chooser);

// Runs the installed chooser.
int GetOpenFileNameA(OPENFILENAMEA* ofn);
// Runs it as a save dialog (OFN_SAVEDIALOG).
int GetSaveFileNameA(OPENFILENAMEA* ofn);

// The Qt file dialog as a chooser.
int QtGetOpenFileName(OPENFILENAMEA* ofn);

// The source named on the program's command line: a path (made absolute
// against the working folder) or a file:// address (decoded), into out (cap
// bytes). 0 for anything else or a path that does not fit.
int SourceFromArgument(const char* arg, char* out, size_t cap);

// Source chooser: the chosen source, its folder remembered, and a target
// derived from it; both fields refilled. 1 when chosen, 0 when cancelled.
int openFile(HWND hDlg);

// Folder chooser of the options dialog: the chosen folder into the field
// id of hDlg. 1 when chosen, 0 when cancelled.
int chooseFolder(HWND hDlg, int id);

// Target chooser: the chosen target, its folder remembered as the target
// folder; the target field refilled. 1 when chosen, 0 when cancelled.
int saveFile(HWND hDlg);
