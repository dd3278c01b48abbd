// PLACEHOLDER until the fonts, text routines, lines and mouse mapping land: draws nothing.
// Delete this file when screen/text.cpp, screen/fonts*.cpp and screen/lines.cpp exist.
#include "screen/fonts.h"
#include "screen/lines.h"
#include "screen/text.h"

const char* const smallFont[128] = {};
const char* const compactFont[256] = {};
const char* const largeFont[256] = {};
void DrawSmallText(int, int, int, int, int) {}
void DrawSmallTextShadowed(int, int, int, int, int) {}
void DrawSmallTextHooked(int, int, int, int, int, int) {}
void TextCellHook(int, int, int) {}
void DrawCompactText(int, int, int, int, int) {}
void DrawLargeText(int, int, int, int, int) {}
void DrawLargeString(const char*, int, int, int, int, int) {}
void DrawLine(int, int, int, int, unsigned char, unsigned char, unsigned char) {}
void DrawCursor() {}
int MouseScreenX(HWND) { return 0; }
int MouseScreenY(HWND) { return 0; }
int MouseScreenXOffset(HWND, int) { return 0; }
int MouseScreenYOffset(HWND, int, int) { return 0; }
