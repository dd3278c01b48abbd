#include "app/display_window.h"

#include "app/program_state.h"
#include "app/window_proc.h"
#include "scene/frame.h"
#include "scene/texture_images.h"

namespace {

const char kClassName[] = "OpenGL";
const DWORD kExStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
const DWORD kStyle = WS_POPUP;

// Filled by the first OpenDisplayWindow and reused unchanged by every later one, so the colour
// depth of the first call holds for the whole run.
PIXELFORMATDESCRIPTOR pixelFormat;
bool pixelFormatFilled = false;

void FillPixelFormat(int bits) {
    PIXELFORMATDESCRIPTOR pfd = {};
    pfd.nSize = sizeof(PIXELFORMATDESCRIPTOR);
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = (BYTE)bits;
    pfd.cDepthBits = 16;
    pfd.iLayerType = PFD_MAIN_PLANE;
    pixelFormat = pfd;
    pixelFormatFilled = true;
}

bool Fail() {
    CloseDisplayWindow();
    return false;
}

}  // namespace

bool OpenDisplayWindow(const char* title, int width, int height, int bits, bool fullscreen) {
    RECT rect;
    rect.left = 0;
    rect.top = 0;
    rect.right = width;
    rect.bottom = height;

    fullscreenFlag = fullscreen;
    appInstance = GetModuleHandleA(NULL);

    WNDCLASSA windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = appInstance;
    windowClass.hIcon = LoadIconA(NULL, IDI_WINLOGO);
    windowClass.hCursor = LoadCursorA(NULL, IDC_CROSS);
    windowClass.hbrBackground = NULL;
    windowClass.lpszMenuName = NULL;
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassA(&windowClass)) return false;

    AdjustWindowRectEx(&rect, kStyle, FALSE, kExStyle);

    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    // Centred on the requested client size; each half truncated on its own.
    const int x = screenWidth / 2 - width / 2;
    const int y = screenHeight / 2 - height / 2;
    mainWindow = CreateWindowExA(kExStyle, kClassName, title, kStyle | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, x, y,
                                 rect.right - rect.left, rect.bottom - rect.top, NULL, NULL, appInstance, NULL);
    if (!mainWindow) return Fail();

    if (!pixelFormatFilled) FillPixelFormat(bits);

    windowDC = GetDC(mainWindow);
    if (!windowDC) return Fail();
    const int format = ChoosePixelFormat(windowDC, &pixelFormat);
    if (!format) return Fail();
    if (!SetPixelFormat(windowDC, format, &pixelFormat)) return Fail();
    glContext = wglCreateContext(windowDC);
    if (!glContext) return Fail();
    if (!wglMakeCurrent(windowDC, glContext)) return Fail();

    ShowWindow(mainWindow, SW_SHOW);
    SetForegroundWindow(mainWindow);
    SetFocus(mainWindow);
    SetProjection(width, height);
    if (!InitGlState()) return Fail();
    return true;
}

void CloseDisplayWindow() {
    if (glContext) {
        wglMakeCurrent(NULL, NULL);
        wglDeleteContext(glContext);
        glContext = NULL;
    }
    // A successful release forgets the handle as well: nothing relies on the old value, and a
    // stale handle would be released a second time by the next close.
    if (windowDC) {
        ReleaseDC(mainWindow, windowDC);
        windowDC = NULL;
    }
    if (mainWindow) {
        DestroyWindow(mainWindow);
        mainWindow = NULL;
    }
    if (!UnregisterClassA(kClassName, appInstance)) appInstance = NULL;
}

void SetProjection(int width, int height) {
    if (height == 0) height = 1;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const float aspect = (float)width / (float)height;
    gluPerspective(45.0, (double)aspect, (double)0.1f, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

bool InitGlState() {
    if (!CreateTextures()) return false;
    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glClearColor(1.0f, 0.0f, 0.9f, 0.0f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glLightfv(GL_LIGHT1, GL_AMBIENT, lightAmbient);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, lightDiffuse);
    glLightfv(GL_LIGHT1, GL_POSITION, lightPosition);
    glEnable(GL_LIGHT1);
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    // The composite's colour key is whatever the clear colour reads back as in this context.
    ProbeColourKey();
    return true;
}
