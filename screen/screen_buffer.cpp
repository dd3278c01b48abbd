#include "screen/screen_buffer.h"

#include <stdlib.h>
#include <string.h>

#include "app/program_state.h"
#include "app/random.h"

namespace {

// A green line sets only the G byte: the noise pass left R and B at 0, so it turns pure green.
void GreenRow(int y, int x0, int x1) {
    for (int x = x0; x <= x1; x++) backdropPixels[(y * kScreenWidth + x) * 4 + 1] = 255;
}

void GreenColumn(int x, int y0, int y1) {
    for (int y = y0; y <= y1; y++) backdropPixels[(y * kScreenWidth + x) * 4 + 1] = 255;
}

}  // namespace

void PaintBackdrop() {
    // Noise over the whole allocation (the largest window's worth of pixels), one draw a pixel, in
    // address order: the used area's pixel k gets the k-th value of this pass. Four neighbouring
    // pixels are worked side by side, each position of the sequence leaping over the other three.
    const int pixels = kScreenBufferBytes / 4;  // a multiple of 4
    const RandomLeap byFour = RandomLeapOf(4);
    uint32_t state[4];
    state[0] = Leap(randomState, RandomLeapOf(1));
    for (int k = 1; k < 4; k++) state[k] = Leap(state[k - 1], RandomLeapOf(1));
    uint32_t last = randomState;
    unsigned char* p = backdropPixels;
    for (int i = 0; i < pixels; i += 4, p += 16) {
        uint32_t words[4];
        for (int k = 0; k < 4; k++) words[k] = OpaquePixelWord(0, (uint32_t)(RandomValueOf(state[k]) % 256), 0);
        memcpy(p, words, sizeof words);
        last = state[3];
        for (int k = 0; k < 4; k++) state[k] = Leap(state[k], byFour);
    }
    randomState = last;  // where the sequence stands after the pass's last draw

    GreenRow(0, 0, kScreenWidth - 1);  // bottom frame line

    // Title band, rows 238 down to 228, inside the side frame lines.
    for (int y = 228; y <= 238; y++) {
        for (int x = 1; x <= kScreenWidth - 2; x++) {
            unsigned char* q = backdropPixels + (y * kScreenWidth + x) * 4;
            q[0] = 0;
            q[1] = 0;
            q[2] = 255;
        }
    }

    GreenRow(227, 0, kScreenWidth - 1);  // lower edge of the band
    GreenRow(239, 0, kScreenWidth - 1);  // top frame line
    GreenColumn(0, 0, kScreenHeight - 1);
    GreenColumn(kScreenWidth - 1, 0, kScreenHeight - 1);
}

void InitScreenBuffers() {
    screenPixels = (unsigned char*)malloc(kScreenBufferBytes);
    readbackPixels = (unsigned char*)malloc(kScreenBufferBytes);
    backdropPixels = (unsigned char*)malloc(kScreenBufferBytes);
    if (!screenPixels || !readbackPixels || !backdropPixels) abort();  // nothing can run without them
    PaintBackdrop();
}

void PutPixel(int x, int y, unsigned char r, unsigned char g, unsigned char b) {
    if (x < 0 || y < 0 || x >= kScreenWidth || y >= kScreenHeight) return;
    unsigned char* p = screenPixels + (y * kScreenWidth + x) * 4;
    p[0] = r;
    p[1] = g;
    p[2] = b;
    p[3] = 255;
}

void PresentScreen() {
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glDrawPixels(kScreenWidth, kScreenHeight, GL_RGBA, GL_UNSIGNED_BYTE, screenPixels);
    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
}
