#include "screen/lines.h"

#include <stdint.h>

#include "app/program_state.h"
#include "screen/screen_buffer.h"

void DrawLine(int x1, int y1, int x2, int y2, unsigned char r, unsigned char g, unsigned char b) {
    // Deltas and the error term in 64 bits: the ends may lie anywhere in the int range.
    int64_t dx = (int64_t)x2 - x1;
    int64_t dy = (int64_t)y2 - y1;
    const int sx = dx > 0 ? 1 : (dx < 0 ? -1 : 0);
    const int sy = dy > 0 ? 1 : (dy < 0 ? -1 : 0);
    if (dx < 0) dx = -dx;
    if (dy < 0) dy = -dy;

    int x = x1;
    int y = y1;
    PutPixel(x, y, r, g, b);
    // The error starts at the minor delta, not at half the major one: minor steps come late in
    // each run, and the line from B to A is not always the line from A to B.
    if (dx > dy) {
        int64_t e = dy;
        for (int64_t i = 0; i < dx; i++) {
            e += dy;
            if (e > dx) {
                e -= dx;
                y += sy;
            }
            x += sx;
            PutPixel(x, y, r, g, b);
        }
    } else {
        int64_t e = dx;
        for (int64_t i = 0; i < dy; i++) {
            e += dx;
            if (e > dy) {
                e -= dy;
                x += sx;
            }
            y += sy;
            PutPixel(x, y, r, g, b);
        }
    }
}

namespace {

// Positions this far out are off the screen, arms included, and leave room for the arms' +-5.
const int kMappedLimit = 100000;

// The offset u is taken as unsigned 32-bit (a cursor left of or below the window wraps to a huge
// value), scaled in single precision and truncated. Results beyond +-kMappedLimit, and a window
// of no size, give the limit instead of an out-of-range conversion or a division by zero.
int ScaleOffset(int64_t offset, int64_t divisor, float scale) {
    const uint32_t u = (uint32_t)offset;
    const int32_t d = (int32_t)(uint32_t)divisor;
    if (d == 0) return kMappedLimit;
    // Two statements: each assignment rounds to single precision, as the mapping requires.
    float value = (float)u / (float)d;
    value = value * scale;
    if (!(value < (float)kMappedLimit)) return kMappedLimit;  // also catches NaN
    if (value <= (float)-kMappedLimit) return -kMappedLimit;
    return (int)value;
}

// Both read afresh on every call, in desktop coordinates. A failed call leaves zeros.
void ReadCursorAndWindow(HWND window, POINT* cursor, RECT* rect) {
    cursor->x = cursor->y = 0;
    rect->left = rect->top = rect->right = rect->bottom = 0;
    GetCursorPos(cursor);
    GetWindowRect(window, rect);
}

}  // namespace

int MouseScreenX(HWND window) {
    POINT p;
    RECT w;
    ReadCursorAndWindow(window, &p, &w);
    return ScaleOffset((int64_t)p.x - w.left, (int64_t)w.right - w.left, 320.0f);
}

int MouseScreenY(HWND window) {
    POINT p;
    RECT w;
    ReadCursorAndWindow(window, &p, &w);
    return ScaleOffset((int64_t)w.bottom - p.y, (int64_t)w.bottom - w.top, 240.0f);
}

int MouseScreenXOffset(HWND window, int dx) {
    POINT p;
    RECT w;
    ReadCursorAndWindow(window, &p, &w);
    return ScaleOffset((int64_t)p.x - w.left + dx, (int64_t)w.right - w.left, 320.0f);
}

int MouseScreenYOffset(HWND window, int ignored, int dy) {
    (void)ignored;
    POINT p;
    RECT w;
    ReadCursorAndWindow(window, &p, &w);
    return ScaleOffset((int64_t)w.bottom - p.y, (int64_t)w.bottom - w.top + dy, 240.0f);
}

void DrawCursor() {
    const int cx = MouseScreenX(mainWindow);
    const int cy = MouseScreenY(mainWindow);
    DrawLine(cx, cy, cx + 5, cy, 255, 255, 255);  // right arm
    DrawLine(cx, cy, cx, cy + 5, 255, 255, 255);  // upper arm
    DrawLine(cx, cy, cx - 5, cy, 255, 255, 255);  // left arm
    DrawLine(cx, cy, cx, cy - 5, 255, 255, 255);  // lower arm
}
