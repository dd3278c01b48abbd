// The frame's CPU work in main memory (the backdrop copy, the key composite, the overlay lines, the
// crosshair) against copying the bytes it must read: the 307,200 bytes of the backdrop and the
// 230,400 bytes of the readback, each with one memcpy into the screen.
#include <string.h>

#include "app/display_window.h"
#include "app/program_state.h"
#include "bench/bench_pairs.h"
#include "bench/bench_support.h"
#include "scene/frame.h"
#include "screen/lines.h"

namespace {

// A readback of a real frame: the cube at rest on the clear colour.
bool PrepareReadback() {
    if (!OpenProgramWindow(1)) return false;
    DrawFrame();
    return true;
}

void FrameCpuWork(benchmark::State& state) {
    if (!PrepareReadback()) {
        state.SkipWithError("no display window");
        return;
    }
    for (auto _ : state) {
        memcpy(screenPixels, backdropPixels, kScreenPixelCount * 4);
        CompositeReadback();
        DrawOverlayText();
        DrawCursor();
        benchmark::ClobberMemory();
    }
    CloseDisplayWindow();
}

void CopyTheSameBytes(benchmark::State& state) {
    if (!PrepareReadback()) {
        state.SkipWithError("no display window");
        return;
    }
    for (auto _ : state) {
        memcpy(screenPixels, backdropPixels, kScreenPixelCount * 4);
        benchmark::ClobberMemory();
        memcpy(screenPixels, readbackPixels, kScreenPixelCount * 3);
        benchmark::ClobberMemory();
    }
    CloseDisplayWindow();
}

// One step of the CPU work on its own, to see where the time goes.
template <void (*Step)()>
void OneStep(benchmark::State& state) {
    if (!PrepareReadback()) {
        state.SkipWithError("no display window");
        return;
    }
    memcpy(screenPixels, backdropPixels, kScreenPixelCount * 4);
    for (auto _ : state) {
        Step();
        benchmark::ClobberMemory();
    }
    CloseDisplayWindow();
}

void CopyBackdrop() { memcpy(screenPixels, backdropPixels, kScreenPixelCount * 4); }

}  // namespace

void RegisterCompositionBenchmarks() {
    RegisterPair("frame_cpu_work", FrameCpuWork, "floor:memcpy_backdrop_and_readback", CopyTheSameBytes, 3.0);
    Configure(benchmark::RegisterBenchmark("step:backdrop_copy", OneStep<CopyBackdrop>));
    Configure(benchmark::RegisterBenchmark("step:key_composite", OneStep<CompositeReadback>));
    Configure(benchmark::RegisterBenchmark("step:overlay_text", OneStep<DrawOverlayText>));
    Configure(benchmark::RegisterBenchmark("step:crosshair", OneStep<DrawCursor>));
}
