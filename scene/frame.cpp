// Composition of one frame: the backdrop, the textured cube rendered at 320 x 240 and keyed over
// it, the overlay lines and the crosshair.
#include "scene/frame.h"

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include "app/program_state.h"
#include "app/window_proc.h"
#include "screen/lines.h"
#include "screen/screen_buffer.h"
#include "screen/text.h"

// What a colour buffer of 8 bits a channel holds for the clear colour (1, 0, 0.9) when 0.9 * 255
// rounds down; ProbeColourKey replaces it with what the current context really holds.
unsigned char colourKey[3] = {255, 0, 229};

void ProbeColourKey() {
    // Drivers differ in how they round 0.9 * 255, so the key is whatever the clear reads back as.
    glClear(GL_COLOR_BUFFER_BIT);
    unsigned char pixel[4] = {0, 0, 0, 0};
    glReadPixels(0, 0, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, pixel);
    colourKey[0] = pixel[0];
    colourKey[1] = pixel[1];
    colourKey[2] = pixel[2];
}

namespace {

// The six faces: normal, then four corners of (s, t) and a vertex in units of the half size.
struct CubeFace {
    float normal[3];
    float corners[4][5];
};

const CubeFace kCubeFaces[6] = {
    {{0, 0, 1}, {{0, 0, -1, -1, 1}, {1, 0, 1, -1, 1}, {1, 1, 1, 1, 1}, {0, 1, -1, 1, 1}}},          // front
    {{0, 0, -1}, {{1, 0, -1, -1, -1}, {1, 1, -1, 1, -1}, {0, 1, 1, 1, -1}, {0, 0, 1, -1, -1}}},     // back
    {{0, 1, 0}, {{0, 1, -1, 1, -1}, {0, 0, -1, 1, 1}, {1, 0, 1, 1, 1}, {1, 1, 1, 1, -1}}},          // top
    {{0, -1, 0}, {{1, 1, -1, -1, -1}, {0, 1, 1, -1, -1}, {0, 0, 1, -1, 1}, {1, 0, -1, -1, 1}}},     // bottom
    {{1, 0, 0}, {{1, 0, 1, -1, -1}, {1, 1, 1, 1, -1}, {0, 1, 1, 1, 1}, {0, 0, 1, -1, 1}}},          // right
    {{-1, 0, 0}, {{0, 0, -1, -1, -1}, {1, 0, -1, -1, 1}, {1, 1, -1, 1, 1}, {0, 1, -1, 1, -1}}},     // left
};

void DrawCube(float h) {
    glBegin(GL_QUADS);
    for (const CubeFace& face : kCubeFaces) {
        glNormal3f(face.normal[0], face.normal[1], face.normal[2]);
        for (const float* corner : face.corners) {
            glTexCoord2f(corner[0], corner[1]);
            glVertex3f(corner[2] * h, corner[3] * h, corner[4] * h);
        }
    }
    glEnd();
}

// Sixteen readback pixels (48 bytes) onto sixteen screen pixels: each pixel that is not the key is
// built as one 32-bit word and chosen over the screen's word with a select, not a branch, so the
// cube's edges cost nothing extra.
void CompositeRun(const unsigned char* source, unsigned char* target, uint32_t key) {
    uint32_t pixels[16];
    memcpy(pixels, target, sizeof pixels);
    for (int k = 0; k < 16; ++k) {
        const unsigned char* rgb = source + 3 * k;
        const uint32_t p = OpaquePixelWord(rgb[0], rgb[1], rgb[2]);
        pixels[k] = p == key ? pixels[k] : p;
    }
    memcpy(target, pixels, sizeof pixels);
}

#if defined(__GNUC__) && defined(__SSE2__)
typedef uint64_t KeyLanes __attribute__((vector_size(16)));  // two 64-bit lanes, one SSE register
#else
struct KeyLanes {
    uint64_t lane[2];
};
inline KeyLanes operator^(KeyLanes a, KeyLanes b) { return {{a.lane[0] ^ b.lane[0], a.lane[1] ^ b.lane[1]}}; }
inline KeyLanes operator|(KeyLanes a, KeyLanes b) { return {{a.lane[0] | b.lane[0], a.lane[1] | b.lane[1]}}; }
#endif

inline KeyLanes LoadLanes(const unsigned char* p) {
    KeyLanes v;
    memcpy(&v, p, sizeof v);
    return v;
}

inline bool AnyBitSet(KeyLanes v) {
    uint64_t lanes[2];
    memcpy(lanes, &v, sizeof lanes);
    return (lanes[0] | lanes[1]) != 0;
}

}  // namespace

// Every rendered pixel that is not the clear colour replaces the screen's pixel, opaque. Runs every
// frame over all 76,800 pixels, most of them background: 32 pixels (96 readback bytes) at a time
// are first compared with the key sixteen bytes at a time, and a run that is all background leaves
// the screen as it is.
void CompositeReadback() {
    unsigned char keyBytes[48];  // sixteen key pixels: three 16-byte lanes, the pattern's period
    for (int k = 0; k < 48; ++k) keyBytes[k] = colourKey[k % 3];
    const KeyLanes key0 = LoadLanes(keyBytes), key1 = LoadLanes(keyBytes + 16), key2 = LoadLanes(keyBytes + 32);
    const uint32_t key = OpaquePixelWord(colourKey[0], colourKey[1], colourKey[2]);

    const unsigned char* source = readbackPixels;
    unsigned char* target = screenPixels;
    for (int i = 0; i < kScreenPixelCount; i += 32, source += 96, target += 128) {  // 76,800 = 32 * 2,400
        const KeyLanes first = (LoadLanes(source) ^ key0) | (LoadLanes(source + 16) ^ key1) |
                               (LoadLanes(source + 32) ^ key2);
        const KeyLanes second = (LoadLanes(source + 48) ^ key0) | (LoadLanes(source + 64) ^ key1) |
                                (LoadLanes(source + 80) ^ key2);
        if (!AnyBitSet(first | second)) continue;
        if (AnyBitSet(first)) CompositeRun(source, target, key);
        if (AnyBitSet(second)) CompositeRun(source + 48, target + 64, key);
    }
}

void DrawOverlayText() {
    sprintf(textBuffer, "http://www.dud.example");
    DrawLargeText(9, 30, 255, 255, 255);
    sprintf(textBuffer, "(C) 2026 THE DUD DEVELOPERS");
    DrawLargeText(9, 18, 255, 255, 255);
    sprintf(textBuffer, "OpenGL viewport scaning 320x240");
    DrawLargeText(9, 54, 255, 255, 255);
    sprintf(textBuffer, "Up,Down,Left,Right,Pgup,Pgdown,Lclick.");
    DrawLargeText(9, 42, 255, 255, 255);
    sprintf(textBuffer, "QUENDRIK04 (ESC CLOSE) (MOVE WITH M)");
    DrawLargeText(6, 239, 255, 255, 255);
    sprintf(textBuffer, "F1 320x240");
    DrawLargeText(6, 218, 255, 255, 255);
    sprintf(textBuffer, "F2 640x480");
    DrawLargeText(6, 206, 255, 255, 255);
    sprintf(textBuffer, "F3 960x720");
    DrawLargeText(6, 194, 255, 255, 255);
    sprintf(textBuffer, "F4 1280x960");
    DrawLargeText(6, 182, 255, 255, 255);
    sprintf(textBuffer, "F5 DSC3");
    DrawLargeText(6, 158, 255, 255, 255);
    sprintf(textBuffer, "F6 BRICKOLD2");
    DrawLargeText(6, 146, 255, 255, 255);
    sprintf(textBuffer, "F7 BRICKOLD4");
    DrawLargeText(6, 134, 255, 255, 255);
    sprintf(textBuffer, "F8 4");
    DrawLargeText(6, 122, 255, 255, 255);
    sprintf(textBuffer, "F9 BRICKOLD3");
    DrawLargeText(6, 110, 255, 255, 255);
}

int DrawFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    ++frameCounter;
    glLoadIdentity();
    glViewport(0, 0, kScreenWidth, kScreenHeight);

    // A held button makes the angles follow the pointer's position, not the distance dragged.
    if (IsKeyHeld(VK_LBUTTON) || IsKeyHeld(VK_MBUTTON) || IsKeyHeld(VK_RBUTTON)) {
        spinY = (float)(2 * mouseX + 120);
        spinX = (float)(2 * mouseY);
    }

    const float h = cubeHalfSize;
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, textureIds[textureChoice]);
    glColor3f(1.0f, 1.0f, 1.0f);
    glTranslatef(0.0f, 0.0f, -10.0f);
    glRotatef(spinX, 1.0f, 0.0f, 0.0f);
    glRotatef(spinY, 0.0f, -1.0f, 0.0f);
    DrawCube(h);
    glDisable(GL_TEXTURE_2D);
    spinY += spinSpeedY;
    spinX += spinSpeedX;
    glLoadIdentity();
    // The flush hands the clear and the cube to the driver's threads; the backdrop is copied
    // while they draw, not after, and nothing reads the screen before the composite.
    glFlush();
    memcpy(screenPixels, backdropPixels, kScreenPixelCount * 4);

    glReadPixels(0, 0, kScreenWidth, kScreenHeight, GL_RGB, GL_UNSIGNED_BYTE, readbackPixels);
    if (zoomFactor >= 1 && zoomFactor <= 4) glPixelZoom((float)zoomFactor, (float)zoomFactor);
    CompositeReadback();

    DrawOverlayText();
    glEnable(GL_TEXTURE_2D);
    DrawCursor();
    return 1;
}
