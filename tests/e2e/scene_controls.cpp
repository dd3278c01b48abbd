// The cube in the real program on a real X server: the texture keys, the mouse drag, the spin and
// size keys, the crosshair and M, seen through what the window shows.
#include <gtest/gtest.h>

#include <X11/keysym.h>
#include <string.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/program_state.h"
#include "app/random.h"
#include "scene/texture_images.h"
#include "screen/screen_buffer.h"
#include "tests/support/window_screen.h"
#include "tests/support/xserver.h"
#include "world/voxel_maps.h"

namespace {

const int kServerWidth = 1600, kServerHeight = 1200;
const int kZoom = 3;  // the start-up zoom


// The texels of each texture file, as 0xRRGGBB.
const std::vector<std::set<uint32_t>>& TextureColours() {
    static std::vector<std::set<uint32_t>> colours;
    if (colours.empty()) {
        static TextureImage table[kTextureImageSlots] = {};
        textureImages = table;
        const char* const names[kTextureCount] = {"dsc3", "brickold2", "brickold", "4", "brickold3"};
        for (int k = 0; k < kTextureCount; ++k) {
            std::string path = std::string(DUD_SOURCE_DIR) + "/bmp_cube/" + names[k] + ".bmp";
            std::set<uint32_t> set;
            if (LoadBitmapImage(path.c_str(), k)) {
                const unsigned char* p = table[k].pixels;
                for (int i = 0; i < table[k].width * table[k].height; ++i, p += 3)
                    set.insert((uint32_t)p[0] << 16 | p[1] << 8 | p[2]);
            }
            colours.push_back(set);
        }
    }
    return colours;
}

// 320 x 240 screen pixels, 3 bytes each, rows bottom-up, taken from the zoomed window.
typedef std::vector<unsigned char> Screen;

class SceneTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!server.available()) GTEST_SKIP() << server.error();
        server.MovePointer(5, 5);  // the crosshair off the window
        dud.reset(new DudProcess(server));
        window = dud->WaitForWindow(server, 320 * kZoom, 240 * kZoom);
        ASSERT_NE(window, 0u) << "no window";
        ASSERT_TRUE(server.WindowRect(window, &rect));
        SleepSeconds(0.3);
    }
    void TearDown() override {
        if (!dud) return;
        server.HoldKeyUntil(XK_Escape, [&] { return !dud->running(); });
        EXPECT_EQ(dud->Wait(10), 0);
    }

    Screen Capture() {
        std::vector<unsigned char> shown = server.Capture(rect);
        Screen screen(kScreenPixelCount * 3, 0);
        if (shown.size() != (size_t)kScreenPixelCount * kZoom * kZoom * 3) return screen;
        for (int y = 0; y < kScreenHeight; ++y)
            for (int x = 0; x < kScreenWidth; ++x)
                memcpy(&screen[(y * kScreenWidth + x) * 3],
                       &shown[(((size_t)(239 - y) * kZoom) * kScreenWidth * kZoom + x * kZoom) * 3], 3);
        return screen;
    }
    // Waits for two equal captures in a row: the cube has stopped moving (or never moved).
    Screen SettledCapture() {
        Screen last = Capture();
        for (int i = 0; i < 40; ++i) {
            SleepSeconds(0.1);
            Screen now = Capture();
            if (now == last) return now;
            last = now;
        }
        return last;
    }
    // Moves the pointer to a client position of the window.
    void PointAt(int clientX, int clientY) { server.MovePointer(rect.x + clientX, rect.y + clientY); }

    XServer server{kServerWidth, kServerHeight};
    std::unique_ptr<DudProcess> dud;
    Window window = 0;
    ScreenRect rect = {};
};

const unsigned char* At(const Screen& s, int x, int y) { return &s[(y * kScreenWidth + x) * 3]; }

bool IsBackdrop(const Screen& s, int x, int y) {
    return memcmp(At(s, x, y), &ExpectedBackdropRGB()[(y * kScreenWidth + x) * 3], 3) == 0;
}

// Columns of row 120 right of the help text that the cube covers.
int CubeWidth(const Screen& s) {
    int covered = 0;
    for (int x = 40; x < kScreenWidth - 1; ++x) covered += !IsBackdrop(s, x, 120);
    return covered;
}

// The share of the screen's central 21 x 21 pixels whose colour is a texel of texture k.
double ShareOfTexture(const Screen& s, int k) {
    int in = 0, all = 0;
    for (int y = 110; y <= 130; ++y) {
        for (int x = 150; x <= 170; ++x, ++all) {
            const unsigned char* p = At(s, x, y);
            in += TextureColours()[k].count((uint32_t)p[0] << 16 | p[1] << 8 | p[2]);
        }
    }
    return (double)in / all;
}

// The cube region, clear of the help text and of the crosshair positions used below.
bool SameCube(const Screen& a, const Screen& b) {
    for (int y = 30; y < 210; ++y)
        if (memcmp(At(a, 112, y), At(b, 112, y), 96 * 3) != 0) return false;
    return true;
}

TEST_F(SceneTest, TheTextureKeysChooseTheCubesPicture) {
    ASSERT_EQ(TextureColours().size(), (size_t)kTextureCount);
    // At start-up F6's picture is on the cube.
    EXPECT_GT(ShareOfTexture(SettledCapture(), 1), 0.95);
    const unsigned long keys[kTextureCount] = {XK_F5, XK_F6, XK_F7, XK_F8, XK_F9};
    for (int k : {0, 2, 4, 3, 1, 0}) {
        SCOPED_TRACE(k);
        Screen s;
        server.HoldKeyUntil(keys[k], [&] { return ShareOfTexture(s = Capture(), k) >= 0.95; }, 2);
        EXPECT_GT(ShareOfTexture(s, k), 0.95);
        for (int j = 0; j < kTextureCount; ++j) {
            if (j == k) continue;
            EXPECT_LT(ShareOfTexture(s, j), 0.2) << "texture " << j;
        }
    }
}

// A held button turns the cube to angles set by the pointer's position, not by how far it moved;
// all three buttons do the same, and the cube keeps the angle when the button is let go.
TEST_F(SceneTest, DraggingTurnsTheCubeToThePointersPosition) {
    const Screen rest = SettledCapture();
    PointAt(15, 15);
    server.PressButton(1);
    const Screen held = SettledCapture();
    EXPECT_FALSE(SameCube(held, rest)) << "the left button did not turn the cube";
    server.ReleaseButton(1);
    SleepSeconds(0.3);
    EXPECT_EQ(SettledCapture(), held) << "the cube moved after the button was let go";

    PointAt(900, 690);
    SleepSeconds(0.3);
    EXPECT_TRUE(SameCube(SettledCapture(), held)) << "moving without a button turned the cube";

    for (unsigned int button : {3u, 2u}) {
        SCOPED_TRACE(button);
        server.PressButton(button);
        const Screen elsewhere = SettledCapture();
        EXPECT_FALSE(SameCube(elsewhere, held));
        PointAt(15, 15);
        EXPECT_TRUE(SameCube(SettledCapture(), held));
        server.ReleaseButton(button);
        PointAt(900, 690);
        SleepSeconds(0.2);
    }
}

// The crosshair sits on the screen pixel under the pointer, over the cube.
TEST_F(SceneTest, TheCrosshairFollowsThePointer) {
    PointAt(160 * kZoom + 1, (239 - 120) * kZoom + 1);  // screen pixel (160, 120), the cube's middle
    Screen s = SettledCapture();
    const unsigned char white[3] = {255, 255, 255};
    int arms = 0;
    for (int d = -5; d <= 5; ++d)
        arms += (memcmp(At(s, 160 + d, 120), white, 3) == 0) + (memcmp(At(s, 160, 120 + d), white, 3) == 0);
    EXPECT_GE(arms, 20);
    EXPECT_NE(memcmp(At(s, 163, 123), white, 3), 0);
}

// The arrow keys set the cube spinning; Page Up makes it larger, Page Down not below its start.
TEST_F(SceneTest, ArrowAndPageKeysSpinAndSizeTheCube) {
    const Screen start = SettledCapture();
    const int startWidth = CubeWidth(start);
    EXPECT_GT(startWidth, 40);

    server.PressKey(XK_Next);
    SleepSeconds(0.35);
    server.ReleaseKey(XK_Next);
    EXPECT_EQ(CubeWidth(SettledCapture()), startWidth) << "the cube shrank below its smallest size";

    server.PressKey(XK_Prior);
    SleepSeconds(0.5);
    server.ReleaseKey(XK_Prior);
    const Screen larger = SettledCapture();
    EXPECT_GT(CubeWidth(larger), startWidth + 10);

    server.PressKey(XK_Left);
    SleepSeconds(0.15);
    server.ReleaseKey(XK_Left);
    SleepSeconds(0.2);
    const Screen a = Capture();
    SleepSeconds(0.2);
    EXPECT_FALSE(SameCube(a, Capture())) << "the cube does not spin";
}

TEST_F(SceneTest, MMovesTheWindowToThePointer) {
    server.MovePointer(100, 150);
    SleepSeconds(0.2);
    ScreenRect moved = {};
    server.HoldKeyUntil(XK_m, [&] { return server.WindowRect(window, &moved) && moved.x == 100; }, 2);
    EXPECT_EQ(moved.x, 100);
    EXPECT_EQ(moved.y, 150);
    EXPECT_EQ(moved.width, 960);
    EXPECT_EQ(moved.height, 720);
}

}  // namespace
