#include "tests/support/window_screen.h"

#include <string.h>

#include "app/program_state.h"
#include "app/random.h"
#include "screen/screen_buffer.h"
#include "world/voxel_maps.h"

const std::vector<unsigned char>& ExpectedBackdropRGB() {
    static std::vector<unsigned char> rgb;
    if (rgb.empty()) {
        randomState = 1;
        BuildDungeon();
        InitScreenBuffers();
        rgb.resize(kScreenPixelCount * 3);
        for (int i = 0; i < kScreenPixelCount; i++) memcpy(&rgb[i * 3], &backdropPixels[i * 4], 3);
    }
    return rgb;
}

bool BackdropOnly(int x, int y) {
    return x == 0 || x == 319 || y == 0 || y == 239 || y == 227 || y <= 5 || (y > 227 && y < 239 && x > 300);
}

bool ReadWindowScreen(XServer& server, Window window, int zoom, std::vector<unsigned char>* screen, std::string* why) {
    ScreenRect rect;
    if (!server.WindowRect(window, &rect)) return *why = "no window", false;
    std::vector<unsigned char> shown = server.Capture(rect);
    if (shown.size() != (size_t)320 * zoom * 240 * zoom * 3) return *why = "wrong size", false;
    screen->assign(320 * 240 * 3, 0);
    const int w = 320 * zoom;
    for (int wy = 0; wy < 240 * zoom; wy++) {
        for (int wx = 0; wx < w; wx++) {
            const unsigned char* p = &shown[((size_t)wy * w + wx) * 3];
            const int x = wx / zoom, y = 239 - wy / zoom;
            unsigned char* s = &(*screen)[(y * 320 + x) * 3];
            if (wx % zoom == 0 && wy % zoom == 0) {
                memcpy(s, p, 3);
            } else if (memcmp(s, p, 3) != 0) {
                *why = "block of screen pixel " + std::to_string(x) + "," + std::to_string(y) + " is not uniform";
                return false;
            }
        }
    }
    return true;
}
