// The settings store: a small registry of keys and typed values kept in one
// text file in the registry export syntax (REGEDIT4), at
// $XDG_CONFIG_HOME/mirtun/mirtun.reg (~/.config/mirtun/mirtun.reg when
// XDG_CONFIG_HOME is unset, empty or not an absolute path).
//
// Only the few operations the settings persistence needs are offered, with
// the registry's names, arguments and results, so that the code using them
// reads as it would against the real thing:
//
//  - Opening or creating a key reads the whole file. A file that is missing,
//    unreadable or damaged never makes these calls fail by itself: whatever
//    parses is kept, the rest is dropped. Only a regular file is read; a
//    pipe or a device in its place is never waited on, and never written.
//  - Values set through a handle are written when the handle is closed: the
//    whole file is written to a temporary file in the same folder, synced and
//    renamed over the old one, keeping every other key and value it held.
//  - The folder and the file are made only when a key is created; the file
//    gets mode 0600.
#pragma once

#include <cstddef>
#include <cstdint>

typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint8_t BYTE;
typedef struct RegKey* HKEY;

#define HKEY_CURRENT_USER ((HKEY)(uintptr_t)0x80000001u)

constexpr DWORD KEY_WRITE = 0x20006;
constexpr DWORD KEY_ALL_ACCESS = 0xF003F;

constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;

constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;
constexpr LONG ERROR_ACCESS_DENIED = 5;
constexpr LONG ERROR_INVALID_HANDLE = 6;
constexpr LONG ERROR_INVALID_PARAMETER = 87;
constexpr LONG ERROR_MORE_DATA = 234;

// A store file that holds no text (a picture, a program): an error number
// of our own beside errno's and kNotRegularFile.
constexpr int kNotText = -3;

// Opens subKey below root, creating it (and the store's folder) when it does
// not exist. Fails with ERROR_ACCESS_DENIED when the folder cannot be made.
// *disposition (when given) is 1 for a new key, 2 for an existing one.
LONG RegCreateKeyExA(HKEY root, const char* subKey, DWORD reserved,
                     char* keyClass, DWORD options, DWORD access,
                     void* security, HKEY* result, DWORD* disposition);

// Opens an existing key; ERROR_FILE_NOT_FOUND when the store or the key
// does not exist. Never creates anything.
LONG RegOpenKeyExA(HKEY root, const char* subKey, DWORD options, DWORD access,
                   HKEY* result);

// Sets a value (name "" is the key's default value) to size bytes of data.
LONG RegSetValueExA(HKEY key, const char* name, DWORD reserved, DWORD type,
                    const BYTE* data, DWORD size);

// Copies a value's bytes into data (capacity *size) and sets *size to their
// count. When the value is longer, nothing is copied, *size is set to the
// length needed and the result is ERROR_MORE_DATA. With data null only the
// length is reported. type (when given) receives the value's type.
LONG RegQueryValueExA(HKEY key, const char* name, DWORD* reserved, DWORD* type,
                      BYTE* data, DWORD* size);

// Releases the handle; when values were set through it, writes the store.
// ERROR_ACCESS_DENIED when the file could not be written (the old file is
// then untouched).
LONG RegCloseKey(HKEY key);

// Full path of the store file into path (cap bytes), or "" when no home
// folder is known or the path does not fit. Returns its length.
size_t RegStorePath(char* path, size_t cap);

// Why the last open or create of this thread could not read the store file
// that is there: an errno value (EACCES, EISDIR, ...), kNotRegularFile for
// a device or a pipe, or kNotText for a file that holds
// no text. 0 when the file was read or there is none.
int RegStoreReadError();

// Why the last failed create or close of this thread failed: an errno
// value, or kNotRegularFile (platform/errors.h) when a folder, a device or a
// pipe stands where the store file should be.
int RegStoreError();
