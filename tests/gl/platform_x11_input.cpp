// The platform layer on a real X server (a private Xvfb): windows land where asked, and the
// physical pointer and keys, moved and pressed through XTest, are what GetCursorPos and
// GetAsyncKeyState report. Skips when Xvfb cannot be started.
#include "platform/internal.h"
#include "platform/platform_seams.h"
#include "platform/win32.h"
#include "tests/support/gl_context.h"

#include <gtest/gtest.h>  // before Xlib, whose None macro it would trip over

#include <SDL2/SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace {

pid_t xvfbPid = -1;
Display* control = nullptr;  // the test's own connection, for XTest and for asking the server
std::string skipReason;

// Starts Xvfb on a free display number, which it reports through -displayfd.
bool StartXvfb() {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return false;
    xvfbPid = fork();
    if (xvfbPid < 0) return false;
    if (xvfbPid == 0) {
        close(pipeFds[0]);
        std::string fd = std::to_string(pipeFds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeFds[1]);
    std::string number;
    char c;
    while (read(pipeFds[0], &c, 1) == 1 && c != '\n') number += c;
    close(pipeFds[0]);
    if (number.empty()) return false;
    std::string name = ":" + number;
    control = XOpenDisplay(name.c_str());
    if (!control) return false;
    int event, error, major, minor;
    if (!XTestQueryExtension(control, &event, &error, &major, &minor)) return false;
    setenv("DISPLAY", name.c_str(), 1);
    setenv("SDL_VIDEODRIVER", "x11", 1);  // the GL tests' environment asks for offscreen
    return true;
}

class X11Environment : public ::testing::Environment {
public:
    void SetUp() override {
        if (access("/usr/bin/Xvfb", X_OK) != 0 && system("command -v Xvfb >/dev/null 2>&1") != 0)
            skipReason = "Xvfb is not installed";
        else if (!StartXvfb())
            skipReason = "Xvfb did not start";
    }
    void TearDown() override {
        PlatformShutdown();
        if (control) XCloseDisplay(control);
        if (xvfbPid > 0) {
            kill(xvfbPid, SIGTERM);
            waitpid(xvfbPid, nullptr, 0);
        }
    }
};
::testing::Environment* const environment = ::testing::AddGlobalTestEnvironment(new X11Environment);

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

void Pump(int milliseconds) {
    Uint32 end = SDL_GetTicks() + static_cast<Uint32>(milliseconds);
    MSG msg;
    do {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        SDL_Delay(5);
    } while (SDL_TICKS_PASSED(SDL_GetTicks(), end) == 0);
}

// The window's rectangle as the X server has it, in root coordinates.
RECT ServerRect(HWND window) {
    RECT rect = {0, 0, 0, 0};
    WindowRecord* record = LookupWindow(window);
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!record || !SDL_GetWindowWMInfo(record->sdlWindow, &info)) return rect;
    XWindowAttributes attributes;
    XGetWindowAttributes(control, info.info.x11.window, &attributes);
    int rootX = 0, rootY = 0;
    Window child;
    XTranslateCoordinates(control, info.info.x11.window, DefaultRootWindow(control), 0, 0, &rootX, &rootY, &child);
    rect.left = rootX;
    rect.top = rootY;
    rect.right = rootX + attributes.width;
    rect.bottom = rootY + attributes.height;
    return rect;
}

void ExpectSameRect(const RECT& a, const RECT& b) {
    EXPECT_EQ(a.left, b.left);
    EXPECT_EQ(a.top, b.top);
    EXPECT_EQ(a.right, b.right);
    EXPECT_EQ(a.bottom, b.bottom);
}

class PlatformX11 : public ::testing::Test {
protected:
    void SetUp() override {
        if (!skipReason.empty()) GTEST_SKIP() << skipReason;
        SeamReset();
        WNDCLASSA windowClass = {};
        windowClass.style = CS_OWNDC;
        windowClass.lpfnWndProc = Proc;
        windowClass.hCursor = LoadCursorA(nullptr, IDC_CROSS);
        windowClass.lpszClassName = "X11Test";
        ASSERT_NE(RegisterClassA(&windowClass), 0);
    }
    void TearDown() override {
        if (!skipReason.empty()) return;
        if (IsWindow(window)) DestroyWindow(window);
        UnregisterClassA("X11Test", nullptr);
        SeamReset();
    }
    HWND Create(int x, int y, int width, int height) {
        window = CreateWindowExA(0, "X11Test", "x11 test", WS_POPUP, x, y, width, height, nullptr, nullptr, nullptr,
                                 nullptr);
        return window;
    }
    void Key(KeySym keysym, bool down) {
        XTestFakeKeyEvent(control, XKeysymToKeycode(control, keysym), down ? True : False, CurrentTime);
        XSync(control, False);
    }
    HWND window = nullptr;
};

TEST_F(PlatformX11, BorderlessWindowLandsExactlyWhereAskedAndFollowsMoveWindow) {
    ASSERT_TRUE(VideoReady() || EnsureVideo());
    ASSERT_TRUE(VideoIsX11());
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
    ASSERT_NE(Create(123, 45, 320, 240), nullptr);
    ShowWindow(window, SW_SHOW);
    Pump(200);
    RECT ours;
    ASSERT_TRUE(GetWindowRect(window, &ours));
    ExpectSameRect(ours, RECT{123, 45, 443, 285});
    ExpectSameRect(ServerRect(window), ours);

    // Partly off the screen, as a zoom-4 window on a small screen is.
    EXPECT_TRUE(MoveWindow(window, -128, 300, 1280, 960, TRUE));
    Pump(200);
    ASSERT_TRUE(GetWindowRect(window, &ours));
    ExpectSameRect(ours, RECT{-128, 300, 1152, 1260});
    ExpectSameRect(ServerRect(window), ours);
}

TEST_F(PlatformX11, CursorPositionIsThePhysicalPointer) {
    ASSERT_NE(Create(0, 0, 100, 100), nullptr);
    ShowWindow(window, SW_SHOW);
    Pump(50);
    for (POINT target : {POINT{500, 400}, POINT{3, 760}, POINT{1023, 0}}) {
        XTestFakeMotionEvent(control, DefaultScreen(control), target.x, target.y, CurrentTime);
        XSync(control, False);
        POINT point = {-1, -1};
        ASSERT_TRUE(GetCursorPos(&point));  // at once, with no events pumped in between
        EXPECT_EQ(point.x, target.x);
        EXPECT_EQ(point.y, target.y);
    }
}

TEST_F(PlatformX11, KeysAndButtonsArePhysicalStateAlsoWithoutTheFocus) {
    ASSERT_NE(Create(0, 0, 100, 100), nullptr);
    ShowWindow(window, SW_SHOW);
    Pump(50);
    // Another window takes the keyboard focus.
    Window other = XCreateSimpleWindow(control, DefaultRootWindow(control), 600, 400, 50, 50, 0, 0, 0);
    XMapWindow(control, other);
    XSync(control, False);
    SDL_Delay(50);
    XSetInputFocus(control, other, RevertToParent, CurrentTime);
    XSync(control, False);
    Pump(50);

    struct Case {
        KeySym keysym;
        int virtualKey;
    };
    const Case cases[] = {{XK_bracketleft, VK_OEM_4}, {XK_bracketright, VK_OEM_6}, {XK_m, 'M'},
                          {XK_Escape, VK_ESCAPE},      {XK_F4, VK_F4},           {XK_Shift_R, VK_SHIFT},
                          {XK_Prior, VK_PRIOR},        {XK_Left, VK_LEFT}};
    for (const Case& c : cases) {
        SCOPED_TRACE(XKeysymToString(c.keysym));
        EXPECT_EQ(GetAsyncKeyState(c.virtualKey), 0);
        Key(c.keysym, true);
        EXPECT_LT(GetAsyncKeyState(c.virtualKey), 0);
        EXPECT_EQ(GetAsyncKeyState(c.virtualKey) & 0x8000, 0x8000);
        Key(c.keysym, false);
        EXPECT_EQ(GetAsyncKeyState(c.virtualKey), 0);
    }
    struct Button {
        unsigned int button;
        int virtualKey;
    };
    for (Button b : {Button{1, VK_LBUTTON}, Button{3, VK_RBUTTON}, Button{2, VK_MBUTTON}}) {
        XTestFakeButtonEvent(control, b.button, True, CurrentTime);
        XSync(control, False);
        EXPECT_LT(GetAsyncKeyState(b.virtualKey), 0) << "button " << b.button;
        XTestFakeButtonEvent(control, b.button, False, CurrentTime);
        XSync(control, False);
        EXPECT_EQ(GetAsyncKeyState(b.virtualKey), 0) << "button " << b.button;
    }
    XDestroyWindow(control, other);
    XSync(control, False);
}

TEST_F(PlatformX11, RealKeysArriveAsMessagesAndAltF4Closes) {
    ASSERT_NE(Create(200, 200, 200, 200), nullptr);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    SetFocus(window);
    XTestFakeMotionEvent(control, DefaultScreen(control), 300, 300, CurrentTime);
    XSync(control, False);
    Pump(200);
    SeamReset();
    Key(XK_bracketleft, true);
    Key(XK_bracketleft, false);
    Pump(200);
    std::vector<SeamDeliveredMessage> keys;
    for (const SeamDeliveredMessage& m : SeamDeliveredMessages())
        if (m.window == window && (m.message == WM_KEYDOWN || m.message == WM_KEYUP || m.message == WM_CHAR))
            keys.push_back(m);
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys[0].message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(keys[0].wParam, static_cast<WPARAM>(VK_OEM_4));
    EXPECT_EQ(static_cast<DWORD>(keys[0].lParam), 0x001A0001u);
    EXPECT_EQ(keys[1].message, static_cast<UINT>(WM_CHAR));
    EXPECT_EQ(keys[1].wParam, static_cast<WPARAM>('['));
    EXPECT_EQ(keys[2].message, static_cast<UINT>(WM_KEYUP));
    EXPECT_EQ(static_cast<DWORD>(keys[2].lParam), 0xC01A0001u);

    Key(XK_Alt_L, true);
    Key(XK_F4, true);
    Key(XK_F4, false);
    Key(XK_Alt_L, false);
    Pump(300);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(PlatformX11, GlContextOnTheXServer) {
    ASSERT_TRUE(OpenTestGlWindow(64, 64));
    GLint red = 0;
    glGetIntegerv(GL_RED_BITS, &red);
    EXPECT_EQ(red, 8);
    glClearColor(1.0f, 0.0f, 0.9f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    std::vector<unsigned char> pixel = ReadBackBufferRGBA(10, 10, 1, 1);
    EXPECT_EQ(pixel[0], 255);
    EXPECT_EQ(pixel[1], 0);
    EXPECT_GE(pixel[2], 229);
    EXPECT_LE(pixel[2], 230);
    CloseTestGlWindow();
}

}  // namespace
