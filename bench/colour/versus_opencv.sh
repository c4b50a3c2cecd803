#!/usr/bin/env bash
# RGB to HLS and back on a 3840 x 2160 picture: the workbench's whole-buffer
# conversion (RGBA bytes to HLS floats and back) against OpenCV's float
# conversion (cv2.COLOR_RGB2HLS and COLOR_HLS2RGB on float32 RGB), both on
# one thread in the same run. Prints both medians and their ratio.
# Usage: versus_opencv.sh [build directory]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../../build}
python=/usr/bin/python3  # Debian's, where python3-opencv installs cv2

if ! "$python" -c "import cv2" 2>/dev/null; then
  echo "versus_opencv: installing python3-opencv (the benchmark's peer)"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq python3-opencv
fi

runs=15
ours=$("$build/bin/bench_colour" --benchmark_filter=BM_RgbToHlsAndBackWholeBuffer \
  --benchmark_repetitions=$runs --benchmark_format=json 2>/dev/null |
  "$python" -c 'import json, sys
runs = [b for b in json.load(sys.stdin)["benchmarks"] if b["name"].endswith("_median")]
print("%.3f" % runs[0]["real_time"])')
peer=$("$python" "$here/opencv_peer.py" 3840 2160 $runs)
"$python" - "$ours" "$peer" <<'PY'
import sys
ours, peer = float(sys.argv[1]), float(sys.argv[2])
print(f"whole-buffer RGBA->HLS->RGBA  {ours:8.2f} ms")
print(f"cv2 float32 RGB->HLS->RGB     {peer:8.2f} ms")
print(f"ratio (ours / cv2)            {ours / peer:8.2f}")
PY
