#!/bin/sh
# Builds and runs the whole test suite twice: a normal build in build/, then a build with the
# address and undefined-behaviour sanitizers in build-asan/, where every layer is a shared library
# that must resolve all it calls from the layers below it.
set -eu
cd "$(dirname "$0")/.."

scripts/setup.sh

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2
(cd build && ctest --output-on-failure -j2)

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVYREX_SANITIZE=ON -DVYREX_LAYERS_SHARED=ON -DVYREX_BENCH=OFF
cmake --build build-asan -j2
(cd build-asan && ctest --output-on-failure -j2)
