// Star-system speed at 1920 × 1080 with the staged program folder: a textured Jupiter filling the
// screen, the whole Solar System with its orbit paths seen from 5 AU above the ecliptic, and
// entering the Sun's system; frames against the clear-and-present baseline of the same run.
//
// Run from the build folder: bench/bench_systems. Frame benchmarks report `ratio` (wall clock)
// and `cpuRatio` (thread CPU time), their time over the clear-and-present baseline's.
#include <benchmark/benchmark.h>

#include "bench_display.h"

#include <cmath>
#include <cstdio>

#include "base/app.h"
#include "base/settings.h"
#include "catalog/catalog.h"
#include "navigation/camera_edit.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_display.h"
#include "platform/platform.h"
#include "render/render.h"
#include "systems/bodies.h"
#include "systems/systems.h"
#include "vfs/vfs.h"
#include "video/video.h"

namespace {

bool ready = false;

bool setUp() {
    if (ready) return true;
    settings::loadFilter = 0xFFFFFFFF;
    if (!bench::openDisplay("bench_systems")) return false;
    if (catalog::catalogLoad() != 1) return false;
    render::start();
    systems::start();
    ready = true;
    return true;
}

// The active camera at the Sun's system, the clock at `days`.
CameraRecord& inTheSolarSystem(double days) {
    CameraRecord& c = camera::editActive();
    c = camera::defaultRecord();
    c.mode = camera::kModeSystem;
    c.system = static_cast<int32_t>(catalog::kSunIndex);
    c.systemTime = days;
    c.central = camera::kNone;
    systems::enterCameraSystem();
    return c;
}

void frames(benchmark::State& state, CameraRecord& c) {
    render::buildScene(c);
    app::pointerDrawn = 0;
    const bench::Clocks start = bench::Clocks::now();
    int64_t n = 0;
    for (auto _ : state) {
        c.lockBlink = 0;
        render::drawScene(*video::state.drawing, video::state.centreX, video::state.centreY);
        video::present();
        benchmark::ClobberMemory();
        ++n;
    }
    bench::reportFrames(state, start, n);
    state.counters["bodyList"] = systems::bodyListCount();
}

void BM_ClearAndPresent(benchmark::State& state) {
    if (!setUp()) return state.SkipWithError("no set-up");
    app::pointerDrawn = 0;
    bench::measureBaseline(state);
}

// Jupiter from 1.15 of its radii, straight at its centre: the disc covers the whole screen.
void BM_TexturedJupiterFillingTheScreen(benchmark::State& state) {
    if (!setUp()) return state.SkipWithError("no set-up");
    CameraRecord& c = inTheSolarSystem(0);
    const systems::SystemObject* jupiter = systems::findObject(0x2000500);
    if (!jupiter) return state.SkipWithError("no Jupiter in solar.ssd");
    c.SPos = vmath::operator-(jupiter->position, Vector3{0, 0, 1.15 * jupiter->radius});
    c.Cam = vmath::identity();
    c.flags = camera::kDefaultFlags;  // stars, textured bodies
    if (state.range(0) == 0) c.flags &= ~camera::kFlagBodyTexture;
    state.SetLabel(state.range(0) ? "textured" : "flat");
    frames(state, c);
}

// 5 AU above the Sun on the ecliptic's pole, looking down at it, orbit paths and labels on.
void BM_SolarSystemFromFiveAu(benchmark::State& state) {
    if (!setUp()) return state.SkipWithError("no set-up");
    CameraRecord& c = inTheSolarSystem(0);
    const double e = 23.4392911 * M_PI / 180;
    const Vector3 pole{0, -std::sin(e), std::cos(e)};
    c.SPos = vmath::operator*(pole, 5 * 1.496e8);
    // Looking along −pole, screen-down along the equinox.
    const Vector3 f{-pole.x, -pole.y, -pole.z}, down{1, 0, 0}, right = vmath::cross(down, f);
    c.Cam = {{{right.x, right.y, right.z, 0}, {down.x, down.y, down.z, 0}, {f.x, f.y, f.z, 0}, {0, 0, 0, 1}}};
    c.flags = camera::kDefaultFlags | camera::kFlagOrbits | camera::kFlagLabels;
    frames(state, c);
}

void BM_EnterTheSolarSystem(benchmark::State& state) {
    if (!setUp()) return state.SkipWithError("no set-up");
    inTheSolarSystem(0);
    CameraRecord& c = camera::editActive();
    for (auto _ : state) {
        c.systemTime = 9131.0;
        benchmark::DoNotOptimize(systems::enterCameraSystem());
    }
    state.counters["objects"] = systems::objectCount();
}

BENCHMARK(BM_ClearAndPresent)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TexturedJupiterFillingTheScreen)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SolarSystemFromFiveAu)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EnterTheSolarSystem)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
