// Window re-creation as the zoom keys do it (CloseDisplayWindow, then OpenDisplayWindow at the
// same size) against the bare minimum of a window with a current OpenGL context through the same
// layer: class, window, device context, pixel format, context, and their release.
#include <string>

#include "app/display_window.h"
#include "app/program_state.h"
#include "bench/bench_pairs.h"
#include "bench/bench_support.h"

namespace {

void Recreate(benchmark::State& state, int zoom) {
    if (!OpenProgramWindow(zoom)) {
        state.SkipWithError("no display window");
        return;
    }
    for (auto _ : state) {
        CloseDisplayWindow();
        if (!OpenDisplayWindow("DUD", kScreenWidth * zoom, kScreenHeight * zoom, 16, false)) {
            state.SkipWithError("re-creation failed");
            break;
        }
    }
    CloseDisplayWindow();
}

LRESULT CALLBACK BareProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

void BareWindow(benchmark::State& state, int zoom) {
    EnsureProgramStarted();
    HINSTANCE instance = GetModuleHandleA(NULL);
    WNDCLASSA windowClass = {};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = BareProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "BareBench";
    PIXELFORMATDESCRIPTOR pfd = {};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 16;
    pfd.cDepthBits = 16;
    for (auto _ : state) {
        RegisterClassA(&windowClass);
        HWND window = CreateWindowExA(0, "BareBench", "DUD", WS_POPUP, 0, 0, kScreenWidth * zoom,
                                      kScreenHeight * zoom, NULL, NULL, instance, NULL);
        HDC dc = GetDC(window);
        SetPixelFormat(dc, ChoosePixelFormat(dc, &pfd), &pfd);
        HGLRC context = wglCreateContext(dc);
        if (!window || !dc || !context || !wglMakeCurrent(dc, context)) {
            state.SkipWithError("no bare window");
            break;
        }
        ShowWindow(window, SW_SHOW);
        wglMakeCurrent(NULL, NULL);
        wglDeleteContext(context);
        ReleaseDC(window, dc);
        DestroyWindow(window);
        UnregisterClassA("BareBench", instance);
    }
}

}  // namespace

// SDL's offscreen driver refuses to make a new EGL context current after about a thousand
// contexts in one process (EGL_BAD_ACCESS; on X there is no such limit: the soak re-creates the
// window 800 times and more). A failed repetition ends with fewer iterations than the others,
// which Google Benchmark rejects, so these run a fixed, small number of iterations each.
const int kRecreationsPerRepetition = 8;

void RegisterWindowBenchmarks() {
    for (int zoom : {1, 4}) {
        const std::string suffix = "/zoom:" + std::to_string(zoom);
        RegisterPair(
            "window_recreation" + suffix, [zoom](benchmark::State& s) { Recreate(s, zoom); },
            "floor:bare_window_and_context" + suffix, [zoom](benchmark::State& s) { BareWindow(s, zoom); }, 0, false,
            kRecreationsPerRepetition);
    }
}
