// Opening and closing the display window: what it makes, the GL state it leaves, and that every
// failure releases exactly what had been made.
#include <gtest/gtest.h>

#include <math.h>

#include "app/display_window.h"
#include "app/program_state.h"
#include "platform/platform_seams.h"

namespace {

struct LiveObjects {
    int windows, contexts, classes, dcs;
    bool operator==(const LiveObjects& o) const {
        return windows == o.windows && contexts == o.contexts && classes == o.classes && dcs == o.dcs;
    }
};

std::ostream& operator<<(std::ostream& out, const LiveObjects& l) {
    return out << "windows " << l.windows << ", contexts " << l.contexts << ", classes " << l.classes << ", DCs "
               << l.dcs;
}

LiveObjects Live() { return {SeamLiveWindows(), SeamLiveContexts(), SeamRegisteredClasses(), SeamHeldDCs()}; }

class DisplayWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        SeamReset();
        SeamSetScreenSize(1600, 1200);
        baseline = Live();
    }
    void TearDown() override {
        CloseDisplayWindow();
        SeamReset();
    }
    LiveObjects baseline;
};

TEST_F(DisplayWindowTest, OpensABorderlessCentredWindowWithTheFixedGlState) {
    ASSERT_TRUE(OpenDisplayWindow("DUD", 960, 720, 16, true));
    EXPECT_EQ(Live(), (LiveObjects{baseline.windows + 1, baseline.contexts + 1, baseline.classes + 1, baseline.dcs + 1}));
    EXPECT_EQ(SeamWindowClassName(mainWindow), "OpenGL");
    EXPECT_EQ(SeamWindowStyle(mainWindow), WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    EXPECT_EQ(SeamWindowExStyle(mainWindow), WS_EX_APPWINDOW | WS_EX_WINDOWEDGE);
    EXPECT_NE(SeamWindowPixelFormat(windowDC), 0);
    RECT rect;
    ASSERT_TRUE(GetWindowRect(mainWindow, &rect));
    EXPECT_EQ(rect.left, 800 - 480);
    EXPECT_EQ(rect.top, 600 - 360);
    EXPECT_EQ(rect.right - rect.left, 960);
    EXPECT_EQ(rect.bottom - rect.top, 720);

    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 960);
    EXPECT_EQ(viewport[3], 720);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT1));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLint value;
    glGetIntegerv(GL_DEPTH_FUNC, &value);
    EXPECT_EQ(value, GL_LEQUAL);
    glGetIntegerv(GL_BLEND_SRC, &value);
    EXPECT_EQ(value, GL_SRC_ALPHA);
    glGetIntegerv(GL_BLEND_DST, &value);
    EXPECT_EQ(value, GL_ONE_MINUS_SRC_ALPHA);
    glGetIntegerv(GL_SHADE_MODEL, &value);
    EXPECT_EQ(value, GL_SMOOTH);
    glGetIntegerv(GL_MATRIX_MODE, &value);
    EXPECT_EQ(value, GL_MODELVIEW);
    GLfloat clear[4], colour[4], light[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_FLOAT_EQ(clear[0], 1.0f);
    EXPECT_FLOAT_EQ(clear[1], 0.0f);
    EXPECT_FLOAT_EQ(clear[2], 0.9f);
    EXPECT_FLOAT_EQ(clear[3], 0.0f);
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[3], 0.5f);
    glGetLightfv(GL_LIGHT1, GL_POSITION, light);
    EXPECT_FLOAT_EQ(light[2], 2.0f);
    EXPECT_FLOAT_EQ(light[3], 1.0f);
    glGetLightfv(GL_LIGHT1, GL_AMBIENT, light);
    EXPECT_FLOAT_EQ(light[0], 0.5f);
    EXPECT_TRUE(fullscreenFlag);
}

TEST_F(DisplayWindowTest, CentringTruncatesEachHalfAndMayStartOffScreen) {
    const struct {
        int screenW, screenH, width, height, x, y;
    } cases[] = {
        {1366, 768, 960, 720, 683 - 480, 384 - 360},
        {1024, 768, 1280, 960, 512 - 640, 384 - 480},  // larger than the screen
        {1365, 767, 321, 241, 682 - 160, 383 - 120},
    };
    for (const auto& c : cases) {
        SeamSetScreenSize(c.screenW, c.screenH);
        ASSERT_TRUE(OpenDisplayWindow("DUD", c.width, c.height, 16, false));
        RECT rect;
        GetWindowRect(mainWindow, &rect);
        EXPECT_EQ(rect.left, c.x);
        EXPECT_EQ(rect.top, c.y);
        EXPECT_EQ(rect.right - rect.left, c.width);
        EXPECT_FALSE(fullscreenFlag);
        CloseDisplayWindow();
        EXPECT_EQ(Live(), baseline);
    }
}

TEST_F(DisplayWindowTest, ProjectionIsTheFixedPerspective) {
    SetProjection(640, 0);  // a height of 0 is taken as 1
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);  // no context yet: nothing to check but no crash
    ASSERT_TRUE(OpenDisplayWindow("DUD", 640, 480, 16, true));
    SetProjection(640, 0);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 640);
    EXPECT_EQ(viewport[3], 1);
    GLdouble m[16];
    glGetDoublev(GL_PROJECTION_MATRIX, m);
    const double f = 1.0 / tan(45.0 / 2 * M_PI / 180);
    EXPECT_NEAR(m[0], f / 640.0, 1e-9);
    EXPECT_NEAR(m[5], f, 1e-6);
    SetProjection(960, 720);
    glGetDoublev(GL_PROJECTION_MATRIX, m);
    const double zNear = (double)0.1f, zFar = 100.0;
    EXPECT_NEAR(m[0], f / (double)(960.0f / 720.0f), 1e-6);
    EXPECT_NEAR(m[10], (zFar + zNear) / (zNear - zFar), 1e-6);
    EXPECT_NEAR(m[14], 2 * zFar * zNear / (zNear - zFar), 1e-6);
    glGetDoublev(GL_MODELVIEW_MATRIX, m);
    EXPECT_EQ(m[0], 1.0);
    EXPECT_EQ(m[12], 0.0);
}

TEST_F(DisplayWindowTest, EveryFailingStepReleasesWhatWasMade) {
    const PlatformCall steps[] = {PlatformCall::RegisterClass,     PlatformCall::CreateWindow,
                                  PlatformCall::GetDC,             PlatformCall::ChoosePixelFormat,
                                  PlatformCall::SetPixelFormat,    PlatformCall::CreateContext,
                                  PlatformCall::MakeCurrent};
    for (PlatformCall step : steps) {
        SeamReset();
        SeamFailCall(step);
        EXPECT_FALSE(OpenDisplayWindow("DUD", 320, 240, 16, true)) << (int)step;
        EXPECT_EQ(Live(), baseline) << "after failing step " << (int)step;
        EXPECT_EQ(glContext, nullptr);
        EXPECT_EQ(wglGetCurrentContext(), nullptr);
        // A registration failure releases nothing and does not close.
        EXPECT_EQ(SeamCallCount(PlatformCall::UnregisterClass), step == PlatformCall::RegisterClass ? 0 : 1);
        // The next attempt works: nothing was left behind in the way.
        ASSERT_TRUE(OpenDisplayWindow("DUD", 320, 240, 16, true)) << (int)step;
        CloseDisplayWindow();
        EXPECT_EQ(Live(), baseline);
    }
}

TEST_F(DisplayWindowTest, CloseForgetsHandlesEvenWhenAReleaseFails) {
    // Destroying the window fails last: what it leaves behind keeps the class registered.
    for (PlatformCall step : {PlatformCall::UnregisterClass, PlatformCall::ReleaseDC, PlatformCall::DestroyWindow}) {
        SeamReset();
        ASSERT_TRUE(OpenDisplayWindow("DUD", 320, 240, 16, true)) << (int)step;
        SeamFailCall(step);
        CloseDisplayWindow();
        EXPECT_EQ(glContext, nullptr);
        EXPECT_EQ(windowDC, nullptr);
        EXPECT_EQ(mainWindow, nullptr);
        EXPECT_EQ(SeamLiveContexts(), baseline.contexts);
        if (step == PlatformCall::UnregisterClass) {
            EXPECT_EQ(appInstance, nullptr);
            EXPECT_TRUE(UnregisterClassA("OpenGL", GetModuleHandleA(NULL)));
        }
        // Every release was still attempted, once.
        EXPECT_EQ(SeamCallCount(PlatformCall::ReleaseDC), 1);
        EXPECT_EQ(SeamCallCount(PlatformCall::DestroyWindow), 1);
        EXPECT_EQ(SeamCallCount(PlatformCall::UnregisterClass), step == PlatformCall::UnregisterClass ? 2 : 1);
    }
}

TEST_F(DisplayWindowTest, CloseIsSafeWithNothingOpen) {
    CloseDisplayWindow();
    CloseDisplayWindow();
    EXPECT_EQ(Live(), baseline);
    EXPECT_EQ(appInstance, nullptr);  // unregistering a class that is not there fails
}

}  // namespace
