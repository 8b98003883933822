#!/usr/bin/env bash
# Rebuilds the shipped star-system files data/systems/*.ssd from the public sources, byte for
# byte: the same sources give the same files.
#
#   tools/ssdgen/generate.sh [SOURCES_DIR]
#
# SOURCES_DIR (default: ../shared/sources beside the work tree) holds solar-system/ and
# exoplanets/ as their PROVENANCE files describe them. The tool is built in build-ssdgen; its
# report (bodies written, hosts matched, planets left out and why) is printed and kept in
# build-ssdgen/ssdgen-report.txt.
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
sources=${1:-$root/../shared/sources}
build=$root/build-ssdgen

cmake -S "$root" -B "$build" -DVYREX_BENCH=OFF -DVYREX_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target ssdgen

mkdir -p "$root/data/systems"
"$build/tools/ssdgen/ssdgen" --sources "$sources" --catalog "$root/data/catalog" \
  --crossindex "$root/data/crossindex.tsv" --out "$root/data/systems" | tee "$build/ssdgen-report.txt"
