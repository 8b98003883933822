#!/bin/bash
# The frame as the user gets it: runs the real program under an X server without a GPU (Xvfb with
# Mesa) at 1280x800 and 1920x1080, on each present path, for a fixed number of frames at fixed
# cameras (the Sun, inside the Pleiades, a journey to Vega), and prints its frame rate and its own
# CPU time per frame next to the headless benchmark's for the same cameras, measured in the same
# run, as ratios; then the CPU use of runs paced to the display (VIDwVSync 1).
#
#   scripts/bench-frame.sh [--repeats=R] [--frames=N1:N2] [--display=N] [--sizes=WxH,...]
#
# How it measures. Every run starts from the same stored camera (bench_video prepares the stores
# as a user would: the console's commands, then "camera save") and ends itself after a fixed
# number of presented frames (VYREX_EXIT_AFTER_FRAMES). Two runs, of N1 and of N2 frames, differ
# only by the frames N1+1..N2, so the differences of their CPU times (the process's own
# accounting, all its threads, from bash's `time`) and of their wall times give the cost per
# frame with the start-up and the shutdown taken out. The headless figure is bench_video's
# BM_ProgramFrame: the same program from the same store over the same frames, on the headless
# backend. Medians over R repeats (default 3); the X server's own CPU per frame is shown beside,
# since it does the copy to the screen that the headless backend leaves out.
#
# Environment: VYREX_BUILD (default build/) is the build folder to measure.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VYREX_BUILD:-$root/build}

repeats=3
first=300
last=1300
display=""
sizes="1280x800,1920x1080"
for a in "$@"; do
    case "$a" in
        --repeats=*) repeats=${a#*=} ;;
        --frames=*) first=${a#*=}; first=${first%%:*}; last=${a##*:} ;;
        --display=*) display=${a#*=} ;;
        --sizes=*) sizes=${a#*=} ;;
        *) echo "bench-frame: unknown option $a" >&2; exit 2 ;;
    esac
done
frames=$((last - first))
[ "$frames" -gt 0 ] || { echo "bench-frame: --frames=N1:N2 needs N1 < N2" >&2; exit 2; }

"$root/scripts/setup.sh" xvfb libgl1-mesa-dri
nice cmake --build "$build" -j2 --target vyrex vyrex_packs bench_video >/dev/null

if [ -z "$display" ]; then
    display=90
    while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
fi

work=$(mktemp -d /tmp/vyrex-bench-frame-XXXXXX)
xvfb=""
cleanup() {
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# A program folder of its own, so that the log lands here and not in the build's stage.
stage="$build/stage"
mkdir -p "$work/folder"
for entry in data systems marker plugin; do
    [ -e "$stage/$entry" ] && ln -s "$stage/$entry" "$work/folder/$entry"
done

cameras="sun pleiades journey"
paths="surface texture"
ticks=$(getconf CLK_TCK)

# CPU seconds the X server has used so far.
xcpu() { awk -v t="$ticks" '{ printf "%.3f", ($14 + $15) / t }' "/proc/$xvfb/stat"; }

# run CAMERA PATH FRAMES SYNC: one run of the real program; prints "wall cpu xcpu" in seconds.
run() {
    local config="$work/config"
    rm -rf "$config" "$work/folder/vyrex.log"
    cp -r "$work/stores/$1" "$config"
    local x0 x1 t
    x0=$(xcpu)
    t=$( { TIMEFORMAT='%3R %3U %3S'; time env DISPLAY=":$display" XDG_CONFIG_HOME="$config" \
            VYREX_PRESENT="$2" VYREX_EXIT_AFTER_FRAMES="$3" \
            "$stage/vyrex" -c -d "-vw$4" "-l$work/folder" >/dev/null 2>&1; } 2>&1 )
    x1=$(xcpu)
    local want="window surface"
    [ "$2" = texture ] && want="streaming texture"
    if ! grep -aq "Present: $want" "$work/folder/vyrex.log"; then
        echo "bench-frame: the run did not present through the $want:" >&2
        grep -a "Present:" "$work/folder/vyrex.log" >&2 || echo "(no log)" >&2
        exit 1
    fi
    # The main loop's frames, as the frame timer counts them: all but the splash's few.
    local counted
    counted=$(grep -a "Running Time:" "$work/folder/vyrex.log" | tail -1 | sed 's/.*Frames:\([0-9]*\).*/\1/')
    if [ -z "$counted" ] || [ "$counted" -lt $(($3 - 20)) ]; then
        echo "bench-frame: a run of $3 frames ($1, $2) ended after ${counted:-no} frames" >&2
        exit 1
    fi
    echo "$t $x0 $x1" | awk '{ printf "%.3f %.3f %.3f\n", $1, $2 + $3, $5 - $4 }'
}

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) print "nan"; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

results="$work/results"
: > "$results"
echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores"
echo "load before: $(uptime | sed 's/.*load average: //')"
echo "frames measured: $((first + 1)) to $last of each run ($frames), $repeats repeats, medians"

for size in ${sizes//,/ }; do
    Xvfb ":$display" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
    for rep in $(seq "$repeats"); do
        # The headless figures, and (the first time) the cameras' stores.
        "$build/bench/bench_video" --stores="$work/stores" --frames="$first:$last" --sizes="$size" \
            --benchmark_filter=ProgramFrame > "$work/bench.out" 2>&1
        if grep -q "ERROR OCCURRED" "$work/bench.out"; then
            echo "bench-frame: the headless benchmark failed:" >&2
            grep "ERROR OCCURRED" "$work/bench.out" >&2
            exit 1
        fi
        # The lines may follow the console reporter's colour codes.
        awk -v r="$rep" 'match($0, /program-frame .*/) { split(substr($0, RSTART), f, " "); sub("cpu_ms=", "", f[4]); print "headless", f[2], f[3], r, f[4] }' \
            "$work/bench.out" >> "$results"
        for path in $paths; do
            for camera in $cameras; do
                a=$(run "$camera" "$path" "$first" 0)
                b=$(run "$camera" "$path" "$last" 0)
                echo "$a $b" | awk -v s="$size" -v p="$path" -v c="$camera" -v r="$rep" -v n="$frames" \
                    '{ printf "real %s %s %s %s %.4f %.4f %.4f\n", s, c, p, r, ($5 - $2) * 1e3 / n, n / ($4 - $1), ($6 - $3) * 1e3 / n }' >> "$results"
            done
        done
        # Paced at the Sun: the share of a core the program takes at the display's rate.
        for path in $paths; do
            a=$(run sun "$path" 120 1)
            b=$(run sun "$path" 720 1)
            echo "$a $b" | awk -v s="$size" -v p="$path" -v r="$rep" \
                '{ printf "paced %s %s %s %.1f %.1f %.1f\n", s, p, r, 600 / ($4 - $1), ($5 - $2) * 100 / ($4 - $1), ($6 - $3) * 100 / ($4 - $1) }' >> "$results"
        done
    done
    kill "$xvfb"
    wait "$xvfb" 2>/dev/null || true
    xvfb=""
done

echo
printf '%-10s %-9s %-8s %9s %14s %14s %8s %13s\n' size camera path fps "CPU ms/frame" "headless ms" ratio "X ms/frame"
for size in ${sizes//,/ }; do
    for path in $paths; do
        for camera in $cameras; do
            h=$(awk -v s="$size" -v c="$camera" '$1 == "headless" && $2 == s && $3 == c { print $5 }' "$results" | median)
            cpu=$(awk -v s="$size" -v c="$camera" -v p="$path" '$1 == "real" && $2 == s && $3 == c && $4 == p { print $6 }' "$results" | median)
            fps=$(awk -v s="$size" -v c="$camera" -v p="$path" '$1 == "real" && $2 == s && $3 == c && $4 == p { print $7 }' "$results" | median)
            xms=$(awk -v s="$size" -v c="$camera" -v p="$path" '$1 == "real" && $2 == s && $3 == c && $4 == p { print $8 }' "$results" | median)
            awk -v s="$size" -v c="$camera" -v p="$path" -v f="$fps" -v u="$cpu" -v h="$h" -v x="$xms" \
                'BEGIN { printf "%-10s %-9s %-8s %9.0f %14.3f %14.3f %8.2f %13.3f\n", s, c, p, f, u, h, u / h, x }'
        done
    done
done
echo
printf '%-10s %-8s %9s %16s %18s\n' size path "paced fps" "CPU % of a core" "X server % of a core"
for size in ${sizes//,/ }; do
    for path in $paths; do
        col() { awk -v s="$size" -v p="$path" -v k="$1" '$1 == "paced" && $2 == s && $3 == p { print $k }' "$results" | median; }
        awk -v s="$size" -v p="$path" -v f="$(col 5)" -v u="$(col 6)" -v x="$(col 7)" \
            'BEGIN { printf "%-10s %-8s %9.1f %16.1f %18.1f\n", s, p, f, u, x }'
    done
done
echo
echo "load after: $(uptime | sed 's/.*load average: //')"
