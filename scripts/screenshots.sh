#!/usr/bin/env bash
# Pictures of the window program for people to look at: builds the widget
# test programs, starts an X server of its own (Xvfb), runs every
# "Screenshots" test on it with the xcb platform and leaves the PNG files in
# BUILD_DIR/screenshots/.
#   scripts/screenshots.sh [BUILD_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
"$here/scripts/setup.sh" "$build" >&2

out="$build/screenshots"
rm -rf "$out"
mkdir -p "$out"

# A free display number.
display=99
while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  [ -e "/tmp/.X11-unix/X$display" ] && break
  sleep 0.1
done

status=0
for program in "$build"/bin/test_gui_*; do
  [ -x "$program" ] || continue
  DISPLAY=":$display" QT_QPA_PLATFORM=xcb ZELM_SCREENSHOTS_DIR="$out" \
    "$program" --gtest_filter='Screenshots*' --gtest_brief=1 || status=1
done
ls -1 "$out"/*.png 2>/dev/null || { echo "no screenshots were written" >&2; status=1; }
exit $status
