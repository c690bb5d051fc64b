#include "ui/choosers.h"

#include "base/limits.h"
#include "base/text.h"
#include "settings/settings.h"
#include "ui/dialog.h"
#include "ui/resources/resource.h"
#include "ui/target_name.h"

static const char kSourceFilters[] =
    "Unterstützte Dateiformate (*.pls, *.m3u, *.m3u8, *.xml, *.ofl, *.xspf, *.wpl)\0"
    "*.pls;*.m3u;*.m3u8;*.xml;*.ofl;*.xspf;*.wpl;*.zpl;*.asx;*.wax;*.wvx;*.smil;*.smi\0"
    "Winamp Playlist (*.pls, *.m3u)\0*.pls;*.m3u\0"
    "Apple Musik/iTunes Playlist (*.xml)\0*.xml\0"
    "Ots-DJ Playlist (*.ofl)\0*.ofl\0"
    "XSPF-Playlist (*.xspf)\0*.xspf\0"
    "Windows Media Player Playlist (*.wpl, *.zpl)\0*.wpl;*.zpl\0"
    "ASX-Playlist (*.asx, *.wax, *.wvx)\0*.asx;*.wax;*.wvx\0"
    "SMIL-Playlist (*.smil, *.smi)\0*.smil;*.smi\0"
    "Alle Dateien (*.*)\0*.*\0";

static const char kTextFilters[] =
    "Textdatei (*.txt)\0*.txt\0"
    "Alle Dateien (*.*)\0*.*\0";

static const char kHtmlFilters[] =
    "HTML-Datei (*.htm, *.html)\0*.htm;*.html\0"
    "Alle Dateien (*.*)\0*.*\0";

static const char kXlsxFilters[] =
    "Tabelle (*.xlsx)\0*.xlsx\0"
    "Alle Dateien (*.*)\0*.*\0";

static FileChooser g_chooser = QtGetOpenFileName;

FileChooser SetFileChooser(FileChooser chooser) {
  FileChooser before = g_chooser;
  g_chooser = chooser ? chooser : QtGetOpenFileName;
  return before;
}

int GetOpenFileNameA(OPENFILENAMEA* ofn) { return g_chooser(ofn); }

int GetSaveFileNameA(OPENFILENAMEA* ofn) {
  ofn->Flags |= OFN_SAVEDIALOG;
  return g_chooser(ofn);
}

// The target chooser is a save dialog: it takes the name of a file that does
// not exist yet, as long as its folder does, and leaves the overwrite
// question to "Umwandeln".
static int RunChooser(HWND hDlg, char* file, size_t fileCap, const char* title,
                      const char* filter, const char* initDir, unsigned flags,
                      const char* defExt, char* folderOut) {
  OPENFILENAMEA ofn;
  ofn.hwndOwner = hDlg;
  ofn.hInstance = reinterpret_cast<HINSTANCE>(GetWindowLongA(hDlg, GWL_HINSTANCE));
  ofn.lpstrFilter = filter;
  ofn.lpstrFile = file;
  ofn.nMaxFile = static_cast<unsigned>(fileCap);
  ofn.lpstrInitialDir = initDir;
  ofn.lpstrTitle = title;
  ofn.Flags = flags;
  ofn.lpstrDefExt = defExt;
  if (!((flags & OFN_SAVEDIALOG) ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn)))
    return 0;
  CopyTextN(folderOut, MAXPATH, file, ofn.nFileOffset);
  return 1;
}

int openFile(HWND hDlg) {
  if (!RunChooser(hDlg, g_opnFName, sizeof g_opnFName, "Quelldatei (Playlist) wählen",
                  kSourceFilters, g_oInitDir,
                  OFN_LONGNAMES | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST,
                  "*.m3u", g_oInitDir))
    return 0;
  CreateSavName();
  SetDlgItemTextA(hDlg, SOURCE, g_opnFName);
  SetDlgItemTextA(hDlg, TARGET, g_savFName);
  return 1;
}

int saveFile(HWND hDlg) {
  if (!RunChooser(hDlg, g_savFName, sizeof g_savFName, "Zieldatei wählen",
                  g_xlsxFlag ? kXlsxFilters : g_htmlFlag ? kHtmlFilters : kTextFilters, g_sInitDir,
                  OFN_LONGNAMES | OFN_PATHMUSTEXIST | OFN_SAVEDIALOG,
                  g_xlsxFlag ? "*.xlsx" : g_htmlFlag ? "*.htm" : "*.txt", g_sInitDir))
    return 0;
  SetDlgItemTextA(hDlg, TARGET, g_savFName);
  return 1;
}

int chooseFolder(HWND hDlg, int id) {
  char folder[MAXPATH];
  GetDlgItemTextA(hDlg, id, folder, sizeof folder);
  char parent[MAXPATH];
  if (!RunChooser(hDlg, folder, sizeof folder, "Musikordner wählen", nullptr, folder,
                  OFN_LONGNAMES | OFN_FOLDER | OFN_PATHMUSTEXIST, nullptr, parent))
    return 0;
  SetDlgItemTextA(hDlg, id, folder);
  return 1;
}
