// Text drawing into the software screen. Callers format a line into textBuffer, then call a
// routine with the position and the colour.
#pragma once

void DrawSmallText(int x, int y, int r, int g, int b);
void DrawSmallTextShadowed(int x, int y, int r, int g, int b);
void DrawSmallTextHooked(int x, int y, int r, int g, int b, int tag);
void TextCellHook(int x, int y, int tag);
void DrawCompactText(int x, int y, int r, int g, int b);
void DrawLargeText(int x, int y, int r, int g, int b);
void DrawLargeString(const char* text, int x, int y, int r, int g, int b);
