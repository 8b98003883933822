// Frame timer: frame durations and the frame statistics of the run.
#include "core/timer.h"

#include <chrono>

#include "core/app.h"
#include "core/log.h"

namespace timer {

namespace {

uint64_t steadyTicks() {
    return static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
}
constexpr double kSteadySecondsPerTick =
    double(std::chrono::steady_clock::period::num) / double(std::chrono::steady_clock::period::den);

uint32_t steadyMilliseconds() {
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

HighResClock highResClock = steadyTicks;
double highResSecondsPerTick = kSteadySecondsPerTick;
MillisecondClock millisecondClock = steadyMilliseconds;

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

}  // namespace

void setTimerClocks(HighResClock highRes, double tickSeconds, MillisecondClock millis) {
    if (highRes == nullptr && millis == nullptr) {
        highResClock = steadyTicks;
        highResSecondsPerTick = kSteadySecondsPerTick;
        millisecondClock = steadyMilliseconds;
        return;
    }
    highResClock = highRes;
    highResSecondsPerTick = tickSeconds;
    millisecondClock = millis != nullptr ? millis : steadyMilliseconds;
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
