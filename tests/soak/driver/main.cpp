// vyrex_soak [frames] [seed]: the soak for as long as asked, as scripts/soak.sh runs it. Without
// a seed it takes one from the clock and prints it; a failure prints the line that replays it.
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>

#include "soak/harness/soak.h"

int main(int argc, char** argv) {
    soak::Options options;
    options.stage = VYREX_STAGE_DIR;
    // VYREX_SOAK_STAGE=<folder>: another staged program folder (a long run keeps a copy of its own
    // while the build goes on changing the staged one).
    if (const char* stage = std::getenv("VYREX_SOAK_STAGE")) options.stage = stage;
    options.progress = true;
    // VYREX_SOAK_TRACE=<frame>: what the stream sends from that frame on, to see what a replay does.
    if (const char* trace = std::getenv("VYREX_SOAK_TRACE")) options.traceFrom = std::strtol(trace, nullptr, 10);
    if (argc > 1) options.frames = std::strtol(argv[1], nullptr, 10);
    if (argc > 2) {
        options.seed = std::strtoull(argv[2], nullptr, 0);
    } else {
        options.seed = static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()) % 1000000007u;
    }
    if (argc > 3 || options.frames <= 0) {
        std::fprintf(stderr, "usage: vyrex_soak [frames] [seed]\n");
        return 2;
    }
    std::printf("soak: %ld frames, seed %" PRIu64 "\n", options.frames, options.seed);
    std::fflush(stdout);
    const soak::Report report = soak::run(options);
    std::printf("%s", soak::summary(report).c_str());
    if (!report.ok) {
        std::printf("replay with: %s\n", soak::replayCommand(options, report.failedFrame).c_str());
        return 1;
    }
    return 0;
}
