#!/usr/bin/env bash
# Installs the dependencies, builds everything and runs every test:
#  1. the release build: core unit tests and offscreen Qt UI tests, then
#     its installation and Debian package checked (scripts/check-install.sh);
#  2. a clang build with AddressSanitizer and UndefinedBehaviorSanitizer of
#     the core and its tests, plus the fuzz targets replayed over their seeds;
#  3. the core and its tests built with TARNEL_NO_SIMD, so that the plain
#     loops behind every vector path are compiled and checked too.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j "$jobs"
QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure -j "$jobs"
scripts/check-install.sh build

CC=clang CXX=clang++ cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTARNEL_BUILD_UI=OFF -DTARNEL_FUZZ=ON
cmake --build build-sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-sanitize --output-on-failure -j "$jobs"
if [ -x fuzz/replay.sh ]; then
  fuzz/replay.sh build-sanitize
fi

cmake -S . -B build-nosimd -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARNEL_BUILD_UI=OFF -DTARNEL_NO_SIMD=ON
cmake --build build-nosimd -j "$jobs"
ctest --test-dir build-nosimd --output-on-failure -j "$jobs"
