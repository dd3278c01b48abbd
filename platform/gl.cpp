// Device contexts, pixel formats and OpenGL rendering contexts over SDL's GL contexts.
//
// Each window owns one device context (as with CS_OWNDC), valid for the window's life. The layer
// offers one pixel format, 8 bits a channel RGBA, double-buffered, 24-bit depth, 8-bit stencil,
// which every window can carry because SDL's GL attributes are set before any window exists.
#include "platform/internal.h"

#include <string.h>

#include <map>

namespace {

const int kFormatCount = 1;

struct ContextRecord {
    SDL_GLContext context = nullptr;
};

std::map<HGLRC, ContextRecord> contexts;
uintptr_t nextContextSerial = 1;
HGLRC currentContext = nullptr;
HWND currentWindow = nullptr;  // the window whose DC the current context draws to

ContextRecord* FindContext(HGLRC context) {
    if (!context) return nullptr;
    auto found = contexts.find(context);
    return found == contexts.end() ? nullptr : &found->second;
}

SDL_Window* CurrentSdlWindow() {
    WindowRecord* window = LookupWindow(currentWindow);
    return window ? window->sdlWindow : nullptr;
}

void Detach() {
    if (currentContext) SDL_GL_MakeCurrent(CurrentSdlWindow(), nullptr);
    currentContext = nullptr;
    currentWindow = nullptr;
}

void DescribeOurFormat(PIXELFORMATDESCRIPTOR* out) {
    PIXELFORMATDESCRIPTOR format;
    memset(&format, 0, sizeof(format));
    format.nSize = sizeof(PIXELFORMATDESCRIPTOR);
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = 24;  // colour bits exclude alpha
    format.cRedBits = 8;
    format.cRedShift = 16;
    format.cGreenBits = 8;
    format.cGreenShift = 8;
    format.cBlueBits = 8;
    format.cBlueShift = 0;
    // What the windows were actually made with: the alpha and stencil bits may have been dropped
    // for an X visual that has none.
    int alpha = 8, stencil = 8;
    if (VideoReady()) {
        SDL_GL_GetAttribute(SDL_GL_ALPHA_SIZE, &alpha);
        SDL_GL_GetAttribute(SDL_GL_STENCIL_SIZE, &stencil);
    }
    format.cAlphaBits = static_cast<BYTE>(alpha);
    format.cAlphaShift = alpha ? 24 : 0;
    format.cDepthBits = 24;
    format.cStencilBits = static_cast<BYTE>(stencil);
    format.iLayerType = PFD_MAIN_PLANE;
    *out = format;
}

}  // namespace

void GlWindowDestroyed(WindowRecord* window) {
    // A context survives its window, but it cannot stay current on a drawable that is gone.
    if (currentWindow == window->handle) Detach();
}

HDC WINAPI GetDC(HWND handle) {
    if (SeamShouldFail(PlatformCall::GetDC)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    WindowRecord* window = LookupWindow(handle);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    window->heldDCs++;
    return window->dc;
}

int WINAPI ReleaseDC(HWND handle, HDC dc) {
    if (SeamShouldFail(PlatformCall::ReleaseDC)) return 0;
    WindowRecord* window = LookupWindowByDC(dc);
    if (!window || (handle && window->handle != handle) || window->heldDCs == 0) return 0;
    window->heldDCs--;
    return 1;
}

int WINAPI ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* descriptor) {
    if (SeamShouldFail(PlatformCall::ChoosePixelFormat)) {
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
        return 0;
    }
    if (!LookupWindowByDC(dc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (!descriptor) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // Our one format is the closest to any RGBA request for OpenGL on a window, whatever the colour
    // and depth bits asked for; bitmaps, GDI drawing and colour-index modes are not offered.
    DWORD unsupported = PFD_DRAW_TO_BITMAP | PFD_SUPPORT_GDI;
    if (!(descriptor->dwFlags & PFD_SUPPORT_OPENGL) || (descriptor->dwFlags & unsupported) ||
        descriptor->iPixelType != PFD_TYPE_RGBA) {
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
        return 0;
    }
    return 1;
}

int WINAPI DescribePixelFormat(HDC dc, int format, UINT bytes, PIXELFORMATDESCRIPTOR* descriptor) {
    if (!LookupWindowByDC(dc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (!descriptor) return kFormatCount;
    if (format < 1 || format > kFormatCount) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    PIXELFORMATDESCRIPTOR ours;
    DescribeOurFormat(&ours);
    memcpy(descriptor, &ours, bytes < sizeof(ours) ? bytes : sizeof(ours));
    return kFormatCount;
}

BOOL WINAPI SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR*) {
    if (SeamShouldFail(PlatformCall::SetPixelFormat)) {
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
        return FALSE;
    }
    WindowRecord* window = LookupWindowByDC(dc);
    if (!window) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (format < 1 || format > kFormatCount) {
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
        return FALSE;
    }
    // A window's pixel format is set once for its life.
    if (window->pixelFormat != 0 && window->pixelFormat != format) {
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
        return FALSE;
    }
    window->pixelFormat = format;
    return TRUE;
}

HGLRC WINAPI wglCreateContext(HDC dc) {
    if (SeamShouldFail(PlatformCall::CreateContext)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    WindowRecord* window = LookupWindowByDC(dc);
    if (!window) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (!window->pixelFormat) {
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
        return nullptr;
    }
    SDL_GLContext context = SDL_GL_CreateContext(window->sdlWindow);
    // SDL makes a new context current; wglCreateContext leaves the current one as it was.
    if (currentContext)
        SDL_GL_MakeCurrent(CurrentSdlWindow(), FindContext(currentContext)->context);
    else
        SDL_GL_MakeCurrent(window->sdlWindow, nullptr);
    if (!context) {
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
        return nullptr;
    }
    HGLRC handle = reinterpret_cast<HGLRC>(MakeHandleValue(kHandleContext, nextContextSerial++));
    contexts[handle].context = context;
    SeamAdjustLiveContexts(+1);
    return handle;
}

BOOL WINAPI wglMakeCurrent(HDC dc, HGLRC context) {
    if (SeamShouldFail(PlatformCall::MakeCurrent)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!context) {
        Detach();
        return TRUE;
    }
    ContextRecord* record = FindContext(context);
    WindowRecord* window = LookupWindowByDC(dc);
    if (!record || !window) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!window->pixelFormat) {
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
        return FALSE;
    }
    if (SDL_GL_MakeCurrent(window->sdlWindow, record->context) != 0) {
        currentContext = nullptr;
        currentWindow = nullptr;
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    currentContext = context;
    currentWindow = window->handle;
    SDL_GL_SetSwapInterval(0);  // the main loop never waits for the display
    return TRUE;
}

BOOL WINAPI wglDeleteContext(HGLRC context) {
    if (SeamShouldFail(PlatformCall::DeleteContext)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    ContextRecord* record = FindContext(context);
    if (!record) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (currentContext == context) Detach();
    SDL_GL_DeleteContext(record->context);
    contexts.erase(context);
    SeamAdjustLiveContexts(-1);
    return TRUE;
}

HGLRC WINAPI wglGetCurrentContext(void) { return currentContext; }

BOOL WINAPI SwapBuffers(HDC dc) {
    if (SeamShouldFail(PlatformCall::SwapBuffers)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    WindowRecord* window = LookupWindowByDC(dc);
    if (!window) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!window->pixelFormat) {
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
        return FALSE;
    }
    SeamRunSwapHook(dc);
    // SDL swaps only the window its current context draws to; with none there is nothing to show.
    if (currentContext && currentWindow == window->handle) SDL_GL_SwapWindow(window->sdlWindow);
    SeamCountSwap();
    return TRUE;
}
