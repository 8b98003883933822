// In-scene windows speed at 1920 × 1080: ten open windows with widgets (the seven panels of the
// program at their sizes and three plug-in windows), the Help window showing a page of 200 lines,
// drawn and presented, against the clear-and-present baseline measured at the start of the same
// run; the layout of that page; a routing pass.
//
// Run from the build folder: bench/bench_zwindows. Frame benchmarks report `ratio` (wall clock)
// and `cpuRatio` (thread CPU time) over the baseline, and `extraMs`, the windows' own cost per
// frame in milliseconds on top of it (thread CPU time).
#include <benchmark/benchmark.h>

#include "bench_display.h"

#include <cstdio>
#include <string>

#include "base/app.h"
#include "base/input_state.h"
#include "base/settings.h"
#include "base/zode.h"
#include "catalog/catalog.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_display.h"
#include "platform/platform.h"
#include "vfs/vfs.h"
#include "video/video.h"
#include "zwindows/viewer.h"
#include "zwindows/widgets.h"
#include "zwindows/zwindows.h"

namespace {

using namespace zwindows;

int32_t quietObject(zode::Message*) { return 1; }

// A help page: paragraphs of wrapped sentences, lists and links, as many as make 200 lines in the
// viewer `v` (its width set).
std::string page;
void makeHelpPage(Viewer& v) {
    for (int p = 0; v.documentHeight < 200 * kLineStep; ++p) {
        page += "<p>Paragraph " + std::to_string(p) +
                ": the star field is drawn from the catalogue's tree, brightest first, and "
                "<a \"?7201\">the labels</a> follow the stars they name. <ul><li>First point<li>Second "
                "point with <a \"@F8FC\">the Sun</a></ul>";
        layoutPage(v, Page{page.data(), page.size()});
    }
}

Node pageViewer = kNoNode;
bool ready = false;

bool setUp() {
    if (ready) return true;
    if (!bench::openDisplay("bench_zwindows")) return false;
    if (catalog::catalogLoad() != 1 || zode::start() != 1 || zwindows::start() != 1) {
        std::fprintf(stderr, "bench_zwindows: the catalogue, the bus or the windows did not start\n");
        return false;
    }
    const zode::Request r{0, reinterpret_cast<const void*>(&quietObject), zode::kDirect, nullptr};
    registerClass("ZBENCH", r);
    auto add = [](Node parent, const char* cls, const char* caption, int x, int y, int w, int h) {
        return createNode(parent, cls, caption, x, y, w, h, kVisible | kFilled);
    };
    auto window = [](const char* caption, int x, int y, int w, int h) {
        return createNode(kNoNode, "ZBENCH", caption, x, y, w, h, kTitleBar | kFramed | kFilled | kVisible);
    };
    auto list = [&add](Node parent, int x, int y, int w, int h, int items) {
        const Node l = add(parent, "LIST", "", x, y, w, h);
        for (int k = 0; k < items; ++k)
            zode::send(nodeHandler(l), kListAdd, -1, reinterpret_cast<intptr_t>("orion-family.map"), k);
    };
    auto edit = [&add](Node parent, const char* caption, int x, int y, int w) {
        const Node e = add(parent, "EDIT", caption, x, y, w, 12);
        zode::send(nodeHandler(e), kEditSetText, reinterpret_cast<intptr_t>("6.50"));
    };
    // The program's seven panels at their sizes with their kinds of widgets, and three plug-in
    // windows, spread over the screen.
    const Node camera = window("Camera", 10, 10, 260, 365);
    for (int k = 0; k < 8; ++k) add(camera, "CHECK", "1", 8 + 32 * (k % 4), 14 + 12 * (k / 4), 32, 12);
    add(camera, "BUTTON", "Load", 144, 19, 48, 16);
    add(camera, "BUTTON", "Save", 196, 19, 48, 16);
    for (int g = 0; g < 5; ++g) {
        const Node group = createNode(camera, "GROUP", "Stars", 8, 44 + 50 * g, 240, 45, kVisible);
        add(group, "CHECK", "Show stars", 4, 10, 80, 12);
        edit(group, "mag brighter then", 4, 24, 200);
    }
    const Node search = window("Search", 300, 120, 256, 256);
    edit(search, "", 4, 4, 180);
    add(search, "BUTTON", "Search", 188, 4, 48, 16);
    list(search, 4, 24, 245, 180, 60);
    add(search, "BUTTON", "Look", 32, 210, 64, 16);
    add(search, "BUTTON", "Look & Lock", 128, 210, 72, 16);
    const Node markers = window("Markers", 600, 200, 200, 200);
    add(markers, "CHECK", "Show Markers", 4, 4, 128, 16);
    list(markers, 4, 40, 136, 136, 12);
    add(markers, "BUTTON", "Load", 144, 40, 48, 16);
    add(markers, "BUTTON", "Clear", 144, 60, 48, 16);
    const Node location = window("Location [1]", 850, 120, 280, 160);
    for (int g = 0; g < 4; ++g)
        for (int k = 0; k < 3; ++k) edit(location, "X:", 8 + 72 * k, 14 + 34 * g, 68);
    const Node plugins = window("Plugins", 1160, 100, 140, 164);
    list(plugins, 4, 4, 128, 128, 5);
    const Node help = window("Help", 1330, 100, 252, 256);
    pageViewer = add(help, "HTML", "", 4, 28, 244, 208);
    const Node config = window("Config", 1600, 10, 232, 180);
    for (int k = 0; k < 14; ++k) add(config, "CHECK", "mouse over", 8 + 100 * (k % 2), 14 + 12 * (k / 2), 80, 12);
    for (int i = 0; i < 3; ++i) {
        const Node w = window("Plug-in", 400 + 400 * i, 600, 200, 150);
        add(w, "BUTTON", "Run", 4, 4, 48, 16);
        list(w, 4, 24, 190, 96, 20);
    }

    // The page laid out in the topmost window's viewer.
    Viewer* v = htmlViewer(pageViewer);
    if (!v) return false;
    v->wrapWidth = clientRect(pageViewer).width - 16;
    makeHelpPage(*v);
    input::pointer.x = input::pointer.y = 500;
    ready = true;
    return true;
}

void BM_ClearAndPresent(benchmark::State& state) {
    if (!setUp()) return state.SkipWithError("no set-up");
    app::pointerDrawn = 0;
    bench::measureBaseline(state);
}

void BM_TenWindowsFrame(benchmark::State& state) {
    if (!setUp()) return state.SkipWithError("no set-up");
    app::pointerDrawn = 0;
    const bench::Clocks start = bench::Clocks::now();
    int64_t n = 0;
    for (auto _ : state) {
        drawFrame();
        video::present();
        benchmark::ClobberMemory();
        ++n;
    }
    bench::reportFrames(state, start, n, true);
    state.counters["nodes"] = nodeCount();
    if (const Viewer* v = htmlViewer(pageViewer)) state.counters["pageLines"] = v->documentHeight / kLineStep;
}

void BM_LayoutHelpPage(benchmark::State& state) {
    if (!setUp()) return state.SkipWithError("no set-up");
    static Viewer v;
    v.wrapWidth = clientRect(pageViewer).width - 16;
    v.clientHeight = 264;
    for (auto _ : state) {
        layoutPage(v, Page{page.data(), page.size()});
        benchmark::ClobberMemory();
    }
    state.counters["items"] = v.itemCount;
    state.counters["lines"] = v.documentHeight / kLineStep;
}

void BM_RoutingPass(benchmark::State& state) {
    if (!setUp()) return state.SkipWithError("no set-up");
    for (auto _ : state) routePointer();
}

BENCHMARK(BM_ClearAndPresent)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TenWindowsFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LayoutHelpPage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RoutingPass)->Unit(benchmark::kNanosecond);

}  // namespace

BENCHMARK_MAIN();
