#!/bin/sh
# Drives the desktop window front end the way a user does: starts
# vorla-button on the display xvfb-run provides, clicks the big button and
# the "Botón Trimo" bar button with xdotool, turns the device with the arrow
# key, saves a screenshot with "s", and checks the journal and the picture.
# Usage (under xvfb-run -a): window_test.sh PATH/TO/vorla-button
set -eu

test_name="window test"
. "$(dirname "$0")/window_test_lib.sh"
start_window_app "$1" --device-id window-test

# The big English button, then the Spanish screen's bar button.
xdotool mousemove --window "$wid" 160 239 click 1
sleep 0.5
xdotool mousemove --window "$wid" 270 42 click 1
sleep 1
# Landscape-left with the Left arrow, then a screenshot.
xdotool windowfocus --sync "$wid" 2>/dev/null || true
xdotool key Left
sleep 1
xdotool key s
sleep 1

journal="$work/out/events.jsonl"
grep -q '"type":"sound","file":"ThatWasVorla.wav","vibrate":false' "$journal" || fail "no sound for the click"
grep -q '"text":"Playing sound, no vibrate..."' "$journal" || fail "no log line for the click"
grep -q '"stack":\["Vorla Button","Botón Trimo"\]' "$journal" || fail "the bar button did not push the Spanish screen"
grep -q '"stack":\["Vorla Button","Botón Trimo","Vorla Button  *Botón Trimo"\]' "$journal" ||
  fail "the Left arrow did not push the two-button screen"
[ -s "$work/vorla-button-1.png" ] || fail "the s key saved no screenshot"
grep -q '"text":"Screenshot saved to ' "$journal" || fail "the screenshot was not logged"
echo "window test: ok"
