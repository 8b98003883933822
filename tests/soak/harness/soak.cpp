// The soak's sessions: the program folder, the hooks through which the stream reaches the main
// loop, the checks of every frame and of the fixed states, the watchdog, and the report.
#include "soak/harness/soak.h"

#include <signal.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cinttypes>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "base/app.h"
#include "base/input_state.h"
#include "base/zode.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_display.h"
#include "platform/store.h"
#include "program/lifecycle.h"
#include "soak/harness/soak_internal.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_UNDEFINED__)
#include <sanitizer/common_interface_defs.h>
#endif

namespace soak {

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

// Frames after a return to a fixed state before its counts are read: the state's first frame
// enters the system and rebuilds the lists, the next ones draw what they hold.
constexpr int kSettleFrames = 3;

struct Run {
    explicit Run(const Options& o)
        : options(o), random(o.seed), context{random, o.width, o.height, steps, coverage, windows, o.quitting} {}

    Options options;
    Report report;
    Random random;
    std::deque<Step> steps;
    Coverage coverage;
    std::vector<zwindows::Node> windows;
    Context context;
    std::string root, program;  // the soak's temporary folder and the program folder in it
    // The keys and console words the stream can reach, taken while the program runs (layers add
    // their words at their start).
    std::vector<int> keys;
    std::vector<std::string> words;

    double passStart = 0;  // processor seconds of this thread when the pass began
    int actionCount = 0, totalWeight = 0;
    const Action* table = nullptr;

    // Returns to the fixed states: the next frame they are due, the state being settled (−1
    // none), the frames left before it is read, and each state's counts from the first start.
    long nextRestore = 0;
    int settling = -1;
    int settleLeft = 0;
    int restoreNumber = 0;
    std::vector<int> startStates;  // states still to be measured at this session's start
    std::vector<std::vector<int>> baselines;
    bool memoryBaselineTaken = false;
    bool finished = false;  // the last fixed state has been read: the session may end
    double settleSlowest = 0;  // seconds: the slowest frame of the fixed state being settled
};

Run* current = nullptr;
std::atomic<long> passCounter{0};
std::atomic<long> frameCounter{0};
char seedText[32] = "";  // written before the run, read by the crash handlers

void fail(const std::string& what) {
    Run& r = *current;
    if (!r.report.ok) return;
    r.report.ok = false;
    r.report.failedFrame = r.report.frames;
    char where[128];
    std::snprintf(where, sizeof where, " (frame %ld, session %d, seed %" PRIu64 ")", r.report.frames, r.report.sessions,
                  r.options.seed);
    r.report.failure = what + where;
    app::quit = 1;
}

double since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

// Processor time of the calling thread. Frames are timed by it, not by the wall clock: on a
// loaded machine (or under nice) a frame can wait seconds for a processor, while a runaway frame
// burns processor time whatever the load. A frame that waits for good is the watchdog's.
double threadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// ---- Checks ---------------------------------------------------------------------------------

void readScreenshots() {
    Run& r = *current;
    std::error_code ec;
    for (const fs::directory_entry& e : fs::directory_iterator(r.program, ec)) {
        const std::string name = e.path().filename().string();
        if (name.rfind("pic", 0) != 0 || e.path().extension() != ".bmp") continue;
        std::ifstream in(e.path(), std::ios::binary);
        unsigned char header[26] = {};
        in.read(reinterpret_cast<char*>(header), sizeof header);
        const auto u32 = [&](int at) {
            return uint32_t(header[at]) | uint32_t(header[at + 1]) << 8 | uint32_t(header[at + 2]) << 16 |
                   uint32_t(header[at + 3]) << 24;
        };
        const uint32_t width = u32(18), height = u32(22);
        const uintmax_t size = fs::file_size(e.path(), ec);
        const uintmax_t rowBytes = (uintmax_t(width) * 3 + 3) / 4 * 4;
        // The picture runs to the surface's largest x and y, one short of its width and height.
        const bool sized = (int(width) == r.options.width || int(width) == r.options.width - 1) &&
                           (int(height) == r.options.height || int(height) == r.options.height - 1);
        if (header[0] != 'B' || header[1] != 'M' || !sized || size < 54 + rowBytes * height) {
            fail("screenshot " + name + " is not a " + std::to_string(r.options.width) + " x " +
                 std::to_string(r.options.height) + " picture (" + std::to_string(size) + " bytes)");
            return;
        }
        ++r.report.screenshots;
        fs::remove(e.path(), ec);
    }
}

void sampleMemory() {
    Run& r = *current;
    const size_t heap = heapInUse(), resident = residentBytes();
    if (!r.memoryBaselineTaken) {
        if (r.report.frames < r.options.warmUpFrames) return;
        r.memoryBaselineTaken = true;
        r.report.heapAtWarmUp = r.report.heapMost = heap;
        r.report.residentAtWarmUp = r.report.residentMost = resident;
        return;
    }
    if (heap > r.report.heapMost) r.report.heapMost = heap;
    if (resident > r.report.residentMost) r.report.residentMost = resident;
    if (heap > r.report.heapAtWarmUp + r.options.heapGrowthBytes)
        fail("the heap grew from " + std::to_string(r.report.heapAtWarmUp) + " to " + std::to_string(heap) +
             " bytes after the warm-up");
    else if (resident > r.report.residentAtWarmUp + r.options.residentGrowthBytes)
        fail("resident memory grew from " + std::to_string(r.report.residentAtWarmUp) + " to " +
             std::to_string(resident) + " bytes after the warm-up");
}

// The counts of the state just settled against its counts at the first start.
void readFixedState() {
    Run& r = *current;
    const int state = r.settling;
    r.settling = -1;
    ++r.report.restores;
    const std::vector<int> counts = tableCounts();
    std::vector<int>& baseline = r.baselines[static_cast<size_t>(state)];
    int stateCount = 0;
    const FixedState* states = fixedStates(stateCount);
    if (baseline.empty()) {
        baseline = counts;
        // The first start's fixed states time the run's heaviest ordinary work: once the last of
        // them is read, every later frame is held to a multiple of the slowest.
        r.report.baselineFrameSeconds = std::max(r.report.baselineFrameSeconds, r.settleSlowest);
        bool all = true;
        for (const std::vector<int>& b : r.baselines) all = all && !b.empty();
        if (all)
            r.report.frameBoundSeconds =
                std::max(r.options.frameSeconds, r.options.frameFactor * r.report.baselineFrameSeconds);
    } else {
        const std::string differ = countsDiffer(baseline, counts, &states[state]);
        if (!differ.empty()) fail(std::string("back in ") + states[state].name + ": " + differ);
    }
    if (input::consoleHasKeyboard || input::editHasKeyboard)
        fail(std::string("back in ") + states[state].name + ": the keyboard is still held by the " +
             (input::consoleHasKeyboard ? "console" : "edit field") + " (active node \"" +
             zwindows::nodeCaption(zwindows::activeNode()) + "\" in \"" +
             zwindows::nodeCaption(zwindows::nodeParent(zwindows::activeNode())) + "\")");
    if (state == 0) sampleMemory();
}

// The frame event: every frame's checks, and the reading of a settled fixed state.
int32_t onFrame(zode::Message* m) {
    if (m->code != zode::kEventFrame || !current) return 0;
    Run& r = *current;
    ++r.report.frames;
    frameCounter.store(r.report.frames, std::memory_order_relaxed);
    const double seconds = threadSeconds() - r.passStart;
    if (seconds > r.report.slowestFrameSeconds) {
        r.report.slowestFrameSeconds = seconds;
        r.report.slowestFrame = r.report.frames;
    }
    if (r.settling >= 0) r.settleSlowest = std::max(r.settleSlowest, seconds);
    const double bound = r.report.frameBoundSeconds > 0 ? r.report.frameBoundSeconds : r.options.hangSeconds;
    if (seconds > bound) fail("a frame took " + std::to_string(seconds) + " s, more than the bound of " + std::to_string(bound) + " s");
    ++r.report.checks;
    std::string problem = camerasProblem();
    if (problem.empty()) problem = tablesProblem();
    if (!problem.empty()) fail(problem);
    if (r.settling >= 0 && --r.settleLeft == 0) readFixedState();
    if (r.report.frames % r.options.checkEvery == 0) readScreenshots();
    // A line every tenth of the run, and at least every 10,000 frames on a long one.
    if (r.options.progress && r.options.frames >= 10 &&
        r.report.frames % std::min(r.options.frames / 10, 10000L) == 0)
        std::fprintf(stderr, "soak: frame %ld of %ld, session %d, heap %.1f MB, resident %.1f MB\n", r.report.frames,
                     r.options.frames, r.report.sessions, heapInUse() / 1048576.0, residentBytes() / 1048576.0);
    return 0;
}

// ---- The stream -------------------------------------------------------------------------------

void settle(int state) {
    Run& r = *current;
    applyFixedState(state, r.windows);
    r.steps.clear();
    r.settling = state;
    r.settleLeft = kSettleFrames;
    r.settleSlowest = 0;
}

void nextAction() {
    Run& r = *current;
    for (;;) {
        int pick = r.random.below(r.totalWeight);
        for (int i = 0; i < r.actionCount; ++i) {
            pick -= r.table[i].weight;
            if (pick >= 0) continue;
            if (r.table[i].endsSession && !r.options.quitting) break;
            ++r.report.actions[r.table[i].name];
            r.context.tracing = r.options.traceFrom >= 0 && r.report.frames >= r.options.traceFrom;
            if (r.context.tracing) std::fprintf(stderr, "soak: frame %ld: %s\n", r.report.frames, r.table[i].name);
            r.table[i].make(r.context);
            return;
        }
    }
}

void applyStep(const Step& s) {
    if (s.call) s.call();
    if (s.movesPointer) headless::setPointer(s.x, s.y);
    if (s.hasMessage) headless::pushMessage(s.message);
}

void sessionStart() {
    Run& r = *current;
    ++r.report.sessions;
    const zode::Request observer{0, reinterpret_cast<const void*>(&onFrame), zode::kDirect, nullptr};
    zode::subscribe(zode::kEventFrame, zode::registerObject(&observer));
    registerWindowClass();
    if (r.words.empty()) {
        r.keys = streamKeys();
        r.words = tableSubWords();
    }
    r.windows.clear();
    r.steps.clear();
    int stateCount = 0;
    fixedStates(stateCount);
    r.startStates.clear();
    // Taken from the back: the last states first, state 0 last, where the stream begins.
    for (int s = 0; s < stateCount; ++s) r.startStates.push_back(s);
}

// Every pass of the main loop: a fixed state to settle, or the stream's next step.
void onPeek(int peek) {
    Run& r = *current;
    passCounter.fetch_add(1, std::memory_order_relaxed);
    ++r.report.passes;
    if (peek == 1) sessionStart();
    // The frame's time counts from here: the step's message and the harness's own calls into the
    // program (a panel's or a plug-in's) are part of it.
    r.passStart = threadSeconds();
    if (!r.report.ok) {
        app::quit = 1;
        return;
    }
    if (r.settling >= 0) return;  // frames go by untouched until the state is read
    if (!r.startStates.empty()) {
        const int state = r.startStates.back();
        r.startStates.pop_back();
        settle(state);
        return;
    }
    if (r.finished) {
        app::quit = 1;
        return;
    }
    // A fixed state is entered between actions, once the program has taken what was sent.
    const bool between = r.steps.empty() && headless::queuedMessages() == 0;
    if (between && r.report.frames >= r.options.frames) {
        settle(0);
        r.finished = true;
        return;
    }
    if (between && r.report.frames >= r.nextRestore) {
        int stateCount = 0;
        r.nextRestore = r.report.frames + r.options.restoreEvery;
        const FixedState* states = fixedStates(stateCount);
        int state = r.restoreNumber++ % stateCount;
        while (states[state].atStartOnly) state = r.restoreNumber++ % stateCount;
        settle(state);
        return;
    }
    if (headless::queuedMessages() > 0) return;
    if (r.steps.empty()) nextAction();
    if (r.steps.empty()) return;
    const Step step = std::move(r.steps.front());
    r.steps.pop_front();
    applyStep(step);
}

// ---- Crashes and hangs -------------------------------------------------------------------------

void writeText(const char* text) {
    for (size_t n = std::strlen(text); n > 0;) {
        const ssize_t w = ::write(2, text, n);
        if (w <= 0) return;
        text += w;
        n -= static_cast<size_t>(w);
    }
}

// Async-signal-safe: the frame as digits, the rest prepared before the run.
void writeCrashLine(const char* what) {
    char digits[24];
    long frame = frameCounter.load(std::memory_order_relaxed) + 1;
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + frame % 10);
        frame /= 10;
    } while (frame > 0 && n < 20);
    char text[24];
    for (int i = 0; i < n; ++i) text[i] = digits[n - 1 - i];
    text[n] = 0;
    writeText("\nsoak: ");
    writeText(what);
    writeText(" in frame ");
    writeText(text);
    writeText(" (seed ");
    writeText(seedText);
    writeText("): replay with scripts/soak.sh ");
    writeText(text);
    writeText(" ");
    writeText(seedText);
    writeText("\n");
}

constexpr int kCrashSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
struct sigaction previous[std::size(kCrashSignals)];

void onCrash(int signal, siginfo_t* info, void* context) {
    writeCrashLine("crashed");
    for (size_t i = 0; i < std::size(kCrashSignals); ++i) {
        if (kCrashSignals[i] != signal) continue;
        // Hand over to whoever was there before (the sanitizer's report), else die by the signal.
        sigaction(signal, &previous[i], nullptr);
        if (previous[i].sa_flags & SA_SIGINFO) {
            if (previous[i].sa_sigaction) previous[i].sa_sigaction(signal, info, context);
        } else if (previous[i].sa_handler != SIG_DFL && previous[i].sa_handler != SIG_IGN) {
            previous[i].sa_handler(signal);
        }
        ::raise(signal);
    }
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_UNDEFINED__)
void onSanitizerDeath() { writeCrashLine("stopped by the sanitizers"); }
#endif

void installCrashHandlers() {
    struct sigaction action {};
    action.sa_sigaction = onCrash;
    action.sa_flags = SA_SIGINFO | SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < std::size(kCrashSignals); ++i) sigaction(kCrashSignals[i], &action, &previous[i]);
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_UNDEFINED__)
    __sanitizer_set_death_callback(onSanitizerDeath);
#endif
}

void removeCrashHandlers() {
    for (size_t i = 0; i < std::size(kCrashSignals); ++i) sigaction(kCrashSignals[i], &previous[i], nullptr);
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_UNDEFINED__)
    __sanitizer_set_death_callback(nullptr);
#endif
}

// Stops the process when the main loop makes no pass for the hang time: a hang never returns to
// the checks, so it is caught from outside the loop.
class Watchdog {
public:
    explicit Watchdog(double seconds) : thread_([this, seconds] { watch(seconds); }) {}
    ~Watchdog() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }

private:
    void watch(double seconds) {
        long seen = passCounter.load();
        Clock::time_point since = Clock::now();
        std::unique_lock<std::mutex> lock(mutex_);
        while (!wake_.wait_for(lock, std::chrono::milliseconds(250), [this] { return stop_; })) {
            const long now = passCounter.load();
            if (now != seen) {
                seen = now;
                since = Clock::now();
            } else if (std::chrono::duration<double>(Clock::now() - since).count() > seconds) {
                writeCrashLine("hung: no main-loop pass for the hang time");
                ::signal(SIGABRT, SIG_DFL);
                std::abort();
            }
        }
    }
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::thread thread_;
};

// ---- The program folder --------------------------------------------------------------------------

std::string makeFolder(Run& r) {
    char pattern[] = "/tmp/vyrex-soak-XXXXXX";
    if (!mkdtemp(pattern)) return "cannot make a temporary folder";
    r.root = pattern;
    std::error_code ec;
    if (!r.options.programFolder.empty()) {
        r.program = r.options.programFolder;
        return "";
    }
    r.program = r.root + "/program";
    fs::create_directories(r.program + "/plugin", ec);
    for (const char* folder : {"data", "systems", "marker"}) {
        fs::create_directory_symlink(fs::absolute(fs::path(r.options.stage) / folder), r.program + "/" + folder, ec);
        if (ec) return "cannot link " + std::string(folder) + " of " + r.options.stage + ": " + ec.message();
    }
    return "";
}

}  // namespace

#if defined(__SANITIZE_ADDRESS__)
// The soak measures resident memory; the sanitizer's quarantine of freed blocks (256 MB unless
// told otherwise) would grow it over a long run without a leak. Sixteen megabytes keep a freed
// block poisoned for many frames still.
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=16"; }
#endif

Report run(const Options& options) {
    Run r(options);
    current = &r;
    passCounter = 0;
    frameCounter = 0;
    std::snprintf(seedText, sizeof seedText, "%" PRIu64, options.seed);
    const Clock::time_point start = Clock::now();
    r.table = actions(r.actionCount);
    for (int i = 0; i < r.actionCount; ++i) r.totalWeight += r.table[i].weight;
    int stateCount = 0;
    fixedStates(stateCount);
    r.baselines.resize(static_cast<size_t>(stateCount));
    r.nextRestore = options.restoreEvery;

    const std::string made = makeFolder(r);
    if (!made.empty()) {
        r.report.ok = false;
        r.report.failure = made;
        current = nullptr;
        return r.report;
    }
    const bool ownStore = options.programFolder.empty();
    if (ownStore) store::setLocation(r.root + "/config/vyrex.reg");

    installCrashHandlers();
    {
        Watchdog watchdog(options.hangSeconds);
        while (r.report.ok && !r.finished) {
            headless::reset();
            headless::resetDisplay();
            headless::setDesktop(options.width, options.height);
            headless::setPeekHook(onPeek);
            lifecycle::fatalWaitMilliseconds = 0;
            std::string line = "-c -d -vw0 -l" + r.program;
            if (r.report.sessions == 0 && options.resetCameras) line += " -f";
            const long framesBefore = r.report.frames;
            const int code = lifecycle::entry(line.c_str());
            if (!headless::messageBoxes().empty()) {
                fail("the program ended with the box \"" + headless::messageBoxes()[0].text + "\"");
            } else if (code != 0) {
                fail("the program ended with code " + std::to_string(code));
            } else if (r.report.frames == framesBefore) {
                fail("a session drew no frame");
            }
        }
    }
    removeCrashHandlers();

    lifecycle::resetProcessState();
    headless::reset();
    if (ownStore) store::setLocation("");
    std::error_code ec;
    // A failed run keeps its folder (the log, the store) for whoever replays it.
    if (r.report.ok) fs::remove_all(r.root, ec);
    else r.report.failure += "; its folder is " + r.root;

    // Coverage: what of the key table and the command table the stream reached.
    r.report.keysInTable = static_cast<int>(r.keys.size());
    for (int vk : r.keys) {
        if (r.coverage.keys.count(vk)) ++r.report.keysPressed;
        else r.report.unused += "key " + std::to_string(vk) + " ";
    }
    r.report.subWordsInTable = static_cast<int>(r.words.size());
    for (const std::string& w : r.words) {
        if (r.coverage.subWords.count(w)) ++r.report.subWordsRun;
        else r.report.unused += "\"" + w + "\" ";
    }
    r.report.seconds = since(start);
    current = nullptr;
    return r.report;
}

std::string replayCommand(const Options& options, long frame) {
    return "scripts/soak.sh " + std::to_string(frame > 0 ? frame : options.frames) + " " + std::to_string(options.seed);
}

std::string summary(const Report& r) {
    char text[1024];
    std::snprintf(text, sizeof text,
                  "%ld frames in %d sessions (%ld passes) in %.1f s; %ld frames checked, %ld fixed states compared, "
                  "%ld screenshots read\n"
                  "heaviest fixed frame %.1f ms, bound %.0f ms, slowest frame %.1f ms (frame %ld)\n"
                  "heap %.2f MB after the warm-up, at most %.2f MB after it; resident %.1f MB, at most %.1f MB\n"
                  "keys pressed %d of %d, console words run %d of %d\n",
                  r.frames, r.sessions, r.passes, r.seconds, r.checks, r.restores, r.screenshots,
                  r.baselineFrameSeconds * 1000.0, r.frameBoundSeconds * 1000.0, r.slowestFrameSeconds * 1000.0,
                  r.slowestFrame, r.heapAtWarmUp / 1048576.0, r.heapMost / 1048576.0,
                  r.residentAtWarmUp / 1048576.0, r.residentMost / 1048576.0, r.keysPressed, r.keysInTable,
                  r.subWordsRun, r.subWordsInTable);
    std::string out = text;
    out += "actions:";
    for (const auto& [name, n] : r.actions) out += " " + name + " " + std::to_string(n) + ";";
    out += "\n";
    if (!r.unused.empty()) out += "never reached: " + r.unused + "\n";
    if (!r.ok) out += "FAILED: " + r.failure + "\n";
    return out;
}

}  // namespace soak
