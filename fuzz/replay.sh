#!/usr/bin/env bash
# Replays every fuzz target over its seeds and recorded crashers, once each:
# a quick regression check, not a fuzzing run. fuzz/replay.sh BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-sanitize}
status=0
found=0
for binary in "$build"/fuzz/*_fuzzer; do
  [ -x "$binary" ] || continue
  found=1
  name=$(basename "$binary" _fuzzer)
  files=()
  for dir in "fuzz/seeds/$name" "fuzz/regressions/$name"; do
    [ -d "$dir" ] || continue
    while IFS= read -r -d '' f; do files+=("$f"); done < <(find "$dir" -type f ! -name '.*' -print0 | sort -z)
  done
  if [ ${#files[@]} -eq 0 ]; then
    echo "fuzz replay: $name has no seeds"
    continue
  fi
  if ASAN_OPTIONS=detect_leaks=1 "$binary" -rss_limit_mb=2048 -malloc_limit_mb=1536 -timeout=10 "${files[@]}" > "$build/fuzz-replay-$name.log" 2>&1; then
    echo "fuzz replay: $name ok (${#files[@]} inputs)"
  else
    echo "fuzz replay: $name FAILED, see $build/fuzz-replay-$name.log"
    tail -n 40 "$build/fuzz-replay-$name.log"
    status=1
  fi
done
if [ $found -eq 0 ]; then
  echo "fuzz replay: no fuzz targets in $build" >&2
  exit 1
fi
exit $status
