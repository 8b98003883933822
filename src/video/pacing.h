// Frame pacing for presents that do not wait for the retrace themselves: the beat of the
// display's refresh, kept by sleeping until each frame is due.
//
// Contract. A pacer started at `hz` on a clock of `secondsPerTick` seconds per tick gives every
// frame a due tick one period after the previous frame's. paceFrame(now) returns the tick to
// sleep until before the frame is shown, or 0 to show it at once, and moves the beat on. The
// first frame shows at once. A frame that comes late but less than a period late keeps the beat
// (the next one is due sooner, so the rate holds); a frame later than that starts the beat again
// from now, rather than letting a burst of frames catch up. A rate of 0 or less never paces.
// Pure arithmetic: the caller reads the clock and sleeps.
#pragma once

#include <cstdint>

namespace video {

struct FramePacer {
    uint64_t period = 0;   // clock ticks from one frame to the next; 0: not paced
    uint64_t due = 0;      // tick at which the next frame is due
    bool started = false;  // a frame has been paced since startPacing
};

void startPacing(FramePacer& pacer, double hz, double secondsPerTick);
uint64_t paceFrame(FramePacer& pacer, uint64_t now);

}  // namespace video
