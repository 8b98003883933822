// Toolbar and object information speed at 1920 × 1080, and the Search panel's catalogue search,
// against the clear-and-present baseline measured at the start of the same run.
//
// Run from the build folder: bench/bench_panels. BM_ToolbarFrame draws the open bar with the
// information text of a locked star (Sirius) and presents it: /0 the camera still (the texts
// stay as formed), /1 the camera moving every frame (summary and details formed every frame),
// /2 the note form. `extraMs` is the toolbar's own cost per frame on top of the baseline
// (thread CPU time), `cpuRatio` the whole frame over the baseline. BM_SearchFirstPage is the
// Search button's answer for "alp*" (the list's first page filled; the rest of the catalogue is
// searched in slices on the frames after it, see bench_catalog for the whole scan).
#include <benchmark/benchmark.h>

#include "bench_display.h"

#include <cstdio>
#include <cstring>

#include "base/app.h"
#include "base/settings.h"
#include "base/timer.h"
#include "base/zode.h"
#include "catalog/catalog.h"
#include "navigation/camera.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_display.h"
#include "platform/platform.h"
#include "render/linefont.h"
#include "systems/systems.h"
#include "vfs/vfs.h"
#include "video/video.h"
#include "zwindows/info.h"
#include "zwindows/panels.h"
#include "zwindows/toolbar.h"
#include "zwindows/widgets.h"
#include "zwindows/zwindows.h"

namespace {

using namespace zwindows;

constexpr int32_t kSirius = 0x128CE;

bool ready = false;

bool setUp() {
    if (ready) return true;
    if (!bench::openDisplay("bench_panels")) return false;
    timer::markProgramStart();
    if (catalog::catalogLoad() != 1 || zode::start() != 1 || zwindows::start() != 1 || render::loadLineFont() != 1 ||
        systems::start() != 1 || toolbarStart() != 1 || camera::cameraStart(1) != 1 || panelsStart() != 1) {
        std::fprintf(stderr, "bench_panels: a start-up step failed\n");
        return false;
    }
    camera::setMode(camera::kModeInterstellar);
    setInfoShowsLock(1);
    camera::lockObject(kSirius);
    toolbarOpen();
    for (int i = 0; i < 16; ++i) toolbarDraw();
    app::pointerDrawn = 0;
    ready = true;
    return true;
}

void BM_ClearAndPresent(benchmark::State& state) {
    if (!setUp()) return state.SkipWithError("no set-up");
    bench::measureBaseline(state);
}

void BM_ToolbarFrame(benchmark::State& state) {
    if (!setUp()) return state.SkipWithError("no set-up");
    const bool moving = state.range(0) == 1, note = state.range(0) == 2;
    if (infoFormDetails() == (note ? 1 : 0)) toggleInfoForm();
    const bench::Clocks start = bench::Clocks::now();
    int64_t n = 0;
    for (auto _ : state) {
        // A step of a thousandth of a light year changes the distance shown in both texts.
        if (moving) camera::move((n & 1) ? 0.001 : -0.001, 0, 0);
        toolbarDraw();
        video::present();
        benchmark::ClobberMemory();
        ++n;
    }
    bench::reportFrames(state, start, n, true);
    if (!infoFormDetails()) toggleInfoForm();
}

// The Search panel's pattern field, its button and its list, told apart by caption and height.
struct SearchPanel {
    Node window = kNoNode, pattern = kNoNode, button = kNoNode, list = kNoNode;
};
bool findSearchPanel(SearchPanel& p) {
    p.window = panelWindow(kSearchPanel);
    for (Node c = firstChild(p.window); c != kNoNode; c = nextSibling(c)) {
        if (std::strcmp(nodeCaption(c), "Search") == 0) p.button = c;
        else if (nodeCaption(c)[0] == 0) (nodeRect(c).height < 30 ? p.pattern : p.list) = c;
    }
    return p.pattern != kNoNode && p.button != kNoNode && p.list != kNoNode;
}

int listed(Node list) {
    int n = 0;
    char text[kListTextMax + 1];
    while (n < kListMax && (zode::send(nodeHandler(list), kListText, n, reinterpret_cast<intptr_t>(text), sizeof text) ||
                            zode::send(nodeHandler(list), kListValue, n)))
        ++n;
    return n;
}

void search(const SearchPanel& p, const char* pattern) {
    zode::send(nodeHandler(p.pattern), kEditSetText, reinterpret_cast<intptr_t>(pattern));
    zode::send(nodeHandler(p.window), kNotify, static_cast<intptr_t>(p.button), 0, 0);
}

void BM_SearchFirstPage(benchmark::State& state) {
    SearchPanel p;
    if (!setUp() || !findSearchPanel(p)) return state.SkipWithError("no set-up");
    const bench::Clocks start = bench::Clocks::now();
    int64_t n = 0;
    for (auto _ : state) {
        search(p, "alp*");
        benchmark::ClobberMemory();
        ++n;
    }
    bench::reportFrames(state, start, n);
    state.counters["listed"] = listed(p.list);
}

}  // namespace

BENCHMARK(BM_ClearAndPresent)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToolbarFrame)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchFirstPage)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
