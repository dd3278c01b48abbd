// The program's start-up work in main memory (the map fills, CarveRooms(100000), the backdrop
// painting) against its floor: the same 1,828,800 draws from the generator and filling the same
// bytes (16,000,000 map bytes and the 4,915,200 bytes of the backdrop).
//
// Warm: into blocks allocated and touched once. Cold: as at a real start, into fresh blocks from
// the allocator, whose first touch of every page is part of the cost; the cold floor takes and
// fills fresh blocks the same way.
#include <malloc.h>
#include <stdlib.h>
#include <string.h>

#include "app/program_state.h"
#include "app/random.h"
#include "bench/bench_pairs.h"
#include "screen/screen_buffer.h"
#include "world/voxel_maps.h"

namespace {

const size_t kCells = 200u * 200u * 200u;
const int kDraws = 600000 + kScreenBufferBytes / 4;  // 1,828,800

// The start-up's own work: cold, BuildDungeon and InitScreenBuffers as WinMain calls them; warm,
// the same fills, carving and painting into the blocks that are already there.
void StartupWork(bool fresh) {
    randomState = 1;
    if (fresh) {
        BuildDungeon();
        InitScreenBuffers();
        return;
    }
    memset(dungeonMap, 1, kCells);
    memset(flagMap, 0, kCells);
    CarveRooms(100000);
    PaintBackdrop();
}

void FloorWork(bool fresh, unsigned char* blocks[3]) {
    if (fresh) {
        blocks[0] = (unsigned char*)malloc(kCells);
        blocks[1] = (unsigned char*)malloc(kCells);
        blocks[2] = (unsigned char*)malloc(kScreenBufferBytes);
    }
    memset(blocks[0], 1, kCells);
    memset(blocks[1], 0, kCells);
    randomState = 1;
    int sum = 0;
    for (int i = 0; i < kDraws; i++) sum += NextRandom();
    benchmark::DoNotOptimize(sum);
    memset(blocks[2], 0, kScreenBufferBytes);
    benchmark::ClobberMemory();
}

// Large blocks straight from the system and back at every free, as at a real start: without this
// the allocator raises its threshold after the first free and hands back pages already touched.
void KeepBlocksFresh() { mallopt(M_MMAP_THRESHOLD, 128 * 1024); }

void FreeProgramBlocks() {
    free(dungeonMap);
    free(flagMap);
    free(screenPixels);
    free(readbackPixels);
    free(backdropPixels);
    dungeonMap = flagMap = screenPixels = readbackPixels = backdropPixels = nullptr;
}

void Startup(benchmark::State& state, bool fresh) {
    const uint32_t savedState = randomState;
    unsigned char* const saved[5] = {dungeonMap, flagMap, screenPixels, readbackPixels, backdropPixels};
    dungeonMap = flagMap = screenPixels = readbackPixels = backdropPixels = nullptr;
    KeepBlocksFresh();
    if (!fresh) StartupWork(true);
    for (auto _ : state) {
        StartupWork(fresh);
        benchmark::ClobberMemory();
        if (fresh) {
            state.PauseTiming();
            FreeProgramBlocks();
            state.ResumeTiming();
        }
    }
    if (!fresh) FreeProgramBlocks();
    dungeonMap = saved[0];
    flagMap = saved[1];
    screenPixels = saved[2];
    readbackPixels = saved[3];
    backdropPixels = saved[4];
    randomState = savedState;
}

void Floor(benchmark::State& state, bool fresh) {
    unsigned char* blocks[3] = {nullptr, nullptr, nullptr};
    KeepBlocksFresh();
    if (!fresh) FloorWork(true, blocks);
    for (auto _ : state) {
        FloorWork(fresh, blocks);
        if (fresh) {
            state.PauseTiming();
            for (unsigned char*& b : blocks) free(b);
            state.ResumeTiming();
        }
    }
    if (!fresh)
        for (unsigned char* b : blocks) free(b);
}

// The draws alone, and each part of the program's work alone, to see where the time goes.
void DrawsOnly(benchmark::State& state) {
    for (auto _ : state) {
        randomState = 1;
        int sum = 0;
        for (int i = 0; i < kDraws; i++) sum += NextRandom();
        benchmark::DoNotOptimize(sum);
    }
}

void CarveOnly(benchmark::State& state) {
    unsigned char* const saved = dungeonMap;
    dungeonMap = (unsigned char*)malloc(kCells);
    memset(dungeonMap, 1, kCells);
    for (auto _ : state) {
        randomState = 1;
        CarveRooms(100000);
        benchmark::ClobberMemory();
    }
    free(dungeonMap);
    dungeonMap = saved;
}

void BackdropOnly(benchmark::State& state) {
    unsigned char* const saved = backdropPixels;
    backdropPixels = (unsigned char*)malloc(kScreenBufferBytes);
    memset(backdropPixels, 0, kScreenBufferBytes);
    for (auto _ : state) {
        randomState = 1;
        PaintBackdrop();
        benchmark::ClobberMemory();
    }
    free(backdropPixels);
    backdropPixels = saved;
}

}  // namespace

void RegisterStartupBenchmarks() {
    RegisterPair(
        "startup_work/warm", [](benchmark::State& s) { Startup(s, false); }, "floor:draws_and_fills/warm",
        [](benchmark::State& s) { Floor(s, false); }, 1.5);
    RegisterPair(
        "startup_work/cold", [](benchmark::State& s) { Startup(s, true); }, "floor:draws_and_fills/cold",
        [](benchmark::State& s) { Floor(s, true); }, 1.5);
    Configure(benchmark::RegisterBenchmark("step:draws_only", DrawsOnly));
    Configure(benchmark::RegisterBenchmark("step:carve_rooms", CarveOnly));
    Configure(benchmark::RegisterBenchmark("step:paint_backdrop", BackdropOnly));
}
