// DrawLine with ends anywhere in the int range, and the mouse mapping with any cursor position and
// any window rectangle (set through MoveWindow on an offscreen window and the cursor seam), the
// crosshair included. Lines only ever colour screen pixels in their own colour; the mapping stays
// within its limits and puts a cursor inside the window onto the screen.
#include <limits.h>
#include <stdlib.h>
#include <string.h>

#include "app/program_state.h"
#include "fuzz/fuzz_support.h"
#include "platform/platform_seams.h"
#include "screen/lines.h"

namespace {

const size_t kScreenBytes = (size_t)kScreenPixelCount * 4;
const int kMappedLimit = 100000;
HWND window;

LRESULT CALLBACK QuietWindowProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(w, message, wParam, lParam);
}

int Coordinate(InputReader& in) {
    const uint8_t how = in.Byte();
    const int32_t raw = in.I32();
    switch (how % 4) {
        case 0: return raw;
        case 1: return INT_MAX - (raw & 0xFF);
        case 2: return INT_MIN + (raw & 0xFF);
        default: return (int)(raw % 2000) - 600;
    }
}

void CheckPixels(unsigned char r, unsigned char g, unsigned char b) {
    for (size_t i = 0; i < kScreenBytes; i += 4) {
        const unsigned char* p = screenPixels + i;
        if (p[0] == 0x11 && p[1] == 0x11 && p[2] == 0x11 && p[3] == 0x11) continue;
        if (p[0] != r || p[1] != g || p[2] != b || p[3] != 255) abort();
    }
    for (size_t i = kScreenBytes; i < kScreenBytes + 4096; i++) {
        if (screenPixels[i] != 0x11) abort();
    }
}

// The stepping taken one pixel at a time from the start, for lines short enough to walk: what
// DrawLine must have drawn.
void CheckAgainstStepping(int x1, int y1, int x2, int y2, unsigned char r) {
    int64_t dx = (int64_t)x2 - x1, dy = (int64_t)y2 - y1;
    const int sx = dx > 0 ? 1 : (dx < 0 ? -1 : 0), sy = dy > 0 ? 1 : (dy < 0 ? -1 : 0);
    if (dx < 0) dx = -dx;
    if (dy < 0) dy = -dy;
    if (dx > 200000 || dy > 200000) return;
    static unsigned char expected[kScreenPixelCount];
    memset(expected, 0, sizeof expected);
    int64_t x = x1, y = y1;
    const bool xMajor = dx > dy;
    const int64_t major = xMajor ? dx : dy, minor = xMajor ? dy : dx;
    int64_t e = minor;
    for (int64_t i = 0;; i++) {
        if (x >= 0 && x < kScreenWidth && y >= 0 && y < kScreenHeight) expected[y * kScreenWidth + x] = 1;
        if (i == major) break;
        e += minor;
        if (e > major) {
            e -= major;
            if (xMajor) y += sy; else x += sx;
        }
        if (xMajor) x += sx; else y += sy;
    }
    for (int i = 0; i < kScreenPixelCount; i++) {
        const bool drawn = screenPixels[i * 4 + 3] == 255 && screenPixels[i * 4] == r;
        if (drawn != (expected[i] == 1)) abort();
    }
}

void CheckMapped(int value) {
    if (value < -kMappedLimit || value > kMappedLimit) abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    AllocateStartupBuffers();
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = QuietWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "fuzz";
    if (!RegisterClassA(&windowClass)) abort();
    window = CreateWindowExA(0, "fuzz", "fuzz", WS_POPUP, 0, 0, 320, 240, nullptr, nullptr,
                             windowClass.hInstance, nullptr);
    if (!window) abort();
    mainWindow = window;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    InputReader in{data, size};
    memset(screenPixels, 0x11, kScreenBytes + 4096);
    if (in.Byte() & 1) {
        const int x1 = Coordinate(in), y1 = Coordinate(in), x2 = Coordinate(in), y2 = Coordinate(in);
        const unsigned char r = in.Byte(), g = in.Byte(), b = in.Byte();
        DrawLine(x1, y1, x2, y2, r, g, b);
        CheckPixels(r, g, b);
        if (r != 0x11) CheckAgainstStepping(x1, y1, x2, y2, r);
        return 0;
    }

    const int left = Coordinate(in), top = Coordinate(in), width = Coordinate(in), height = Coordinate(in);
    const int cx = Coordinate(in), cy = Coordinate(in);
    const int dx = Coordinate(in), dy = Coordinate(in);
    MoveWindow(window, left, top, width, height, FALSE);
    SeamSetCursorPos(cx, cy);
    RECT rect = {};
    if (!GetWindowRect(window, &rect)) abort();

    const int mx = MouseScreenX(window), my = MouseScreenY(window);
    CheckMapped(mx);
    CheckMapped(my);
    CheckMapped(MouseScreenXOffset(window, dx));
    CheckMapped(MouseScreenYOffset(window, 0, dy));
    // A cursor inside the window lies on the screen. The mapping is single precision: for windows
    // wider than 2^24 pixels the last columns may round up to 320 (and rows to 240), one past the
    // edge; for any window a display can have, the quotient stays below 1.
    const long long ox = (long long)cx - rect.left, oy = (long long)rect.bottom - cy;
    const long long w = (long long)rect.right - rect.left, h = (long long)rect.bottom - rect.top;
    if (ox >= 0 && ox < w && (mx < 0 || mx > (w > (1 << 24) ? 320 : 319))) abort();
    if (oy > 0 && oy <= h && (my < 0 || my > 240)) abort();

    DrawCursor();
    CheckPixels(255, 255, 255);
    return 0;
}
