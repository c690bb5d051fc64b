// The persisted subset of the settings record.
#pragma once

#include <cstdint>

// Stores the flags word, the widths, the folders, the paths and the
// extension list. Always returns 1.
int32_t SaveRecentData();

// Loads what was stored; what is missing keeps its value. Always returns 1.
int32_t GetRecentData();
