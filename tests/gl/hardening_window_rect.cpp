// Window rectangles at the ends of the int range, found by fuzzing the mouse mapping: MoveWindow
// takes any position and size, GetWindowRect's far edges are held to the LONG range instead of
// overflowing, and the mapping and the crosshair stay sound there.
#include <gtest/gtest.h>

#include <limits.h>
#include <stdlib.h>

#include "app/program_state.h"
#include "platform/platform_seams.h"
#include "screen/lines.h"

namespace {

LRESULT CALLBACK QuietProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(HardeningWindowRect, FarEdgesAreHeldToTheRangeAndTheMappingStaysOffTheScreen) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = QuietProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "HardeningRect";
    ASSERT_NE(RegisterClassA(&windowClass), 0);
    HWND window = CreateWindowExA(0, "HardeningRect", "DUD", WS_POPUP, 0, 0, 320, 240, nullptr, nullptr,
                                  windowClass.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    mainWindow = window;
    screenPixels = (unsigned char*)calloc(kScreenBufferBytes, 1);

    const struct {
        int x, y, width, height;
        LONG right, bottom;
    } cases[] = {
        {INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX},
        {INT_MAX - 100, 10, 320, 240, INT_MAX, 250},
        {INT_MIN, INT_MIN, INT_MAX, 5, -1, INT_MIN + 5},
        {-5, -5, 0, 0, -5, -5},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(testing::Message() << k.x << "," << k.y << " " << k.width << "x" << k.height);
        ASSERT_TRUE(MoveWindow(window, k.x, k.y, k.width, k.height, FALSE));
        RECT rect;
        ASSERT_TRUE(GetWindowRect(window, &rect));
        EXPECT_EQ(rect.left, k.x);
        EXPECT_EQ(rect.top, k.y);
        EXPECT_EQ(rect.right, k.right);
        EXPECT_EQ(rect.bottom, k.bottom);
        for (int cursor : {INT_MIN, -1, 0, 100, INT_MAX}) {
            SeamSetCursorPos(cursor, cursor);
            const int x = MouseScreenX(window), y = MouseScreenY(window);
            EXPECT_GE(x, -100000);
            EXPECT_LE(x, 100000);
            EXPECT_GE(y, -100000);
            EXPECT_LE(y, 100000);
            DrawCursor();
        }
    }
    free(screenPixels);
    screenPixels = nullptr;
    mainWindow = nullptr;
    DestroyWindow(window);
    UnregisterClassA("HardeningRect", GetModuleHandleA(nullptr));
    SeamReset();
}

}  // namespace
