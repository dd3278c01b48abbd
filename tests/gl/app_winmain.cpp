// The whole program in this process: start-up, the main loop and the ways it ends.
#include <gtest/gtest.h>

#include <string.h>

#include <functional>

#include "app/program_state.h"
#include "platform/platform_seams.h"

namespace {

// Runs test code from inside the main loop: the hook fires in every buffer swap, with the number
// of that swap (1 for the first).
std::function<void(int)> onSwap;

void SwapHook(HDC, void*) {
    if (onSwap) onSwap(SeamSwapCount() + 1);
}

class WinMainTest : public ::testing::Test {
protected:
    void SetUp() override {
        SeamReset();
        SeamRecordSleeps(true);
        SeamSetScreenSize(1600, 1200);
        SeamSetSwapHook(SwapHook, nullptr);
        memset(keyDown, 0, sizeof keyDown);
        isActive = true;
        zoomFactor = 1;
        textureChoice = 1;
        onSwap = nullptr;
    }
    void TearDown() override {
        onSwap = nullptr;
        SeamReset();
    }
    int Run() { return WinMain(GetModuleHandleA(NULL), NULL, (LPSTR) "", SW_SHOWDEFAULT); }
};

TEST_F(WinMainTest, EscapeComposesOneMoreFrameShowsNoneAndEndsWithZero) {
    int framesAtEscape = -1;
    onSwap = [&](int swaps) {
        if (swaps == 2) {
            framesAtEscape = frameCounter;
            SeamPostMessage(mainWindow, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        }
    };
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(SeamSwapCount(), 2);
    EXPECT_EQ(frameCounter - framesAtEscape, 1);
    EXPECT_EQ(SeamLiveWindows(), 0);
    EXPECT_EQ(SeamLiveContexts(), 0);
    EXPECT_EQ(SeamRegisteredClasses(), 0);
    EXPECT_EQ(SeamCursorDisplayCount(), 1);  // shown once at start-up
}

TEST_F(WinMainTest, AltF4ClosesTheWindowThroughTheDefaultHandling) {
    onSwap = [](int swaps) {
        if (swaps == 3) {
            SeamPostMessage(mainWindow, WM_SYSKEYDOWN, VK_F4, 0x20000001);
            SeamPostMessage(mainWindow, WM_SYSKEYUP, VK_F4, (LPARAM)0xE0000001u);
        }
    };
    EXPECT_EQ(Run(), 0);
    EXPECT_GE(SeamSwapCount(), 3);
    EXPECT_FALSE(keyDown[VK_F4]);
    EXPECT_EQ(SeamLiveWindows(), 0);
}

TEST_F(WinMainTest, TheQuitCodeIsTheExitCode) {
    onSwap = [](int swaps) {
        if (swaps == 2) PostQuitMessage(7);
    };
    EXPECT_EQ(Run(), 7);
}

TEST_F(WinMainTest, MinimisedWindowShowsTheLastFrameAndControlsStillAct) {
    int framesWhenMinimised = -1;
    bool activeWhenMinimised = true;
    onSwap = [&](int swaps) {
        if (swaps == 2) SeamPostMessage(mainWindow, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1), 0);
        if (swaps == 3) {
            framesWhenMinimised = frameCounter;
            activeWhenMinimised = isActive;
            SeamPostMessage(mainWindow, WM_KEYDOWN, VK_F7, 0x00410001);
        }
        if (swaps == 10) PostQuitMessage(0);
    };
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(SeamSwapCount(), 10);
    EXPECT_EQ(frameCounter, framesWhenMinimised);
    EXPECT_FALSE(activeWhenMinimised);
    EXPECT_EQ(textureChoice, 2);
}

TEST_F(WinMainTest, AFailedFirstWindowEndsAtOnceWithZero) {
    SeamFailCall(PlatformCall::ChoosePixelFormat);
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(SeamSwapCount(), 0);
    EXPECT_EQ(SeamLiveWindows(), 0);
    EXPECT_EQ(SeamRegisteredClasses(), 0);
}

TEST_F(WinMainTest, AFailedRecreationEndsWithZero) {
    onSwap = [](int swaps) {
        if (swaps == 2) {
            SeamPostMessage(mainWindow, WM_KEYDOWN, VK_F2, 0x003C0001);
            SeamFailCall(PlatformCall::CreateContext);
        }
    };
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(zoomFactor, 2);
    EXPECT_EQ(SeamLiveContexts(), 0);
    EXPECT_EQ(SeamLiveWindows(), 0);
}

}  // namespace
