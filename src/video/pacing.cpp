// Frame pacing: the due tick of every frame on the display's beat.
#include "video/pacing.h"

#include <cmath>

namespace video {

void startPacing(FramePacer& pacer, double hz, double secondsPerTick) {
    pacer = FramePacer{};
    if (!(hz > 0.0) || !(secondsPerTick > 0.0)) return;
    const double ticks = std::round(1.0 / hz / secondsPerTick);
    pacer.period = ticks >= 1.0 ? static_cast<uint64_t>(ticks) : 1;
}

uint64_t paceFrame(FramePacer& pacer, uint64_t now) {
    if (pacer.period == 0) return 0;
    if (!pacer.started) {
        pacer.started = true;
        pacer.due = now + pacer.period;
        return 0;
    }
    if (now >= pacer.due) {
        pacer.due = now - pacer.due < pacer.period ? pacer.due + pacer.period : now + pacer.period;
        return 0;
    }
    const uint64_t wake = pacer.due;
    pacer.due += pacer.period;
    return wake;
}

}  // namespace video
