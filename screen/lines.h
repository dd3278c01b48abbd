// Lines, the crosshair cursor, and the mapping of the mouse position to screen coordinates.
#pragma once

#include "platform/win32.h"

void DrawLine(int x1, int y1, int x2, int y2, unsigned char r, unsigned char g, unsigned char b);
void DrawCursor();
int MouseScreenX(HWND window);
int MouseScreenY(HWND window);
int MouseScreenXOffset(HWND window, int dx);
int MouseScreenYOffset(HWND window, int ignored, int dy);
