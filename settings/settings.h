// The settings record: what is stored and what is a setting. Program-wide
// variables, statically allocated, read and written by name. A conversion
// does not read them itself: it gets a RunSettings snapshot taken at its
// start (settings/run_settings.h).
#pragma once

#include <cstdint>

#include "base/limits.h"

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
constexpr uint32_t BITXLSX = 256;   // the workbook style
constexpr uint32_t BITHEAD = 512;   // the import text's header row

#define MIRTUN_V "1.23"

// The default extension list (60 entries).
extern const char DEFAULT_FILE_EXT[];

// Text fields; each always holds a zero-terminated text.
extern char g_opnFName[MAXFILEPATH];  // source playlist
extern char g_savFName[MAXFILEPATH];  // target file
extern char g_oInitDir[MAXPATH];  // folder of the last chosen source, with trailing "/"
extern char g_sInitDir[MAXPATH];  // folder of the last chosen target, with trailing "/"
extern char g_FileExt[MAXPATH];   // extension list, comma separated
extern char g_FExtBuf[MAXPATH];   // working copy of g_FileExt, cut into entries
// The music folder ("Musikordner") in which relative entries are looked
// for that name no file beside their list; empty: the one the system names
// (settings/music_dir.h).
extern char g_MusicDir[MAXPATH];

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
extern int32_t g_xlsxFlag;  // a workbook (XLSX); comes before the other styles
extern int32_t g_headFlag;  // the import text starts with the column names

// The extension table: entries 0..g_NumExt-1 point into g_FExtBuf.
extern char* g_ExtList[MAXNEXT];
extern int32_t g_NumExt;

// Splits g_FileExt into the extension table and returns the entry count
// (1..MAXNEXT). The caller stores the count in g_NumExt.
int32_t ReadExtensions();

// Rebuilds the extension table from g_FileExt: every entry cleared, the
// list split again, g_NumExt set.
void BuildExtensionTable();

// The one way to change the extension list: g_FileExt becomes list (cut to
// its buffer) and the table is rebuilt from it, so that the two never part.
void SetFileExtensions(const char* list);

// Puts every field of the record back to its start value, as at process
// start (extension table cleared, g_NumExt 0).
void ResetSettings();
