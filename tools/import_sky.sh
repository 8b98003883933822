#!/usr/bin/env bash
# Rebuilds the catalogue files (data/catalog/*) and data/crossindex.tsv from public data.
#
#   tools/import_sky.sh [CACHE_DIR]
#
# CACHE_DIR (default: build-import/packages) receives the Debian packages stellarium-data and
# kstars-data, fetched with apt-get download and unpacked with dpkg -x unless they are there
# already. Only their data files are read. STELLARIUM_DIR and KSTARS_DIR may point at folders
# that are already unpacked (…/usr/share/stellarium, …/usr/share/kstars) instead; SKY_SOURCES
# at the raw source folder (default: ../shared/sources beside the work tree); SKY_LEAF at the
# star tree's leaf capacity (default 64). The import tool is built in build-import; its report
# (matches per source, magnitude residuals, multiples combined, stars dropped, stars whose V may
# be off the Hipparcos V and why) is printed and kept in build-import/skyimport-report.txt.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cache=${1:-$root/build-import/packages}
sources=${SKY_SOURCES:-$root/../shared/sources}
build=$root/build-import
leaf=${SKY_LEAF:-64}

# Versions the committed data was made from; another version still imports, with a warning.
declare -A tested=([stellarium-data]=0.22.2-1 [kstars-data]=5:3.6.2-2)

unpack() {  # package → prints the unpacked root
  local pkg=$1 dir=$cache/$1
  if [ ! -d "$dir/usr/share" ]; then
    mkdir -p "$cache"
    (cd "$cache" && rm -f "${pkg}"_*.deb && apt-get download "$pkg" >&2)
    local deb
    deb=$(ls "$cache/${pkg}"_*.deb | head -n 1)
    local version
    version=$(dpkg-deb -f "$deb" Version)
    [ "$version" = "${tested[$pkg]}" ] || echo "import_sky: $pkg $version differs from the tested ${tested[$pkg]}" >&2
    mkdir -p "$dir"
    dpkg -x "$deb" "$dir"
  fi
  echo "$dir"
}

stellarium=${STELLARIUM_DIR:-}
kstars=${KSTARS_DIR:-}
[ -n "$stellarium" ] || stellarium=$(unpack stellarium-data)/usr/share/stellarium
[ -n "$kstars" ] || kstars=$(unpack kstars-data)/usr/share/kstars
for d in "$stellarium/stars/default" "$kstars" "$sources/open-clusters"; do
  [ -d "$d" ] || { echo "import_sky: missing $d" >&2; exit 1; }
done

cmake -S "$root" -B "$build" -DVYREX_BENCH=OFF -DVYREX_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target skyimport

mkdir -p "$root/data/catalog"
"$build/tools/skyimport/skyimport" \
  --stellarium "$stellarium" --kstars "$kstars" --sources "$sources" \
  --notes "$root/tools/skyimport/notes.txt" --leaf "$leaf" \
  --out "$root/data/catalog" --crossindex "$root/data/crossindex.tsv" "${@:2}" | tee "$build/skyimport-report.txt"
