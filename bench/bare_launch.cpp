// The floor of a launch: the least a process must do to show this program's first frame. It opens
// a window of the program's first size (zoom 3) where the program opens it, with a context of the
// same pixel format, paints the two pixels the launch benchmark looks for (the green frame at the
// bottom-left corner, the blue title band near the top-right) and swaps; then it idles until it is
// ended.
#include "platform/win32.h"

namespace {

const int kZoom = 3;
const int kWidth = 320 * kZoom, kHeight = 240 * kZoom;

LRESULT CALLBACK BareProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    HINSTANCE instance = GetModuleHandleA(NULL);
    WNDCLASSA windowClass = {};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = BareProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "OpenGL";
    if (!RegisterClassA(&windowClass)) return 1;
    const int x = GetSystemMetrics(SM_CXSCREEN) / 2 - kWidth / 2;
    const int y = GetSystemMetrics(SM_CYSCREEN) / 2 - kHeight / 2;
    HWND window = CreateWindowExA(0, "OpenGL", "DUD", WS_POPUP, x, y, kWidth, kHeight, NULL, NULL, instance, NULL);
    HDC dc = window ? GetDC(window) : NULL;
    if (!dc) return 1;
    PIXELFORMATDESCRIPTOR pfd = {};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 16;
    pfd.cDepthBits = 16;
    if (!SetPixelFormat(dc, ChoosePixelFormat(dc, &pfd), &pfd)) return 1;
    HGLRC context = wglCreateContext(dc);
    if (!context || !wglMakeCurrent(dc, context)) return 1;
    ShowWindow(window, SW_SHOW);

    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(1 * kZoom, 228 * kZoom, 318 * kZoom, 11 * kZoom);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    SwapBuffers(dc);

    MSG msg;
    for (;;) {
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return 0;
            DispatchMessageA(&msg);
        }
        Sleep(10);
    }
}
