// The settings record: every piece of state that outlives a single call.
// Program-wide variables, statically allocated, read and written by name.
#pragma once

#include <cstdint>

constexpr int MAXPATH = 512;  // bytes of every path, line and name buffer
constexpr int MAXNEXT = 100;  // entries of the extension table
constexpr int MAXDATA = 4;    // bytes of a stored number

// Bits of the stored flags word.
constexpr uint32_t BITHTM = 1;
constexpr uint32_t BITKOM = 2;
constexpr uint32_t BITTOT = 4;
constexpr uint32_t BITFRM = 8;
constexpr uint32_t BITEXT = 16;
constexpr uint32_t BITFMT = 32;
constexpr uint32_t BITART1ST = 64;
constexpr uint32_t BITDUR1ST = 128;

#define MIRTUN_V "1.23"

// The default extension list (44 entries).
extern const char DEFAULT_FILE_EXT[];

// Window handles are opaque to the core.
typedef void* HWND;
typedef void* HINSTANCE;

// Text fields; each always holds a zero-terminated text.
extern char g_opnFName[MAXPATH];  // source playlist
extern char g_savFName[MAXPATH];  // target file
extern char g_oInitDir[MAXPATH];  // folder of the last chosen source, with trailing "/"
extern char g_sInitDir[MAXPATH];  // folder of the last chosen target, with trailing "/"
extern char g_FileExt[MAXPATH];   // extension list, comma separated
extern char g_FExtBuf[MAXPATH];   // working copy of g_FileExt, cut into entries
extern char g_AppPath[MAXPATH];   // the program's own executable
extern char g_PrevFile[MAXPATH + 16];  // the preview file

// Column widths in characters; stored values may hold any 32-bit number.
extern int32_t g_ColWTit;
extern int32_t g_ColWArt;

// Option flags: 0 is off, any other value is on.
extern int32_t g_htmlFlag;
extern int32_t g_kommaFlag;
extern int32_t g_totalFlag;
extern int32_t g_formlFlag;
extern int32_t g_rmextFlag;
extern int32_t g_tfmtFlag;
extern int32_t g_artfFlag;
extern int32_t g_durfFlag;

// Handles of the program and its dialogs (null when not there).
extern HINSTANCE g_hinst;
extern HWND g_hMainDlg;
extern HWND g_hOptDlg;
extern HWND g_hInfoDlg;

// The extension table: entries 0..g_NumExt-1 point into g_FExtBuf.
extern char* g_ExtList[MAXNEXT];
extern int32_t g_NumExt;

// Splits g_FileExt into the extension table and returns the entry count
// (1..MAXNEXT). The caller stores the count in g_NumExt.
int32_t ReadExtensions();

// Puts every field of the record back to its start value, as at process
// start (extension table cleared, g_NumExt 0).
void ResetSettings();

// A column width typed as text, as the options dialog takes it: the first
// 7 characters, their decimal value, kept within 10..250.
int32_t WidthFromText(const char* text);
