// The message queue and window classes of the platform layer, without a display.
#include "platform/platform_seams.h"
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

LRESULT CALLBACK NoProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

// Everything waiting, taken out in order (WM_QUIT included, which ends the list).
std::vector<MSG> TakeAll() {
    std::vector<MSG> taken;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        taken.push_back(msg);
        if (msg.message == WM_QUIT) break;
    }
    return taken;
}

class PlatformQueue : public ::testing::Test {
protected:
    void SetUp() override {
        TakeAll();
        SeamReset();
    }
    void TearDown() override { TakeAll(); }
};

TEST_F(PlatformQueue, MessagesComeOutInOrderAndQuitComesLast) {
    SeamPostMessage(nullptr, 0x0400, 1, 10);
    PostQuitMessage(7);  // asked for before the others are taken
    EXPECT_TRUE(PostMessageA(nullptr, 0x0401, 2, 20));
    SeamPostMessage(nullptr, 0x0402, 3, 30);
    std::vector<MSG> taken = TakeAll();
    ASSERT_EQ(taken.size(), 4u);
    EXPECT_EQ(taken[0].message, 0x0400u);
    EXPECT_EQ(taken[0].wParam, 1u);
    EXPECT_EQ(taken[0].lParam, 10);
    EXPECT_EQ(taken[1].message, 0x0401u);
    EXPECT_EQ(taken[2].message, 0x0402u);
    EXPECT_EQ(taken[3].message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(taken[3].wParam, 7u);
    EXPECT_EQ(taken[3].hwnd, nullptr);
    // WM_QUIT comes once: the flag clears when it is removed.
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(PlatformQueue, PeekWithoutRemovingLeavesTheMessageAndQuitFlag) {
    PostQuitMessage(3);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    SeamPostMessage(nullptr, 0x0410, 5, 0);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, 0x0410u);  // a waiting message goes before the quit
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, 0x0410u);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 3u);
}

TEST_F(PlatformQueue, FiltersPickByRangeAndLeaveTheRest) {
    SeamPostMessage(nullptr, WM_KEYDOWN, 'A', 0);
    SeamPostMessage(nullptr, WM_MOUSEMOVE, 0, 0);
    SeamPostMessage(nullptr, WM_KEYUP, 'A', 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_MOUSEMOVE));
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_LBUTTONDOWN, WM_MBUTTONUP, PM_REMOVE));
    // A window filter that matches no window takes nothing.
    EXPECT_FALSE(PeekMessageA(&msg, reinterpret_cast<HWND>(0x999), 0, 0, PM_REMOVE));
    std::vector<MSG> rest = TakeAll();
    ASSERT_EQ(rest.size(), 2u);
    EXPECT_EQ(rest[0].message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(rest[1].message, static_cast<UINT>(WM_KEYUP));
}

TEST_F(PlatformQueue, MessagesForNoWindowOrABadOneGoNowhere) {
    MSG msg = {};
    msg.message = WM_KEYDOWN;
    EXPECT_EQ(DispatchMessageA(&msg), 0);
    msg.hwnd = reinterpret_cast<HWND>(0x5150);
    EXPECT_EQ(DispatchMessageA(&msg), 0);
    EXPECT_EQ(DispatchMessageA(nullptr), 0);
    EXPECT_TRUE(SeamDeliveredMessages().empty());
    EXPECT_FALSE(PostMessageA(reinterpret_cast<HWND>(0x5150), WM_CLOSE, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_EQ(SendMessageA(reinterpret_cast<HWND>(0x5150), WM_CLOSE, 0, 0), 0);
    EXPECT_FALSE(PeekMessageA(nullptr, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(PlatformQueue, TranslateMessagePostsTheCharacterNext) {
    SeamPostMessage(nullptr, WM_MOUSEMOVE, 0, 0);
    MSG key = {};
    key.message = WM_KEYDOWN;
    key.wParam = VK_OEM_4;
    key.lParam = 0x001A0001;
    EXPECT_TRUE(TranslateMessage(&key));
    key.message = WM_SYSKEYDOWN;
    key.wParam = 'Q';
    EXPECT_TRUE(TranslateMessage(&key));
    key.message = WM_KEYDOWN;
    key.wParam = VK_F5;  // no character
    TranslateMessage(&key);
    std::vector<MSG> taken = TakeAll();
    ASSERT_EQ(taken.size(), 3u);
    EXPECT_EQ(taken[0].message, static_cast<UINT>(WM_SYSCHAR));
    EXPECT_EQ(taken[0].wParam, static_cast<WPARAM>('q'));
    EXPECT_EQ(taken[1].message, static_cast<UINT>(WM_CHAR));
    EXPECT_EQ(taken[1].wParam, static_cast<WPARAM>('['));
    EXPECT_EQ(taken[1].lParam, 0x001A0001);
    EXPECT_EQ(taken[2].message, static_cast<UINT>(WM_MOUSEMOVE));
}

TEST(PlatformClasses, RegistrationFollowsWin32Rules) {
    SeamReset();
    int before = SeamRegisteredClasses();
    HINSTANCE instance = GetModuleHandleA(nullptr);
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(GetModuleHandleA(nullptr), instance);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = NoProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "OpenGL";
    windowClass.hIcon = LoadIconA(nullptr, IDI_WINLOGO);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_CROSS);
    EXPECT_NE(windowClass.hIcon, nullptr);
    EXPECT_NE(windowClass.hCursor, nullptr);
    ATOM atom = RegisterClassA(&windowClass);
    EXPECT_NE(atom, 0);
    EXPECT_EQ(SeamRegisteredClasses(), before + 1);

    windowClass.lpszClassName = "OPENGL";  // names compare without case
    EXPECT_EQ(RegisterClassA(&windowClass), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
    windowClass.hInstance = nullptr;  // the same module
    EXPECT_EQ(RegisterClassA(&windowClass), 0);
    windowClass.lpszClassName = nullptr;
    EXPECT_EQ(RegisterClassA(&windowClass), 0);
    EXPECT_EQ(RegisterClassA(nullptr), 0);

    EXPECT_FALSE(UnregisterClassA("NotThere", instance));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_DOES_NOT_EXIST));
    EXPECT_TRUE(UnregisterClassA("opengl", instance));
    EXPECT_FALSE(UnregisterClassA("OpenGL", instance));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_DOES_NOT_EXIST));
    EXPECT_EQ(SeamRegisteredClasses(), before);

    // Registration made to fail registers nothing; the class can be registered afterwards.
    windowClass.lpszClassName = "OpenGL";
    SeamReset();
    SeamFailCall(PlatformCall::RegisterClass);
    EXPECT_EQ(RegisterClassA(&windowClass), 0);
    EXPECT_EQ(SeamRegisteredClasses(), before);
    EXPECT_EQ(SeamCallCount(PlatformCall::RegisterClass), 1);
    EXPECT_NE(RegisterClassA(&windowClass), 0);
    EXPECT_TRUE(UnregisterClassA("OpenGL", nullptr));

    // Resources: only the system's exist.
    EXPECT_EQ(LoadCursorA(instance, IDC_CROSS), nullptr);
    EXPECT_EQ(LoadIconA(nullptr, MAKEINTRESOURCEA(1)), nullptr);
    EXPECT_EQ(GetModuleHandleA("other.dll"), nullptr);
}

TEST(PlatformProcess, SleepCursorCountAndTicks) {
    SeamReset();
    SeamRecordSleeps(true);
    DWORD start = GetTickCount();
    Sleep(100000);
    Sleep(200);
    EXPECT_EQ(SeamRecordedSleeps(), (std::vector<DWORD>{100000, 200}));
    EXPECT_LT(GetTickCount() - start, 1000u);  // recorded, not slept
    SeamRecordSleeps(false);
    Sleep(30);
    EXPECT_GE(GetTickCount() - start, 29u);
    EXPECT_EQ(SeamRecordedSleeps().size(), 2u);

    int count = SeamCursorDisplayCount();
    EXPECT_EQ(ShowCursor(TRUE), count + 1);
    EXPECT_EQ(ShowCursor(FALSE), count);
    EXPECT_EQ(ShowCursor(FALSE), count - 1);
    EXPECT_EQ(ShowCursor(TRUE), count);

    SetLastError(1234);
    EXPECT_EQ(GetLastError(), 1234u);
    POINT point;
    SeamSetCursorPos(-5, 900);
    ASSERT_TRUE(GetCursorPos(&point));
    EXPECT_EQ(point.x, -5);
    EXPECT_EQ(point.y, 900);
    EXPECT_FALSE(GetCursorPos(nullptr));
    SeamSetKeyHeld(VK_OEM_4, true);
    EXPECT_LT(GetAsyncKeyState(VK_OEM_4), 0);
    EXPECT_EQ(GetAsyncKeyState(VK_OEM_6), 0);
    SeamSetKeyHeld(VK_OEM_4, false);
    EXPECT_EQ(GetAsyncKeyState(VK_OEM_4), 0);
    SeamReset();
}

}  // namespace
