#!/usr/bin/env bash
# Sets up and builds atelo, starts the workbench with a window identifier and
# streams a demo animation into it with the demo renderer atelo-render.
# Without a display it starts a virtual one (Xvfb :99).
#
#   ATELO_DEMO_ID      window identifier on the link (default DISP_DEM)
#   ATELO_DEMO_FRAMES  frames of the animation (default 24)
#   ATELO_DEMO_SIZE    frame size (default 480x360)
#
# The frames arrive as the images of a series and are saved by the user's
# auto-save rules. Without defaults only a frame that took 30 s or more is
# saved; with " Always" chosen in the Defaults window every frame goes to
# /tmp/Untitled.0001.tif and on.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
build=${ATELO_BUILD_DIR:-$root/build}
id=${ATELO_DEMO_ID:-DISP_DEM}
frames=${ATELO_DEMO_FRAMES:-24}
size=${ATELO_DEMO_SIZE:-480x360}

pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ]; then
  echo "atelo demo: no DISPLAY set; starting a virtual display with Xvfb on :99."
  echo "atelo demo: to look at it, take a picture of the screen, for instance with"
  echo "atelo demo: 'xwd -root -display :99 | convert xwd:- demo.png' (Debian packages x11-apps"
  echo "atelo demo: and imagemagick), or run a VNC server on :99 (x11vnc -display :99)."
  Xvfb :99 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  pids+=($!)
  export DISPLAY=:99
  sleep 1
fi

if [ ! -x "$build/bin/atelo" ]; then
  echo "atelo demo: $build/bin/atelo was not built" >&2
  exit 1
fi
"$build/bin/atelo" -id "$id" -T "atelo demo" &
atelo=$!
pids+=("$atelo")

# The workbench is ready for renderers once its entry is in the link
# directory.
if [ -n "${LNK_DIR:-}" ]; then
  directory=$LNK_DIR
elif [ -n "${XDG_RUNTIME_DIR:-}" ]; then
  directory=$XDG_RUNTIME_DIR/lnk
else
  directory=/tmp/lnk-$(id -u)
fi
entry="$directory/${id%% *}"
for _ in $(seq 150); do
  [ -f "$entry" ] && break
  kill -0 "$atelo" 2>/dev/null || break
  sleep 0.1
done

if [ -f "$entry" ]; then
  echo "atelo demo: streaming $frames frames of $size into window '$id'"
  "$build/bin/atelo-render" -id "$id" --size "$size" --frames "$frames" --patch 32 \
    --order spiral --delay 3 &
  pids+=($!)
else
  echo "atelo demo: the workbench did not appear on the link ($entry); showing the window only"
fi

echo "atelo demo: close the atelo window (File > Exit) to end the demo"
wait "$atelo" || true
