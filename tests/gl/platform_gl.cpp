// Pixel formats, device contexts and OpenGL contexts of the platform layer, on real contexts.
#include "platform/platform_seams.h"
#include "platform/win32.h"
#include "tests/support/gl_context.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>

#ifndef GL_CONTEXT_PROFILE_MASK
#define GL_CONTEXT_PROFILE_MASK 0x9126
#define GL_CONTEXT_COMPATIBILITY_PROFILE_BIT 0x00000002
#endif

namespace {

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

PIXELFORMATDESCRIPTOR ProgramDescriptor(BYTE colourBits) {
    PIXELFORMATDESCRIPTOR descriptor;
    memset(&descriptor, 0, sizeof(descriptor));
    descriptor.nSize = sizeof(descriptor);
    descriptor.nVersion = 1;
    descriptor.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    descriptor.iPixelType = PFD_TYPE_RGBA;
    descriptor.cColorBits = colourBits;
    descriptor.cDepthBits = 16;
    return descriptor;
}

// A registered class and one hidden window, released by the fixture; each test checks that the
// layer's live counters come back to where they started.
class PlatformGl : public ::testing::Test {
protected:
    void SetUp() override {
        SeamReset();
        windowsBefore = SeamLiveWindows();
        contextsBefore = SeamLiveContexts();
        classesBefore = SeamRegisteredClasses();
        dcsBefore = SeamHeldDCs();
        WNDCLASSA windowClass = {};
        windowClass.style = CS_OWNDC;
        windowClass.lpfnWndProc = PlainProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "PlatformGlTest";
        ASSERT_NE(RegisterClassA(&windowClass), 0);
    }
    void TearDown() override {
        for (HWND window : windows) DestroyWindow(window);
        EXPECT_TRUE(UnregisterClassA("PlatformGlTest", GetModuleHandleA(nullptr)));
        SeamReset();
        EXPECT_EQ(SeamLiveWindows(), windowsBefore);
        EXPECT_EQ(SeamRegisteredClasses(), classesBefore);
        EXPECT_EQ(SeamHeldDCs(), dcsBefore);
        EXPECT_EQ(SeamLiveContexts(), contextsBefore);
    }
    HWND NewWindow(int width = 32, int height = 24) {
        HWND window = CreateWindowExA(0, "PlatformGlTest", "t", WS_POPUP, 0, 0, width, height, nullptr, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
        if (window) windows.push_back(window);
        return window;
    }
    HDC FormattedDC(HWND window) {
        HDC dc = GetDC(window);
        PIXELFORMATDESCRIPTOR descriptor = ProgramDescriptor(16);
        int format = ChoosePixelFormat(dc, &descriptor);
        EXPECT_NE(format, 0);
        EXPECT_TRUE(SetPixelFormat(dc, format, &descriptor));
        return dc;
    }
    std::vector<HWND> windows;
    int windowsBefore = 0, contextsBefore = 0, classesBefore = 0, dcsBefore = 0;
};

TEST(PlatformGlHelper, TestWindowGivesCompatibilityContextWithEightBitChannels) {
    ASSERT_TRUE(OpenTestGlWindow(64, 48));
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    ASSERT_NE(version, nullptr);
    GLint profile = 0;
    glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);
    // A 2.1-or-older context reports no profile; a newer one must be the compatibility profile.
    bool compatibility = (profile & GL_CONTEXT_COMPATIBILITY_PROFILE_BIT) != 0 ||
                         std::string(version).find("Compatibility") != std::string::npos || version[0] < '3';
    EXPECT_TRUE(compatibility) << version;
    RecordProperty("GL_VERSION", version);
    GLint red = 0, green = 0, blue = 0, depth = 0;
    glGetIntegerv(GL_RED_BITS, &red);
    glGetIntegerv(GL_GREEN_BITS, &green);
    glGetIntegerv(GL_BLUE_BITS, &blue);
    glGetIntegerv(GL_DEPTH_BITS, &depth);
    EXPECT_EQ(red, 8);
    EXPECT_EQ(green, 8);
    EXPECT_EQ(blue, 8);
    EXPECT_GE(depth, 16);

    // Colours that need all 8 bits come back exactly; an immediate-mode quad draws over the clear.
    glClearColor(1.0f / 255, 128.0f / 255, 254.0f / 255, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_TEXTURE_2D);
    glColor3ub(200, 10, 77);
    glBegin(GL_QUADS);
    glVertex2f(-1, -1);
    glVertex2f(0, -1);
    glVertex2f(0, 1);
    glVertex2f(-1, 1);
    glEnd();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    std::vector<unsigned char> left = ReadBackBufferRGBA(5, 5, 1, 1);
    std::vector<unsigned char> right = ReadBackBufferRGBA(50, 40, 1, 1);
    EXPECT_EQ(std::vector<unsigned char>({200, 10, 77}), std::vector<unsigned char>(left.begin(), left.begin() + 3));
    EXPECT_EQ(std::vector<unsigned char>({1, 128, 254}), std::vector<unsigned char>(right.begin(), right.begin() + 3));
    CloseTestGlWindow();
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    EXPECT_EQ(SeamLiveContexts(), 0);
    EXPECT_EQ(SeamLiveWindows(), 0);
}

TEST_F(PlatformGl, ChoosePixelFormatAcceptsRgbaOpenGlRequestsOnly) {
    HWND window = NewWindow();
    ASSERT_NE(window, nullptr);
    HDC dc = GetDC(window);
    ASSERT_NE(dc, nullptr);
    struct Case {
        const char* what;
        DWORD flags;
        BYTE type;
        BYTE colourBits;
        bool accepted;
    };
    const DWORD gl = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    const Case cases[] = {
        {"16 colour bits, as the program asks", gl, PFD_TYPE_RGBA, 16, true},
        {"32 colour bits", gl, PFD_TYPE_RGBA, 32, true},
        {"single-buffered", PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL, PFD_TYPE_RGBA, 24, true},
        {"no OpenGL support asked", PFD_DRAW_TO_WINDOW | PFD_DOUBLEBUFFER, PFD_TYPE_RGBA, 16, false},
        {"colour index", gl, PFD_TYPE_COLORINDEX, 8, false},
        {"bitmap", PFD_DRAW_TO_BITMAP | PFD_SUPPORT_OPENGL, PFD_TYPE_RGBA, 16, false},
    };
    for (const Case& c : cases) {
        PIXELFORMATDESCRIPTOR descriptor = ProgramDescriptor(c.colourBits);
        descriptor.dwFlags = c.flags;
        descriptor.iPixelType = c.type;
        int format = ChoosePixelFormat(dc, &descriptor);
        EXPECT_EQ(format != 0, c.accepted) << c.what;
        if (!format) continue;
        PIXELFORMATDESCRIPTOR chosen;
        ASSERT_NE(DescribePixelFormat(dc, format, sizeof(chosen), &chosen), 0) << c.what;
        EXPECT_EQ(chosen.cRedBits, 8) << c.what;
        EXPECT_EQ(chosen.cGreenBits, 8) << c.what;
        EXPECT_EQ(chosen.cBlueBits, 8) << c.what;
        EXPECT_GE(chosen.cDepthBits, 16) << c.what;
        EXPECT_TRUE(chosen.dwFlags & PFD_DOUBLEBUFFER) << c.what;
        EXPECT_TRUE(chosen.dwFlags & PFD_SUPPORT_OPENGL) << c.what;
    }
    EXPECT_EQ(ChoosePixelFormat(dc, nullptr), 0);
    PIXELFORMATDESCRIPTOR descriptor = ProgramDescriptor(16);
    EXPECT_EQ(ChoosePixelFormat(nullptr, &descriptor), 0);
    EXPECT_EQ(ReleaseDC(window, dc), 1);
}

TEST_F(PlatformGl, DeviceContextIsTheWindowsOwnAndReleasesOncePerGet) {
    HWND window = NewWindow();
    ASSERT_NE(window, nullptr);
    HDC first = GetDC(window);
    HDC second = GetDC(window);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_EQ(SeamHeldDCs(), dcsBefore + 2);
    EXPECT_EQ(ReleaseDC(window, first), 1);
    EXPECT_EQ(ReleaseDC(window, first), 1);
    EXPECT_EQ(ReleaseDC(window, first), 0);  // nothing left to release
    EXPECT_EQ(SeamHeldDCs(), dcsBefore);
    EXPECT_EQ(GetDC(nullptr), nullptr);
    EXPECT_EQ(GetDC(reinterpret_cast<HWND>(0x12345)), nullptr);
    EXPECT_EQ(ReleaseDC(window, reinterpret_cast<HDC>(0x777)), 0);
}

TEST_F(PlatformGl, PixelFormatIsSetOnceAndContextsNeedIt) {
    HWND window = NewWindow();
    ASSERT_NE(window, nullptr);
    HDC dc = GetDC(window);
    EXPECT_EQ(wglCreateContext(dc), nullptr);  // no pixel format yet
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PIXEL_FORMAT), GetLastError());
    EXPECT_EQ(SwapBuffers(dc), FALSE);
    PIXELFORMATDESCRIPTOR descriptor = ProgramDescriptor(16);
    int format = ChoosePixelFormat(dc, &descriptor);
    ASSERT_EQ(format, 1);
    EXPECT_EQ(SetPixelFormat(dc, 0, &descriptor), FALSE);
    EXPECT_TRUE(SetPixelFormat(dc, format, &descriptor));
    EXPECT_TRUE(SetPixelFormat(dc, format, &descriptor));           // the same again is fine
    EXPECT_EQ(SetPixelFormat(dc, format + 1, &descriptor), FALSE);  // another one is not
    EXPECT_EQ(SeamWindowPixelFormat(dc), format);
    EXPECT_EQ(ReleaseDC(window, dc), 1);
}

TEST_F(PlatformGl, ContextsAreMadeWithoutBecomingCurrentAndDetachOnDelete) {
    HWND window = NewWindow();
    ASSERT_NE(window, nullptr);
    HDC dc = FormattedDC(window);
    HGLRC first = wglCreateContext(dc);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    EXPECT_EQ(SeamLiveContexts(), contextsBefore + 1);
    ASSERT_TRUE(wglMakeCurrent(dc, first));
    EXPECT_EQ(wglGetCurrentContext(), first);

    HGLRC second = wglCreateContext(dc);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(wglGetCurrentContext(), first);  // creation left the current one current
    glClearColor(0, 1, 0, 1);                  // and GL calls still go to it
    glClear(GL_COLOR_BUFFER_BIT);
    EXPECT_EQ(ReadBackBufferRGBA(1, 1, 1, 1)[1], 255);

    EXPECT_TRUE(wglDeleteContext(first));  // deleting the current context detaches it
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    EXPECT_EQ(wglDeleteContext(first), FALSE);  // a stale handle fails cleanly
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_EQ(wglMakeCurrent(dc, first), FALSE);
    EXPECT_EQ(wglMakeCurrent(dc, reinterpret_cast<HGLRC>(0x4242)), FALSE);
    EXPECT_EQ(wglMakeCurrent(reinterpret_cast<HDC>(0x4242), second), FALSE);
    EXPECT_TRUE(wglMakeCurrent(nullptr, nullptr));  // detaching with nothing current is fine

    // A context outlives its window; the window's DC dies with the window.
    ASSERT_TRUE(wglMakeCurrent(dc, second));
    EXPECT_TRUE(DestroyWindow(window));
    windows.clear();
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    EXPECT_EQ(SeamHeldDCs(), dcsBefore);
    EXPECT_EQ(wglMakeCurrent(dc, second), FALSE);
    EXPECT_EQ(SwapBuffers(dc), FALSE);
    EXPECT_TRUE(wglDeleteContext(second));
}

struct SwapProbe {
    int calls = 0;
    unsigned char green = 0;
};

void ProbeSwap(HDC, void* data) {
    SwapProbe* probe = static_cast<SwapProbe*>(data);
    probe->calls++;
    probe->green = ReadBackBufferRGBA(2, 2, 1, 1)[1];
}

TEST_F(PlatformGl, SwapBuffersRunsTheHookOnTheFrameBeingShown) {
    HWND window = NewWindow();
    ASSERT_NE(window, nullptr);
    HDC dc = FormattedDC(window);
    HGLRC context = wglCreateContext(dc);
    ASSERT_TRUE(wglMakeCurrent(dc, context));
    SwapProbe probe;
    SeamSetSwapHook(ProbeSwap, &probe);
    glClearColor(0, 200.0f / 255, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    EXPECT_TRUE(SwapBuffers(dc));
    EXPECT_EQ(probe.calls, 1);
    EXPECT_EQ(probe.green, 200);
    EXPECT_EQ(SeamSwapCount(), 1);
    SeamFailCall(PlatformCall::SwapBuffers);
    EXPECT_EQ(SwapBuffers(dc), FALSE);
    EXPECT_EQ(probe.calls, 1);  // a failed swap shows nothing
    EXPECT_EQ(SeamSwapCount(), 1);
    EXPECT_EQ(SeamCallCount(PlatformCall::SwapBuffers), 2);
    SeamSetSwapHook(nullptr, nullptr);
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(context);
    ReleaseDC(window, dc);
}

// The open sequence of a GL window, as the program runs it, with one call made to fail at each
// step in turn: nothing the failing call would have made may exist afterwards.
TEST_F(PlatformGl, InjectedFailuresCreateNothing) {
    const PlatformCall steps[] = {PlatformCall::CreateWindow, PlatformCall::GetDC, PlatformCall::ChoosePixelFormat,
                                  PlatformCall::SetPixelFormat, PlatformCall::CreateContext,
                                  PlatformCall::MakeCurrent};
    for (PlatformCall failing : steps) {
        SeamReset();
        SeamFailCall(failing);
        int windows0 = SeamLiveWindows(), contexts0 = SeamLiveContexts(), dcs0 = SeamHeldDCs();
        HWND window = CreateWindowExA(0, "PlatformGlTest", "t", WS_POPUP, 0, 0, 16, 16, nullptr, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
        HDC dc = window ? GetDC(window) : nullptr;
        PIXELFORMATDESCRIPTOR descriptor = ProgramDescriptor(16);
        int format = dc ? ChoosePixelFormat(dc, &descriptor) : 0;
        BOOL formatted = format ? SetPixelFormat(dc, format, &descriptor) : FALSE;
        HGLRC context = formatted ? wglCreateContext(dc) : nullptr;
        BOOL current = context ? wglMakeCurrent(dc, context) : FALSE;

        EXPECT_EQ(SeamCallCount(failing), 1);
        EXPECT_FALSE(current);
        switch (failing) {
            case PlatformCall::CreateWindow:
                EXPECT_EQ(window, nullptr);
                EXPECT_EQ(SeamLiveWindows(), windows0);
                EXPECT_TRUE(SeamDeliveredMessages().empty());
                break;
            case PlatformCall::GetDC:
                EXPECT_EQ(dc, nullptr);
                EXPECT_EQ(SeamHeldDCs(), dcs0);
                break;
            case PlatformCall::ChoosePixelFormat:
                EXPECT_EQ(format, 0);
                break;
            case PlatformCall::SetPixelFormat:
                EXPECT_FALSE(formatted);
                EXPECT_EQ(SeamWindowPixelFormat(dc), 0);
                break;
            case PlatformCall::CreateContext:
                EXPECT_EQ(context, nullptr);
                EXPECT_EQ(SeamLiveContexts(), contexts0);
                break;
            default:
                EXPECT_EQ(wglGetCurrentContext(), nullptr);
                break;
        }
        if (context) {
            EXPECT_TRUE(wglDeleteContext(context));
        }
        if (dc) {
            EXPECT_EQ(ReleaseDC(window, dc), 1);
        }
        if (window) {
            EXPECT_TRUE(DestroyWindow(window));
        }
        EXPECT_EQ(SeamLiveWindows(), windows0);
        EXPECT_EQ(SeamLiveContexts(), contexts0);
        EXPECT_EQ(SeamHeldDCs(), dcs0);
    }
}

// Release calls made to fail keep their object: the counters show that it is still there.
TEST_F(PlatformGl, InjectedReleaseFailuresKeepTheObject) {
    HWND window = NewWindow();
    ASSERT_NE(window, nullptr);
    HDC dc = FormattedDC(window);
    HGLRC context = wglCreateContext(dc);
    ASSERT_NE(context, nullptr);
    SeamFailCall(PlatformCall::DeleteContext);
    EXPECT_FALSE(wglDeleteContext(context));
    EXPECT_EQ(SeamLiveContexts(), contextsBefore + 1);
    EXPECT_TRUE(wglDeleteContext(context));
    SeamFailCall(PlatformCall::ReleaseDC);
    EXPECT_EQ(ReleaseDC(window, dc), 0);
    EXPECT_EQ(SeamHeldDCs(), dcsBefore + 1);
    EXPECT_EQ(ReleaseDC(window, dc), 1);
    SeamFailCall(PlatformCall::DestroyWindow);
    EXPECT_FALSE(DestroyWindow(window));
    EXPECT_TRUE(IsWindow(window));
    SeamFailCall(PlatformCall::UnregisterClass);
    EXPECT_FALSE(UnregisterClassA("PlatformGlTest", GetModuleHandleA(nullptr)));
    EXPECT_EQ(SeamRegisteredClasses(), classesBefore + 1);
}

}  // namespace
