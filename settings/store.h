// The persisted subset of the settings record.
#pragma once

#include <cstdint>

// Stores the flags word, the widths, the folders, the paths and the
// extension list. Returns 1 when they were stored; 0 when not, with
// *error (when given) the cause: an errno value, or kNotRegularFile of
// platform/errors.h when something else stands where the file should be.
int32_t SaveRecentData(int* error = nullptr);

// Loads what was stored; what is missing keeps its value. Always returns 1.
int32_t GetRecentData();
