#!/bin/sh
# The window at --scale 2 on a screen too small for 640 x 960: it opens
# shrunk to the work area with the screen's 2:3 shape, and a click lands
# where the shrunk picture shows the control; with --fit-screen off it
# opens at exactly twice 320 x 480.
# Usage (under xvfb-run -a -s "-screen 0 1366x768x24"): window_fit_test.sh PATH/TO/vorla-button
set -eu

app=$1
test_name="window fit test"
. "$(dirname "$0")/window_test_lib.sh"

# Starts the app with the given flags and sets $wid, $width and $height.
start() {
  "$app" --home "$work/home" --out "$work/out" --open-urls log --audio off --device-id window-test \
    --request-host http://127.0.0.1:1 --media-host http://127.0.0.1:1 "$@" 2>"$work/stderr" &
  pid=$!
  wait_for_window
  size=$(xdotool getwindowgeometry "$wid" | sed -n 's/.*Geometry: *//p')
  width=${size%x*}
  height=${size#*x}
}

stop() {
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  pid=""
}

screen_height=$(xdotool getdisplaygeometry | cut -d' ' -f2)

start --scale 2
[ "$height" -lt 960 ] || fail "a ${width}x${height} window on a screen $screen_height high"
[ "$height" -le "$screen_height" ] || fail "${width}x${height} is taller than the screen"
# 2:3, give or take the rounding of one pixel.
[ $((width * 3 - height * 2)) -ge -3 ] && [ $((width * 3 - height * 2)) -le 3 ] ||
  fail "${width}x${height} is not the screen's shape"
# The "Botón Trimo" bar button at (270, 42) points, where the shrunk window shows it.
xdotool mousemove --window "$wid" $((270 * width / 320)) $((42 * height / 480)) click 1
sleep 1
grep -q '"stack":\["Vorla Button","Botón Trimo"\]' "$work/out/events.jsonl" ||
  fail "a click on the shrunk bar button did not push the Spanish screen"
stop

start --scale 2 --fit-screen off
[ "$width" = 640 ] && [ "$height" = 960 ] || fail "--fit-screen off gave ${width}x${height}, not 640x960"
stop
echo "window fit test: ok"
