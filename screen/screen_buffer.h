// The 320 x 240 software screen: its buffers, the backdrop and the presentation through OpenGL.
#pragma once

// Allocates screenPixels, readbackPixels and backdropPixels (in that order) and paints the backdrop.
void InitScreenBuffers();
// Paints the backdrop into backdropPixels (noise from the program's generator, frame, title band).
void PaintBackdrop();
// Writes one opaque pixel if (x, y) lies on the screen; (0, 0) is the bottom-left pixel.
void PutPixel(int x, int y, unsigned char r, unsigned char g, unsigned char b);
// Draws screenPixels into the window's back buffer at the pixel zoom in force.
void PresentScreen();
