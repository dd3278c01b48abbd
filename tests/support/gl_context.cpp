// A hidden test window with its OpenGL context, made through the platform layer.
#include "tests/support/gl_context.h"

#include "platform/win32.h"

namespace {

const char* const kTestClassName = "DudTestGl";
HWND testWindow = nullptr;
HDC testDC = nullptr;
HGLRC testContext = nullptr;

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

bool OpenTestGlWindow(int width, int height) {
    CloseTestGlWindow();
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass = {};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = TestWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kTestClassName;
    if (!RegisterClassA(&windowClass)) return false;

    testWindow = CreateWindowExA(0, kTestClassName, "test", WS_POPUP, 0, 0, width, height, nullptr, nullptr,
                                 instance, nullptr);
    if (!testWindow) {
        CloseTestGlWindow();
        return false;
    }
    testDC = GetDC(testWindow);
    PIXELFORMATDESCRIPTOR descriptor = {};
    descriptor.nSize = sizeof(descriptor);
    descriptor.nVersion = 1;
    descriptor.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    descriptor.iPixelType = PFD_TYPE_RGBA;
    descriptor.cColorBits = 32;
    descriptor.cAlphaBits = 8;
    descriptor.cDepthBits = 24;
    int format = testDC ? ChoosePixelFormat(testDC, &descriptor) : 0;
    if (!format || !SetPixelFormat(testDC, format, &descriptor)) {
        CloseTestGlWindow();
        return false;
    }
    testContext = wglCreateContext(testDC);
    if (!testContext || !wglMakeCurrent(testDC, testContext)) {
        CloseTestGlWindow();
        return false;
    }
    glViewport(0, 0, width, height);
    return true;
}

void CloseTestGlWindow() {
    if (testContext) {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(testContext);
        testContext = nullptr;
    }
    if (testDC) {
        ReleaseDC(testWindow, testDC);
        testDC = nullptr;
    }
    if (testWindow) {
        DestroyWindow(testWindow);
        testWindow = nullptr;
    }
    UnregisterClassA(kTestClassName, GetModuleHandleA(nullptr));
}

std::vector<unsigned char> ReadBackBufferRGBA(int x, int y, int w, int h) {
    std::vector<unsigned char> pixels(static_cast<size_t>(w > 0 ? w : 0) * (h > 0 ? h : 0) * 4);
    if (pixels.empty()) return pixels;
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, w, h, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}
