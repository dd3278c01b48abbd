// Windows and their messages on the offscreen video driver: what is sent from inside the window
// calls, what SDL's events turn into, and the default handling of closing.
#include "platform/internal.h"
#include "platform/platform_seams.h"
#include "platform/win32.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

struct Seen {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool sent;
    bool operator==(const Seen& other) const {
        return message == other.message && wParam == other.wParam && lParam == other.lParam && sent == other.sent;
    }
};

std::ostream& operator<<(std::ostream& out, const Seen& seen) {
    return out << "{0x" << std::hex << seen.message << ", 0x" << seen.wParam << ", 0x" << seen.lParam << std::dec
               << (seen.sent ? ", sent}" : ", dispatched}");
}

// What reached `window` since the last SeamReset, skipping nothing.
std::vector<Seen> SeenBy(HWND window) {
    std::vector<Seen> seen;
    for (const SeamDeliveredMessage& m : SeamDeliveredMessages())
        if (m.window == window) seen.push_back(Seen{m.message, m.wParam, m.lParam, m.sent});
    return seen;
}

LRESULT createResult = 0;
bool quitOnClose = false;

LRESULT CALLBACK TestProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) return createResult;
    if (message == WM_CLOSE && quitOnClose) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class PlatformWindows : public ::testing::Test {
protected:
    void SetUp() override {
        createResult = 0;
        quitOnClose = false;
        WNDCLASSA windowClass = {};
        windowClass.style = CS_OWNDC;
        windowClass.lpfnWndProc = TestProc;
        windowClass.hCursor = LoadCursorA(nullptr, IDC_CROSS);
        windowClass.lpszClassName = "PlatformWindowsTest";
        ASSERT_NE(RegisterClassA(&windowClass), 0);
        Drain();
        SeamReset();
    }
    void TearDown() override {
        if (IsWindow(window)) DestroyWindow(window);
        Drain();
        EXPECT_TRUE(UnregisterClassA("PlatformWindowsTest", nullptr));
        EXPECT_EQ(SeamLiveWindows(), 0);
        SeamReset();
    }
    HWND Create(int x, int y, int width, int height, DWORD style = WS_POPUP) {
        window = CreateWindowExA(WS_EX_APPWINDOW, "PlatformWindowsTest", "test", style, x, y, width, height, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
        return window;
    }
    // Takes every waiting message (WM_QUIT included) and dispatches it; returns how many.
    static int Drain(bool* sawQuit = nullptr) {
        MSG msg;
        int count = 0;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ++count;
            if (msg.message == WM_QUIT) {
                if (sawQuit) *sawQuit = true;
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        return count;
    }
    static void PushWindowEvent(HWND window, Uint8 kind, int data1 = 0, int data2 = 0);
    HWND window = nullptr;
};

Uint32 SdlIdOf(HWND window) {
    WindowRecord* record = LookupWindow(window);
    return record ? record->sdlId : 0;
}

void PlatformWindows::PushWindowEvent(HWND window, Uint8 kind, int data1, int data2) {
    SDL_Event event;
    SDL_zero(event);
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = SdlIdOf(window);
    event.window.event = kind;
    event.window.data1 = data1;
    event.window.data2 = data2;
    ASSERT_EQ(SDL_PushEvent(&event), 1);
}

TEST_F(PlatformWindows, CreateShowDestroySendTheirMessagesInOrder) {
    ASSERT_NE(Create(-40, 30, 200, 100), nullptr);
    EXPECT_EQ(SeamWindowClassName(window), "PlatformWindowsTest");
    EXPECT_EQ(SeamWindowStyle(window), WS_POPUP);
    EXPECT_EQ(SeamWindowExStyle(window), WS_EX_APPWINDOW);
    std::vector<Seen> created = SeenBy(window);
    ASSERT_EQ(created.size(), 4u);
    EXPECT_EQ(created[0].message, static_cast<UINT>(WM_NCCREATE));
    EXPECT_EQ(created[1].message, static_cast<UINT>(WM_CREATE));
    EXPECT_EQ(created[2], (Seen{WM_SIZE, SIZE_RESTORED, MAKELPARAM(200, 100), true}));
    EXPECT_EQ(created[3], (Seen{WM_MOVE, 0, MAKELPARAM(-40, 30), true}));

    RECT rect;
    ASSERT_TRUE(GetWindowRect(window, &rect));
    EXPECT_EQ(rect.left, -40);
    EXPECT_EQ(rect.top, 30);
    EXPECT_EQ(rect.right, 160);
    EXPECT_EQ(rect.bottom, 130);
    ASSERT_TRUE(GetClientRect(window, &rect));
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.right, 200);
    EXPECT_EQ(rect.bottom, 100);

    SeamReset();
    EXPECT_EQ(ShowWindow(window, SW_SHOW), FALSE);  // it was hidden
    EXPECT_TRUE(SetForegroundWindow(window));
    EXPECT_EQ(SetFocus(window), window);  // already had it: nothing more is sent
    Drain();
    std::vector<Seen> shown = SeenBy(window);
    std::vector<Seen> expectShown = {{WM_SHOWWINDOW, TRUE, 0, true},
                                     {WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), 0, true},
                                     {WM_SETFOCUS, 0, 0, true}};
    EXPECT_EQ(shown, expectShown);
    EXPECT_EQ(GetFocus(), window);

    SeamPostMessage(window, 0x0400 /* WM_USER */, 0, 0);  // queued, and must be dropped
    SeamReset();
    EXPECT_TRUE(DestroyWindow(window));
    std::vector<Seen> destroyed = SeenBy(window);
    std::vector<Seen> expectDestroyed = {{WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), 0, true},
                                         {WM_KILLFOCUS, 0, 0, true},
                                         {WM_DESTROY, 0, 0, true},
                                         {WM_NCDESTROY, 0, 0, true}};
    EXPECT_EQ(destroyed, expectDestroyed);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(GetFocus(), nullptr);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_FALSE(DestroyWindow(window));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE), GetLastError());
    EXPECT_FALSE(GetWindowRect(window, &rect));
    EXPECT_EQ(DispatchMessageA(&msg), 0);
}

TEST_F(PlatformWindows, CreateFailsWhenWmCreateAnswersMinusOne) {
    createResult = -1;
    EXPECT_EQ(Create(0, 0, 50, 50), nullptr);
    EXPECT_EQ(SeamLiveWindows(), 0);
    std::vector<UINT> messages;
    for (const SeamDeliveredMessage& m : SeamDeliveredMessages()) messages.push_back(m.message);
    EXPECT_EQ(messages, (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}));
    EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "x", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS), GetLastError());
    // A class with a window cannot go.
    createResult = 0;
    ASSERT_NE(Create(0, 0, 50, 50), nullptr);
    EXPECT_FALSE(UnregisterClassA("PlatformWindowsTest", nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_CLASS_HAS_WINDOWS), GetLastError());
}

TEST_F(PlatformWindows, VisibleStyleShowsAndActivatesFromCreate) {
    ASSERT_NE(Create(0, 0, 40, 40, WS_POPUP | WS_VISIBLE), nullptr);
    std::vector<UINT> messages;
    for (const Seen& seen : SeenBy(window)) messages.push_back(seen.message);
    EXPECT_EQ(messages, (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE, WM_SHOWWINDOW, WM_ACTIVATE,
                                           WM_SETFOCUS}));
}

TEST_F(PlatformWindows, AltF4GoesThroughSysCommandAndCloseToDestroy) {
    ASSERT_NE(Create(0, 0, 64, 64), nullptr);
    ShowWindow(window, SW_SHOW);
    SeamReset();
    const LPARAM altDown = static_cast<LPARAM>(1u | (0x3Eu << 16) | (1u << 29));
    SeamPostMessage(window, WM_SYSKEYDOWN, VK_F4, altDown);
    Drain();
    std::vector<UINT> messages;
    for (const Seen& seen : SeenBy(window)) messages.push_back(seen.message);
    EXPECT_EQ(messages, (std::vector<UINT>{WM_SYSKEYDOWN, WM_SYSCOMMAND, WM_CLOSE, WM_ACTIVATE, WM_KILLFOCUS,
                                           WM_DESTROY, WM_NCDESTROY}));
    ASSERT_GE(SeenBy(window).size(), 2u);
    EXPECT_EQ(SeenBy(window)[1], (Seen{WM_SYSCOMMAND, SC_CLOSE, 0, true}));
    EXPECT_FALSE(IsWindow(window));

    // F4 without Alt, and Alt+F4 arriving as a plain key, close nothing.
    ASSERT_NE(Create(0, 0, 64, 64), nullptr);
    SeamPostMessage(window, WM_SYSKEYDOWN, VK_F4, 1);
    SeamPostMessage(window, WM_KEYDOWN, VK_F4, altDown);
    Drain();
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(PlatformWindows, ClosingTheWindowReachesAProgramThatQuitsOnClose) {
    quitOnClose = true;
    ASSERT_NE(Create(0, 0, 64, 64), nullptr);
    ShowWindow(window, SW_SHOW);
    SeamReset();
    PushWindowEvent(window, SDL_WINDOWEVENT_CLOSE);
    bool sawQuit = false;
    Drain(&sawQuit);
    EXPECT_TRUE(sawQuit);
    EXPECT_TRUE(IsWindow(window));  // the program destroys it itself
    std::vector<Seen> seen = SeenBy(window);
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen[0], (Seen{WM_SYSCOMMAND, SC_CLOSE, 0, false}));
    EXPECT_EQ(seen[1], (Seen{WM_CLOSE, 0, 0, true}));

    // SIGINT and SIGTERM ask the same of the newest window; with no window left, the loop just quits.
    SeamReset();
    PlatformRequestClose();
    sawQuit = false;
    Drain(&sawQuit);
    EXPECT_TRUE(sawQuit);
    ASSERT_FALSE(SeenBy(window).empty());
    EXPECT_EQ(SeenBy(window)[0], (Seen{WM_CLOSE, 0, 0, false}));
    DestroyWindow(window);
    PlatformRequestClose();
    sawQuit = false;
    Drain(&sawQuit);
    EXPECT_TRUE(sawQuit);
}

TEST_F(PlatformWindows, MinimiseRestoreAndFocusEventsAreSentFromPeekMessage) {
    ASSERT_NE(Create(0, 0, 64, 64), nullptr);
    ShowWindow(window, SW_SHOW);
    SeamReset();
    PushWindowEvent(window, SDL_WINDOWEVENT_MINIMIZED);
    PushWindowEvent(window, SDL_WINDOWEVENT_RESTORED);
    PushWindowEvent(window, SDL_WINDOWEVENT_FOCUS_LOST);
    PushWindowEvent(window, SDL_WINDOWEVENT_FOCUS_LOST);  // no change: nothing sent
    PushWindowEvent(window, SDL_WINDOWEVENT_FOCUS_GAINED);
    PushWindowEvent(window, SDL_WINDOWEVENT_MOVED, 10, 20);
    PushWindowEvent(window, SDL_WINDOWEVENT_SIZE_CHANGED, 64, 64);  // the size it has: nothing sent
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));  // all sent, nothing queued
    std::vector<Seen> expected = {
        {WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1), 0, true},  {WM_KILLFOCUS, 0, 0, true},
        {WM_SIZE, SIZE_MINIMIZED, 0, true},                  {WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), 0, true},
        {WM_SETFOCUS, 0, 0, true},                           {WM_SIZE, SIZE_RESTORED, MAKELPARAM(64, 64), true},
        {WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), 0, true},  {WM_KILLFOCUS, 0, 0, true},
        {WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), 0, true},    {WM_SETFOCUS, 0, 0, true},
        {WM_MOVE, 0, MAKELPARAM(10, 20), true},
    };
    EXPECT_EQ(SeenBy(window), expected);
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, 10);
    EXPECT_EQ(rect.top, 20);
}

TEST_F(PlatformWindows, MoveWindowSetsOuterRectangleAndSendsMoveAndSize) {
    ASSERT_NE(Create(5, 5, 320, 240), nullptr);
    SeamReset();
    EXPECT_TRUE(MoveWindow(window, 100, -7, 640, 480, TRUE));
    std::vector<Seen> expected = {{WM_MOVE, 0, MAKELPARAM(100, -7), true},
                                  {WM_SIZE, SIZE_RESTORED, MAKELPARAM(640, 480), true}};
    EXPECT_EQ(SeenBy(window), expected);
    RECT rect;
    ASSERT_TRUE(GetWindowRect(window, &rect));
    EXPECT_EQ(rect.left, 100);
    EXPECT_EQ(rect.top, -7);
    EXPECT_EQ(rect.right, 740);
    EXPECT_EQ(rect.bottom, 473);
    EXPECT_FALSE(MoveWindow(nullptr, 0, 0, 1, 1, TRUE));
}

TEST_F(PlatformWindows, InputEventsAreQueuedAsWin32InputMessages) {
    ASSERT_NE(Create(0, 0, 64, 64), nullptr);
    ShowWindow(window, SW_SHOW);
    Uint32 id = SdlIdOf(window);
    SDL_Event event;
    SDL_zero(event);
    event.type = SDL_KEYDOWN;
    event.key.windowID = id;
    event.key.state = SDL_PRESSED;
    event.key.keysym.scancode = SDL_SCANCODE_A;
    event.key.keysym.sym = SDLK_a;
    SDL_PushEvent(&event);
    SDL_zero(event);
    event.type = SDL_MOUSEMOTION;
    event.motion.windowID = id;
    event.motion.x = -3;  // dragged off the left edge
    event.motion.y = 17;
    event.motion.state = SDL_BUTTON_LMASK;
    SDL_PushEvent(&event);
    SDL_zero(event);
    event.type = SDL_MOUSEBUTTONUP;
    event.button.windowID = id;
    event.button.button = SDL_BUTTON_RIGHT;
    event.button.x = 4;
    event.button.y = 5;
    SDL_PushEvent(&event);
    SeamReset();

    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, window);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>('A'));
    EXPECT_EQ(msg.lParam, static_cast<LPARAM>(1 | (0x1E << 16)));
    EXPECT_NE(msg.time, 0u);
    TranslateMessage(&msg);  // the character comes next, before the mouse
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_CHAR));
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>('a'));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_MOUSEMOVE));
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>(MK_LBUTTON));
    EXPECT_EQ(LOWORD(msg.lParam), 0xFFFD);  // -3 as a 16-bit half, as on Win32
    EXPECT_EQ(HIWORD(msg.lParam), 17);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_RBUTTONUP));
    EXPECT_EQ(msg.lParam, MAKELPARAM(4, 5));
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(PlatformWindows, ScreenSizeComesFromTheDisplayOrTheSeam) {
    EXPECT_GT(GetSystemMetrics(SM_CXSCREEN), 0);
    EXPECT_GT(GetSystemMetrics(SM_CYSCREEN), 0);
    SeamSetScreenSize(1366, 768);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1366);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
    RECT rect = {0, 0, 960, 720};
    EXPECT_TRUE(AdjustWindowRectEx(&rect, WS_POPUP, FALSE, WS_EX_APPWINDOW | WS_EX_WINDOWEDGE));
    EXPECT_EQ(rect.right, 960);
    EXPECT_EQ(rect.bottom, 720);
}

}  // namespace
