#!/usr/bin/env bash
# Builds the app and starts it against the bundled ad server: the desktop
# window when there is a display, otherwise the headless tour, whose
# screenshots and journal land in out/tour/. Extra arguments go to the app,
# except --only-action ACTION, which goes to the ad server: it then serves
# only ads whose click does ACTION (url, canvas, call, contact, itunes), so
# that each kind of click can be tried. The build folder is build/
# ($VORLA_BUILD_DIR changes it).
set -euo pipefail
cd "$(dirname "$0")"
build=${VORLA_BUILD_DIR:-build}

tools/install-deps.sh
cmake -S . -B "$build" -G Ninja >/dev/null
targets=(vorla-button)
if cmake --build "$build" --target help | grep '^pennant-adserver:' >/dev/null; then targets+=(pennant-adserver); fi
cmake --build "$build" --target "${targets[@]}" -j2

server_args=()
app_args=()
while [ $# -gt 0 ]; do
  if [ "$1" = --only-action ]; then
    [ $# -ge 2 ] || { echo "run.sh: --only-action needs an action (url, canvas, call, contact, itunes)" >&2; exit 2; }
    server_args+=(--only-action "$2")
    shift 2
  else
    app_args+=("$1")
    shift
  fi
done
set -- "${app_args[@]+"${app_args[@]}"}"

app=$build/Classes/vorla-button
server=$build/tools/adserver/pennant-adserver
server_pid=""
work=$(mktemp -d)
stop_server() {
  if [ -n "$server_pid" ]; then kill "$server_pid" 2>/dev/null || true; wait "$server_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap stop_server EXIT
trap 'exit 130' INT TERM

hosts=()
if [ -x "$server" ]; then
  "$server" --port 0 --inventory tools/adserver/inventory "${server_args[@]+"${server_args[@]}"}" >"$work/server.out" 2>&1 &
  server_pid=$!
  url=""
  for _ in $(seq 100); do
    url=$(sed -n 's/^listening on //p' "$work/server.out" | head -n 1)
    [ -n "$url" ] && break
    kill -0 "$server_pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ -z "$url" ]; then
    echo "run.sh: the ad server did not start:" >&2
    cat "$work/server.out" >&2
    exit 1
  fi
  echo "run.sh: ad server at $url"
  hosts=(--request-host "$url" --media-host "$url")
else
  echo "run.sh: the bundled ad server (pennant-adserver) is not built; the app runs without one"
fi

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  "$app" "${hosts[@]}" "$@"
else
  rm -rf out/tour
  "$app" --headless --script assets/tour.script --out out/tour --home out/tour/home "${hosts[@]}" "$@"
  echo "run.sh: no display, so the headless tour ran: screenshots and view dumps in out/tour/," \
    "the event journal in out/tour/events.jsonl"
fi
