// Video benchmarks: the whole frame pipeline at 1920 × 1080 (clear, draw nothing, present to the
// headless display) against a memory-bandwidth baseline of the same buffer (one clear and one
// copy), with their ratio printed at the end of the run; the whole-pixel scaler; the throughput
// of the primitives; and whole frames of the program on the headless backend.
//
// The program frames (BM_ProgramFrame/<size>/<camera>) run the real program, start-up to
// shutdown, on the headless backend from a stored camera (the Sun, inside the Pleiades, a journey
// to Vega) and measure the process's CPU time from the N1-th to the N2-th presented frame; they are
// what scripts/bench-frame.sh sets the real program's frames on the X server against. Options
// before Google Benchmark's own:
//   --stores=<folder>  where the cameras' stores are prepared and kept, <folder>/<camera>/vyrex/
//                      vyrex.reg (as XDG_CONFIG_HOME=<folder>/<camera> finds it); default a
//                      temporary folder removed at the end
//   --frames=N1:N2     the presented frames measured (default 100:600)
//   --sizes=WxH,...    the display sizes (default 1280x800,1920x1080)
// and each program frame prints "program-frame <size> <camera> cpu_ms=<ms> wall_ms=<ms>" at the end.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/app.h"
#include "base/settings.h"
#include "console/console.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_display.h"
#include "platform/platform.h"
#include "platform/store.h"
#include "program/lifecycle.h"
#include "vfs/vfs.h"
#include "video/scale.h"
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

// The scaler at factor range(0) from a frame that fills a 1920 × 1080 window at that factor
// (factor 1: the copy of every present on the window surface), and shrinking 1920 × 1080 into a
// window a little smaller (range 0 = 0: a maximised window under a title bar).
void BM_ShowScaled(benchmark::State& state) {
    const int k = (int)state.range(0);
    const int w = k ? kW / k : kW, h = k ? kH / k : kH;
    const int tw = k ? kW : kW - 40, th = k ? kH : kH - 60;
    draw::Surface frame;
    draw::createSurface(frame, w, h);
    for (int i = 0; i < w * h; ++i) frame.pixels[i] = (uint32_t)i * 2654435761u;
    std::vector<uint32_t> window((size_t)tw * th);
    platform::FrameTarget t;
    t.pixels = window.data();
    t.width = t.pitch = tw;
    t.height = th;
    t.view = platform::frameView(tw, th, w, h);
    for (auto _ : state) {
        video::showScaled(frame, t, 0);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * (int64_t)tw * th * 4);
}
BENCHMARK(BM_ShowScaled)->Arg(1)->Arg(2)->Arg(3)->Arg(0)->ArgName("k")->Unit(benchmark::kMicrosecond);

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

// ---- Whole frames of the program ----------------------------------------------------------------

struct Camera {
    const char* name;
    std::vector<const char*> commands;  // console commands that set the camera up, then it is saved
};
// At 0.01 ly a frame the journey to Vega (25 ly) lasts about 2,500 frames, longer than any
// measured window.
const Camera kCameras[] = {
    {"sun", {}},
    {"pleiades", {"camera Ipos n(Pleiades)"}},
    {"journey", {"camera speed 0.01", "camera lock 95d6", "camera start"}},
};

struct Options {
    std::string stores;
    bool keepStores = false;
    int first = 100, last = 600;  // presented frames
    std::vector<std::pair<int, int>> sizes{{1280, 800}, {1920, 1080}};
} options;

double processCpuSeconds() {
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
}
double wallSeconds() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
}

bool runFailed = false;
void noteFailure(int) { runFailed = true; }

// One whole run of the staged program on a headless desktop of width × height, with the store at
// `storeFile`; `atPass` runs at every pass of the main loop. True when it started and ended well.
bool runProgram(const std::string& storeFile, int width, int height, const char* options_,
                std::function<void()> atPass) {
    video::stop();
    vfs::closePacks();
    platform::destroyMainWindow();
    lifecycle::setExitFunction(noteFailure);
    lifecycle::fatalWaitMilliseconds = 0;
    runFailed = false;
    store::setLocation(storeFile);
    headless::reset();
    headless::resetDisplay();
    headless::setDesktop(width, height);
    video::modeList.count = 0;  // the launcher's list of this desktop, as a new process builds it
    headless::setPointer(width / 2, height / 2);  // where a pointer rests over a new window
    headless::setPeekHook([&](int) { atPass(); });
    const std::string commandLine = std::string(options_) + " -l" + VYREX_STAGE_DIR;
    const int result = lifecycle::entry(commandLine.c_str());
    headless::reset();
    lifecycle::setExitFunction(nullptr);
    store::setLocation("");
    return result == 0 && !runFailed;
}

std::string storeOf(const Camera& c) { return options.stores + "/" + c.name + "/vyrex/vyrex.reg"; }

// A first run that sets the camera up through the console and saves it, as a user would.
bool prepareStore(const Camera& c) {
    std::filesystem::remove_all(options.stores + "/" + c.name);
    std::filesystem::create_directories(options.stores + "/" + c.name + "/vyrex");
    return runProgram(storeOf(c), 640, 480, "-c -f", [&] {
        for (const char* command : c.commands) console::consoleExecute(command);
        console::consoleExecute("camera save");
        app::quit = 1;
    });
}

struct FrameFigures {
    double cpuMs = 0, wallMs = 0;  // per presented frame
};
std::map<std::string, FrameFigures> programFigures;

void BM_ProgramFrame(benchmark::State& state, int width, int height, const Camera* camera) {
    static std::map<std::string, bool> prepared;
    if (!prepared[camera->name]) {
        if (!prepareStore(*camera)) return state.SkipWithError("the camera could not be prepared");
        prepared[camera->name] = true;
    }
    // Every run starts from the same stored camera: the program may write to its store.
    const std::string copy = options.stores + "/run.reg";
    double cpu0 = 0, wall0 = 0, cpu = 0, wall = 0;
    for (auto _ : state) {
        std::filesystem::copy_file(storeOf(*camera), copy, std::filesystem::copy_options::overwrite_existing);
        bool counting = false;
        const bool ok = runProgram(copy, width, height, "-c -vw0", [&] {
            const int shown = headless::framesPresented();
            if (!counting && shown >= options.first) {
                counting = true;
                cpu0 = processCpuSeconds();
                wall0 = wallSeconds();
            } else if (counting && shown >= options.last) {
                cpu = processCpuSeconds() - cpu0;
                wall = wallSeconds() - wall0;
                app::quit = 1;
            }
        });
        if (!ok || cpu <= 0) return state.SkipWithError("the program did not run its frames");
        state.SetIterationTime(wall);
    }
    const int frames = options.last - options.first;
    FrameFigures f{cpu * 1e3 / frames, wall * 1e3 / frames};
    state.counters["cpu_ms"] = f.cpuMs;
    state.counters["wall_ms"] = f.wallMs;
    state.counters["fps"] = 1e3 / f.wallMs;
    char key[64];
    std::snprintf(key, sizeof key, "%dx%d %s", width, height, camera->name);
    programFigures[key] = f;
}

bool parseOptions(int& argc, char** argv) {
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("--stores=", 0) == 0) {
            options.stores = a.substr(9);
            options.keepStores = true;
        } else if (a.rfind("--frames=", 0) == 0) {
            if (std::sscanf(a.c_str() + 9, "%d:%d", &options.first, &options.last) != 2 ||
                options.first < 1 || options.last <= options.first) {
                std::fprintf(stderr, "bench_video: --frames=N1:N2 with 0 < N1 < N2\n");
                return false;
            }
        } else if (a.rfind("--sizes=", 0) == 0) {
            options.sizes.clear();
            for (const char* p = a.c_str() + 8; *p;) {
                int w = 0, h = 0, n = 0;
                if (std::sscanf(p, "%dx%d%n", &w, &h, &n) != 2 || w < 640 || h < 480) {
                    std::fprintf(stderr, "bench_video: --sizes=WxH,... of at least 640x480\n");
                    return false;
                }
                options.sizes.push_back({w, h});
                p += n;
                if (*p == ',') ++p;
            }
        } else {
            argv[kept++] = argv[i];
        }
    }
    argc = kept;
    argv[argc] = nullptr;
    if (options.stores.empty()) {
        char pattern[] = "/tmp/vyrex-bench-video-XXXXXX";
        if (!mkdtemp(pattern)) return false;
        options.stores = pattern;
    }
    return true;
}

void registerProgramFrames() {
    for (const auto& [w, h] : options.sizes)
        for (const Camera& c : kCameras) {
            const std::string name = "BM_ProgramFrame/" + std::to_string(w) + "x" + std::to_string(h) + "/" + c.name;
            benchmark::RegisterBenchmark(name.c_str(), BM_ProgramFrame, w, h, &c)
                ->Iterations(1)
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond);
        }
}

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
    if (!parseOptions(argc, argv)) return 2;
    registerProgramFrames();
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
    for (const auto& [key, f] : programFigures)
        std::printf("program-frame %s cpu_ms=%.4f wall_ms=%.4f\n", key.c_str(), f.cpuMs, f.wallMs);
    if (!options.keepStores) std::filesystem::remove_all(options.stores);
    benchmark::Shutdown();
    return 0;
}
