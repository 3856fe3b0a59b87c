#!/usr/bin/env bash
# Builds the release programs and makes the Debian package from them:
#   scripts/package.sh [BUILD_DIR]      (default: build)
# The package lands in BUILD_DIR/package; its path is the last line printed.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
if [ ! -f "$build/CMakeCache.txt" ]; then
  scripts/install-deps.sh
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$build" --target tarnel tarnel-batch tarnel_man tarnel-batch_man
mkdir -p "$build/package"
(cd "$build" && cpack -G DEB -B "$PWD/package" >/dev/null)
ls -t "$build"/package/*.deb | head -n 1
