// A hidden window with an 8-bit RGBA, double-buffered OpenGL context, made through the platform
// layer's own Win32 calls, for tests that draw with OpenGL and read the result back.
#pragma once

#include <vector>

// Opens the test window and makes its context current. False (with nothing left open) on failure.
bool OpenTestGlWindow(int width, int height);
// Releases the context, the device context, the window and the class. Safe to call when closed.
void CloseTestGlWindow();
// The back buffer's pixels in the rectangle (x, y, w, h), rows bottom-up, 4 bytes R, G, B, A each.
std::vector<unsigned char> ReadBackBufferRGBA(int x, int y, int w, int h);
