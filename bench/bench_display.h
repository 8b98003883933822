// What every drawing benchmark shares: the staged packs and a 1920 × 1080 headless display, the
// clear-and-present baseline of the same run, and frame figures as ratios to it.
#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>

#include "base/app.h"
#include "base/settings.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_display.h"
#include "platform/platform.h"
#include "vfs/vfs.h"
#include "video/video.h"

namespace bench {

inline intptr_t quietProc(const platform::Message&) { return 0; }

// Opens the program folder's packs and a 1920 × 1080 × 24 display on the headless backend with the
// video layer started on it; says on standard error, under `name`, what failed.
inline bool openDisplay(const char* name) {
    std::snprintf(app::programFolder, sizeof app::programFolder, "%s", VYREX_STAGE_DIR);
    if (vfs::openPacks() != 1) {
        std::fprintf(stderr, "%s: the staged packs did not open\n", name);
        return false;
    }
    headless::reset();
    headless::resetDisplay();
    headless::setModes({{1920, 1080, 24, 2}});
    settings::VIDbckBuffSysMem = 0;
    settings::VIDwVSync = 0;
    settings::VIDdefault = -1;
    if (!platform::createMainWindow("Vyrex", quietProc) || video::start() != 1) {
        std::fprintf(stderr, "%s: no 1920 x 1080 display\n", name);
        return false;
    }
    return true;
}

// The wall clock and the thread's CPU clock, seconds.
struct Clocks {
    double wall, cpu;
    static Clocks now() {
        timespec t;
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return {std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(),
                t.tv_sec + t.tv_nsec * 1e-9};
    }
};

// A frame with nothing drawn on it (the clear and the present), per frame, as measured first in
// the same run; 0 until then.
inline Clocks baseline{0, 0};

// Presents until `state` stops and keeps the mean frame as the baseline.
inline void measureBaseline(benchmark::State& state) {
    const Clocks start = Clocks::now();
    int64_t n = 0;
    for (auto _ : state) {
        video::present();
        benchmark::ClobberMemory();
        ++n;
    }
    const Clocks end = Clocks::now();
    baseline = {(end.wall - start.wall) / n, (end.cpu - start.cpu) / n};
}

// The `n` frames timed from `start` as `ratio` (wall clock) and `cpuRatio` (thread CPU time) to
// the baseline's frame and, with `extra`, `extraMs`: the CPU milliseconds a frame spends beyond it.
inline void reportFrames(benchmark::State& state, Clocks start, int64_t n, bool extra = false) {
    if (n <= 0) return;
    const Clocks end = Clocks::now();
    const double wall = (end.wall - start.wall) / n, cpu = (end.cpu - start.cpu) / n;
    if (baseline.wall > 0) state.counters["ratio"] = wall / baseline.wall;
    if (baseline.cpu > 0) {
        state.counters["cpuRatio"] = cpu / baseline.cpu;
        if (extra) state.counters["extraMs"] = (cpu - baseline.cpu) * 1e3;
    }
}

}  // namespace bench
