// The three bitmap fonts. Each entry is a glyph string: rows of '0' (no ink) and '1' (ink), top
// row first, row 0 a header. Entries without a glyph hold a short placeholder string.
#pragma once

extern const char* const smallFont[128];    // 8 characters a row, width digit in the header
extern const char* const compactFont[256];  // 8 characters a row, width digit in the header
extern const char* const largeFont[256];    // 10 characters a row, fixed advance 8
