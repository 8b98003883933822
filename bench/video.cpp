// Video benchmarks: the whole frame pipeline at 1920 × 1080 (clear, draw nothing, present to the
// headless display) against a memory-bandwidth baseline of the same buffer (one clear and one
// copy), with their ratio printed at the end of the run; and the throughput of the primitives.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/app.h"
#include "base/settings.h"
#include "platform/headless/headless_display.h"
#include "platform/platform.h"
#include "vfs/vfs.h"
#include "video/video.h"

namespace {

constexpr int kW = 1920, kH = 1080;

intptr_t quietProc(const platform::Message&) { return 0; }

// Opens the video layer on the headless display in 1920 × 1080 with the pointers from the staged
// packs. False if the packs or the display are not there.
bool openVideo(int backBuffer) {
    video::stop();
    vfs::closePacks();
    platform::destroyMainWindow();
    std::snprintf(app::programFolder, sizeof app::programFolder, "%s", VYREX_STAGE_DIR);
    headless::resetDisplay();
    headless::setModes({{kW, kH, 24, 2}});
    settings::VIDbckBuffSysMem = backBuffer;
    settings::VIDwVSync = 0;
    settings::VIDdefault = 0;
    video::modeList.count = 0;
    return platform::createMainWindow("bench", quietProc) && vfs::openPacks() == 1 &&
           video::start() == 1;
}

void closeVideo() {
    video::stop();
    vfs::closePacks();
    platform::destroyMainWindow();
}

// Clear, draw nothing, present: what every frame costs before anything is drawn.
void BM_FramePipeline(benchmark::State& state) {
    if (!openVideo((int)state.range(0))) {
        state.SkipWithError("video did not start (staged packs missing?)");
        return;
    }
    app::pointerDrawn = 0;
    for (auto _ : state) {
        video::present();
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * (int64_t)kW * kH * 4);
    closeVideo();
}
BENCHMARK(BM_FramePipeline)->Arg(0)->Arg(1)->ArgName("BB")->Unit(benchmark::kMicrosecond);

// The same frame with the pointer drawn over it.
void BM_FramePipelineWithPointer(benchmark::State& state) {
    if (!openVideo(0)) {
        state.SkipWithError("video did not start (staged packs missing?)");
        return;
    }
    app::pointerDrawn = 1;
    for (auto _ : state) video::present();
    closeVideo();
}
BENCHMARK(BM_FramePipelineWithPointer)->Unit(benchmark::kMicrosecond);

// The floor: one clear of the frame and one copy of it, as fast as memory allows.
void BM_MemoryBaseline(benchmark::State& state) {
    std::vector<uint32_t> frame((size_t)kW * kH), shown((size_t)kW * kH);
    for (auto _ : state) {
        std::fill(frame.begin(), frame.end(), 0u);
        std::memcpy(shown.data(), frame.data(), frame.size() * 4);
        benchmark::DoNotOptimize(shown.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * (int64_t)kW * kH * 4);
}
BENCHMARK(BM_MemoryBaseline)->Unit(benchmark::kMicrosecond);

// ---- Primitives -------------------------------------------------------------------------------

struct Canvas {
    draw::Surface s;
    Canvas() {
        draw::createSurface(s, kW, kH);
        draw::setColour(s, 0xFFFFFF);
    }
};

// A fixed sequence of coordinates, the same in every run.
std::vector<int> sequence(size_t n, int lo, int hi) {
    std::vector<int> v(n);
    uint32_t x = 12345;
    for (int& e : v) {
        x = x * 1664525u + 1013904223u;
        e = lo + (int)((x >> 8) % (uint32_t)(hi - lo + 1));
    }
    return v;
}

void BM_Pixels(benchmark::State& state) {
    Canvas c;
    const std::vector<int> xs = sequence(4096, -20, kW + 20), ys = sequence(4097, -20, kH + 20);
    size_t i = 0;
    for (auto _ : state) {
        draw::pixel(c.s, xs[i & 4095], ys[i % 4097]);
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Pixels);

// Lines of about `range(0)` pixels inside the surface; with range(1) set, their ends lie up to a
// million pixels off the surface, so that most of each line is clipped away.
void BM_Lines(benchmark::State& state) {
    Canvas c;
    const int len = (int)state.range(0);
    const bool far = state.range(1) != 0;
    const std::vector<int> xs = sequence(1024, 0, kW - 1), ys = sequence(1023, 0, kH - 1);
    const std::vector<int> dx = sequence(1021, -len, len), dy = sequence(1019, -len, len);
    const int stretch = far ? 1000000 / std::max(len, 1) : 1;
    size_t i = 0;
    int64_t pixels = 0;
    for (auto _ : state) {
        const int x = xs[i % 1024], y = ys[i % 1023], ex = dx[i % 1021], ey = dy[i % 1019];
        draw::line(c.s, x - ex * stretch, y - ey * stretch, x + ex * stretch, y + ey * stretch);
        pixels += 2 * std::max(std::abs(ex), std::abs(ey)) + 1;
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
    if (!far) state.counters["pixels/s"] = benchmark::Counter((double)pixels, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Lines)->Args({16, 0})->Args({200, 0})->Args({200, 1})->ArgNames({"len", "far"});

// Filled ellipses of radius range(0), the sizes of star discs and of large glows.
void BM_FillEllipses(benchmark::State& state) {
    Canvas c;
    const int r = (int)state.range(0);
    const std::vector<int> xs = sequence(1024, 0, kW - 1), ys = sequence(1023, 0, kH - 1);
    size_t i = 0;
    for (auto _ : state) {
        draw::fillEllipse(c.s, xs[i % 1024], ys[i % 1023], r, r);
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["pixels/s"] = benchmark::Counter(
        (double)state.iterations() * 3.14159 * (r + 0.5) * (r + 0.5), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FillEllipses)->Arg(1)->Arg(3)->Arg(8)->Arg(100);

void BM_FillRect(benchmark::State& state) {
    Canvas c;
    for (auto _ : state) draw::fillRect(c.s, 10, 10, 10 + 200, 10 + 8);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FillRect);

// Prints what the console reporter prints, and remembers the times per iteration of each run so
// that the pipeline can be compared with the baseline at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            if (!r.error_occurred && r.iterations > 0)
                times[r.benchmark_name()] = {r.GetAdjustedRealTime(), r.GetAdjustedCPUTime()};
        ConsoleReporter::ReportRuns(runs);
    }
    struct Times {
        double real, cpu;  // in each run's own time unit
    };
    std::map<std::string, Times> times;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    // On a machine shared with other work the CPU-time ratio is the steadier of the two.
    const auto base = reporter.times.find("BM_MemoryBaseline");
    for (const char* name : {"BM_FramePipeline/BB:0", "BM_FramePipeline/BB:1"}) {
        const auto frame = reporter.times.find(name);
        if (base != reporter.times.end() && frame != reporter.times.end())
            std::printf("%s / BM_MemoryBaseline = %.2f (CPU time), %.2f (real time)\n", name,
                        frame->second.cpu / base->second.cpu, frame->second.real / base->second.real);
    }
    benchmark::Shutdown();
    return 0;
}
