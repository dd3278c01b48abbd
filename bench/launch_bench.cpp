// Process start to the first presented frame, on a private X server: the time from fork until the
// program's window shows the first frame's pixels (the green frame at the bottom-left corner and the
// blue title band), against the same for a bare process that only opens the window and paints
// those pixels (dud_bare_launch).
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>

#include "bench/bench_pairs.h"
#include "tests/support/xserver.h"

namespace {

XServer* Server() {
    static std::unique_ptr<XServer> server(new XServer(1600, 1200));
    return server.get();
}

bool PixelIs(XServer* server, int x, int y, unsigned char r, unsigned char g, unsigned char b) {
    std::vector<unsigned char> rgb = server->Capture(ScreenRect{x, y, 1, 1});
    return rgb.size() == 3 && rgb[0] == r && rgb[1] == g && rgb[2] == b;
}

// Seconds from fork to the first frame; the time the window was mapped in *mapped. -1 on failure.
double LaunchOnce(XServer* server, const char* binary, double* mapped) {
    const int zoom = 3;  // the program's first zoom
    const double start = NowSeconds();
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("DISPLAY", server->name().c_str(), 1);
        unsetenv("SDL_VIDEODRIVER");
        if (chdir(DUD_SOURCE_DIR) != 0) _exit(126);
        execl(binary, binary, (char*)nullptr);
        _exit(127);
    }
    double shown = -1;
    *mapped = -1;
    while (pid > 0 && NowSeconds() - start < 30) {
        Window window = server->FindWindow("DUD");
        ScreenRect rect;
        if (window && server->WindowRect(window, &rect) && rect.width == 320 * zoom && rect.height == 240 * zoom) {
            if (*mapped < 0) *mapped = NowSeconds() - start;
            if (PixelIs(server, rect.x, rect.y + rect.height - 1, 0, 255, 0) &&
                PixelIs(server, rect.x + 316 * zoom + 1, rect.y + (239 - 233) * zoom + 1, 0, 0, 255)) {
                shown = NowSeconds() - start;
                break;
            }
        }
        if (waitpid(pid, nullptr, WNOHANG) == pid) return -1;  // ended before showing anything
        usleep(500);
    }
    if (pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    return shown;
}

void Launch(benchmark::State& state, const char* binary) {
    XServer* server = Server();
    if (!server->available()) {
        state.SkipWithError(("no X server: " + server->error()).c_str());
        return;
    }
    double mappedTotal = 0;
    for (auto _ : state) {
        double mapped = 0;
        const double seconds = LaunchOnce(server, binary, &mapped);
        if (seconds < 0) {
            state.SkipWithError("no first frame within 30 s");
            break;
        }
        state.SetIterationTime(seconds);
        mappedTotal += mapped;
    }
    state.counters["window_mapped_ms"] =
        benchmark::Counter(mappedTotal * 1000, benchmark::Counter::kAvgIterations);
}

// The program to launch: this build's, or DUD_LAUNCH_BINARY to compare another build with it.
const char* ProgramBinary() {
    const char* other = getenv("DUD_LAUNCH_BINARY");
    return other && *other ? other : DUD_BINARY;
}

}  // namespace

void RegisterLaunchBenchmarks() {
    RegisterPair(
        "launch_to_first_frame", [](benchmark::State& s) { Launch(s, ProgramBinary()); },
        "floor:bare_launch_to_first_frame", [](benchmark::State& s) { Launch(s, DUD_BARE_LAUNCH_BINARY); }, 0,
        true);
}
