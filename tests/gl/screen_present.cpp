// Presenting the software screen through OpenGL.
#include <gtest/gtest.h>

#include <string.h>

#include "app/program_state.h"
#include "screen/screen_buffer.h"
#include "tests/support/gl_context.h"

namespace {

class PresentTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpenTestGlWindow(1280, 960));
        if (!screenPixels) InitScreenBuffers();
    }
    void TearDown() override { CloseTestGlWindow(); }
};

TEST_F(PresentTest, LeavesBlendOffAndTexturingOnWhateverTheyWere) {
    for (int before = 0; before < 4; before++) {
        (before & 1) ? glEnable(GL_BLEND) : glDisable(GL_BLEND);
        (before & 2) ? glEnable(GL_TEXTURE_2D) : glDisable(GL_TEXTURE_2D);
        PresentScreen();
        EXPECT_FALSE(glIsEnabled(GL_BLEND)) << before;
        EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D)) << before;
    }
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST_F(PresentTest, ZoomedScreenFillsTheWindowFromTheBottomLeft) {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    // A screen whose colour tells each pixel's position.
    for (int y = 0; y < 240; y++) {
        for (int x = 0; x < 320; x++) {
            unsigned char* p = screenPixels + (y * 320 + x) * 4;
            p[0] = (unsigned char)x;
            p[1] = (unsigned char)y;
            p[2] = (unsigned char)(x >> 8);
            p[3] = 255;
        }
    }
    for (int zoom = 1; zoom <= 4; zoom++) {
        glViewport(0, 0, 320 * zoom, 240 * zoom);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
        glPixelZoom((float)zoom, (float)zoom);
        PresentScreen();
        const int w = 320 * zoom, h = 240 * zoom;
        std::vector<unsigned char> shown = ReadBackBufferRGBA(0, 0, w, h);
        ASSERT_EQ(shown.size(), (size_t)w * h * 4);
        for (int wy = 0; wy < h; wy += 7) {
            for (int wx = 0; wx < w; wx += 5) {
                const unsigned char* p = &shown[((size_t)wy * w + wx) * 4];
                const int x = wx / zoom, y = wy / zoom;
                ASSERT_EQ(p[0], x & 255) << "zoom " << zoom << " at " << wx << "," << wy;
                ASSERT_EQ(p[1], y);
                ASSERT_EQ(p[2], x >> 8);
            }
        }
        // The top-right window pixel shows the top-right screen pixel.
        const unsigned char* corner = &shown[((size_t)(h - 1) * w + (w - 1)) * 4];
        EXPECT_EQ(corner[0], 319 & 255);
        EXPECT_EQ(corner[1], 239);
    }
}

}  // namespace
