// The persisted subset of the settings record.
#pragma once

#include <cstddef>
#include <cstdint>

// Column widths are kept within these bounds.
constexpr int32_t kMinWidth = 10;
constexpr int32_t kMaxWidth = 250;

// Stores the flags word, the widths, the folders, the paths and the
// extension list. Returns 1 when they were stored; 0 when not, with
// *error (when given) the cause: an errno value, or kNotRegularFile of
// platform/errors.h when something else stands where the file should be.
int32_t SaveRecentData(int* error = nullptr);

// Loads what was stored; what is missing keeps its value, and a stored
// column width outside kMinWidth..kMaxWidth is taken as the nearest bound.
// Returns 1, also when there is no settings file yet. Returns 0 when there
// is one that cannot be read (no permission, a folder, no text), with
// *error (when given) the cause: an errno value, kNotRegularFile or
// kNotText (settings/regstore.h); every setting keeps its value.
int32_t GetRecentData(int* error = nullptr);

// The warning about a settings file that cannot be read, naming the file and
// the cause error as GetRecentData gave it, into out (cap bytes). Returns
// its length.
size_t StoreWarning(char* out, size_t cap, int error);
