// The listing as one JSON document, for scripts:
//   {"source": ..., "rows": [{"artist": ..., "title": ..., "seconds": n or
//   null, "entry": the list's text, "kind": "file" | "stream" | "missing"},
//   ...], "total_seconds": n}
// in UTF-8; a name that is not known is null, never a placeholder.
#pragma once

#include <cstdint>
#include <cstdio>

#include "settings/run_settings.h"

void JsonBegin(FILE* out, const RunSettings& s);

// One row; first: no row before it. entry may be empty (a row the list
// names no entry for): entry and kind are then null.
void JsonRow(FILE* out, const RunSettings& s, bool first, const char* artist, const char* title,
             int32_t seconds, const char* entry);

void JsonEnd(FILE* out, uint64_t totalSeconds);
