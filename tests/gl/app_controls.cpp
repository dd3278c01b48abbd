// The keyboard controls applied after every presented frame.
#include <gtest/gtest.h>

#include <string.h>

#include <numeric>

#include "app/controls.h"
#include "app/display_window.h"
#include "app/program_state.h"
#include "platform/platform_seams.h"
#include "screen/screen_buffer.h"

namespace {

int TotalSleep() {
    const std::vector<DWORD>& s = SeamRecordedSleeps();
    return (int)std::accumulate(s.begin(), s.end(), 0u);
}

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        SeamReset();
        SeamRecordSleeps(true);
        SeamSetScreenSize(1600, 1200);
        memset(keyDown, 0, sizeof keyDown);
        cubeHalfSize = 1.0f;
        spinSpeedX = spinSpeedY = 0.0f;
        stepValue = 18;
        textureChoice = 1;
        zoomFactor = 3;
        ASSERT_TRUE(OpenDisplayWindow("DUD", 960, 720, 16, true));
        if (!screenPixels) InitScreenBuffers();
    }
    void TearDown() override {
        CloseDisplayWindow();
        SeamReset();
    }
    // One frame's controls with exactly these keys down.
    bool Frame(std::initializer_list<int> keys) {
        for (int k : keys) keyDown[k] = true;
        bool result = ApplyControls();
        for (int k : keys) keyDown[k] = false;
        return result;
    }
};

TEST_F(ControlsTest, CubeSizeClampsExactlyOnTheSixteenthStep) {
    keyDown[VK_PRIOR] = true;
    for (int step = 1; step <= 15; step++) ApplyControls();
    EXPECT_LT(cubeHalfSize, 2.5f);
    EXPECT_GT(cubeHalfSize, 2.49f);
    ApplyControls();
    EXPECT_EQ(cubeHalfSize, 2.5f);
    ApplyControls();
    EXPECT_EQ(cubeHalfSize, 2.5f);
    keyDown[VK_PRIOR] = false;
    keyDown[VK_NEXT] = true;
    for (int step = 1; step <= 15; step++) ApplyControls();
    EXPECT_GT(cubeHalfSize, 1.0f);
    ApplyControls();
    EXPECT_EQ(cubeHalfSize, 1.0f);
    EXPECT_EQ(SeamRecordedSleeps().size(), 33u);
    EXPECT_EQ(TotalSleep(), 3300);
}

TEST_F(ControlsTest, StepValueBoundsAndPausesReadThePhysicalKeys) {
    SeamSetKeyHeld(VK_OEM_6, true);
    int steps = 0;
    while (stepValue < 60) {
        ApplyControls();
        steps++;
    }
    EXPECT_EQ(steps, 42);
    EXPECT_EQ(TotalSleep(), 42 * 200);
    ApplyControls();
    EXPECT_EQ(stepValue, 60);
    SeamSetKeyHeld(VK_OEM_6, false);
    SeamSetKeyHeld(VK_OEM_4, true);
    for (int i = 0; i < 100; i++) ApplyControls();
    EXPECT_EQ(stepValue, 1);
    // keyDown plays no part for these two.
    SeamSetKeyHeld(VK_OEM_4, false);
    keyDown[VK_OEM_4] = keyDown[VK_OEM_6] = true;
    ApplyControls();
    EXPECT_EQ(stepValue, 1);
}

TEST_F(ControlsTest, ArrowsChangeSpinWithoutBoundAndPausesAddUp) {
    const struct {
        int key;
        float dx, dy;
    } arrows[] = {{VK_UP, -0.1f, 0}, {VK_DOWN, 0.1f, 0}, {VK_RIGHT, 0, -0.1f}, {VK_LEFT, 0, 0.1f}};
    for (const auto& a : arrows) {
        spinSpeedX = spinSpeedY = 0;
        SeamReset();
        SeamRecordSleeps(true);
        Frame({a.key});
        EXPECT_FLOAT_EQ(spinSpeedX, a.dx);
        EXPECT_FLOAT_EQ(spinSpeedY, a.dy);
        EXPECT_EQ(TotalSleep(), 100);
    }
    spinSpeedX = spinSpeedY = 0;
    SeamReset();
    SeamRecordSleeps(true);
    for (int i = 0; i < 1000; i++) Frame({VK_UP, VK_LEFT});
    EXPECT_LT(spinSpeedX, -99.0f);
    EXPECT_GT(spinSpeedY, 99.0f);
    EXPECT_EQ(TotalSleep(), 1000 * 200);
}

TEST_F(ControlsTest, TextureKeys) {
    for (int choice = 0; choice < 5; choice++) {
        Frame({VK_F5 + choice});
        EXPECT_EQ(textureChoice, choice);
        EXPECT_TRUE(SeamRecordedSleeps().empty());
    }
}

TEST_F(ControlsTest, ZoomKeysRecreateTheWindowAndKeepEverythingElse) {
    memset(screenPixels, 0x5A, 320 * 240 * 4);
    unsigned char* screenBefore = screenPixels;
    keyDown[VK_PRIOR] = false;
    keyDown['Q'] = true;  // some other key held across the re-creation
    textureChoice = 4;
    for (int zoom : {1, 1, 4, 2, 3}) {  // F1 at zoom 1 still re-creates
        HWND before = mainWindow;
        const int windowsBefore = SeamLiveWindows();
        keyDown[VK_F1 + zoom - 1] = true;
        ASSERT_TRUE(ApplyControls());
        EXPECT_FALSE(keyDown[VK_F1 + zoom - 1]);
        EXPECT_EQ(zoomFactor, zoom);
        EXPECT_EQ(SeamLiveWindows(), windowsBefore);
        EXPECT_EQ(SeamCallCount(PlatformCall::DestroyWindow) > 0, true);
        EXPECT_NE(mainWindow, nullptr);
        (void)before;
        RECT rect;
        GetWindowRect(mainWindow, &rect);
        EXPECT_EQ(rect.right - rect.left, 320 * zoom);
        EXPECT_EQ(rect.bottom - rect.top, 240 * zoom);
        EXPECT_EQ(rect.left, 800 - 160 * zoom);
        EXPECT_EQ(rect.top, 600 - 120 * zoom);
        EXPECT_EQ(wglGetCurrentContext(), glContext);
    }
    EXPECT_EQ(screenPixels, screenBefore);
    EXPECT_EQ(screenPixels[1234], 0x5A);
    EXPECT_TRUE(keyDown['Q']);
    EXPECT_EQ(textureChoice, 4);
    EXPECT_EQ(SeamLiveContexts(), 1);
}

TEST_F(ControlsTest, SeveralZoomKeysInOneFrameLastOneWins) {
    const int createdBefore = SeamCallCount(PlatformCall::CreateWindow);
    ASSERT_TRUE(Frame({VK_F1, VK_F2, VK_F4}));
    EXPECT_EQ(SeamCallCount(PlatformCall::CreateWindow) - createdBefore, 3);
    EXPECT_EQ(zoomFactor, 4);
}

TEST_F(ControlsTest, FailedRecreationEndsTheProgram) {
    SeamFailCall(PlatformCall::CreateWindow);
    keyDown[VK_F2] = true;
    keyDown[VK_F7] = true;
    EXPECT_FALSE(ApplyControls());
    EXPECT_EQ(zoomFactor, 2);
    EXPECT_TRUE(keyDown[VK_F2]);    // not cleared: the controls stop there
    EXPECT_EQ(textureChoice, 1);    // the rows after it are not applied
    EXPECT_EQ(mainWindow, nullptr);
    EXPECT_EQ(SeamLiveContexts(), 0);
}

TEST_F(ControlsTest, MMovesTheWindowToTheCursorAndShowsIt) {
    const int countBefore = SeamCursorDisplayCount();
    for (int zoom : {3, 1}) {
        if (zoom == 1) Frame({VK_F1});
        SeamSetCursorPos(123, 45);
        Frame({'M'});
        RECT rect;
        GetWindowRect(mainWindow, &rect);
        EXPECT_EQ(rect.left, 123);
        EXPECT_EQ(rect.top, 45);
        EXPECT_EQ(rect.right - rect.left, 320 * zoom);
        EXPECT_EQ(rect.bottom - rect.top, 240 * zoom);
        // Held, it follows the cursor frame by frame.
        keyDown['M'] = true;
        SeamSetCursorPos(-50, 700);
        ApplyControls();
        SeamSetCursorPos(400, 300);
        ApplyControls();
        keyDown['M'] = false;
        GetWindowRect(mainWindow, &rect);
        EXPECT_EQ(rect.left, 400);
        EXPECT_EQ(rect.top, 300);
    }
    Frame({'S'});
    EXPECT_EQ(SeamCursorDisplayCount(), countBefore + 7);  // six M frames and one S frame
    EXPECT_TRUE(SeamRecordedSleeps().empty());
}

}  // namespace
