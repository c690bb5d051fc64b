// How a typed option value becomes a setting, the same for the options
// dialog and for mirtun-convert's options.
#pragma once

#include <cstdint>

// A column width typed as text: the first 7 characters (what the dialog's
// 8-byte field buffer holds), their decimal value, kept within 10..250.
int32_t WidthFromText(const char* text);
