#!/bin/sh
# Builds every fuzz target with clang in build-fuzz/ and runs each one for the given time from its
# corpus folder (build-fuzz/corpus/<target>, kept between runs), printing one line per target.
#   scripts/fuzz.sh [seconds per target, default 60]
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-60}

scripts/setup.sh
command -v clang++ >/dev/null 2>&1 || {
    echo "fuzz: clang is missing (apt-get install clang)" >&2
    exit 1
}

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVYREX_FUZZ=ON >/dev/null
cmake --build build-fuzz -j2 >/dev/null

status=0
for target in build-fuzz/fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    corpus=build-fuzz/corpus/$name
    mkdir -p "$corpus"
    log=build-fuzz/corpus/$name.log
    if "$target" "$corpus" -max_total_time="$seconds" -max_len=16384 -print_final_stats=1 >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
        echo "$name: ${runs:-?} inputs in ${seconds} s, no failure"
    else
        status=1
        echo "$name: FAILED, see $log"
    fi
done
exit "$status"
