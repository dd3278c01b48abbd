// A whole frame as the main loop makes it (DrawFrame, PresentScreen, the swap) against a bare frame
// of the same shape: the OpenGL work that any frame of this program must do.
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

void WholeFrame(benchmark::State& state, int zoom) {
    if (!OpenProgramWindow(zoom)) {
        state.SkipWithError("no display window");
        return;
    }
    for (auto _ : state) {
        DrawFrame();
        PresentScreen();
        SwapBuffers(windowDC);
    }
    CloseDisplayWindow();
}

// Clear, one textured quad (the cube's front face at rest), the same readback, the same zoomed
// draw with the same blending that the presentation asks for, the swap.
void BareFrame(benchmark::State& state, int zoom) {
    if (!OpenProgramWindow(zoom)) {
        state.SkipWithError("no display window");
        return;
    }
    std::vector<unsigned char> rgb(kScreenPixelCount * 3);
    std::vector<unsigned char> rgba(screenPixels, screenPixels + kScreenPixelCount * 4);
    glViewport(0, 0, kScreenWidth, kScreenHeight);
    glLoadIdentity();
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
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
    CloseDisplayWindow();
}

}  // namespace

void RegisterFrameBenchmarks() {
    for (int zoom : {1, 3, 4}) {
        const std::string suffix = "/zoom:" + std::to_string(zoom);
        RegisterPair(
            "frame" + suffix, [zoom](benchmark::State& s) { WholeFrame(s, zoom); }, "floor:bare_frame" + suffix,
            [zoom](benchmark::State& s) { BareFrame(s, zoom); }, 1.1);
    }
}
