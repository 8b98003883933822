#!/bin/sh
# Builds Vyrex and runs it from its staged program folder; arguments go to the program
# (for example: scripts/run.sh -d -c).
set -eu
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVYREX_BENCH=OFF
cmake --build build -j2 --target vyrex vyrex_packs
cd build/stage && exec ./vyrex "$@"
