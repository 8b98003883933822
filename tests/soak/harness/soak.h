// The soak: the real program on the headless backend, driven for as many frames as asked by a
// seeded random stream of what a restless user does, with its invariants checked as it runs.
//
// Contract.
// - run() makes a program folder of its own (the staged packs, star systems and marker files
//   linked in; the log, screenshots and the configuration store its own), then runs the
//   program in sessions until `frames` frames are drawn: the first session starts with the
//   cameras reset (-f), later ones with what the earlier sessions stored. A session ends when
//   the stream quits (Escape, "exit", closing the window), and the next one starts.
// - The stream is the table of actions (actions.cpp): keys from the program's key table alone
//   and with Shift or Ctrl, characters, pointer moves, clicks and drags anywhere on the surface
//   and off it, the wheel, focus lost and back, console lines drawn from the console's command
//   table with random and malformed arguments (typed into the console or submitted whole),
//   macros bound and run, journeys, mode switches, camera saves and loads, and in-scene windows
//   opened, worked and closed. It depends on the seed alone: the same seed and the same build
//   send the same input. (What the program makes of it can still depend on time where the
//   program itself measures time: a held button repeats by the clock, "show fps" prints it.)
// - Every frame checks the tables against their sizes and every camera record for values that
//   are not finite and an orientation that is no longer a rotation, and bounds the frame's
//   time by a multiple of the run's own median frame. Every `checkEvery` frames it samples memory and reads back the screenshots the
//   stream asked for. Every `restoreEvery` frames, and at the start of each session, it puts
//   the program back into one fixed state (checks.cpp) and compares the tables' counts with the
//   counts that state had at the first start: a count that does not come back is a leak.
// - Memory is sampled from `warmUpFrames` on, at each restored state: the heap in use (the
//   allocator's own count) may not grow by more than `heapGrowthBytes`, resident memory by more
//   than `residentGrowthBytes` (the render lists are static arrays that are paged in as far as
//   they are ever filled, so resident memory may rise once where the heap does not).
// - The first failure ends the run. Its report names the frame, the session and the seed, and
//   replayCommand() gives the line that replays the stream up to that frame. A crash or a hang
//   (no pass of the main loop for `hangSeconds`) prints the same before the process dies.
// One soak at a time per process; run() uses the headless backend and the configuration store's
// location, and leaves them as a fresh process has them.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace soak {

struct Options {
    uint64_t seed = 1;
    long frames = 20000;
    int width = 640, height = 480;  // the surface; the smallest mode the program takes
    std::string stage;              // the staged program folder that the soak's folder links to
    // A folder to run in instead of one made from `stage` (the fault runs damage their own).
    std::string programFolder;
    int checkEvery = 250;            // frames between memory samples and screenshot reads
    int restoreEvery = 2000;         // frames between returns to the fixed state
    long warmUpFrames = 2000;        // memory is compared from the first restore after this
    // Frames are timed in processor seconds of the program's thread, so that waiting for a
    // processor on a loaded machine is not counted. The frame-time bound: `frameFactor` times
    // the run's own heaviest fixed frame (the slowest frame of the fixed states at the first
    // start, among them local space holding the whole catalogue), and never below
    // `frameSeconds`. A bound relative to work the same run has timed scales with the build (the
    // sanitizers are slow), so it catches a runaway frame and not noise. Until it is known the
    // hang time bounds.
    double frameSeconds = 2.0;
    double frameFactor = 10.0;
    double hangSeconds = 60.0;       // no main-loop pass for this long: the process is stopped
    size_t heapGrowthBytes = 1 << 20;
    size_t residentGrowthBytes = 48u << 20;
    bool quitting = true;            // the stream may end sessions (false: one session)
    bool resetCameras = true;        // the first session starts with -f (false: the stored cameras)
    bool progress = false;           // a line on standard error every tenth of the run (10,000 frames at most)
    long traceFrom = -1;             // from this frame on, each action and line on standard error
};

struct Report {
    bool ok = true;
    std::string failure;  // what failed, with the frame, session and seed
    long failedFrame = 0;

    long frames = 0;     // frames drawn over all sessions
    long passes = 0;     // main-loop passes (an inactive program makes passes without frames)
    int sessions = 0;
    long checks = 0;     // frames whose invariants were checked
    long restores = 0;   // returns to the fixed state whose counts were compared
    long screenshots = 0;
    double baselineFrameSeconds = 0;  // the heaviest fixed frame the bound is relative to
    double frameBoundSeconds = 0;     // the bound it gave
    double slowestFrameSeconds = 0;
    long slowestFrame = 0;
    double seconds = 0;  // wall time of the whole run

    // Memory at the first restore after the warm-up and the most seen after it, bytes.
    size_t heapAtWarmUp = 0, heapMost = 0;
    size_t residentAtWarmUp = 0, residentMost = 0;

    std::map<std::string, long> actions;  // how often each action of the table ran
    int keysInTable = 0, keysPressed = 0;  // key-table entries, and how many the stream pressed
    int subWordsInTable = 0, subWordsRun = 0;  // console (sub-)words, and how many lines used
    std::string unused;                        // keys and words the stream never reached
};

Report run(const Options& options);

// "scripts/soak.sh <frames> <seed>": replays the stream of `options` up to `frame`.
std::string replayCommand(const Options& options, long frame);

// The figures of a report as a few lines for a person.
std::string summary(const Report& report);

}  // namespace soak
