// The 320 x 240 software screen: its buffers, the backdrop and the presentation through OpenGL.
#pragma once

#include <stdint.h>
#include <string.h>

// An opaque pixel (R, G, B, 255 in memory order) as one 32-bit word, for loops that store a whole
// pixel at once with memcpy. Built with shifts, not through a byte array, so that it stays in a
// register; the byte-order test folds away.
inline uint32_t OpaquePixelWord(uint32_t r, uint32_t g, uint32_t b) {
    const uint32_t one = 1;
    unsigned char first;
    memcpy(&first, &one, 1);
    return first ? (r | g << 8 | b << 16 | 0xFF000000u) : (r << 24 | g << 16 | b << 8 | 0xFFu);
}

// Allocates screenPixels, readbackPixels and backdropPixels (in that order) and paints the backdrop.
void InitScreenBuffers();
// Paints the backdrop into backdropPixels (noise from the program's generator, frame, title band).
void PaintBackdrop();
// Writes one opaque pixel if (x, y) lies on the screen; (0, 0) is the bottom-left pixel.
void PutPixel(int x, int y, unsigned char r, unsigned char g, unsigned char b);
// Draws screenPixels into the window's back buffer at the pixel zoom in force.
void PresentScreen();
