// Mapping the cursor over the display window to screen coordinates, and the crosshair drawn
// there: real windows of the platform layer, the cursor set through its seam.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <set>
#include <utility>

#include "app/program_state.h"
#include "platform/platform_seams.h"
#include "platform/win32.h"
#include "screen/lines.h"

namespace {

typedef std::set<std::pair<int, int>> PixelSet;

const char* const kClassName = "DudMouseMappingTest";
const int kLeft = 100;
const int kTop = 50;

LRESULT CALLBACK TestProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

class MouseMappingTest : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = TestProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = kClassName;
        ASSERT_NE(RegisterClassA(&windowClass), 0);
        window = CreateWindowExA(0, kClassName, "DUD", WS_POPUP, kLeft, kTop, 320, 240, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        mainWindow = window;
        screenPixels = (unsigned char*)calloc(kScreenBufferBytes, 1);
        ASSERT_NE(screenPixels, nullptr);
    }
    void TearDown() override {
        free(screenPixels);
        screenPixels = nullptr;
        mainWindow = nullptr;
        if (window) DestroyWindow(window);
        UnregisterClassA(kClassName, GetModuleHandleA(nullptr));
        SeamReset();
    }
    // The window at zoom z, at (kLeft, kTop).
    void Zoom(int z) { ASSERT_TRUE(MoveWindow(window, kLeft, kTop, 320 * z, 240 * z, FALSE)); }
    // The cursor `right` pixels right of the window's left edge and `up` above its bottom edge
    // (up = 1 is the window's lowest row).
    void Cursor(int right, int up) {
        RECT rect;
        ASSERT_TRUE(GetWindowRect(window, &rect));
        SeamSetCursorPos(rect.left + right, rect.bottom - up);
    }
    PixelSet Drawn() {
        PixelSet set;
        for (int y = 0; y < kScreenHeight; y++)
            for (int x = 0; x < kScreenWidth; x++) {
                const unsigned char* p = screenPixels + (y * kScreenWidth + x) * 4;
                if (p[3] == 0) continue;
                EXPECT_TRUE(p[0] == 255 && p[1] == 255 && p[2] == 255) << x << "," << y;
                set.insert({x, y});
            }
        return set;
    }
    HWND window = nullptr;
};

// The plus sign around (cx, cy), kept to the screen.
PixelSet Crosshair(int cx, int cy) {
    PixelSet set;
    for (int d = -5; d <= 5; d++) {
        for (const auto& p : {std::make_pair(cx + d, cy), std::make_pair(cx, cy + d)})
            if (p.first >= 0 && p.first < kScreenWidth && p.second >= 0 && p.second < kScreenHeight)
                set.insert(p);
    }
    return set;
}

TEST_F(MouseMappingTest, ZoomThreeCentreAndTheOffsetRoutines) {
    Zoom(3);
    Cursor(480, 360);
    EXPECT_EQ(MouseScreenX(window), 160);
    EXPECT_EQ(MouseScreenY(window), 120);
    EXPECT_EQ(MouseScreenXOffset(window, 30), 170);
    EXPECT_EQ(MouseScreenYOffset(window, 12345, 240), 90);  // the second argument is ignored
    DrawCursor();
    EXPECT_EQ(Drawn(), Crosshair(160, 120));
    EXPECT_EQ(Drawn().size(), 21u);
}

TEST_F(MouseMappingTest, SinglePrecisionAtEveryOffsetAndZoom) {
    // x is the offset / zoom rounded down everywhere; y too, except at the four offsets where the
    // single-precision quotient falls just short.
    for (int z = 1; z <= 4; z++) {
        SCOPED_TRACE("zoom " + std::to_string(z));
        Zoom(z);
        for (int right = 0; right < 320 * z; right += 1 + (z - 1) * 7) {
            Cursor(right, 1);
            ASSERT_EQ(MouseScreenX(window), right / z) << right;
        }
        for (int up = 1; up <= 240 * z; up++) {
            Cursor(0, up);
            int expected = up / z;
            if (up == 63 * z || up == 125 * z || up == 126 * z || up == 127 * z) expected--;
            ASSERT_EQ(MouseScreenY(window), expected) << up;
        }
    }
    Zoom(1);
    Cursor(0, 63);
    EXPECT_EQ(MouseScreenY(window), 62);
}

TEST_F(MouseMappingTest, BottomLeftPixelAtZoomOne) {
    Zoom(1);
    Cursor(0, 1);
    EXPECT_EQ(MouseScreenX(window), 0);
    EXPECT_EQ(MouseScreenY(window), 1);
    DrawCursor();
    PixelSet expected;
    for (int y = 0; y <= 6; y++) expected.insert({0, y});
    for (int x = 1; x <= 5; x++) expected.insert({x, 1});
    EXPECT_EQ(Drawn(), expected);
}

TEST_F(MouseMappingTest, CursorJustAboveTheWindowShowsPartOfTheLowerArm) {
    Zoom(1);
    for (int up = 241; up <= 245; up++) {
        SCOPED_TRACE(up);
        memset(screenPixels, 0, kScreenBufferBytes);
        Cursor(100, up);
        const int y = MouseScreenY(window);
        EXPECT_TRUE(y >= 240 && y <= 245) << y;
        DrawCursor();
        EXPECT_EQ(Drawn(), Crosshair(100, y));
    }
}

// Left of or below the window the unsigned offset is huge: the result stays far off the screen
// (clamped so that it and the arms fit an int), and no crosshair pixel is drawn.
TEST_F(MouseMappingTest, CursorLeftOfOrBelowTheWindowDrawsNoCrosshair) {
    const struct {
        int right, up;
    } positions[] = {{-1, 100}, {-1000, 100}, {100, -1}, {100, -500}, {-1, -1}, {-3000000, -3000000}};
    for (int z = 1; z <= 4; z++) {
        Zoom(z);
        for (const auto& at : positions) {
            SCOPED_TRACE("zoom " + std::to_string(z) + " at " + std::to_string(at.right) + "," +
                         std::to_string(at.up));
            Cursor(at.right, at.up);
            if (at.right < 0) {
                EXPECT_GE(MouseScreenX(window), 320 + 5);
                EXPECT_LE(MouseScreenX(window), 100000);
                EXPECT_LE(MouseScreenXOffset(window, 0), 100000);
            }
            if (at.up < 0) {
                EXPECT_GE(MouseScreenY(window), 240 + 5);
                EXPECT_LE(MouseScreenY(window), 100000);
                EXPECT_LE(MouseScreenYOffset(window, 0, 0), 100000);
            }
            memset(screenPixels, 0, kScreenBufferBytes);
            DrawCursor();
            EXPECT_TRUE(Drawn().empty());
        }
    }
}

// A window of no size, or an offset that cancels the divisor, divides by nothing: the result is
// the off-screen limit.
TEST_F(MouseMappingTest, ZeroDivisorGivesAnOffScreenPosition) {
    Zoom(1);
    Cursor(10, 10);
    EXPECT_EQ(MouseScreenYOffset(window, 0, -240), 100000);
    ASSERT_TRUE(MoveWindow(window, kLeft, kTop, 0, 0, FALSE));
    SeamSetCursorPos(kLeft, kTop);
    EXPECT_EQ(MouseScreenX(window), 100000);
    EXPECT_EQ(MouseScreenY(window), 100000);
    DrawCursor();
    EXPECT_TRUE(Drawn().empty());
}

}  // namespace
