// The display window and its OpenGL context.
#pragma once

#include "platform/win32.h"

// Registers the class, creates the borderless window centred on the primary screen with a client
// area of width x height, sets up the pixel format and the OpenGL context, the projection and the
// fixed GL state. False on any failure, after releasing what it had made.
bool OpenDisplayWindow(const char* title, int width, int height, int bits, bool fullscreen);
// Releases context, device context, window and class; safe with any subset of them.
void CloseDisplayWindow();
void SetProjection(int width, int height);
bool InitGlState();
