// Frame timer: measures every pass of the main loop and keeps the frame statistics (frames,
// current, lowest and highest rate, running time) for the console and the shutdown log.
//
// The high-resolution counter (type 0) is the steady clock; the millisecond timer (type 1) is
// the fallback when no high-resolution counter is given. Both come from the platform's monotonic
// clock unless a test replaces them. Frame time never scales motion: the
// program moves by fixed steps per frame, so the timer only observes.
//
// Rates of 1 frame per second or less never become the lowest rate (the first frame includes
// the whole start-up), so the lowest rate stays at 1e10 until a faster frame is seen. A frame
// time of 0 (two ticks within one millisecond on the millisecond timer) counts the frame but
// leaves the current rate at its previous value, so no rate is ever infinite.
#pragma once

#include <cstdint>

namespace timer {

int startTimer();  // always 1
void tickTimer();  // once per frame, at the start of the frame's work
// Current rate = 1 / last frame time; average = frames / running time (0 before any time passed).
void timerStatistics(double& current, double& lowest, double& highest, double& average);
// With DB: the running time, frame count and rates to log channel 1 (after startTimer only).
void writeTimerSummary();

// The program's own running time, on the high-resolution clock (the millisecond clock when none
// is given): markProgramStart at process entry sets its origin, and "show cputime" reports it.
void markProgramStart();
double secondsSinceProgramStart();

// Clock sources, replaceable so that tests control time without sleeping. `highRes` counts
// ticks of `secondsPerTick` seconds; when it is null the millisecond clock `millis` (a 32-bit
// count that may wrap) is used as type 1. Takes effect at the next startTimer; calling it with
// all null arguments restores the machine's clocks.
using HighResClock = uint64_t (*)();
using MillisecondClock = uint32_t (*)();
void setTimerClocks(HighResClock highRes, double secondsPerTick, MillisecondClock millis);

}  // namespace timer
