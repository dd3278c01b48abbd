#include "screen/lines.h"

#include <stdint.h>

#include "app/program_state.h"
#include "screen/screen_buffer.h"

namespace {

// One run of the stepping along its major axis: `delta` steps from `major`, each moving the major
// coordinate by `majorStep` and, when the error passes `delta`, the minor one by `minorStep`. The
// error starts at the minor delta, not at half the major one: minor steps come late in each run,
// and the line from B to A is not always the line from A to B.
//
// Only the steps whose major coordinate lies on the screen can put a pixel there, so the run starts
// at the first of them, in the state the stepping from the start would have reached (a closed form
// of the error), and stops after the last: a line between the ends of the int range costs no more
// than one across the screen. Products stay below 2^64 since both deltas are below 2^32.
void StepRun(int major, int minor, int majorStep, int minorStep, int64_t delta, int64_t minorDelta,
             int screenExtent, bool xMajor, unsigned char r, unsigned char g, unsigned char b) {
    int64_t first = 1, last = delta;  // steps 1 ... delta, each followed by a pixel
    const int64_t toNear = majorStep > 0 ? -(int64_t)major : (int64_t)major - (screenExtent - 1);
    const int64_t toFar = majorStep > 0 ? (int64_t)(screenExtent - 1) - major : (int64_t)major;
    if (toNear > first) first = toNear;
    if (toFar < last) last = toFar;
    if (first > last) return;

    // State after step first - 1: minor steps taken, and the error.
    const uint64_t added = (uint64_t)minorDelta * (uint64_t)first;  // the error's start plus first - 1 steps
    const uint64_t taken = minorDelta == 0 ? 0 : (added + (uint64_t)delta - 1) / (uint64_t)delta - 1;
    int64_t e = (int64_t)(added - taken * (uint64_t)delta);
    int64_t p = (int64_t)major + majorStep * (first - 1);
    int64_t q = (int64_t)minor + minorStep * (int64_t)taken;
    for (int64_t i = first; i <= last; i++) {
        e += minorDelta;
        if (e > delta) {
            e -= delta;
            q += minorStep;
        }
        p += majorStep;
        if (xMajor) {
            PutPixel((int)p, (int)q, r, g, b);
        } else {
            PutPixel((int)q, (int)p, r, g, b);
        }
    }
}

}  // namespace

void DrawLine(int x1, int y1, int x2, int y2, unsigned char r, unsigned char g, unsigned char b) {
    // Deltas and the error term in 64 bits: the ends may lie anywhere in the int range.
    int64_t dx = (int64_t)x2 - x1;
    int64_t dy = (int64_t)y2 - y1;
    const int sx = dx > 0 ? 1 : (dx < 0 ? -1 : 0);
    const int sy = dy > 0 ? 1 : (dy < 0 ? -1 : 0);
    if (dx < 0) dx = -dx;
    if (dy < 0) dy = -dy;

    PutPixel(x1, y1, r, g, b);
    if (dx > dy) {
        StepRun(x1, y1, sx, sy, dx, dy, kScreenWidth, true, r, g, b);
    } else if (dy > 0) {
        StepRun(y1, x1, sy, sx, dy, dx, kScreenHeight, false, r, g, b);
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
