#!/usr/bin/env bash
# Times tarnel-batch against peer command-line tools on real photographs and
# writes a markdown table. Not part of the tests or CI.
#
#   bench/peers/run.sh [TARNEL_BATCH] [OUTPUT.md]
#
# TARNEL_BATCH defaults to build/src/tarnel-batch; OUTPUT.md to
# peer-results.md in the work folder ($PEER_WORK, default a folder under
# $TMPDIR). PEER_RUNS (default 5) and PEER_RUNS_LARGE (default 2) set the
# hyperfine runs per command; PEER_SIZES=hd limits the run to 1920 x 1080;
# PEER_DEFAULT_SIZES (default hd) names the sizes also timed with the tools'
# default thread counts.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
batch=${1:-$root/build/src/tarnel-batch}
work=${PEER_WORK:-${TMPDIR:-/tmp}/tarnel-peer-bench}
out=${2:-$work/peer-results.md}

if [[ ! -x $batch ]]; then
    echo "run.sh: tarnel-batch not found at $batch (build the tarnel-batch target first)" >&2
    exit 1
fi

# Peer tools, hyperfine and a package of real photographs, installed where missing.
packages=(imagemagick pngquant pngnq libvips-tools python3-pil hyperfine mate-backgrounds)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "installing: ${missing[*]}"
    sudo_cmd=()
    [[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi

mkdir -p "$work"
# The Debian python has the packaged Pillow; a python first on PATH may not.
exec /usr/bin/python3 "$here/peer_bench.py" --batch "$(cd "$(dirname "$batch")" && pwd)/$(basename "$batch")" \
    --work "$work" --out "$out"
