// The real program on a real X server, driven by real input events.
#include <gtest/gtest.h>

#include <X11/keysym.h>
#include <string.h>

#include <vector>

#include "tests/support/window_screen.h"
#include "tests/support/xserver.h"

namespace {

const int kServerWidth = 1600, kServerHeight = 1200;

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!server.available()) GTEST_SKIP() << server.error();
        server.MovePointer(5, 5);  // keep the crosshair away from the window
    }
    XServer server{kServerWidth, kServerHeight};

    // Waits until the window shows the backdrop's frame and bottom rows (which nothing covers).
    void ExpectBackdropShown(Window window, int zoom) {
        const std::vector<unsigned char>& expected = ExpectedBackdropRGB();
        std::vector<unsigned char> screen;
        std::string why;
        bool ok = false;
        for (int attempt = 0; attempt < 100 && !ok; attempt++) {
            if (attempt) SleepSeconds(0.05);
            if (!ReadWindowScreen(server, window, zoom, &screen, &why)) continue;
            ok = true;
            for (int y = 0; y < 240 && ok; y++) {
                for (int x = 0; x < 320 && ok; x++) {
                    if (!BackdropOnly(x, y)) continue;
                    const unsigned char* e = &expected[(y * 320 + x) * 3];
                    const unsigned char* s = &screen[(y * 320 + x) * 3];
                    if (memcmp(e, s, 3) != 0) {
                        why = "screen pixel " + std::to_string(x) + "," + std::to_string(y) + " differs";
                        ok = false;
                    }
                }
            }
        }
        EXPECT_TRUE(ok) << "zoom " << zoom << ": " << why;
    }
};

TEST_F(ProgramTest, OpensCentredAtZoomThreeAndFollowsTheZoomKeys) {
    DudProcess dud(server);
    Window window = dud.WaitForWindow(server, 960, 720);
    ASSERT_NE(window, 0u) << "no 960 x 720 window";
    ScreenRect rect;
    ASSERT_TRUE(server.WindowRect(window, &rect));
    EXPECT_EQ(rect.x, kServerWidth / 2 - 480);
    EXPECT_EQ(rect.y, kServerHeight / 2 - 360);
    ExpectBackdropShown(window, 3);

    const struct {
        unsigned long key;
        int zoom;
    } steps[] = {{XK_F1, 1}, {XK_F2, 2}, {XK_F4, 4}, {XK_F1, 1}, {XK_F3, 3}};
    for (const auto& step : steps) {
        // The same zoom twice in a row shows no change to wait for: the first key's window goes.
        const Window old = window;
        server.HoldKeyUntil(step.key, [&] {
            window = dud.WaitForWindow(server, 320 * step.zoom, 240 * step.zoom, 0.05);
            return window != 0 && window != old;
        });
        ASSERT_NE(window, 0u) << "zoom " << step.zoom;
        ASSERT_TRUE(server.WindowRect(window, &rect));
        EXPECT_EQ(rect.x, kServerWidth / 2 - 160 * step.zoom);
        EXPECT_EQ(rect.y, kServerHeight / 2 - 120 * step.zoom);
        ExpectBackdropShown(window, step.zoom);
    }
    EXPECT_TRUE(server.HoldKeyUntil(XK_Escape, [&] { return !dud.running(); }));
    EXPECT_EQ(dud.Wait(10), 0);
    EXPECT_EQ(server.FindWindow("DUD"), 0u);
}

TEST_F(ProgramTest, AltF4EndsWithZero) {
    DudProcess dud(server);
    ASSERT_NE(dud.WaitForWindow(server, 960, 720), 0u);
    server.PressKey(XK_Alt_L);
    server.HoldKeyUntil(XK_F4, [&] { return !dud.running(); });
    server.ReleaseKey(XK_Alt_L);
    EXPECT_EQ(dud.Wait(10), 0);
}

TEST_F(ProgramTest, EscapeEndsWithZeroFromAnyFolder) {
    // With no texture folder the program still runs; nothing is created in the folder.
    char folder[] = "/tmp/dud-e2e-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    DudProcess dud(server, folder);
    ASSERT_NE(dud.WaitForWindow(server, 960, 720), 0u);
    EXPECT_TRUE(server.HoldKeyUntil(XK_Escape, [&] { return !dud.running(); }));
    EXPECT_EQ(dud.Wait(10), 0);
    EXPECT_EQ(rmdir(folder), 0) << "the program left something in " << folder;
}

}  // namespace
