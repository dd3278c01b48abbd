// The window procedure's message table and the input state it keeps.
#include <gtest/gtest.h>

#include <string.h>

#include "app/program_state.h"
#include "app/window_proc.h"
#include "platform/platform_seams.h"

namespace {

class WindowProcTest : public ::testing::Test {
protected:
    void SetUp() override {
        SeamReset();
        memset(keyDown, 0, sizeof keyDown);
        isActive = true;
        mouseX = mouseY = 0;
        mouseButtons[0] = mouseButtons[1] = mouseButtons[2] = 0;
    }
    void TearDown() override { SeamReset(); }

    // Whether the message was answered here or left to the default handling: a quit posted by the
    // default handling is not expected for any of these.
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return WindowProc(NULL, message, wParam, lParam);
    }
};

TEST_F(WindowProcTest, ActivationFollowsOnlyTheMinimisedFlag) {
    struct Case {
        WPARAM wParam;
        bool active;
    } cases[] = {
        {MAKEWPARAM(WA_ACTIVE, 0), true},       {MAKEWPARAM(WA_INACTIVE, 0), true},
        {MAKEWPARAM(WA_CLICKACTIVE, 0), true},  {MAKEWPARAM(WA_INACTIVE, 1), false},
        {MAKEWPARAM(WA_ACTIVE, 0xFFFF), false},
    };
    for (const Case& c : cases) {
        isActive = !c.active;
        EXPECT_EQ(Send(WM_ACTIVATE, c.wParam), 0);
        EXPECT_EQ(isActive, c.active) << "wParam " << std::hex << c.wParam;
    }
}

TEST_F(WindowProcTest, KeyFlagsFollowDownAndUpIncludingRepeats) {
    Send(WM_KEYDOWN, 'M', 0x00320001);
    EXPECT_TRUE(keyDown['M']);
    Send(WM_KEYDOWN, 'M', 0x40320001);  // auto-repeat
    Send(WM_KEYDOWN, 'M', 0x40320001);
    EXPECT_TRUE(keyDown['M']);
    Send(WM_KEYUP, 'M', (LPARAM)0xC0320001u);
    EXPECT_FALSE(keyDown['M']);
    for (int vk = 0; vk < 256; vk++) EXPECT_FALSE(keyDown[vk]) << vk;
}

TEST_F(WindowProcTest, KeyCodesOutsideTheTableTouchNothing) {
    // The flags sit between other globals: a write past them would land in a neighbour.
    const int mouseXBefore = mouseX = 77;
    const bool activeBefore = isActive;
    for (WPARAM code : {(WPARAM)256, (WPARAM)257, (WPARAM)1000, (WPARAM)0xFFFF, (WPARAM)-1}) {
        EXPECT_EQ(Send(WM_KEYDOWN, code), 0);
        EXPECT_EQ(Send(WM_KEYUP, code), 0);
        Send(WM_KEYDOWN, code);
    }
    for (int vk = 0; vk < 256; vk++) EXPECT_FALSE(keyDown[vk]) << vk;
    EXPECT_EQ(mouseX, mouseXBefore);
    EXPECT_EQ(isActive, activeBefore);
    Send(WM_KEYDOWN, 255);
    EXPECT_TRUE(keyDown[255]);
}

TEST_F(WindowProcTest, SystemKeysAreNotRecorded) {
    Send(WM_SYSKEYDOWN, VK_F10, 0);
    Send(WM_SYSKEYDOWN, 'X', 1 << 29);
    EXPECT_FALSE(keyDown[VK_F10]);
    EXPECT_FALSE(keyDown['X']);
}

TEST_F(WindowProcTest, MousePositionIsDecodedAsUnsignedHalves) {
    struct Case {
        LPARAM lParam;
        int x, y;
    } cases[] = {
        {MAKELPARAM(0, 0), 0, 0},
        {MAKELPARAM(480, 360), 480, 360},
        {MAKELPARAM(-1, -5), 0xFFFF, 0xFFFB},  // a captured pointer left of / above the window
        {(LPARAM)0x7FFF8000, 0x8000, 0x7FFF},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Send(WM_MOUSEMOVE, 0, c.lParam), 0);
        EXPECT_EQ(mouseX, c.x);
        EXPECT_EQ(mouseY, c.y);
    }
}

TEST_F(WindowProcTest, ButtonFlags) {
    const struct {
        UINT down, up;
        int index;
    } buttons[] = {{WM_LBUTTONDOWN, WM_LBUTTONUP, 0}, {WM_MBUTTONDOWN, WM_MBUTTONUP, 1}, {WM_RBUTTONDOWN, WM_RBUTTONUP, 2}};
    for (const auto& b : buttons) {
        EXPECT_EQ(Send(b.down), 0);
        EXPECT_EQ(mouseButtons[b.index], 1);
        for (int other = 0; other < 3; other++) {
            if (other != b.index) {
                EXPECT_EQ(mouseButtons[other], 0);
            }
        }
        EXPECT_EQ(Send(b.up), 0);
        EXPECT_EQ(mouseButtons[b.index], 0);
    }
}

TEST_F(WindowProcTest, CloseAsksTheLoopToQuitWithCodeZero) {
    EXPECT_EQ(Send(WM_CLOSE), 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, (UINT)WM_QUIT);
    EXPECT_EQ(msg.wParam, (WPARAM)0);
}

TEST_F(WindowProcTest, ScreenSaverAndMonitorPowerAreRefused) {
    EXPECT_EQ(Send(WM_SYSCOMMAND, SC_SCREENSAVE), 0);
    EXPECT_EQ(Send(WM_SYSCOMMAND, SC_MONITORPOWER, 2), 0);
    EXPECT_EQ(Send(WM_SIZE, SIZE_RESTORED, MAKELPARAM(123, 45)), 0);
}

TEST(KeyPolling, HeldAndReleasedAreComplements) {
    SeamReset();
    for (bool held : {true, false}) {
        SeamSetKeyHeld(VK_OEM_4, held);
        SeamSetKeyHeld(VK_LBUTTON, held);
        EXPECT_EQ(IsKeyHeld(VK_OEM_4), held ? 1 : 0);
        EXPECT_EQ(IsKeyReleased(VK_OEM_4), held ? 0 : 1);
        EXPECT_EQ(IsKeyHeld(VK_LBUTTON), held ? 1 : 0);
        EXPECT_EQ(IsKeyReleased(VK_LBUTTON), held ? 0 : 1);
    }
    SeamReset();
}

}  // namespace
