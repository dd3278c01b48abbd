// What the program's window shows, for the end-to-end tests: the backdrop the program paints, and
// the window's pixels decoded back into the 320 x 240 software screen.
#pragma once

#include <string>
#include <vector>

#include "tests/support/xserver.h"

// The backdrop as the program paints it (the same generator after the same carving), RGB with rows
// bottom-up. Computed once; it sets the program's globals of this process as start-up does.
const std::vector<unsigned char>& ExpectedBackdropRGB();

// Screen pixels that only the backdrop can show at start-up: the frame lines, the title band's
// right end and the noise rows under the text. Text, cube and crosshair never reach them.
bool BackdropOnly(int x, int y);

// The window's pixels as 320 x 240 screen pixels (RGB, rows bottom-up). False, with the reason,
// when the window is not 320 zoom x 240 zoom or a zoom x zoom block is not one colour.
bool ReadWindowScreen(XServer& server, Window window, int zoom, std::vector<unsigned char>* screen, std::string* why);
