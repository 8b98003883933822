#!/bin/sh
# Runs the soak of the whole program on the headless backend for any number of frames: a seeded
# random stream of a restless user with the invariants checked as it runs. It prints the seed
# first; a failure prints the frame and the line that replays it.
#   scripts/soak.sh [frames, default 20000] [seed, default from the clock]
# VYREX_SOAK_BUILD names the build folder (default build/); VYREX_SOAK_TRACE=<frame> traces the
# stream from that frame on.
set -eu
cd "$(dirname "$0")/.."
build=${VYREX_SOAK_BUILD:-build}

if [ ! -f "$build/CMakeCache.txt" ]; then
    scripts/setup.sh
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j2 --target vyrex vyrex_soak >/dev/null
exec "$build/tests/vyrex_soak" "$@"
