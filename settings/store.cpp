#include "settings/store.h"

#include <climits>

#include "base/text.h"
#include "platform/errors.h"
#include "settings/regstore.h"
#include "settings/settings.h"

#define REG_SUBKEY "Software\\Mirtun\\" MIRTUN_V

// Each flag with its bit in the stored flags word.
struct FlagBit {
  int32_t* flag;
  uint32_t bit;
};

static const FlagBit kFlagBits[] = {
    {&g_htmlFlag, BITHTM},  {&g_kommaFlag, BITKOM}, {&g_totalFlag, BITTOT},
    {&g_formlFlag, BITFRM}, {&g_rmextFlag, BITEXT}, {&g_tfmtFlag, BITFMT},
    {&g_artfFlag, BITART1ST}, {&g_durfFlag, BITDUR1ST}, {&g_xlsxFlag, BITXLSX},
    {&g_headFlag, BITHEAD},
};

// The text values with their fields, in the order in which they are both
// written and read.
struct TextValue {
  const char* name;
  char* field;
  size_t cap;
};

static const TextValue kTextValues[] = {
    {"OpenInitDir", g_oInitDir, sizeof g_oInitDir},
    {"SaveInitDir", g_sInitDir, sizeof g_sInitDir},
    {"OpenPathFName", g_opnFName, sizeof g_opnFName},
    {"SavePathFName", g_savFName, sizeof g_savFName},
    {"FileExtensions", g_FileExt, sizeof g_FileExt},
    {"MusicFolder", g_MusicDir, sizeof g_MusicDir},
};

// A number as the store keeps it: four bytes, little-endian.
static void PutNumber(BYTE* out, uint32_t v) {
  for (int b = 0; b < MAXDATA; ++b) out[b] = static_cast<BYTE>(v >> (8 * b));
}

static void SetNumber(HKEY key, const char* name, uint32_t v) {
  BYTE data[MAXDATA];
  PutNumber(data, v);
  RegSetValueExA(key, name, 0, REG_DWORD, data, MAXDATA);
}

// A text is stored as a field of MAXPATH bytes, or as long as it is with its
// zero when it is longer (a path of a source or target). The bytes after its
// terminating zero mean nothing; they are written as zeros so that no
// remains of an earlier, longer text reach the file.
static void SetText(HKEY key, const char* name, const char* text) {
  BYTE data[MAXFILEPATH] = {};
  size_t len = CopyText(reinterpret_cast<char*>(data), sizeof data, text);
  RegSetValueExA(key, name, 0, REG_SZ, data, len < MAXPATH ? MAXPATH : static_cast<DWORD>(len + 1));
}

// Reads a number of at most MAXDATA bytes. A shorter value gives the number
// its bytes make. Returns 1 when the value was read.
static int QueryNumber(HKEY key, const char* name, uint32_t* v) {
  BYTE data[MAXDATA] = {};
  DWORD size = MAXDATA;
  if (RegQueryValueExA(key, name, nullptr, nullptr, data, &size) != ERROR_SUCCESS)
    return 0;
  *v = 0;
  for (DWORD b = 0; b < size; ++b) *v |= static_cast<uint32_t>(data[b]) << (8 * b);
  return 1;
}

// A stored width outside 10..250 (a hand-edited or damaged file) is taken
// as the nearest bound, as the options dialog would take it.
static void QueryWidth(HKEY key, const char* name, int32_t* width) {
  uint32_t v;
  if (!QueryNumber(key, name, &v)) return;
  int32_t w = static_cast<int32_t>(v);
  *width = w < kMinWidth ? kMinWidth : w > kMaxWidth ? kMaxWidth : w;
}

// Reads a text of at most cap bytes into field (a longer value is left
// alone). The text ends at its first zero byte or at the end of the value,
// whichever comes first, and is cut to cap - 1 characters, so the field
// always stays terminated and never keeps pieces of its old text behind a
// short value.
static void QueryText(HKEY key, const char* name, char* field, size_t cap) {
  char data[MAXFILEPATH];
  DWORD size = static_cast<DWORD>(cap);
  if (RegQueryValueExA(key, name, nullptr, nullptr,
                       reinterpret_cast<BYTE*>(data), &size) == ERROR_SUCCESS)
    CopyTextN(field, cap, data, size);
}

int32_t SaveRecentData(int* error) {
  uint32_t word = 0;
  for (const FlagBit& f : kFlagBits)
    if (*f.flag) word |= f.bit;

  HKEY key;
  DWORD disposition;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, REG_SUBKEY, 0, nullptr, 0, KEY_WRITE,
                      nullptr, &key, &disposition) != ERROR_SUCCESS) {
    if (error) *error = RegStoreError();
    return 0;
  }
  SetNumber(key, "Flags", word);
  SetNumber(key, "ColumnWidthArtist", static_cast<uint32_t>(g_ColWArt));
  SetNumber(key, "ColumnWidthTitle", static_cast<uint32_t>(g_ColWTit));
  for (const TextValue& t : kTextValues) SetText(key, t.name, t.field);
  if (RegCloseKey(key) != ERROR_SUCCESS) {
    if (error) *error = RegStoreError();
    return 0;
  }
  return 1;
}

int32_t GetRecentData(int* error) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, REG_SUBKEY, 0, KEY_ALL_ACCESS, &key) !=
      ERROR_SUCCESS) {
    int why = RegStoreReadError();
    if (why == 0) return 1;  // no file yet, or no key of this version in it
    if (error) *error = why;
    return 0;
  }
  uint32_t word = 0;
  int haveFlags = QueryNumber(key, "Flags", &word);
  QueryWidth(key, "ColumnWidthTitle", &g_ColWTit);
  QueryWidth(key, "ColumnWidthArtist", &g_ColWArt);
  for (const TextValue& t : kTextValues) QueryText(key, t.name, t.field, t.cap);
  RegCloseKey(key);
  // The list may have changed: its table with it.
  BuildExtensionTable();

  // A loaded flag holds its bit's value, not 1; every reader tests for zero.
  if (haveFlags)
    for (const FlagBit& f : kFlagBits) *f.flag = static_cast<int32_t>(word & f.bit);
  return 1;
}

size_t StoreWarning(char* out, size_t cap, int error) {
  const char* why = error == kNotText ? "sie enthält keinen Text" : ErrorText(error);
  char path[PATH_MAX];
  RegStorePath(path, sizeof path);
  return FormatText(out, cap,
                    "Die Einstellungsdatei %s konnte nicht gelesen werden: %s. "
                    "Es gelten die Anfangswerte.",
                    path, why);
}
