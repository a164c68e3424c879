#!/bin/sh
# Drives alerts and action sheets in the desktop window the way a user does:
# starts the popup test app on the display xvfb-run provides, clicks the
# button that shows an alert, clicks where the button underneath is (the
# alert takes that click), presses Cancel and slides off it, answers Retry,
# then opens the action sheet and answers it, and checks the journal.
# Usage (under xvfb-run -a): popup_window_test.sh PATH/TO/popup-test-app
set -eu

test_name="popup window test"
# The test app's own identity names its window, screenshots and variables.
window_title="Popup Test App"
screenshots_variable=POPUP_TEST_APP_SCREENSHOTS
. "$(dirname "$0")/window_test_lib.sh"
start_window_app "$1"

journal="$work/out/events.jsonl"
# The "Alert" button; then a click where "Underneath" is, which the alert takes.
xdotool mousemove --window "$wid" 160 62 click 1
sleep 0.5
xdotool mousemove --window "$wid" 160 382 click 1
sleep 0.3
# Down on Cancel (left of the two buttons in the middle), slide off, let go.
xdotool mousemove --window "$wid" 93 270 mousedown 1
sleep 0.2
xdotool mousemove --window "$wid" 93 120
sleep 0.2
xdotool mouseup 1
sleep 0.3
xdotool windowfocus --sync "$wid" 2>/dev/null || true
xdotool key s
sleep 0.5
# Retry, on the right.
xdotool mousemove --window "$wid" 226 270 click 1
sleep 0.5
# The sheet, from the toolbar: "Email link" is its second button from the top.
xdotool mousemove --window "$wid" 160 182 click 1
sleep 0.8
xdotool mousemove --window "$wid" 160 374 click 1
sleep 0.5

grep -q '"type":"alert","title":"Whoops","message":"Couldn.t connect to that page.","buttons":\["Cancel","Retry"\]' \
  "$journal" || fail "the alert was not shown"
if grep -q '"text":"Underneath pressed"' "$journal"; then fail "a click reached the button under the alert"; fi
if grep -q '"title":"Cancel"' "$journal"; then fail "sliding off Cancel answered the alert"; fi
grep -q '"type":"alert-button","title":"Retry","index":1' "$journal" || fail "Retry was not pressed"
grep -q '"text":"Alert Whoops answered 1"' "$journal" || fail "the delegate did not hear Retry"
grep -q '"type":"action-sheet","buttons":\["Launch Safari","Email link","Cancel"\]' "$journal" ||
  fail "the sheet was not shown"
grep -q '"text":"Sheet answered 1"' "$journal" || fail "the sheet's Email link was not pressed"
[ -s "$work/popup-test-app-1.png" ] || fail "the s key saved no screenshot of the alert"
echo "popup window test: ok"
