#!/usr/bin/env bash
# Fuzzes one target for a given time: fuzz/run.sh TARGET SECONDS [BUILD_DIR]
# TARGET is a decoder name (bmp, png, jpeg, jp2, ico, image). The build folder
# (default build-sanitize) must be configured with -DTARNEL_FUZZ=ON and clang.
# New inputs go to BUILD_DIR/fuzz-work/TARGET; crashes are written to
# fuzz/regressions/TARGET/ so that fuzz/replay.sh replays them from then on.
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:?target name, e.g. png}
seconds=${2:?seconds to fuzz}
build=${3:-build-sanitize}
binary="$build/fuzz/${target}_fuzzer"
[ -x "$binary" ] || { echo "missing $binary: build with -DTARNEL_FUZZ=ON" >&2; exit 1; }
work="$build/fuzz-work/$target"
mkdir -p "$work" "fuzz/regressions/$target"
ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 \
"$binary" -max_total_time="$seconds" -rss_limit_mb=2048 -malloc_limit_mb=1536 -timeout=10 \
  -max_len=262144 -print_final_stats=1 -artifact_prefix="fuzz/regressions/$target/" \
  "$work" "fuzz/seeds/$target"
