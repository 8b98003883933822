// Frame timer: frame durations and the frame statistics of the run.
#include "base/timer.h"

#include "base/app.h"
#include "base/log.h"
#include "platform/platform.h"

namespace timer {

namespace {

HighResClock highResClock = platform::monotonicTicks;
double highResSecondsPerTick = platform::monotonicTickSeconds();
MillisecondClock millisecondClock = platform::millisecondCount;

int type = 0;                 // 0 high-resolution counter, 1 millisecond timer
double secondsPerTick = 0.0;
uint64_t lastCount = 0;       // type 1: a 32-bit millisecond reading
uint64_t elapsedTicks = 0;    // start to last tick, summed per frame so a wrapping clock adds up
double frameTime = 0.0;       // seconds
int frames = 0;
double currentRate = 0.0;     // frames per second
double highestRate = 0.0;
double lowestRate = 1e10;
bool started = false;

uint64_t readCounter() { return type == 0 ? highResClock() : millisecondClock(); }

double runningTime() { return double(elapsedTicks) * secondsPerTick; }

// The program's origin, read on whichever clock was in use then.
bool programOnHighRes = true;
uint64_t programStartCount = 0;

double programClockSeconds(uint64_t count) {
    return programOnHighRes ? double(count) * highResSecondsPerTick : double(count) * 0.001;
}

uint64_t programClock() {
    if (programOnHighRes) return highResClock();
    return millisecondClock();
}

}  // namespace

void markProgramStart() {
    programOnHighRes = highResClock != nullptr && highResSecondsPerTick > 0.0;
    programStartCount = programClock();
}

double secondsSinceProgramStart() {
    const uint64_t now = programClock();
    // The millisecond count is 32 bits and may have wrapped since the start.
    const uint64_t ticks = programOnHighRes ? now - programStartCount
                                            : uint32_t(uint32_t(now) - uint32_t(programStartCount));
    return programClockSeconds(ticks);
}

void setTimerClocks(HighResClock highRes, double tickSeconds, MillisecondClock millis) {
    if (highRes == nullptr && millis == nullptr) {
        highResClock = platform::monotonicTicks;
        highResSecondsPerTick = platform::monotonicTickSeconds();
        millisecondClock = platform::millisecondCount;
        return;
    }
    highResClock = highRes;
    highResSecondsPerTick = tickSeconds;
    millisecondClock = millis != nullptr ? millis : platform::millisecondCount;
}

int startTimer() {
    if (highResClock != nullptr && highResSecondsPerTick > 0.0) {
        type = 0;
        secondsPerTick = highResSecondsPerTick;
    } else {
        type = 1;
        secondsPerTick = 0.001;
    }
    lastCount = readCounter();
    elapsedTicks = 0;
    frames = 0;
    currentRate = 0.0;
    highestRate = 0.0;
    lowestRate = 1e10;
    frameTime = 0.0;
    if (app::mode.DB) {
        logc::print(1, "\r\n\tinit Timer:");
        logc::print(1, "\r\n\t\tTimer Type:%d [res=%lfms]", type, secondsPerTick * 1000.0);
    }
    started = true;
    return 1;
}

void tickTimer() {
    if (!started) return;
    const uint64_t now = readCounter();
    // Unsigned differences: a wrap of the 32-bit millisecond count is harmless.
    const uint64_t ticks = type == 0 ? now - lastCount : uint32_t(uint32_t(now) - uint32_t(lastCount));
    lastCount = now;
    elapsedTicks += ticks;
    frameTime = double(ticks) * secondsPerTick;
    ++frames;
    if (frameTime > 0.0) currentRate = 1.0 / frameTime;
    if (currentRate > highestRate) highestRate = currentRate;
    if (currentRate < lowestRate && currentRate > 1.0) lowestRate = currentRate;
}

void timerStatistics(double& current, double& lowest, double& highest, double& average) {
    const double running = runningTime();
    current = currentRate;
    lowest = lowestRate;
    highest = highestRate;
    average = running > 0.0 ? double(frames) / running : 0.0;
}

void writeTimerSummary() {
    if (!started || !app::mode.DB) return;
    const double running = runningTime();
    logc::print(1, "\r\nRunning Time:%lfs (Frames:%d)", running, frames);
    logc::print(1, "\r\navgFPS=%lf , FPS min=%lf , max=%lf", running > 0.0 ? double(frames) / running : 0.0,
                lowestRate, highestRate);
}

}  // namespace timer
