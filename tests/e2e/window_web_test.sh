#!/bin/sh
# The embedded browser and the canvas in the desktop window: against the
# bundled ad server, a click on a "url" banner opens the landing page over
# the app (the engine's own widget) and Done closes it; a click on a
# "canvas" banner opens the canvas page, which gets its content through the
# bridge, and a click on the backdrop below it closes it.
# Usage (under xvfb-run -a): window_web_test.sh PATH/TO/vorla-button PATH/TO/pennant-adserver
set -eu

app=$1
adserver=$2
test_name="window web test"
. "$(dirname "$0")/window_test_lib.sh"
inventory="$(dirname "$0")/../../tools/adserver/inventory"
server_pid=""
stop_server() {
  if [ -n "$server_pid" ]; then kill "$server_pid" 2>/dev/null || true; wait "$server_pid" 2>/dev/null || true; fi
  server_pid=""
}
trap 'stop_server; cleanup' EXIT

# wait_for PATTERN MESSAGE: the journal shows the pattern within 60 s (a
# busy machine starts the engine slowly).
wait_for() {
  for _ in $(seq 600); do
    grep -q "$1" "$work/out/events.jsonl" 2>/dev/null && return 0
    sleep 0.1
  done
  fail "$2"
}

# run_with_action ACTION: the server for that action, the app against it;
# sets $url and $wid.
run_with_action() {
  "$adserver" --port 0 --inventory "$inventory" --only-action "$1" >"$work/server.out" 2>&1 &
  server_pid=$!
  url=""
  for _ in $(seq 100); do
    url=$(sed -n 's/^listening on //p' "$work/server.out" | head -n 1)
    [ -n "$url" ] && break
    sleep 0.1
  done
  [ -n "$url" ] || fail "the ad server did not start"
  rm -rf "$work/out"
  start_window_app "$app" --device-id window-test --request-host "$url" --media-host "$url"
  wait_for '"text":"Pennant: Did receive ad"' "no ad arrived"
  # The banner flips in.
  sleep 1
}

stop_app() {
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  pid=""
  stop_server
}

run_with_action url
xdotool mousemove --window "$wid" 160 456 click 1
wait_for '"type":"modal","event":"presented","kind":"browser"' "the browser was not presented"
wait_for '"type":"web","event":"finish","url":"[^"]*/static/landing/shoes.html"' "the landing page did not load"
grep -q '"type":"link-rule","url":"[^"]*/static/landing/shoes.html","decision":"load"' "$work/out/events.jsonl" ||
  fail "the landing page did not pass the link rules"
sleep 0.5
xdotool mousemove --window "$wid" 30 42 click 1
wait_for '"type":"modal","event":"dismissed","kind":"browser"' "Done did not close the browser"
stop_app

run_with_action canvas
xdotool mousemove --window "$wid" 160 456 click 1
wait_for '"type":"modal","event":"presented","kind":"canvas"' "the canvas was not presented"
wait_for '"type":"web","event":"finish","url":"[^"]*/static/iphone/canvas.html"' "the canvas page did not load"
sleep 1
grep -q '"kind":"canvas","outcome"' "$work/out/events.jsonl" && fail "the canvas closed by itself"
xdotool mousemove --window "$wid" 160 450 click 1
wait_for '"type":"modal","event":"dismissed","kind":"canvas"' "a click on the backdrop did not close the canvas"
stop_app
echo "window web test: ok"
