// Composing a frame on the real display window's context: the colour key, the backdrop around the
// cube, the overlay lines, the crosshair, the drag, the spin order, the counter and the pixel zoom.
#include <gtest/gtest.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "app/display_window.h"
#include "app/program_state.h"
#include "platform/platform_seams.h"
#include "scene/frame.h"
#include "scene/texture_images.h"
#include "screen/screen_buffer.h"

namespace {

const unsigned char kBackdropAlpha = 77;  // marks the backdrop's pixels in the finished screen

TextureImage table[kTextureImageSlots];
std::vector<unsigned char> blocks[kTextureCount];

void PutImage(int slot, int width, int height, const std::vector<unsigned char>& rgb) {
    blocks[slot] = rgb;
    table[slot] = TextureImage{blocks[slot].data(), width, height, 3};
}

void PutSolid(int slot, unsigned char r, unsigned char g, unsigned char b) { PutImage(slot, 1, 1, {r, g, b}); }

const unsigned char* Readback(int x, int y) { return readbackPixels + 3 * (y * kScreenWidth + x); }
const unsigned char* Screen(int x, int y) { return screenPixels + 4 * (y * kScreenWidth + x); }
const unsigned char* Backdrop(int x, int y) { return backdropPixels + 4 * (y * kScreenWidth + x); }

bool IsKey(const unsigned char* rgb) { return memcmp(rgb, colourKey, 3) == 0; }
bool IsWhite(const unsigned char* rgba) { return rgba[0] == 255 && rgba[1] == 255 && rgba[2] == 255 && rgba[3] == 255; }

// Columns of the middle row that the cube covers.
int CubeWidthAtRow(int y) {
    int covered = 0;
    for (int x = 0; x < kScreenWidth; ++x) covered += !IsKey(Readback(x, y));
    return covered;
}

class FrameCompose : public ::testing::Test {
protected:
    void SetUp() override {
        SeamReset();
        SeamSetScreenSize(1600, 1200);
        SeamSetCursorPos(-5000, -5000);  // the crosshair off the screen unless a test moves it
        for (TextureImage& image : table) image = TextureImage{nullptr, 0, 0, 0};
        textureImages = table;
        for (int k = 0; k < kTextureCount; ++k) PutSolid(k, (unsigned char)(20 + 40 * k), 90, 140);
        zoomFactor = 1;
        ASSERT_TRUE(OpenDisplayWindow("DUD", 320, 240, 16, false));
        if (!screenPixels) InitScreenBuffers();
        for (int i = 0; i < kScreenPixelCount; ++i) backdropPixels[4 * i + 3] = kBackdropAlpha;
        spinX = spinY = spinSpeedX = spinSpeedY = 0;
        cubeHalfSize = 1.0f;
        textureChoice = 0;
        mouseX = mouseY = 0;
    }
    void TearDown() override {
        CloseDisplayWindow();
        SeamReset();
    }
};

// The key is the clear colour as this context reads it back; llvmpipe rounds 0.9 * 255 up.
TEST_F(FrameCompose, TheColourKeyIsTheClearColourAsItReadsBack) {
    EXPECT_EQ(colourKey[0], 255);
    EXPECT_EQ(colourKey[1], 0);
    EXPECT_TRUE(colourKey[2] == 229 || colourKey[2] == 230) << (int)colourKey[2];
    DrawFrame();
    EXPECT_TRUE(IsKey(Readback(0, 0))) << "the corner of the viewport is not background";
    EXPECT_TRUE(IsKey(Readback(319, 239)));
}

// A cube face of four texels: the key itself and its three nearest neighbours. Only the key is
// background; everything copied is opaque; everything else is the backdrop, alpha and all.
TEST_F(FrameCompose, TheCompositeCopiesAllButTheKeyExactly) {
    const unsigned char r = colourKey[0], g = colourKey[1], b = colourKey[2];
    PutImage(2, 2, 2, {r, g, b, r, g, (unsigned char)(b - 1), r, (unsigned char)(g + 1), b, (unsigned char)(r - 1), g, b});
    ASSERT_EQ(CreateTextures(), 1);
    textureChoice = 2;
    cubeHalfSize = 2.5f;
    ASSERT_EQ(DrawFrame(), 1);

    int seen[4] = {0, 0, 0, 0};  // key, blue - 1, green + 1, red - 1
    for (int y = 0; y < kScreenHeight; ++y) {
        for (int x = 0; x < kScreenWidth; ++x) {
            const unsigned char* source = Readback(x, y);
            const unsigned char* shown = Screen(x, y);
            if (IsWhite(shown)) continue;  // overlay text
            if (IsKey(source)) {
                ASSERT_EQ(memcmp(shown, Backdrop(x, y), 4), 0) << x << ", " << y;
            } else {
                ASSERT_EQ(memcmp(shown, source, 3), 0) << x << ", " << y;
                ASSERT_EQ(shown[3], 255) << x << ", " << y;
            }
            for (int t = 0; t < 4; ++t) seen[t] += memcmp(source, &blocks[2][3 * t], 3) == 0;
        }
    }
    // The face is about 145 pixels square: each quarter shows its texel, the key quarter included.
    for (int t = 0; t < 4; ++t) EXPECT_GT(seen[t], 4000) << "texel " << t;
    // The key quarter (lower left of the face) lets the backdrop through.
    EXPECT_EQ(Screen(120, 80)[3], kBackdropAlpha);
    EXPECT_EQ(Screen(200, 80)[3], 255);
    // Well outside the cube, away from any text.
    EXPECT_EQ(memcmp(Screen(300, 100), Backdrop(300, 100), 4), 0);
}

// A lone pixel that differs from the key in one byte, at every place of a run of the composite's
// scan (and at the screen's last pixel), is copied, and nothing else changes.
TEST_F(FrameCompose, ALonePixelOffTheKeyIsCopiedWhereverItStands) {
    std::vector<int> places;
    for (int i = 0; i < 96; ++i) places.push_back(i);
    places.push_back(kScreenPixelCount - 1);
    for (int place : places) {
        for (int byte = 0; byte < 3; ++byte) {
            for (int i = 0; i < kScreenPixelCount; ++i) memcpy(readbackPixels + 3 * i, colourKey, 3);
            readbackPixels[3 * place + byte] ^= 1;
            memcpy(screenPixels, backdropPixels, kScreenPixelCount * 4);
            CompositeReadback();
            for (int i = 0; i < kScreenPixelCount; ++i) {
                if (i == place) {
                    ASSERT_EQ(memcmp(screenPixels + 4 * i, readbackPixels + 3 * i, 3), 0) << place << ", " << byte;
                    ASSERT_EQ(screenPixels[4 * i + 3], 255) << place << ", " << byte;
                } else {
                    ASSERT_EQ(memcmp(screenPixels + 4 * i, backdropPixels + 4 * i, 4), 0) << place << ", " << byte << ": " << i;
                }
            }
        }
    }
}

// With the literal (255, 0, 229) where the clear colour reads back otherwise, nothing would be
// background; with the probed key the background is recognised.
TEST_F(FrameCompose, TheBackdropShowsAroundTheCube) {
    DrawFrame();
    int backdrop = 0;
    for (int i = 0; i < kScreenPixelCount; ++i) backdrop += screenPixels[4 * i + 3] == kBackdropAlpha;
    EXPECT_GT(backdrop, kScreenPixelCount / 2);
    EXPECT_LT(backdrop, kScreenPixelCount);
    const unsigned char* centre = Screen(160, 120);
    EXPECT_EQ(centre[0], 20);
    EXPECT_EQ(centre[1], 90);
    EXPECT_EQ(centre[2], 140);
    EXPECT_EQ(centre[3], 255);
}

struct OverlayLine {
    int x, y;
};
const OverlayLine kOverlay[] = {{9, 30},  {9, 18},  {9, 54},  {9, 42},  {6, 239}, {6, 218}, {6, 206},
                                {6, 194}, {6, 182}, {6, 158}, {6, 146}, {6, 134}, {6, 122}, {6, 110}};

// Each line's first glyph has white ink inside its cell, drawn over the backdrop; the empty line
// between the zoom keys and the texture keys stays empty.
TEST_F(FrameCompose, TheOverlayLinesStandWhereTheTablePutsThem) {
    DrawFrame();
    for (const OverlayLine& line : kOverlay) {
        SCOPED_TRACE(testing::Message() << line.x << ", " << line.y);
        int ink = 0;
        for (int y = line.y - 12; y <= line.y - 1; ++y)
            for (int x = line.x; x < line.x + 8; ++x) ink += IsWhite(Screen(x, y));
        EXPECT_GT(ink, 3);
    }
    int gap = 0;
    for (int y = 158; y <= 169; ++y)
        for (int x = 0; x < 120; ++x) gap += IsWhite(Screen(x, y));
    EXPECT_EQ(gap, 0);
    // The made-up lines fit the screen.
    int rightEdge = 0;
    for (int y = 6; y < 30; ++y) rightEdge += IsWhite(Screen(319, y));
    EXPECT_EQ(rightEdge, 0);
}

// The crosshair is drawn last, over the cube.
TEST_F(FrameCompose, TheCrosshairLiesOverTheCube) {
    RECT window;
    ASSERT_TRUE(GetWindowRect(mainWindow, &window));
    SeamSetCursorPos(window.left + 160, window.bottom - 120);
    DrawFrame();
    EXPECT_TRUE(IsWhite(Screen(160, 120)));
    EXPECT_TRUE(IsWhite(Screen(165, 120)));
    EXPECT_TRUE(IsWhite(Screen(160, 115)));
    EXPECT_FALSE(IsWhite(Screen(163, 123)));
    EXPECT_FALSE(IsKey(Readback(163, 123))) << "the cube does not lie under the crosshair";
}

// Any of the three buttons makes the angles follow the pointer's client position.
TEST_F(FrameCompose, AHeldButtonSetsTheAnglesFromThePointer) {
    struct Case {
        int button, x, y;
        float drawnY, drawnX;
    };
    const Case cases[] = {
        {VK_LBUTTON, 0, 0, 120, 0},
        {VK_MBUTTON, 100, 50, 320, 100},
        {VK_RBUTTON, 639, 479, 1398, 958},
    };
    spinSpeedX = 0.5f;
    spinSpeedY = 0.25f;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        spinX = spinY = 1000;
        mouseX = c.x;
        mouseY = c.y;
        SeamSetKeyHeld(c.button, true);
        DrawFrame();
        SeamSetKeyHeld(c.button, false);
        EXPECT_EQ(spinY, c.drawnY + 0.25f);
        EXPECT_EQ(spinX, c.drawnX + 0.5f);
    }
    // No button: the angles only advance by the speeds.
    spinX = 10;
    spinY = 20;
    mouseX = 300;
    DrawFrame();
    EXPECT_EQ(spinX, 10.5f);
    EXPECT_EQ(spinY, 20.25f);
}

// The speeds are added after drawing: a first frame with a speed of 45 still shows the cube face
// on; the next shows it turned by 45 degrees, wider (about 82 pixels across for 64).
TEST_F(FrameCompose, TheSpeedsTakeEffectFromTheNextFrame) {
    DrawFrame();
    const int faceOn = CubeWidthAtRow(120);
    EXPECT_GT(faceOn, 40);
    std::vector<unsigned char> still(readbackPixels, readbackPixels + kScreenPixelCount * 3);
    DrawFrame();
    EXPECT_TRUE(std::equal(still.begin(), still.end(), readbackPixels)) << "a cube with no speed moved";

    spinSpeedY = 45;
    DrawFrame();
    EXPECT_EQ(CubeWidthAtRow(120), faceOn);
    EXPECT_EQ(spinY, 45);
    DrawFrame();
    EXPECT_GE(CubeWidthAtRow(120), faceOn + 12) << "the cube did not turn";
    EXPECT_EQ(spinY, 90);
}

// Each face turned to the viewer shows the whole texture with the orientation the face table
// gives (the bottom face upside down); a turn of 30 degrees shows which way each axis turns.
TEST_F(FrameCompose, FacesAndTurnsShowTheTextureAsTheFaceTableSays) {
    enum { A, B, C, D };  // texels: A lower left, B lower right, C upper left, D upper right
    PutImage(1, 2, 2, {200, 10, 10, 10, 200, 10, 10, 10, 200, 200, 200, 10});
    ASSERT_EQ(CreateTextures(), 1);
    textureChoice = 1;
    struct Sample {
        int x, y, texel;
    };
    struct Case {
        const char* face;
        float spinX, spinY;
        Sample samples[4];
    };
    const Case cases[] = {
        {"front", 0, 0, {{145, 105, A}, {175, 105, B}, {145, 135, C}, {175, 135, D}}},
        {"right", 0, 90, {{145, 105, A}, {175, 105, B}, {145, 135, C}, {175, 135, D}}},
        {"back", 0, 180, {{145, 105, A}, {175, 105, B}, {145, 135, C}, {175, 135, D}}},
        {"left", 0, -90, {{145, 105, A}, {175, 105, B}, {145, 135, C}, {175, 135, D}}},
        {"top", 90, 0, {{145, 105, A}, {175, 105, B}, {145, 135, C}, {175, 135, D}}},
        {"bottom", -90, 0, {{145, 105, D}, {175, 105, C}, {145, 135, B}, {175, 135, A}}},
        // About (0, -1, 0): the front face swings left, so the centre shows its right half.
        {"front turned by spinY 30", 0, 30, {{160, 130, D}, {160, 110, B}, {160, 130, D}, {160, 110, B}}},
        // About (1, 0, 0): the front face tips down, so the centre shows its upper half.
        {"front turned by spinX 30", 30, 0, {{170, 120, D}, {150, 120, C}, {170, 120, D}, {150, 120, C}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.face);
        spinX = c.spinX;
        spinY = c.spinY;
        DrawFrame();
        for (const Sample& s : c.samples) {
            SCOPED_TRACE(testing::Message() << s.x << ", " << s.y);
            EXPECT_EQ(memcmp(Readback(s.x, s.y), &blocks[1][3 * s.texel], 3), 0);
        }
    }
}

// The half size and the texture choice are read when the frame is drawn.
TEST_F(FrameCompose, SizeAndTextureChoiceShowInTheFrame) {
    DrawFrame();
    const int small = CubeWidthAtRow(120);
    cubeHalfSize = 2.0f;
    DrawFrame();
    EXPECT_GT(CubeWidthAtRow(120), small * 19 / 10);
    for (int k = 0; k < kTextureCount; ++k) {
        SCOPED_TRACE(k);
        textureChoice = k;
        DrawFrame();
        EXPECT_EQ(Readback(160, 120)[0], 20 + 40 * k);
    }
    // A texture without an image draws the cube plain white.
    table[3] = TextureImage{nullptr, 0, 0, 0};
    CreateTextures();
    textureChoice = 3;
    DrawFrame();
    const unsigned char* centre = Readback(160, 120);
    EXPECT_EQ(centre[0], 255);
    EXPECT_EQ(centre[1], 255);
    EXPECT_EQ(centre[2], 255);
}

TEST_F(FrameCompose, CountsFramesAndLeavesTheStateItPromises) {
    const int before = frameCounter;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(DrawFrame(), 1);
    EXPECT_EQ(frameCounter, before + 3);

    GLfloat modelView[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelView);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(modelView[i], i % 5 == 0 ? 1.0f : 0.0f);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 320);
    EXPECT_EQ(viewport[3], 240);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ((GLuint)bound, textureIds[textureChoice]);
}

// Zoom 1 to 4 is set every frame; any other value leaves the zoom in force.
TEST_F(FrameCompose, ThePixelZoomFollowsOnlyValidZoomFactors) {
    const struct {
        int zoomFactor;
        float expected;
    } steps[] = {{3, 3}, {0, 3}, {5, 3}, {-1, 3}, {4, 4}, {2, 2}, {1000, 2}, {1, 1}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.zoomFactor);
        zoomFactor = step.zoomFactor;
        DrawFrame();
        GLfloat x = 0, y = 0;
        glGetFloatv(GL_ZOOM_X, &x);
        glGetFloatv(GL_ZOOM_Y, &y);
        EXPECT_EQ(x, step.expected);
        EXPECT_EQ(y, step.expected);
    }
    zoomFactor = 1;
}

// A new context (the zoom keys reopen the window) gets textures from the images in memory and a
// probed key, and the frame looks as before.
TEST_F(FrameCompose, AReopenedWindowComposesTheSameFrame) {
    textureChoice = 4;
    DrawFrame();
    std::vector<unsigned char> first(screenPixels, screenPixels + kScreenPixelCount * 4);
    CloseDisplayWindow();
    ASSERT_TRUE(OpenDisplayWindow("DUD", 640, 480, 16, false));
    zoomFactor = 2;
    DrawFrame();
    EXPECT_TRUE(std::equal(first.begin(), first.end(), screenPixels));
    EXPECT_EQ(Readback(160, 120)[0], 20 + 40 * 4);
}

}  // namespace
