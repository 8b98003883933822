// Clocks and sleeping: the monotonic clock of the frame timer, the millisecond count, the time
// of day for printed dates, the fatal path's pause and the frame pacing's sleep.
#include <time.h>

#include <cerrno>

#include "platform/platform.h"

namespace platform {

void sleepMilliseconds(int ms) {
    if (ms <= 0) return;
    timespec t{ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
    while (::nanosleep(&t, &t) != 0 && errno == EINTR) {
    }
}

void sleepUntilTicks(uint64_t ticks) {
    // An absolute deadline on the same clock as monotonicTicks: a signal that wakes the sleep
    // early resumes it without drifting, and a deadline already past returns at once.
    timespec t{static_cast<time_t>(ticks / 1000000000ull), static_cast<long>(ticks % 1000000000ull)};
    while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &t, nullptr) == EINTR) {
    }
}

uint64_t monotonicTicks() {
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<uint64_t>(t.tv_sec) * 1000000000ull + static_cast<uint64_t>(t.tv_nsec);
}

double monotonicTickSeconds() { return 1e-9; }

uint32_t millisecondCount() { return static_cast<uint32_t>(monotonicTicks() / 1000000ull); }

CalendarTime universalTime() {
    const time_t now = ::time(nullptr);
    tm ut{};
    ::gmtime_r(&now, &ut);
    return CalendarTime{ut.tm_year + 1900, ut.tm_mon + 1, ut.tm_mday, ut.tm_hour, ut.tm_min, ut.tm_sec};
}

}  // namespace platform
