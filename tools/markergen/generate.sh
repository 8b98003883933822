#!/usr/bin/env bash
# Regenerates the shipped marker files (data/marker/*.map) from the constellation figures of the
# Debian package stellarium-data and the committed catalogue (data/catalog).
#
#   tools/markergen/generate.sh [BUILD_DIR]
#
# STELLARIUM_DIR may point at an unpacked …/usr/share/stellarium; otherwise the package is
# fetched with apt-get download and unpacked with dpkg -x into BUILD_DIR/packages (as
# tools/import_sky.sh does). Only the data file skycultures/western/constellationship.fab is read.
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build-markergen}

stellarium=${STELLARIUM_DIR:-}
if [ -z "$stellarium" ]; then
  cache=$build/packages
  dir=$cache/stellarium-data
  if [ ! -d "$dir/usr/share" ]; then
    mkdir -p "$cache"
    (cd "$cache" && rm -f stellarium-data_*.deb && apt-get download stellarium-data >&2)
    mkdir -p "$dir"
    dpkg -x "$(ls "$cache"/stellarium-data_*.deb | head -n 1)" "$dir"
  fi
  stellarium=$dir/usr/share/stellarium
fi
figures=$stellarium/skycultures/western/constellationship.fab
[ -f "$figures" ] || { echo "generate.sh: missing $figures" >&2; exit 1; }

cmake -S "$root" -B "$build" -DVYREX_BENCH=OFF -DVYREX_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target markergen

mkdir -p "$root/data/marker"
"$build/tools/markergen/markergen" --figures "$figures" --catalog "$root/data/catalog" --out "$root/data/marker"
