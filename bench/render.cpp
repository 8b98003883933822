// Sky renderer speed: list rebuilds at several places with the staged catalogue, whole frames at
// 1920 × 1080 against the clear-and-present baseline of the same run, a journey's frame rate,
// rebuilds over synthetic catalogues of up to 2,000,000 stars built by the import tool's octree
// code, and the galaxy, the Orion Nebula's model in depth, the deep-sky rebuild and the local
// chart.
//
// Run from the build folder: bench/bench_render (the staged packs are found through
// VYREX_STAGE_DIR). Frame benchmarks report `ratio` (wall clock) and `cpuRatio` (thread CPU
// time), their time over the clear-and-present baseline's measured at the start of the run.
#include <benchmark/benchmark.h>

#include "bench_display.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "catalog/catalog.h"
#include "base/app.h"
#include "base/settings.h"
#include "extensions/markers.h"
#include "navigation/camera_edit.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_display.h"
#include "platform/platform.h"
#include "render/lists.h"
#include "render/render.h"
#include "vfs/vfs.h"
#include "video/video.h"

// The import tool's octree builder, compiled into this benchmark: the synthetic catalogues get
// the same tree and run order as the real one.
#include "../tools/skyimport/octree.cpp"

namespace {

constexpr uint32_t kAllSkySwitches = camera::kFlagStars | camera::kFlagLabels | camera::kFlagDeepSky |
                                     camera::kFlagDeepSkyTexture | camera::kFlagGalaxy |
                                     camera::kFlagGalaxyTexture;

// Clear-and-present of one 1920 × 1080 frame (the video benchmark's frame pipeline: present an
// empty frame without the pointer), in wall-clock and in thread CPU seconds. The machine is
// shared, so both are reported.

bool ready = false;

// Opens the staged packs, a 1920 × 1080 headless display, the real catalogue, the sprites and
// the font, and a few markers of each kind.
bool setUp() {
    if (ready) return true;
    if (!bench::openDisplay("bench_render")) return false;
    if (catalog::catalogLoad() != 1) {
        std::fprintf(stderr, "bench_render: the staged catalogue did not load\n");
        return false;
    }
    render::start();
    markers::markerStart();  // empties the table and puts the markers' layer into the scene
    for (int i = 0; i < 12; ++i) {
        markers::Marker m{};
        m.kind = i % 4;
        m.point1 = {10.0 * i - 60, 5.0 * i, 30.0};
        m.point2 = {10.0 * i - 50, 5.0 * i + 20, 40.0};
        m.colour = static_cast<int32_t>(draw::packColour(video::state.format, 255, 200, 0));
        std::snprintf(m.text, sizeof m.text, "marker %d", i);
        markers::markerAppend(m);
    }
    ready = true;
    return true;
}

CameraRecord cameraAt(const Vector3& position) {
    CameraRecord c = camera::defaultRecord();
    c.IPos = position;
    c.flags = kAllSkySwitches;
    c.mode = camera::kModeInterstellar;
    return c;
}

Vector3 positionOf(const char* name) {
    Vector3 p{};
    const catalog::ObjectId id = catalog::findByName(name);
    if (id == catalog::kNoObject || !catalog::objectPosition(id, p))
        std::fprintf(stderr, "bench_render: %s not found\n", name);
    return p;
}

// 5,000 ly from the galactic plane through the Sun, along the plane's normal.
Vector3 outOfPlane() {
    const Vector3 u{-0.005161, -0.876635, -0.481128}, v{-0.49503, 0.419812, -0.759605};
    Vector3 n = vmath::cross(u, v);
    vmath::normalize(n);
    return vmath::operator*(n, 5000.0);
}

struct Place {
    const char* name;
    Vector3 position;
};

std::vector<Place> places() {
    return {{"sun", {0, 0, 0}},
            {"pleiades", positionOf("Pleiades")},
            {"outOfPlane5000", outOfPlane()},
            {"galacticCentre", {-144.5, -24545.8, -13471.6}}};
}

void setCounts(benchmark::State& state) {
    const render::ListCounts c = render::listCounts();
    state.counters["stars"] = c.stars;
    state.counters["texts"] = c.texts;
    state.counters["lines"] = c.lines;
    state.counters["items"] = c.sky;
}

void BM_ClearAndPresent(benchmark::State& state) {
    if (!setUp()) return state.SkipWithError("no set-up");
    app::pointerDrawn = 0;
    bench::measureBaseline(state);
}

void BM_Rebuild(benchmark::State& state) {
    if (!setUp()) return state.SkipWithError("no set-up");
    const Place place = places()[state.range(0)];
    state.SetLabel(place.name);
    const CameraRecord c = cameraAt(place.position);
    markers::markersShown = 1;
    for (auto _ : state) render::buildScene(c);
    setCounts(state);
    markers::markersShown = 0;
}

// Draw and present with the lists of the place; the camera keeps its default orientation.
void BM_Frame(benchmark::State& state) {
    if (!setUp()) return state.SkipWithError("no set-up");
    const Place place = places()[state.range(0)];
    state.SetLabel(place.name);
    CameraRecord& active = camera::editActive();
    active = cameraAt(place.position);
    markers::markersShown = 1;
    render::buildScene(active);
    markers::markersShown = 0;
    app::pointerDrawn = 0;
    const bench::Clocks start = bench::Clocks::now();
    int64_t n = 0;
    for (auto _ : state) {
        active.lockBlink = 0;
        render::drawScene(*video::state.drawing, video::state.centreX, video::state.centreY);
        video::present();
        benchmark::ClobberMemory();
        ++n;
    }
    bench::reportFrames(state, start, n);
    setCounts(state);
}

// A journey from the Sun to Vega at 0.025 ly a frame: every frame moves the camera, rebuilds the
// lists, draws them and presents, as the main loop does.
void BM_JourneyToVega(benchmark::State& state) {
    if (!setUp()) return state.SkipWithError("no set-up");
    const catalog::ObjectId vega = catalog::findByName("HIP 91262");
    if (vega == catalog::kNoObject) return state.SkipWithError("no Vega");
    int64_t frames = 0;
    for (auto _ : state) {
        CameraRecord& c = camera::editActive();
        c = cameraAt({0, 0, 0});
        c.speed = 0.025;
        c.lock = static_cast<int32_t>(vega);
        camera::lockChanged = 0;
        camera::startJourney(c.lock);
        while (c.travelling) {
            camera::cameraFrame();
            render::sceneFrame();
            video::present();
            ++frames;
        }
    }
    state.counters["fps"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
    state.counters["framesPerJourney"] = static_cast<double>(frames) / state.iterations();
}

// ---- Synthetic catalogues ----------------------------------------------------------------------

// A magnitude-limited catalogue of `count` stars, as a deeper survey of the same sky would be:
// apparent magnitudes follow the counts of a uniform population, N(<m) ∝ 10^(0.6 m), up to the
// catalogue's limit, which is set so that about 5,000 stars are brighter than 6 whatever the
// size (a bigger catalogue only adds fainter stars); absolute magnitudes are normal about 2
// (σ 3), which gives each star its distance; directions are uniform on the sphere.
struct Synthetic {
    std::vector<catalog::StarRecord> stars;
    std::vector<catalog::TreeNode> nodes;
};

Synthetic& synthetic(int count) {
    static Synthetic cache;
    static int cachedCount = 0;
    if (cachedCount == count) return cache;
    std::mt19937_64 rng(12345);
    std::uniform_real_distribution<double> unit(-1, 1), open01(1e-12, 1.0);
    std::normal_distribution<double> mag(2.0, 3.0), bv(0.6, 0.4);
    const double catalogueLimit = 6.0 + std::log10(count / 5000.0) / 0.6;
    std::vector<sky::TreeStar> input(count);
    std::vector<int16_t> colours(count);
    for (int i = 0; i < count; ++i) {
        Vector3 d{unit(rng), unit(rng), unit(rng)};
        while (vmath::lengthSquared(d) > 1 || vmath::lengthSquared(d) < 1e-6) d = {unit(rng), unit(rng), unit(rng)};
        vmath::normalize(d);
        const double apparent = catalogueLimit + std::log10(open01(rng)) / 0.6;
        const double absolute = std::round(mag(rng) * 256) / 256;
        const double r = std::min(3.2616 * std::pow(10.0, (apparent - absolute + 5) / 5), 150000.0);
        input[i] = {d.x * r, d.y * r, d.z * r, absolute};
        colours[i] = static_cast<int16_t>(std::clamp(bv(rng), -0.4, 2.0) * 256);
    }
    sky::TreeOptions options;
    sky::TreeLayout layout;
    std::string error;
    if (!sky::buildStarTree(input, options, layout, error)) {
        std::fprintf(stderr, "bench_render: tree: %s\n", error.c_str());
        std::abort();
    }
    cache.stars.assign(count, catalog::StarRecord{});
    for (int k = 0; k < count; ++k) {
        const sky::TreeStar& s = input[layout.order[k]];
        catalog::StarRecord& r = cache.stars[k];
        r.x = static_cast<float>(s.x);
        r.y = static_cast<float>(s.y);
        r.z = static_cast<float>(s.z);
        r.absMag = static_cast<int16_t>(s.absMag * 256);
        r.colourBV = colours[layout.order[k]];
        r.spectral = catalog::kNoSpectral;
        r.flags = layout.lastOfRun[k] ? catalog::kLastOfRun : 0;
        r.firstComponent = -1;
        r.extra = -1;
    }
    cache.nodes = layout.nodes;
    cachedCount = count;
    return cache;
}

void BM_RebuildSynthetic(benchmark::State& state) {
    if (!setUp()) return state.SkipWithError("no set-up");
    const int count = static_cast<int>(state.range(0));
    Synthetic& s = synthetic(count);
    catalog::CatalogFiles files;
    files.data[catalog::kStellarData] = reinterpret_cast<const uint8_t*>(s.stars.data());
    files.size[catalog::kStellarData] = s.stars.size() * sizeof(catalog::StarRecord);
    files.data[catalog::kStellarTree] = reinterpret_cast<const uint8_t*>(s.nodes.data());
    files.size[catalog::kStellarTree] = s.nodes.size() * sizeof(catalog::TreeNode);
    catalog::catalogAttach(files);
    CameraRecord c = cameraAt({0, 0, 0});
    c.flags = camera::kFlagStars;  // the synthetic stars have no names to label
    for (auto _ : state) render::buildScene(c);
    setCounts(state);
    state.counters["catalogue"] = count;
    // The real catalogue back for the benchmarks that follow.
    catalog::catalogLoad();
}

// ---- Deep sky, galaxy, nebulae, local space ------------------------------------------------------

// The active camera at `position`, looking at `target`, with the given switches; lists built.
CameraRecord& placeActive(const Vector3& position, int32_t target, uint32_t flags, int32_t mode) {
    CameraRecord& c = camera::editActive();
    c = camera::defaultRecord();
    c.IPos = position;
    c.flags = flags;
    c.mode = camera::kModeInterstellar;
    c.lock = c.vLock = -1;
    if (target >= 0) camera::lookAt(target);
    c.mode = mode;
    return c;
}

// Draws and presents the active camera's scene until the benchmark stops; ratios to the baseline.
void frames(benchmark::State& state) {
    app::pointerDrawn = 0;
    CameraRecord& active = camera::editActive();
    const bench::Clocks start = bench::Clocks::now();
    int64_t n = 0;
    for (auto _ : state) {
        active.lockBlink = 0;
        render::drawScene(*video::state.drawing, video::state.centreX, video::state.centreY);
        video::present();
        benchmark::ClobberMemory();
        ++n;
    }
    bench::reportFrames(state, start, n);
    const render::ListCounts c = render::listCounts();
    state.counters["items"] = c.sky;
    state.counters["spots"] = c.spots;
    state.counters["nebulaPoints"] = c.nebulaPoints;
    state.counters["deepSky"] = c.deepSky;
}

// Star indices of the shipped catalogue (data/crossindex.tsv).
constexpr int32_t kKausAustralis = 0x16528, kSirius = 0x128CE;

constexpr uint32_t kGalaxyTextured = camera::kFlagGalaxy | camera::kFlagGalaxyTexture;
const Vector3 kGalacticCentre{-144.498344, -24545.790404, -13471.57354};

// The galaxy textured from the Sun towards Sagittarius, and from 60,000 ly above the galactic
// centre looking down on the whole disc (at the pulsar nearest the centre).
void BM_GalaxyFrame(benchmark::State& state) {
    if (!setUp()) return state.SkipWithError("no set-up");
    Vector3 n = vmath::cross({-0.005161, -0.876635, -0.481128}, {-0.49503, 0.419812, -0.759605});
    vmath::normalize(n);
    if (state.range(0) == 0) {
        state.SetLabel("sun");
        placeActive({0, 0, 0}, kKausAustralis, kGalaxyTextured, camera::kModeInterstellar);
    } else {
        state.SetLabel("above60000");
        placeActive(vmath::operator+(kGalacticCentre, vmath::operator*(n, 60000.0)), 0x1000c20, kGalaxyTextured,
                    camera::kModeInterstellar);
    }
    render::buildScene(camera::editActive());
    frames(state);
}

// 100 ly from the Orion Nebula on the line from the Sun, looking at it: its model in depth, with
// the stars.
Vector3 nearOrionNebula(int32_t& nebula) {
    nebula = -1;
    for (uint32_t i = 0; i < catalog::deepSkyCount(); ++i) {
        catalog::DeepSkyRecord r;
        if (catalog::readDeepSky(i, r) && r.type == catalog::kNebula && r.name == 0x0D000005) {
            nebula = static_cast<int32_t>(catalog::kDeepSkyBase + i);
            const Vector3 p{r.x, r.y, r.z};
            return vmath::operator*(p, 1.0 - 100.0 / std::sqrt(vmath::lengthSquared(p)));
        }
    }
    return {};
}

constexpr uint32_t kOrionFlags = camera::kFlagStars | camera::kFlagDeepSky | camera::kFlagDeepSkyTexture;

void BM_OrionNebulaFrame(benchmark::State& state) {
    if (!setUp()) return state.SkipWithError("no set-up");
    int32_t nebula;
    const Vector3 at = nearOrionNebula(nebula);
    if (nebula < 0) return state.SkipWithError("no M 42");
    placeActive(at, nebula, kOrionFlags, camera::kModeInterstellar);
    render::buildScene(camera::editActive());
    frames(state);
}

void BM_OrionNebulaRebuild(benchmark::State& state) {
    if (!setUp()) return state.SkipWithError("no set-up");
    int32_t nebula;
    const Vector3 at = nearOrionNebula(nebula);
    if (nebula < 0) return state.SkipWithError("no M 42");
    const CameraRecord c = placeActive(at, nebula, kOrionFlags, camera::kModeInterstellar);
    for (auto _ : state) render::buildScene(c);
    state.counters["nebulaPoints"] = render::listCounts().nebulaPoints;
}

// Every deep-sky type, the models, the labels: the deep-sky layers' rebuild at the Sun.
void BM_DeepSkyRebuild(benchmark::State& state) {
    if (!setUp()) return state.SkipWithError("no set-up");
    CameraRecord c = cameraAt({0, 0, 0});
    c.flags = camera::kFlagDeepSky | camera::kFlagDeepSkyTexture | camera::kFlagLabels;
    for (auto _ : state) render::buildScene(c);
    const render::ListCounts n = render::listCounts();
    state.counters["deepSky"] = n.deepSky;
    state.counters["nebulaPoints"] = n.nebulaPoints;
    state.counters["texts"] = n.texts;
}

// The local chart of 50 ly round the Sun: with the default switches (stars, no labels), and with
// the labels and deep-sky objects on.
void BM_LocalChartFrame(benchmark::State& state) {
    if (!setUp()) return state.SkipWithError("no set-up");
    const bool labels = state.range(0) == 1;
    state.SetLabel(labels ? "labels" : "default");
    CameraRecord& c = placeActive({0, 0, 0}, kSirius,
                                  labels ? camera::kDefaultFlags | camera::kFlagLabels | camera::kFlagDeepSky
                                         : camera::kDefaultFlags,
                                  camera::kModeLocalSpace);
    c.vradius = 50.0;
    render::buildScene(c);
    frames(state);
    state.counters["rList"] = render::listCounts().local;
}

BENCHMARK(BM_ClearAndPresent)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rebuild)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Frame)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JourneyToVega)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_RebuildSynthetic)->Arg(125000)->Arg(500000)->Arg(2000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GalaxyFrame)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OrionNebulaFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OrionNebulaRebuild)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeepSkyRebuild)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LocalChartFrame)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
