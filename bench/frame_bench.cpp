// A whole frame as the main loop makes it (DrawFrame, PresentScreen, the swap) against a bare frame
// of the same shape: the OpenGL work that any frame of this program must do. The two are measured
// in one benchmark, alternately (RunInterleaved).
#include <string.h>

#include <string>
#include <vector>

#include "app/display_window.h"
#include "app/program_state.h"
#include "bench/bench_pairs.h"
#include "bench/bench_support.h"
#include "scene/frame.h"
#include "screen/screen_buffer.h"

namespace {

// Frames before the timing starts: the first frames on a new context compile the driver's shaders
// (10 to 20 ms for the first one here).
const int kWarmUpFrames = 20;

void WholeFrame() {
    DrawFrame();
    PresentScreen();
    SwapBuffers(windowDC);
}

// Clear, one textured quad (the cube's front face at rest), the same readback, the same zoomed
// draw with the same blending that the presentation asks for, the swap. The set-up DrawFrame
// makes every frame (viewport, matrix) is made here too.
struct BareFrame {
    int zoom;
    std::vector<unsigned char> rgb = std::vector<unsigned char>(kScreenPixelCount * 3);
    std::vector<unsigned char> rgba = std::vector<unsigned char>(screenPixels, screenPixels + kScreenPixelCount * 4);

    void operator()() {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glViewport(0, 0, kScreenWidth, kScreenHeight);
        glLoadIdentity();
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, textureIds[0]);
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0);
        glVertex3f(-1, -1, -9);
        glTexCoord2f(1, 0);
        glVertex3f(1, -1, -9);
        glTexCoord2f(1, 1);
        glVertex3f(1, 1, -9);
        glTexCoord2f(0, 1);
        glVertex3f(-1, 1, -9);
        glEnd();
        glDisable(GL_TEXTURE_2D);
        glReadPixels(0, 0, kScreenWidth, kScreenHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        glPixelZoom((float)zoom, (float)zoom);
        glEnable(GL_BLEND);
        glDrawPixels(kScreenWidth, kScreenHeight, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        glDisable(GL_BLEND);
        SwapBuffers(windowDC);
    }
};

// Both on the same window and context, alternately.
void FrameAgainstBareFrame(benchmark::State& state, int zoom) {
    if (!OpenProgramWindow(zoom)) {
        state.SkipWithError("no display window");
        return;
    }
    RunInterleaved(state, WholeFrame, BareFrame{zoom}, kWarmUpFrames);
    CloseDisplayWindow();
}

}  // namespace

void RegisterFrameBenchmarks() {
    for (int zoom : {1, 3, 4}) {
        const std::string suffix = "/zoom:" + std::to_string(zoom);
        RegisterInterleavedPair(
            "frame" + suffix, "floor:bare_frame" + suffix,
            [zoom](benchmark::State& s) { FrameAgainstBareFrame(s, zoom); }, 1.1);
    }
}
