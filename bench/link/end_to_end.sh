#!/usr/bin/env bash
# Streams 3840 x 2160 frames from atelo-render into `atelo -b`, in 64 x 64
# and in 256 x 256 patches, and prints atelo-render's throughput (pixel
# bytes handled by the workbench per second, the saving of the finished
# frame left out). Compare with bench_link's RawZeroMQ figures.
#
#   bench/link/end_to_end.sh [build directory] [runs]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-${ATELO_BUILD_DIR:-$root/build}}
runs=${2:-3}
work=$(mktemp -d /tmp/atelo-e2e-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home" "$work/out"
# Private home and link directory; the frames are saved under $work/out.
printf 'DEF_PATH=%s/out/\n' "$work" >"$work/home/.virda_atelo.env"
export HOME=$work/home LNK_DIR=$work/lnk QT_QPA_PLATFORM=offscreen
for patch in 64 256; do
  for run in $(seq "$runs"); do
    "$build/bin/atelo" -b -id DISP_E2E >"$work/atelo.out" 2>&1 &
    atelo=$!
    echo -n "patch ${patch}x${patch}, run $run: "
    "$build/bin/atelo-render" -id DISP_E2E --wait 10000 --size 3840x2160 --patch "$patch" \
      --frames 3 --stats --quiet 2>&1 | sed 's/^atelo-render: //'
    wait "$atelo" || true
    rm -f "$work"/out/*
  done
done
