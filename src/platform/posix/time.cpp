// Sleeping for the fatal path's pause.
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

}  // namespace platform
