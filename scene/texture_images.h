// The cube's texture pictures: BMP files read into a table of images at start-up, turned into
// OpenGL textures each time a context is made.
#pragma once

#include "app/program_state.h"

struct TextureImage {
    unsigned char* pixels;  // R, G, B, rows bottom-up, width * 3 bytes a row
    int width;
    int height;
    int channels;  // 3 after a load, 0 before
};

// The five texture files, by slot.
extern const char* const textureFilePaths[kTextureCount];

// Reads a 24-bit BMP file into slot 0 ... 99 of textureImages. True when the whole image was read.
bool LoadBitmapImage(const char* path, int slot);
// Generates the five texture names and uploads slots 0 ... 4 into them. Always 1.
int CreateTextures();
