// PLACEHOLDER until the texture images and the frame composition land: loads nothing, composes
// the backdrop only. Delete this file when scene/texture_images.cpp and scene/frame.cpp exist.
#include <string.h>

#include "scene/frame.h"
#include "scene/texture_images.h"

const char* const textureFilePaths[kTextureCount] = {
    ".\\bmp_cube\\dsc3.bmp", ".\\bmp_cube\\brickold2.bmp", ".\\bmp_cube\\brickold.bmp",
    ".\\bmp_cube\\4.bmp", ".\\bmp_cube\\brickold3.bmp"};
unsigned char colourKey[3] = {255, 0, 229};

bool LoadBitmapImage(const char*, int) { return false; }
int CreateTextures() { return 1; }
void ProbeColourKey() {}
int DrawFrame() {
    memcpy(screenPixels, backdropPixels, kScreenPixelCount * 4);
    if (zoomFactor >= 1 && zoomFactor <= 4) glPixelZoom((float)zoomFactor, (float)zoomFactor);
    return 1;
}
